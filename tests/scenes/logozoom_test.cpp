// Tests of the Logo zoom scene: the first frame's five copies and the sliding window of copies.
#include <gtest/gtest.h>

#include <cmath>

#include "app/assets.h"
#include "scenes/common.h"
#include "support/scene_script.h"

namespace {

struct Copy {
    double distance;  // from the eye to the logo's centre
    float colour;
};

// Runs the scene with a logo whose first corner is its centre, one frame per msPerFrame, and
// returns the copies of every frame, nearest first.
std::vector<std::vector<Copy>> flyFrames(int frames, uint32_t msPerFrame) {
    installTestAssets();
    makeTestMesh(meshLogo, {{0, 0, 0}, {0.1f, 0, 0}, {0, 0.1f, 0}}, {{0, 1, 2}});
    SceneScript script;
    script.setMusic(24, 0);
    script.playFrames(frames, 26, msPerFrame);
    EXPECT_EQ(script.run(runLogoZoomScene), 0);
    std::vector<std::vector<Copy>> out(script.frames());
    for (int f = 0; f < script.frames(); ++f)
        for (const RecordedCall& c : script.frameCalls(f, "drawTriangleDual")) {
            const double z = c.verts[0].z;  // the eye stands 1 off the axis in x and y
            out[f].push_back({std::sqrt(z * z - 2.0), c.verts[0].r});
        }
    return out;
}

}  // namespace

TEST(LogoZoomScene, FirstFrameHangsFiveCopiesTenfoldApartInAlternateColours) {
    const auto copies = flyFrames(1, 20)[0];
    ASSERT_EQ(copies.size(), 5u);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_NEAR(copies[i - 1].distance / (std::exp(15.46) * std::pow(10.0, i - 5)), 1.0, 1e-5);
        EXPECT_EQ(copies[i - 1].colour, i % 2 ? 1.0f : 0.0f) << "copy " << i;
    }
}

TEST(LogoZoomScene, WindowDropsTheNearestCopyAtAboutTheSameDistanceEachTime) {
    const auto frames = flyFrames(200, 50);
    const double approach = std::exp(-3.06 * 0.05);
    int slides = 0;
    double lastDrop = 0.25;
    for (size_t f = 2; f < frames.size(); ++f) {  // frame 0 had no time step to move frame 1 on
        const auto &was = frames[f - 1], &is = frames[f];
        ASSERT_EQ(is.size(), 5u);
        // Either every copy came nearer by the same factor, or the window moved on by one.
        const bool slid = std::abs(is[0].distance / was[0].distance - approach) > 1e-3;
        if (slid) {
            ++slides;
            EXPECT_GT(f * 0.05, 2.2) << "copies pass only once the base distance is near";
            EXPECT_GT(was[0].distance, lastDrop);  // under a unit at first, slowly growing
            EXPECT_LT(was[0].distance, 2.0 * lastDrop);
            lastDrop = was[0].distance;
        }
        for (int k = 0; k + slid < 5; ++k)
            EXPECT_NEAR(is[k].distance / was[k + slid].distance, approach, 1e-3) << f;
        EXPECT_NEAR(is[4].distance / is[3].distance, 10.0, 1e-3);
        EXPECT_EQ(is[0].colour, slides % 2 ? 0.0f : 1.0f);  // each copy keeps its colour
    }
    // 1.377 copies a second from about 1.6 s on; the run lasts 10 s.
    EXPECT_GE(slides, 10);
    EXPECT_LE(slides, 12);
}
