// Tests of the Spiral scene: the phase step by row, the roll it drives and the captions by row.
#include <gtest/gtest.h>

#include <utility>

#include "app/assets.h"
#include "scenes/common.h"
#include "support/scene_script.h"

TEST(SpiralScene, PhaseStepRollAndCaptionsFollowTheRow) {
    installTestAssets();
    makeTestMesh(meshSpiral, {{1, 0, 1}, {11, 0, 1}, {1, 10, 1}}, {{0, 1, 2}});
    SceneScript script;
    const std::vector<std::pair<int, int>> at = {{15, 31}, {15, 31}, {15, 32}, {15, 63}, {16, 0},
                                                 {15, 16}, {15, 17}, {15, 25}, {15, 33}, {17, 37}};
    const size_t captions[] = {3, 3, 3, 5, 1, 1, 2, 3, 4, 5};
    std::vector<float> phase;
    script.setMusic(at[0].first, at[0].second);
    script.onFrame = [&](int frame) {
        script.setClock(20 * (frame + 1));  // frame 0 has no time step, later ones 20 ms
        const bool more = frame + 1 < int(at.size());
        script.setMusic(more ? at[frame + 1].first : 18, more ? at[frame + 1].second : 0);
    };
    script.beforeFrameShown = [&](int) { phase.push_back(scenePhase); };
    EXPECT_EQ(script.run(runSpiralScene), 0);
    ASSERT_EQ(script.frames(), int(at.size()));
    for (int f = 0; f < script.frames(); ++f)
        EXPECT_EQ(script.frameCalls(f, "drawQuad").size(), captions[f]) << "frame " << f;

    // Three times the frame step, plus from row 32 on a per-frame term that grows with the row.
    const float steps[] = {0.0f, 0.06f, 0.06f, 3 * (0.02f + 31.0f / 44.0f), 0.06f};
    for (int f = 0; f < 5; ++f)
        EXPECT_NEAR(phase[f] - (f ? phase[f - 1] : 0.0f), steps[f], 1e-5) << "frame " << f;

    // The spiral is rolled by 20 degrees per unit of phase, white and untextured.
    Camera camera;
    setupCamera61(camera, 1.2f);
    camera.eye = {0, 0, 100};
    camera.target = {1, 0, 1};
    camera.roll = 20.0f * phase[3];
    Matrix44 view;
    buildViewMatrix(view, camera);
    auto tri = script.frameCalls(3, "drawTriangleDual");
    ASSERT_EQ(tri.size(), 1u);
    const MeshVertex& v = tri[0].verts[1];  // object point (11, 0, 1)
    EXPECT_NEAR(v.x, view.at(0, 0) * 11 + view.at(0, 2) + view.at(0, 3), 1e-3);
    EXPECT_NEAR(v.y, view.at(1, 0) * 11 + view.at(1, 2) + view.at(1, 3), 1e-3);
    EXPECT_EQ(v.r + v.g + v.b + v.u0 + v.v1, 3.0f);
}
