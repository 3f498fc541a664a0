// Tests of the closing sequence: its loop ends, the fade of the last pattern and the sliding logo.
#include <gtest/gtest.h>

#include "app/assets.h"
#include "app/closing.h"
#include "scene/worldclip.h"
#include "support/gl_harness.h"
#include "support/scene_script.h"

extern float logoSlide;

namespace {

class ClosingSequence : public ::testing::Test {
  protected:
    void SetUp() override { installTestAssets(); }
};

// The screen fill of frame n (its first triangle): the closing colour.
MeshVertex fillOf(const SceneScript& script, int n) {
    auto tris = script.frameCalls(n, "drawTriangle");
    EXPECT_FALSE(tris.empty());
    return tris.empty() ? MeshVertex{} : tris[0].verts[0];
}

}  // namespace

TEST_F(ClosingSequence, EndsAtOrderThirtyThreeOrOnQuit) {
    {
        SceneScript script;
        script.setMusic(33, 0);
        script.run(runClosingSequence);
        EXPECT_EQ(script.frames(), 0);
    }
    {
        // A quit left over from a scene ends it before its first frame.
        SceneScript script;
        script.setMusic(28, 0);
        script.requestQuit();
        script.run(runClosingSequence);
        EXPECT_EQ(script.frames(), 0);
        EXPECT_EQ(script.recorder.triangles(), 0u);
    }
    {
        SceneScript script;
        script.setMusic(28, 0);
        script.playFrames(5, 33);
        script.run(runClosingSequence);
        EXPECT_EQ(script.frames(), 5);
        EXPECT_FALSE(script.hitFrameLimit());
    }
    {
        SceneScript script;
        script.onFrame = [&](int frame) {
            if (frame == 1) script.requestQuit();
        };
        script.run(runClosingSequence);
        EXPECT_EQ(script.frames(), 2);
    }
}

TEST_F(ClosingSequence, LastPatternFadesToBlackRowByRow) {
    SceneScript script;
    const int rows[] = {0, 64, 127};
    script.setMusic(31, 100);
    script.onFrame = [&](int frame) {
        script.setClock(20 * (frame + 1));
        if (frame < 3)
            script.setMusic(32, rows[frame]);
        else
            script.setMusic(33, 0);
    };
    script.run(runClosingSequence);
    ASSERT_EQ(script.frames(), 4);
    EXPECT_EQ(fillOf(script, 0).r, 0.9453125f);  // before order 32: full gold
    EXPECT_EQ(fillOf(script, 0).g, 0.7109375f);
    EXPECT_EQ(fillOf(script, 0).b, 0.02734375f);
    EXPECT_EQ(fillOf(script, 1).r, 0.9453125f);  // order 32 row 0: still full
    EXPECT_FLOAT_EQ(fillOf(script, 2).g, 0.7109375f * 0.5f);
    EXPECT_FLOAT_EQ(fillOf(script, 3).r, 0.9453125f / 128);
    EXPECT_FLOAT_EQ(closingFade, 1.0f / 128);
}

TEST_F(ClosingSequence, LogoShowsOnlyWhenItFitsTheScreenWhole) {
    SceneScript script;
    script.setMusic(31, 0);
    // No time passes, so logoSlide holds whatever each frame is given.
    const float slides[] = {0.15f, 0.1f, 0.0f};
    logoSlide = slides[0];
    script.onFrame = [&](int frame) {
        if (frame + 1 < 3)
            logoSlide = slides[frame + 1];
        else
            script.setMusic(33, 0);
    };
    script.run(runClosingSequence);
    ASSERT_EQ(script.frames(), 3);
    EXPECT_TRUE(script.frameCalls(0, "drawQuad").empty());  // top would be at 1.1

    auto entering = script.frameCalls(1, "drawQuad");
    ASSERT_EQ(entering.size(), 1u);
    const auto& v = entering[0].verts;
    EXPECT_FLOAT_EQ(v[0].sy, 1.0f);
    EXPECT_FLOAT_EQ(v[2].sy, -0.6f);
    EXPECT_FLOAT_EQ(v[0].sx, -0.8f);
    EXPECT_FLOAT_EQ(v[1].sx, 0.8f);
    EXPECT_EQ(v[2].u0, 1.0f);
    EXPECT_EQ(v[2].v1, 1.0f);
    EXPECT_EQ(v[3].a, 1.0f);

    auto centred = script.frameCalls(2, "drawQuad");
    ASSERT_EQ(centred.size(), 1u);
    EXPECT_FLOAT_EQ(centred[0].verts[0].sy, 0.8f);
    EXPECT_FLOAT_EQ(centred[0].verts[3].sy, -0.8f);
}

