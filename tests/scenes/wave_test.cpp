// Tests of the Wave scene: exits, the trailing phase, the picture columns and the flash windows.
#include <gtest/gtest.h>

#include "app/assets.h"
#include "scenes/common.h"
#include "support/gl_harness.h"
#include "support/scene_script.h"

namespace {

class WaveScene : public ::testing::Test {
  protected:
    void SetUp() override { installTestAssets(); }
};

// A picture drawn in a frame: the texture bound at the time and the quad's corners.
struct Picture {
    int texture;
    float x0, y0, x1, u0;
    bool flash;  // drawn after the flash blend mode was set
};

std::vector<Picture> picturesOf(const SceneScript& script, int frame) {
    std::vector<Picture> out;
    int bound = -1;
    bool flash = false;
    for (const RecordedCall& c : script.frameCalls(frame)) {
        if (c.op == "bindTexture0") bound = c.args[0];
        if (c.op == "setBlendMode") flash = c.args[0] == 11;
        if (c.op == "drawQuad")
            out.push_back(
                {bound, c.verts[0].sx, c.verts[0].sy, c.verts[1].sx, c.verts[0].u0, flash});
    }
    return out;
}

std::vector<Picture> flashesOf(const SceneScript& script, int frame) {
    std::vector<Picture> out;
    for (const Picture& p : picturesOf(script, frame))
        if (p.flash) out.push_back(p);
    return out;
}

// Plays one frame per listed music position, 100 ms apart, then ends the scene.
void playPositions(SceneScript& script, std::vector<std::pair<int, int>> positions) {
    script.setMusic(positions[0].first, positions[0].second);
    script.onFrame = [&script, positions](int frame) {
        script.setClock(100 * (frame + 1));
        if (frame + 1 < int(positions.size()))
            script.setMusic(positions[frame + 1].first, positions[frame + 1].second);
        else
            script.setMusic(15, 0);
    };
}

}  // namespace

TEST_F(WaveScene, OutOfMemoryAtSetUpIsReportedNotThrown) {
    // More vertices than any earlier run, so that the radius factors must grow.
    makeTestMesh(meshTube, std::vector<Vector3>(100000, Vector3{0, 0, 0}), {{0, 1, 2}});
    SceneScript script;
    failHeapAllocations(true);
    const int result = script.run(runWaveScene);
    failHeapAllocations(false);
    EXPECT_EQ(result, kSceneFailed);
    EXPECT_EQ(script.frames(), 0);
    EXPECT_NE(std::string(sceneFailure).find("Wave scene"), std::string::npos) << sceneFailure;
    installTestAssets();
}

TEST_F(WaveScene, EndsAtOrderFifteenOrOnQuitTurningUnitOneOff) {
    {
        SceneScript script;
        script.setMusic(15, 0);
        EXPECT_EQ(script.run(runWaveScene), 0);
        EXPECT_EQ(script.frames(), 0);
        EXPECT_EQ(script.recorder.triangles() + script.recorder.count("drawQuad"), 0u);
        EXPECT_EQ(script.recorder.calls.back().op, "setState");
        EXPECT_EQ(script.recorder.calls.back().args, (std::vector<int>{6, 1}));
    }
    {
        SceneScript script;
        script.setMusic(9, 0);
        script.playFrames(3, 15);
        EXPECT_EQ(script.run(runWaveScene), 0);
        EXPECT_EQ(script.frames(), 3);
        EXPECT_EQ(script.recorder.calls.back().args, (std::vector<int>{6, 1}));
    }
    {
        SceneScript script;
        script.onFrame = [&](int frame) {
            if (frame == 1) script.requestQuit();
        };
        EXPECT_EQ(script.run(runWaveScene), 1);
        EXPECT_EQ(script.frames(), 2);
        EXPECT_EQ(script.recorder.calls.back().args, (std::vector<int>{6, 1}));
    }
}

