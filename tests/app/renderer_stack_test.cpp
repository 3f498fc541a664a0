// The renderer stack: the wrappers pass every operation on, and a reload during a seek leaves the
// backend's state as the frame left it, with either backend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/assets.h"
#include "app/driver.h"
#include "app/overlay.h"
#include "app/seek.h"
#include "assets/dataset.h"
#include "render/image.h"
#include "render/state_renderer.h"
#include "support/gl_harness.h"
#include "support/recording_renderer.h"
#include "support/scene_script.h"

namespace {

// Calls every operation of the interface once, each with integer arguments of its own.
void callEveryOperation(Renderer& r) {
    const MeshVertex v[4] = {};
    r.setState(1, 2);
    r.updateTexture(3, nullptr, 4);
    r.createTexture(nullptr, 5);
    r.drawTriangle(&v[0], &v[1], &v[2]);
    r.drawTriangleDual(&v[0], &v[1], &v[2]);
    r.drawTriangleReserved(&v[0], &v[1], &v[2]);
    r.drawQuad(&v[0], &v[1], &v[2], &v[3]);
    r.bindTexture0(6);
    r.bindTexture1(7);
    r.setHint1(8);
    r.setHint2(9);
    r.setGrey(10);
    r.clear();
    r.present();
    r.setBlendMode(11);
    r.setHint3(12);
    r.saveState();
    r.restoreState();
    r.flush();
}

// What the target saw: each call as its name and integer arguments.
std::vector<std::string> seen(const RecordingRenderer& target) {
    std::vector<std::string> out;
    for (const RecordedCall& c : target.calls) {
        std::string line = c.op;
        for (int a : c.args) line += " " + std::to_string(a);
        out.push_back(line);
    }
    return out;
}

TEST(RendererStack, EveryWrapperPassesEveryOperationOn) {
    const std::vector<std::string> all = {
        "setState 1 2", "updateTexture 3 4", "createTexture 1 5",
        "drawTriangle", "drawTriangleDual",  "drawTriangleReserved",
        "drawQuad",     "bindTexture0 6",    "bindTexture1 7",
        "setHint1 8",   "setHint2 9",        "setGrey 10",
        "clear",        "present",           "setBlendMode 11",
        "setHint3 12",  "saveState",         "restoreState",
        "flush"};
    {
        RecordingRenderer target;
        ForwardingRenderer front(&target);
        callEveryOperation(front);
        EXPECT_EQ(seen(target), all);
        EXPECT_EQ(front.textureCount, 1);
    }
    {
        RecordingRenderer target;
        OverlayRenderer front(&target);  // the overlay off: present only passes on
        callEveryOperation(front);
        EXPECT_EQ(seen(target), all);
    }
    {
        // The fast-forward drops the draws, clear and present (which steps the show instead).
        RecordingRenderer target;
        static int presents;
        presents = 0;
        StateOnlyRenderer front([] { ++presents; }, &target);
        callEveryOperation(front);
        std::vector<std::string> kept;
        for (const std::string& op : all)
            if (op.compare(0, 4, "draw") != 0 && op != "clear" && op != "present")
                kept.push_back(op);
        EXPECT_EQ(seen(target), kept);
        EXPECT_EQ(presents, 1);
        EXPECT_EQ(front.textureCount, 1);
    }
}

// A texture reloaded while a seek fast-forwards (a data file changed in development mode) must
// not leave its binding behind: the frame drawn on arrival uses the scene's texture.
class ReloadDuringSeek : public ::testing::TestWithParam<RendererKind> {
  protected:
    void TearDown() override {
        endFastForward();
        onFastForwardChange(nullptr);
        setStartPosition(MusicPosition{});
    }
};

TEST_P(ReloadDuringSeek, LeavesTheBackendStateAsTheFrameLeftIt) {
    if (!dataSetPresent()) GTEST_SKIP() << "no generated data set";
    std::string error;
    Renderer* backend = openTestRenderer(GetParam(), 64, 48, &error);
    ASSERT_NE(backend, nullptr) << error;
    installTestAssets();
    stackRenderers(backend);
    Image red(1, 1, &pixelFormat8888, 1);
    const uint8_t px[4] = {255, 0, 0, 0};
    std::copy(px, px + 4, red.pixels());
    const int tex = gRenderer->createTexture(&red, GLS_FORMAT_RGBA8);
    gRenderer->setState(GLS_TEXTURE_UNITS, GLS_UNIT0);
    gRenderer->setState(GLS_DEPTH_TEST, GLS_OFF);
    gRenderer->bindTexture0(tex);
    gRenderer->setBlendMode(GLS_BLEND_OFF);

    setStartPosition(MusicPosition{9, 0});
    beginFastForward(nullptr, nullptr);
    ASSERT_NE(gRenderer, backend);  // the state-only renderer stands in front
    EXPECT_EQ(reloadDataFile(kFileStripe), "");
    endFastForward();
    ASSERT_EQ(gRenderer, backend);

    MeshVertex q[4] = {};
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int i = 0; i < 4; ++i) {
        q[i].sx = corners[i][0], q[i].sy = corners[i][1];
        q[i].r = q[i].g = q[i].b = q[i].a = 1.0f;
    }
    backend->clear();
    backend->drawQuad(&q[0], &q[1], &q[2], &q[3]);
    uint8_t got[4];
    readPixel(32, 24, got);
    EXPECT_EQ(got[0], 255);
    EXPECT_EQ(got[1], 0);
    EXPECT_EQ(got[2], 0);
}

INSTANTIATE_TEST_SUITE_P(BothRenderers, ReloadDuringSeek,
                         ::testing::Values(RendererKind::GL1, RendererKind::GLES2),
                         [](const ::testing::TestParamInfo<RendererKind>& info) {
                             return std::string(info.param == RendererKind::GL1 ? "gl1" : "gles2");
                         });

}  // namespace
