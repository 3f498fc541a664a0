// Tests of the Blob scene: exits, the beat zoom, the half-turn spins and the sliding picture.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "app/assets.h"
#include "scenes/common.h"
#include "support/gl_harness.h"
#include "support/scene_script.h"

namespace {

class BlobScene : public ::testing::Test {
  protected:
    void SetUp() override {
        installTestAssets();
        // A small ball with one corner at its centre: that corner's view depth is the eye's
        // distance from the ball, and the ripple cannot move it.
        makeTestMesh(meshBall, {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}}, {{0, 1, 2}});
    }
    void TearDown() override { installTestAssets(); }
};

// The zoom recovered from the ball's centre depth in frame n: |eye| with eye =
// (45 sin p, 45 sin 3p + zoom, 45 cos p).
float zoomOfFrame(const SceneScript& script, int n, float sceneSeconds) {
    auto dual = script.frameCalls(n, "drawTriangleDual");
    EXPECT_EQ(dual.size(), 1u);
    if (dual.empty()) return NAN;
    const double d = dual[0].verts[0].z, p = sceneSeconds * 0.2;
    return float(std::sqrt(d * d - 45.0 * 45.0) - 45.0 * std::sin(3 * p));
}

}  // namespace

TEST_F(BlobScene, EndsAtOrderNineOrOnQuit) {
    {
        SceneScript script;
        script.setMusic(9, 0);
        EXPECT_EQ(script.run(runBlobScene), 0);
        EXPECT_EQ(script.frames(), 0);
        EXPECT_EQ(script.recorder.triangles() + script.recorder.count("drawQuad"), 0u);
    }
    {
        SceneScript script;
        script.setMusic(4, 0);
        script.playFrames(3, 9);
        EXPECT_EQ(script.run(runBlobScene), 0);
        EXPECT_EQ(script.frames(), 3);
    }
    {
        SceneScript script;
        script.onFrame = [&](int) { script.requestQuit(); };
        EXPECT_EQ(script.run(runBlobScene), 1);
        EXPECT_EQ(script.frames(), 1);
    }
}

TEST_F(BlobScene, BeatRowsThrowTheCameraInAndItEasesBack) {
    SceneScript script;
    // 20 ms frames: three calm frames, three on the beat row (order 4 row 0), then row 1 on.
    script.setMusic(3, 127);
    script.onFrame = [&](int frame) {
        script.setClock(20 * (frame + 1));
        if (frame + 1 == 3) script.setMusic(4, 0);
        if (frame + 1 == 6) script.setMusic(4, 1);
        if (frame + 1 == 60) script.setMusic(9, 0);
    };
    EXPECT_EQ(script.run(runBlobScene), 0);
    auto zoom = [&](int n) { return zoomOfFrame(script, n, 0.02f * n); };
    EXPECT_NEAR(zoom(1), 450.0f, 0.05f);
    EXPECT_NEAR(zoom(3), 200.0f, 0.05f);
    EXPECT_NEAR(zoom(5), 200.0f, 0.05f);  // held while the row lasts
    EXPECT_NEAR(zoom(6), 207.0f, 0.05f);  // then 350 units a second back
    EXPECT_NEAR(zoom(10), 235.0f, 0.05f);
    EXPECT_NEAR(zoom(45), 450.0f, 0.05f);  // and no further
    EXPECT_NEAR(zoom(59), 450.0f, 0.05f);
}

TEST_F(BlobScene, EveryBeatRowAndNoOtherThrowsTheCameraIn) {
    // One 20 ms frame per row through orders 4 to 8. A beat row shows zoom 200 in its own frame;
    // any other row shows the camera easing back (200 + 7 per frame) or at rest.
    SceneScript script;
    const int first = 4 * 128, rows = 5 * 128;
    script.setMusic(4, 0);
    script.onFrame = [&](int frame) {
        script.setClock(20 * (frame + 1));
        const int next = first + frame + 1;
        script.setMusic(next / 128, next % 128);
    };
    EXPECT_EQ(script.run(runBlobScene), 0);
    ASSERT_EQ(script.frames(), rows);
    const std::set<std::pair<int, int>> beats = {{4, 0},  {4, 64}, {5, 32},
                                                 {5, 80}, {7, 0},  {7, 64}};
    for (int f = 0; f < rows; ++f) {
        const int order = (first + f) / 128, row = (first + f) % 128;
        const float zoom = zoomOfFrame(script, f, 0.02f * f);
        if (beats.count({order, row}))
            EXPECT_NEAR(zoom, 200.0f, 0.05f) << "order " << order << " row " << row;
        else
            EXPECT_GT(zoom, 206.0f) << "order " << order << " row " << row;
    }
}

TEST_F(BlobScene, OutOfMemoryAtSetUpIsReportedNotThrown) {
    // More vertices than any earlier run, so that the ripple factors must grow.
    makeTestMesh(meshBall, std::vector<Vector3>(100000, Vector3{0, 0, 0}), {{0, 1, 2}});
    SceneScript script;
    failHeapAllocations(true);
    const int result = script.run(runBlobScene);
    failHeapAllocations(false);
    EXPECT_EQ(result, kSceneFailed);
    EXPECT_EQ(script.frames(), 0);
    EXPECT_NE(std::string(sceneFailure).find("Blob scene"), std::string::npos) << sceneFailure;
}