TEST_F(WaveScene, PhaseTrailsTheClockByOneFrameAndStripesCrawl) {
    SceneScript script;
    script.setMusic(9, 0);
    std::vector<float> phase, time;
    script.onFrame = [&](int frame) {
        phase.push_back(scenePhase);
        time.push_back(sceneTime);
        script.setClock(100 * (frame + 1));
        if (frame == 5) script.setMusic(15, 0);
    };
    const float u0 = meshTube.vertices.verts[0].u0;
    script.run(runWaveScene);
    ASSERT_EQ(phase.size(), 6u);
    for (int f = 1; f < 6; ++f) {
        EXPECT_FLOAT_EQ(time[f], 0.1f * f);
        EXPECT_NEAR(phase[f], 0.1f * time[f - 1], 1e-6) << f;
    }
    EXPECT_NEAR(meshTube.vertices.verts[0].u0, u0 + 0.006f, 1e-6);
}

TEST_F(WaveScene, BeforeOrderElevenOnlyBackgroundRaysAndTube) {
    SceneScript script;
    playPositions(script, {{9, 0}, {10, 127}});
    script.run(runWaveScene);
    for (int f = 0; f < 2; ++f) {
        EXPECT_TRUE(script.frameCalls(f, "drawQuad").empty());
        EXPECT_EQ(script.frameCalls(f, "drawTriangle").size(), 8u);        // fill and six rays
        EXPECT_GT(script.frameCalls(f, "drawTriangleDual").size(), 500u);  // the tube
    }
}

TEST_F(WaveScene, LeftColumnEntersInOrderElevenAndLeavesFromTwelve) {
    SceneScript script;
    std::vector<std::pair<int, int>> positions(60, {11, 0});
    positions.resize(80, {12, 0});
    playPositions(script, positions);
    script.run(runWaveScene);

    // First frame: only the top picture shows, cut at the left edge (x0 = -1.4, u from 0.8).
    auto first = picturesOf(script, 0);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_FLOAT_EQ(first[0].x0, -1.0f);
    EXPECT_FLOAT_EQ(first[0].x1, -0.9f);
    EXPECT_NEAR(first[0].u0, 0.8f, 1e-5);
    EXPECT_FLOAT_EQ(first[0].y0, 0.9f);
    EXPECT_EQ(first[0].texture, texPictureB[0]);  // row 0 is an on-row: the b set

    // 0.3 units a second (0.03 a frame), capped at 0.1: all three at rest at x0 = -0.8.
    auto rest = picturesOf(script, 59);
    ASSERT_EQ(rest.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_FLOAT_EQ(rest[k].x0, -0.8f);
        EXPECT_NEAR(rest[k].y0, 0.9f - 0.65f * k, 1e-6);
        EXPECT_EQ(rest[k].texture, texPictureB[k]);
    }
    // In order 12 it slides out to the left, bottom picture first.
    std::vector<Picture> leaving;  // the right column is on screen too by now
    for (const Picture& p : picturesOf(script, 79))
        if (p.x0 < 0.0f) leaving.push_back(p);
    ASSERT_EQ(leaving.size(), 3u);
    EXPECT_FLOAT_EQ(leaving[0].x0, -0.8f);
    EXPECT_FLOAT_EQ(leaving[2].x0, -1.0f);
    EXPECT_NEAR(leftColumn, 0.1f - 0.03f * 20, 1e-4);
}

