// Tests of the Heart scene, and of the exits, frame allocations and looks of the last four scenes.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "app/assets.h"
#include "scenes/common.h"
#include "support/gl_harness.h"
#include "support/scene_script.h"

namespace {

struct LaterScene {
    const char* name;
    SceneFunction run;
    int order, row, endOrder;    // a position inside the scene, and where it ends
    float orange, white, black;  // least share of the frame in each of these colours
};
const LaterScene kLaterScenes[] = {{"spiral", runSpiralScene, 16, 40, 18, 0.3f, 0.2f, 0.01f},
                                   {"figure", runFigureScene, 20, 12, 23, 0.0f, 0.0f, 0.01f},
                                   {"logozoom", runLogoZoomScene, 24, 64, 26, 0.0f, 0.2f, 0.2f},
                                   {"heart", runHeartScene, 27, 60, 28, 0.3f, 0.0f, 0.0f}};

// Shares of orange, white and black pixels in an RGBA frame.
std::array<float, 3> colourShares(const std::vector<uint8_t>& rgba) {
    std::array<float, 3> share = {};
    for (size_t i = 0; i < rgba.size(); i += 4) {
        const int r = rgba[i], g = rgba[i + 1], b = rgba[i + 2];
        share[0] += r > 200 && g > 140 && g < 200 && b < 60;
        share[1] += r > 240 && g > 240 && b > 240;
        share[2] += r < 30 && g < 30 && b < 30;
    }
    for (float& s : share) s /= float(rgba.size() / 4);
    return share;
}

}  // namespace

TEST(HeartScene, RaysSortedShinyHeartAndDimmedPanelFromTheFirstFrame) {
    installTestAssets();  // the heart is a small tube here
    SceneScript script;
    script.setMusic(26, 0);
    script.playFrames(2, 28, 1000);
    EXPECT_EQ(script.run(runHeartScene), 0);
    ASSERT_EQ(script.frames(), 2);
    for (int f = 0; f < 2; ++f) {
        auto tris = script.frameCalls(f, "drawTriangle");
        ASSERT_EQ(tris.size(), 8u);  // background, then six rays turning at 0.85 rad a second
        EXPECT_EQ(tris[0].verts[0].g, 0.7109375f);
        EXPECT_EQ(tris[2].verts[1].g, 0.640625f);
        EXPECT_NEAR(tris[2].verts[1].sx, 2 * std::sin(2 * 0.5235833333333333 + 0.85 * f), 1e-5);

        auto faces = script.frameCalls(f, "drawTriangleDual");
        ASSERT_EQ(int(faces.size()), meshHeart.faces.count);
        float last = INFINITY;
        for (const RecordedCall& c : faces) {
            const float depth = c.verts[0].z + c.verts[1].z + c.verts[2].z;
            EXPECT_LE(depth, last);  // farthest first
            last = depth;
            EXPECT_EQ(c.verts[0].u0, c.verts[0].v1);  // sphere-mapped, unit 0 transposed
            EXPECT_EQ(c.verts[0].v0, c.verts[0].u1);
        }

        auto all = script.frameCalls(f);
        size_t quad = 0;
        while (quad < all.size() && all[quad].op != "drawQuad") ++quad;
        ASSERT_LT(quad + 1, all.size());
        const auto& panel = all[quad].verts;
        EXPECT_EQ(panel[0].sx, -0.8f);
        EXPECT_EQ(panel[0].sy, 0.8f);
        EXPECT_EQ(panel[2].sx, 0.8f);
        EXPECT_EQ(panel[2].sy, -0.8f);
        EXPECT_EQ(panel[2].u0 + panel[2].v1, 2.0f);
        EXPECT_EQ(panel[1].r, 0.95f);
        EXPECT_EQ(all[quad - 3].args, (std::vector<int>{1, 0}));  // depth test off for the panel
        EXPECT_EQ(all[quad - 1].args, std::vector<int>{texGreets});
        EXPECT_EQ(all[quad + 1].args, (std::vector<int>{1, 1}));  // and on again after it
    }
}

TEST(LaterScenes, EndAtTheirOrderOrOnQuitAndAllocateNothingPerFrame) {
    installTestAssets();
    for (const LaterScene& s : kLaterScenes) {
        SCOPED_TRACE(s.name);
        {
            SceneScript script;
            script.setMusic(s.endOrder, 0);
            EXPECT_EQ(script.run(s.run), 0);
            EXPECT_EQ(script.frames(), 0);
            EXPECT_EQ(script.recorder.triangles() + script.recorder.count("drawQuad"), 0u);
        }
        {
            SceneScript script;
            script.setMusic(s.order, 0);
            script.onFrame = [&](int frame) {
                if (frame == 2) script.requestQuit();
            };
            EXPECT_EQ(script.run(s.run), 1);
            EXPECT_EQ(script.frames(), 3);
        }
        SceneScript script(false);
        uint64_t atSecondFrame = 0, atLastFrame = 0;
        script.onFrame = [&](int frame) {
            script.setClock(20 * (frame + 1));
            script.setMusic(s.order, (frame * 3) % 128);
            if (frame == 1) atSecondFrame = heapAllocations();
            if (frame == 60) atLastFrame = heapAllocations();
            if (frame == 60) script.setMusic(s.endOrder, 0);
        };
        EXPECT_EQ(script.run(s.run), 0);
        EXPECT_EQ(script.frames(), 61);
        EXPECT_EQ(atLastFrame, atSecondFrame);
    }
}

TEST(LaterScenesLook, RenderAFrameFromTheMiddleOfEachScene) {
    std::string error;
    if (!dataSetPresent()) GTEST_SKIP() << "no generated data set";
    if (!openTestDisplay(640, 480, &error)) GTEST_SKIP() << "no GL display: " << error;
    bool loaded = false;
    for (const LaterScene& s : kLaterScenes) {
        SceneScript script(SceneScript::Output::Draw);
        if (!loaded) {
            ASSERT_EQ(loadDataSet(), "");
            loaded = true;
        }
        script.setMusic(s.order, s.row);
        script.playFrames(200, s.endOrder);  // 4 s into the scene, in 20 ms steps
        script.beforeFrameShown = [&](int frame) {
            if (frame != 199) return;
            const std::string path = std::string(SHOW_BINARY_DIR "/look_") + s.name + ".png";
            EXPECT_TRUE(saveFramePng(path, 640, 480));
            const auto share = colourShares(readFrame(640, 480));
            EXPECT_GE(share[0], s.orange) << s.name << ": orange background and rays";
            EXPECT_GE(share[1], s.white) << s.name << ": white spiral or logo";
            EXPECT_GE(share[2], s.black) << s.name << ": black captions, figure or logo";
        };
        script.run(s.run);
        EXPECT_EQ(script.frames(), 200) << s.name;
    }
}
