// Tests of the Figure scene: the camera's jolts in order 19, the three objects, caption and exit.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "app/assets.h"
#include "scenes/common.h"
#include "support/scene_script.h"

namespace {

// View-space position of object point p with the scene's camera at eye.
Vector3 viewed(const Vector3& eye, const Vector3& p) {
    Camera camera;
    setupSceneCamera(camera, 91.0f, 1.2f, kHalfAngle91);
    camera.eye = eye;
    camera.target = {1, 0, 51};
    camera.roll = 180;
    Matrix44 m;
    buildViewMatrix(m, camera);
    auto row = [&](int r) {
        return m.at(r, 0) * p.x + m.at(r, 1) * p.y + m.at(r, 2) * p.z + m.at(r, 3);
    };
    return {row(0), row(1), row(2)};
}

}  // namespace

TEST(FigureScene, CameraJoltsInOrderNineteenAndObjectsKeepTheirLook) {
    installTestAssets();
    makeTestMesh(meshBox, {{1, 0, 51}, {11, 0, 51}, {1, 10, 51}}, {{0, 1, 2}});
    makeTestMesh(meshDude, {{1, 5, 45}, {6, 5, 45}, {1, 10, 45}}, {{0, 1, 2}});
    makeTestMesh(meshGlasses, {{1, -5, 45}, {6, -5, 45}, {1, -1, 45}}, {{0, 1, 2}});
    for (Mesh* mesh : {&meshBox, &meshDude, &meshGlasses}) mesh->vertices.verts[1].u0 = 0.5f;
    SceneScript script;
    const std::vector<std::pair<int, int>> at = {
        {18, 0}, {18, 9}, {18, 15}, {18, 16}, {18, 24}, {19, 111}, {19, 112}, {19, 120}, {19, 121}};
    const size_t captions[] = {0, 1, 1, 0, 0, 1, 0, 0, 1};
    const double shift[] = {0, 0, 0, 0, 0, -0.2, 0.1, 0.3, 0.3};  // of the order-18 path
    script.setMusic(at[0].first, at[0].second);
    script.onFrame = [&](int frame) {
        script.setClock(400 * (frame + 1));  // local time t advances 0.25 a frame
        const bool more = frame + 1 < int(at.size());
        script.setMusic(more ? at[frame + 1].first : 23, more ? at[frame + 1].second : 0);
    };
    EXPECT_EQ(script.run(runFigureScene), 0);
    ASSERT_EQ(script.frames(), int(at.size()));
    for (int f = 0; f < script.frames(); ++f) {
        SCOPED_TRACE("frame " + std::to_string(f));
        EXPECT_EQ(script.frameCalls(f, "drawQuad").size(), captions[f]);
        const double t = 0.25 * f, d = shift[f];
        const Vector3 eye = {float(50 * std::cos(t + 1.1 + d) - 100 * std::sin(1.5 * t + d)),
                             float(130 * std::cos(t + d) + 40),
                             float(150 * std::cos(1.5 * t + d) - 200)};
        auto tris = script.frameCalls(f, "drawTriangle");
        ASSERT_EQ(tris.size(), 3u);  // box, figure, glasses; nothing single-unit besides
        const Vector3 expected = viewed(eye, {11, 0, 51});
        EXPECT_NEAR(tris[0].verts[1].x, expected.x, 0.02);
        EXPECT_NEAR(tris[0].verts[1].y, expected.y, 0.02);
        EXPECT_NEAR(tris[0].verts[1].z, expected.z, 0.02);
        EXPECT_EQ(tris[0].verts[1].u0, 0.5f);                       // the box keeps its mapping
        EXPECT_EQ(tris[1].verts[1].r + tris[1].verts[1].u0, 0.0f);  // the figure is black
        EXPECT_EQ(tris[2].verts[1].g, 1.0f);                        // the glasses are white
        EXPECT_EQ(tris[2].verts[1].u0, 0.0f);
    }
    std::vector<int> binds;
    for (const auto& c : script.frameCalls(1, "bindTexture0")) binds.push_back(c.args[0]);
    EXPECT_EQ(binds, (std::vector<int>{texCircles, 0, texTxt}));
}

TEST(FigureScene, LeavesWithBlendModeSevenEitherWay) {
    installTestAssets();
    for (bool quit : {false, true}) {
        SceneScript script;
        script.setMusic(19, 0);
        script.onFrame = [&](int) { quit ? script.requestQuit() : script.setMusic(23, 0); };
        EXPECT_EQ(script.run(runFigureScene), quit ? 1 : 0);
        EXPECT_EQ(script.recorder.calls.back().op, "setBlendMode");
        EXPECT_EQ(script.recorder.calls.back().args, std::vector<int>{7});
    }
}
