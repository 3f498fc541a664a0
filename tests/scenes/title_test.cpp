// Tests of the Title scene: its frame loop exits, the words on the beat and the sunburst.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "app/assets.h"
#include "scenes/common.h"
#include "support/gl_harness.h"
#include "support/scene_script.h"

namespace {

class TitleScene : public ::testing::Test {
  protected:
    void SetUp() override { installTestAssets(); }
};

// Runs the scene through the given music positions, one frame each, then ends it.
void playPositions(SceneScript& script, const std::vector<std::pair<int, int>>& positions) {
    script.setMusic(positions[0].first, positions[0].second);
    script.onFrame = [&script, positions](int frame) {
        script.setClock(20 * (frame + 1));
        if (frame + 1 < int(positions.size()))
            script.setMusic(positions[frame + 1].first, positions[frame + 1].second);
        else
            script.setMusic(3, 0);
    };
}

}  // namespace

TEST_F(TitleScene, EndsAtOrderThreeOrOnQuit) {
    {
        SceneScript script;
        script.setMusic(3, 0);  // already past the end: no frame at all
        EXPECT_EQ(script.run(runTitleScene), 0);
        EXPECT_EQ(script.frames(), 0);
        EXPECT_EQ(script.recorder.triangles() + script.recorder.count("drawQuad"), 0u);
    }
    {
        SceneScript script;
        script.playFrames(4, 3);
        EXPECT_EQ(script.run(runTitleScene), 0);
        EXPECT_EQ(script.frames(), 4);
    }
    {
        // A quit during a frame returns 1 at the next pump, after that frame was presented.
        SceneScript script;
        script.onFrame = [&](int frame) {
            if (frame == 2) script.requestQuit();
        };
        EXPECT_EQ(script.run(runTitleScene), 1);
        EXPECT_EQ(script.frames(), 3);
        EXPECT_EQ(script.recorder.calls.back().op, "clear");
    }
}

TEST_F(TitleScene, WordsAppearOnTheirRows) {
    SceneScript script;
    const std::vector<std::pair<int, int>> positions = {
        {0, 127}, {1, 20},  {1, 21}, {1, 52}, {1, 53}, {1, 84}, {1, 85},
        {1, 116}, {1, 117}, {2, 20}, {2, 21}, {2, 52}, {2, 53}, {2, 127}};
    const size_t expected[] = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6};
    playPositions(script, positions);
    EXPECT_EQ(script.run(runTitleScene), 0);
    ASSERT_EQ(script.frames(), int(positions.size()));
    for (int f = 0; f < script.frames(); ++f)
        EXPECT_EQ(script.frameCalls(f, "drawQuad").size(), expected[f])
            << "order " << positions[f].first << " row " << positions[f].second;

    // All six, left to right on one line, each cut from its own band of os.png.
    auto words = script.frameCalls(script.frames() - 1, "drawQuad");
    const float x0[6] = {-0.9025f, -0.67f, -0.3375f, 0.015f, 0.4475f, 0.7175f};
    const float v0[6] = {0.0078125f, 0.1640625f, 0.3203125f, 0.4765625f, 0.6328125f, 0.7890625f};
    for (int i = 0; i < 6; ++i) {
        const auto& v = words[i].verts;
        EXPECT_FLOAT_EQ(v[0].sx, x0[i]);
        EXPECT_FLOAT_EQ(v[0].sy, -0.12f);
        EXPECT_FLOAT_EQ(v[2].sy, -0.22117187f);
        EXPECT_FLOAT_EQ(v[0].v0, v0[i]);
        EXPECT_GT(v[1].sx, v[0].sx);
    }
    EXPECT_FLOAT_EQ(words[5].verts[1].sx, 0.92531246f);
    EXPECT_FLOAT_EQ(words[5].verts[2].v0, 0.93359375f);
}

TEST_F(TitleScene, FrameDrawsBackgroundTurningRaysTextAndWordsInOrder) {
    SceneScript script;
    script.setMusic(2, 60);
    script.onFrame = [&](int frame) {
        script.setClock(1000 * (frame + 1));
        if (frame == 1) script.setMusic(3, 0);
    };
    script.run(runTitleScene);
    ASSERT_EQ(script.frames(), 2);
    EXPECT_FLOAT_EQ(scenePhase, 0.5f);  // half the scene time (1 s)

    auto tris = script.frameCalls(1, "drawTriangle");
    ASSERT_GE(tris.size(), 14u);
    EXPECT_EQ(tris[0].verts[0].r, 0.9453125f);  // background first
    EXPECT_EQ(tris[0].verts[0].g, 0.7421875f);
    // The first ray has turned by the phase.
    EXPECT_NEAR(tris[2].verts[1].sx, 2 * std::sin(2 * 0.26179166666666664 + 0.5), 1e-5);
    EXPECT_EQ(tris[2].verts[1].g, 0.82421875f);

    // The text objects: Text02 with its coordinates cleared, Text01 environment-mapped.
    auto dual = script.frameCalls(1, "drawTriangleDual");
    const size_t faces = meshText01.faces.count + meshText02.faces.count;
    ASSERT_GE(dual.size(), faces / 2);
    for (const MeshVertex& v : dual[0].verts) EXPECT_EQ(v.u0, 0.0f);

    // Binds in frame order: no texture, the text's map, the words.
    std::vector<int> binds;
    for (const auto& c : script.frameCalls(1, "bindTexture0")) binds.push_back(c.args[0]);
    EXPECT_EQ(binds, (std::vector<int>{0, texLogoenv, texOs}));
}

TEST(TitleSceneLook, RendersAFrameFromTheMiddleOfTheScene) {
    std::string error;
    if (!dataSetPresent()) GTEST_SKIP() << "no generated data set";
    if (!openTestDisplay(640, 480, &error)) GTEST_SKIP() << "no GL display: " << error;
    SceneScript script(SceneScript::Output::Draw);
    ASSERT_EQ(loadDataSet(), "");
    script.setClock(4000);
    script.setMusic(2, 60);
    script.onFrame = [&](int frame) {
        script.setClock(4000 + 20 * (frame + 1));
        if (frame == 2) script.setMusic(3, 0);
    };
    uint8_t corner[4] = {};
    script.beforeFrameShown = [&](int frame) {
        if (frame != 2) return;
        EXPECT_TRUE(saveFramePng(SHOW_BINARY_DIR "/look_title.png", 640, 480));
        readPixel(3, 3, corner);
    };
    script.run(runTitleScene);
    // The corner is gold, background or ray.
    EXPECT_GT(corner[0], 200);
    EXPECT_GT(corner[1], 150);
    EXPECT_LT(corner[2], 60);
}