TEST_F(WaveScene, RightColumnWaitsForRowSixtyFiveThenComesAndGoes) {
    SceneScript script;
    std::vector<std::pair<int, int>> positions(5, {11, 64});
    positions.resize(60, {11, 70});  // 55 frames in: 1.65 units down, floored at -0.5
    positions.resize(63, {12, 24});  // off-row: the b set on the right
    positions.resize(66, {12, 64});  // leaving to the right
    playPositions(script, positions);
    script.run(runWaveScene);

    auto rightOf = [&](int frame) {
        std::vector<Picture> out;
        for (const Picture& p : picturesOf(script, frame))
            if (p.x0 >= 0.4f) out.push_back(p);
        return out;
    };
    EXPECT_TRUE(rightOf(4).empty());  // row 64: neither drawn nor moved
    // Row 65 on: the bottom picture enters once rightColumn is below 1.0 (after 4 frames).
    EXPECT_TRUE(rightOf(7).empty());
    ASSERT_EQ(rightOf(9).size(), 1u);
    EXPECT_NEAR(rightOf(9)[0].x0, 1.1f - 0.03f * 4, 1e-4);
    EXPECT_NEAR(rightOf(9)[0].y0, 0.9f - 0.65f * 2, 1e-6);
    EXPECT_EQ(rightOf(9)[0].texture, texPicture[3]);  // on-row: the plain set, picture 4

    auto rest = rightOf(59);
    ASSERT_EQ(rest.size(), 3u);
    for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(rest[k].x0, 0.4f);
    auto offRow = rightOf(62);
    ASSERT_EQ(offRow.size(), 3u);
    EXPECT_EQ(offRow[0].texture, texPictureB[1]);
    EXPECT_FLOAT_EQ(offRow[0].x0, 0.4f);
    // Order 12 row 64: rightColumn has started back up from -0.5.
    EXPECT_NEAR(rightColumn, -0.5f + 0.03f * 3, 1e-4);
}

TEST_F(WaveScene, FlashesFollowTheirRowWindows) {
    SceneScript script;
    const std::vector<std::pair<int, int>> positions = {
        {12, 0},  {13, 0},  {13, 15}, {13, 16}, {13, 23},  {13, 24},  {13, 31}, {13, 32},
        {13, 48}, {13, 64}, {13, 80}, {14, 96}, {14, 112}, {14, 119}, {14, 120}};
    const int expected[] = {0, 9, 9, 13, 13, 0, 0, 10, 14, 11, 15, 12, 16, 16, 0};
    playPositions(script, positions);
    script.run(runWaveScene);
    ASSERT_EQ(script.frames(), int(positions.size()));
    for (int f = 0; f < script.frames(); ++f) {
        auto flashes = flashesOf(script, f);
        if (expected[f] == 0) {
            EXPECT_TRUE(flashes.empty()) << "frame " << f;
            continue;
        }
        ASSERT_EQ(flashes.size(), 1u) << "frame " << f;
        EXPECT_EQ(flashes[0].texture, expected[f]) << "frame " << f;
    }
    auto first = flashesOf(script, 1)[0];
    EXPECT_FLOAT_EQ(first.x0, -0.9f);
    EXPECT_FLOAT_EQ(first.y0, -0.5f);
    EXPECT_FLOAT_EQ(first.x1, -0.4f);
    auto second = flashesOf(script, 7)[0];
    EXPECT_FLOAT_EQ(second.x0, 0.5f);
    EXPECT_FLOAT_EQ(second.x1, 1.0f);
    EXPECT_EQ(second.u0, 0.0f);
}

TEST(WaveSceneLook, RendersAFrameFromTheMiddleOfTheScene) {
    std::string error;
    if (!dataSetPresent()) GTEST_SKIP() << "no generated data set";
    if (!openTestDisplay(640, 480, &error)) GTEST_SKIP() << "no GL display: " << error;
    SceneScript script(SceneScript::Output::Draw);
    ASSERT_EQ(loadDataSet(), "");
    leftColumn = -0.4f;  // both columns in place, as in order 12
    rightColumn = -0.5f;
    script.setClock(20000);
    script.setMusic(12, 10);
    script.onFrame = [&](int frame) {
        script.setClock(20000 + 20 * (frame + 1));
        if (frame == 2) script.setMusic(15, 0);
    };
    script.beforeFrameShown = [&](int frame) {
        if (frame == 2) {
            EXPECT_TRUE(saveFramePng(SHOW_BINARY_DIR "/look_wave.png", 640, 480));
        }
    };
    script.run(runWaveScene);
    EXPECT_EQ(script.frames(), 3);
}