TEST_F(ClosingSequence, LogoSlidesOnlyWhileItsOverlayIsOn) {
    SceneScript script;
    // 100 ms frames: order 30 (no overlay), order 31 late rows (none), then order 32.
    std::vector<float> seen;
    script.setMusic(30, 0);
    script.onFrame = [&](int frame) {
        seen.push_back(logoSlide);
        script.setClock(100 * (frame + 1));
        if (frame + 1 == 3) script.setMusic(31, 64);
        if (frame + 1 == 6) script.setMusic(32, 0);
        if (frame + 1 == 80) script.setMusic(33, 0);
    };
    script.run(runClosingSequence);
    ASSERT_EQ(seen.size(), 80u);
    EXPECT_EQ(seen[5], 0.5f);  // untouched until order 32
    for (int f = 0; f < 6; ++f) EXPECT_TRUE(script.frameCalls(f, "drawQuad").empty()) << f;
    EXPECT_NEAR(seen[6], 0.49f, 1e-6);  // 0.1 a second of overlay time
    EXPECT_NEAR(seen[30], 0.25f, 1e-5);
    EXPECT_EQ(seen[79], 0.0f);  // and it stays at 0
    EXPECT_EQ(script.frameCalls(79, "drawQuad").size(), 1u);
}

TEST_F(ClosingSequence, FramesAllocateNothingOnceRunning) {
    SceneScript script(false);
    uint64_t atSecond = 0, atLast = 0;
    script.setMusic(31, 0);
    script.onFrame = [&](int frame) {
        script.setClock(20 * (frame + 1));
        script.setMusic(frame < 20 ? 31 : 32, (frame * 5) % 128);
        if (frame == 1) atSecond = heapAllocations();
        if (frame == 40) {
            atLast = heapAllocations();
            script.setMusic(33, 0);
        }
    };
    script.run(runClosingSequence);
    EXPECT_EQ(atLast, atSecond);
}

TEST(ClosingSequenceLook, RendersTheTentaclesAndThenTheLogoInTheFade) {
    std::string error;
    if (!dataSetPresent()) GTEST_SKIP() << "no generated data set";
    if (!openTestDisplay(640, 480, &error)) GTEST_SKIP() << "no GL display: " << error;
    SceneScript script(SceneScript::Output::Draw);
    ASSERT_EQ(loadDataSet(), "");
    script.setClock(10000);
    script.setMusic(29, 0);
    script.onFrame = [&](int frame) {
        script.setClock(10000 + 20 * (frame + 1));
        if (frame == 299) {
            script.setMusic(32, 40);
            logoSlide = 0.05f;
        }
        if (frame == 330) script.setMusic(33, 0);
    };
    script.beforeFrameShown = [&](int frame) {
        if (frame == 299) {
            EXPECT_TRUE(saveFramePng(SHOW_BINARY_DIR "/look_closing_tentacles.png", 640, 480));
        }
        if (frame == 330) {
            EXPECT_TRUE(saveFramePng(SHOW_BINARY_DIR "/look_closing.png", 640, 480));
        }
    };
    script.run(runClosingSequence);
    EXPECT_EQ(script.frames(), 331);
}