TEST_F(BlobScene, SpinRollsHalfATurnAndHandsItsEndToTheBase) {
    SceneScript script;
    constexpr float kTwoPi = 6.2831855f;
    script.setMusic(4, 79);
    float rolledX[200] = {};
    int clampFrame = -1;
    script.onFrame = [&](int frame) {
        script.setClock(20 * (frame + 1));
        if (frame + 1 == 2) script.setMusic(4, 80);  // spin row for two frames
        if (frame + 1 == 4) script.setMusic(4, 81);
        if (spinAngle == kTwoPi && clampFrame < 0) clampFrame = frame;
        if (frame + 1 == 100) script.setMusic(9, 0);
    };
    EXPECT_EQ(script.run(runBlobScene), 0);
    for (int f = 0; f < script.frames(); ++f) {
        auto dual = script.frameCalls(f, "drawTriangleDual");
        ASSERT_EQ(dual.size(), 1u);
        rolledX[f] = dual[0].verts[1].sx;
    }
    // 7 rad a second from the spin row: 2 pi is reached after about 0.9 s (45 frames).
    ASSERT_GT(clampFrame, 40);
    ASSERT_LT(clampFrame, 50);
    EXPECT_EQ(spinBase, kTwoPi);
    EXPECT_EQ(spinAngle, 100.0f);
    // Half a turn: the ball's side corner has swapped sides of the screen...
    EXPECT_LT(rolledX[1] * rolledX[clampFrame + 2], 0.0f);
    // ...and the frame after the clamp shows the same roll from the grown base: no jump.
    EXPECT_NEAR(rolledX[clampFrame + 1], rolledX[clampFrame], 0.01f);
}

TEST_F(BlobScene, PictureSlidesInFromOrderSixAndOutLateInOrderSeven) {
    SceneScript script;
    script.setMusic(5, 100);
    script.onFrame = [&](int frame) {
        script.setClock(20 * (frame + 1));
        if (frame + 1 == 2) script.setMusic(6, 0);
        if (frame + 1 == 100) script.setMusic(7, 105);
        if (frame + 1 == 180) script.setMusic(9, 0);
    };
    EXPECT_EQ(script.run(runBlobScene), 0);
    EXPECT_TRUE(script.frameCalls(1, "drawQuad").empty());  // order 5: no picture
    // slide = -1 + 0.02 (n - 1) from frame 2 on; x0 = -0.8 - 2 slide, visible from x0 <= 1.
    EXPECT_TRUE(script.frameCalls(4, "drawQuad").empty());
    auto entering = script.frameCalls(21, "drawQuad");  // slide -0.6: x0 = 0.4, x1 = 2.0 cut at 1
    ASSERT_EQ(entering.size(), 1u);
    EXPECT_NEAR(entering[0].verts[0].sx, 0.4f, 1e-4);
    EXPECT_FLOAT_EQ(entering[0].verts[1].sx, 1.0f);
    EXPECT_NEAR(entering[0].verts[1].u0, 0.375f, 1e-4);
    EXPECT_FLOAT_EQ(entering[0].verts[0].sy, 0.8f);
    EXPECT_FLOAT_EQ(entering[0].verts[2].sy, -0.8f);

    auto placed = script.frameCalls(99, "drawQuad");  // slide has reached 0 and stays
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_FLOAT_EQ(placed[0].verts[0].sx, -0.8f);
    EXPECT_FLOAT_EQ(placed[0].verts[1].sx, 0.8f);
    EXPECT_FLOAT_EQ(placed[0].verts[1].u0, 1.0f);

    // Late in order 7 it leaves to the right and stops just past -1.
    EXPECT_TRUE(script.frameCalls(179, "drawQuad").empty());
    EXPECT_LE(slide, -1.0f);
    EXPECT_GT(slide, -1.021f);
}

TEST(BlobSceneLook, RendersTheBallAndThenThePicture) {
    std::string error;
    if (!dataSetPresent()) GTEST_SKIP() << "no generated data set";
    if (!openTestDisplay(640, 480, &error)) GTEST_SKIP() << "no GL display: " << error;
    SceneScript script(SceneScript::Output::Draw);
    ASSERT_EQ(loadDataSet(), "");
    script.setClock(6000);
    script.setMusic(5, 40);
    script.onFrame = [&](int frame) {
        script.setClock(6000 + 20 * (frame + 1));
        if (frame == 30) script.setMusic(6, 50);
        if (frame == 100) script.setMusic(9, 0);
    };
    script.beforeFrameShown = [&](int frame) {
        if (frame == 30) {
            EXPECT_TRUE(saveFramePng(SHOW_BINARY_DIR "/look_blob.png", 640, 480));
        }
        if (frame == 100) {
            EXPECT_TRUE(saveFramePng(SHOW_BINARY_DIR "/look_blob_picture.png", 640, 480));
        }
    };
    script.run(runBlobScene);
    EXPECT_EQ(script.frames(), 101);
}
