// Development mode: command line, key routing, pause, overlay and live reload of data files.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "app/assets.h"
#include "app/datafiles.h"
#include "app/devmode.h"
#include "app/music.h"
#include "app/seek.h"
#include "app/options.h"
#include "app/overlay.h"
#include "app/reload.h"
#include "app/window.h"
#include "platform/platform.h"
#include "support/gl_harness.h"
#include "support/scene_script.h"

static_assert(kKeyF1 == SDLK_F1 && kKeyHome == SDLK_HOME && kKeyPageUp == SDLK_PAGEUP &&
                  kKeyPageDown == SDLK_PAGEDOWN && kKeyLeft == SDLK_LEFT &&
                  kKeyRight == SDLK_RIGHT && kKeySpace == SDLK_SPACE && kKeyL == SDLK_l &&
                  kKeyEscape == SDLK_ESCAPE,
              "the key constants are SDL's key codes");

namespace {

OptionsResult parse(const std::vector<const char*>& args, ShowOptions& o, std::string* error) {
    std::vector<const char*> argv = {"demo640"};
    argv.insert(argv.end(), args.begin(), args.end());
    return parseShowOptions(int(argv.size()), argv.data(), o, error);
}

TEST(ShowOptions, ParsePositionsAndRefuseWhatIsMalformed) {
    ShowOptions o;
    std::string error;
    ASSERT_EQ(parse({}, o, &error), OptionsResult::Run);
    EXPECT_FALSE(o.dev || o.startGiven || o.loopGiven);  // no options: the show as it always was
    ASSERT_EQ(parse({"--dev", "--from", "9:32", "--loop", "4-5:16"}, o, &error),
              OptionsResult::Run);
    EXPECT_TRUE(o.dev && o.startGiven && o.loopGiven);
    EXPECT_EQ(o.start.order, 9);
    EXPECT_EQ(o.start.row, 32);
    EXPECT_EQ(o.loopFrom.order * 1000 + o.loopFrom.row, 4000);
    EXPECT_EQ(o.loopTo.order * 1000 + o.loopTo.row, 5016);

    const std::pair<std::vector<const char*>, const char*> bad[] = {
        {{"--fast"}, "unknown option \"--fast\""},
        {{"--start"}, "--start needs a value"},
        {{"--start", "9:"}, "not \"9:\""},
        {{"--start", "-1"}, "not \"-1\""},
        {{"--start", "256"}, "not \"256\""},
        {{"--start", " 9"}, "not \" 9\""},
        {{"--dev", "--loop", "5-5"}, "FROM before TO"},
        {{"--dev", "--loop", "5"}, "FROM-TO"},
        {{"--loop", "1-2"}, "only with --dev"},
    };
    for (const auto& [args, says] : bad) {
        error.clear();
        EXPECT_EQ(parse(args, o, &error), OptionsResult::Error) << says;
        EXPECT_NE(error.find(says), std::string::npos) << error;
    }
    EXPECT_EQ(parse({"--dev", "--help", "--bogus"}, o, &error), OptionsResult::Help);
    const std::string help = showUsage("demo640");
    for (const char* item :
         {"--start ORDER[:ROW]", "--from", "--dev", "--loop FROM-TO", "--help", "Escape", "Space",
          "Left / Right", "Page Up / Page Down", "Home", "  L ", "F1"})
        EXPECT_NE(help.find(item), std::string::npos) << item;
}

// Each test starts and ends outside development mode, with an empty event queue.
class DevModeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_NE(openTestDisplay(64, 48, &error), nullptr) << error;
        PlatformEvent e;
        while (platformPollEvent(e)) {
        }
        installTestAssets();
    }
    void TearDown() override {
        setDevPaused(false);
        gDevMode = DevMode();
        devPauseWait = savedWait;
    }
    void enable() {
        ShowOptions o;
        o.dev = true;
        enableDevMode(o);
    }
    // Development mode on a fresh copy of the data set in the build folder, chosen as the data
    // folder; returns the copy's path.
    std::string useDataCopy(const char* name) {
        const std::string dir = std::string(SHOW_BINARY_DIR) + "/" + name;
        EXPECT_EQ(system(("rm -rf " + dir + " && cp -r " + SHOW_DATA_DIR + " " + dir).c_str()), 0);
        enable();
        chooseDataDir(dir.c_str());
        return dir;
    }
    void (*savedWait)() = devPauseWait;
};

TEST_F(DevModeTest, KeysActOnlyInDevelopmentModeAndEscapeAlwaysQuits) {
    const int keys[] = {kKeySpace,    kKeyLeft, kKeyRight, kKeyPageUp,
                        kKeyPageDown, kKeyHome, kKeyL,     kKeyF1};
    for (int key : keys) platformPostKeyDown(key);
    EXPECT_EQ(pumpMessages(), 0);
    EXPECT_FALSE(gDevMode.paused || gDevMode.overlay || gDevMode.loopToggle || gDevMode.looping);
    EXPECT_EQ(gDevMode.seek, SeekRequest::None);

    enable();
    // Inside the Wave scene (orders 9 to 14), each seek key ends the frame loops with a restart
    // at its target.
    setMusicPosition(10, 5);
    const std::pair<int, MusicPosition> seeks[] = {{kKeyLeft, {9, 0}},
                                                   {kKeyRight, {11, 0}},
                                                   {kKeyPageUp, {3, 0}},
                                                   {kKeyPageDown, {15, 0}},
                                                   {kKeyHome, {0, 0}}};
    for (const auto& [key, target] : seeks) {
        platformPostKeyDown(key);
        EXPECT_EQ(pumpMessages(), kPumpRestart);
        ASSERT_TRUE(takeRestart());
        EXPECT_EQ(startPosition().order, target.order);
        EXPECT_EQ(startPosition().row, target.row);
        EXPECT_EQ(pumpMessages(), 0);  // carried out once
    }
    // A key pressed while a seek fast-forwards counts from that seek's target (11), not from
    // the position the fast-forward is passing (3), and the overlay names the new target.
    platformPostKeyDown(kKeyRight);
    EXPECT_EQ(pumpMessages(), kPumpRestart);
    ASSERT_TRUE(takeRestart());
    beginFastForward(nullptr, nullptr);
    setMusicPosition(3, 40);
    for (const auto& [key, order] : {std::pair{kKeyRight, 12}, std::pair{kKeyPageDown, 15}}) {
        platformPostKeyDown(key);
        EXPECT_EQ(pumpMessages(), kPumpRestart);
        ASSERT_TRUE(takeRestart());
        EXPECT_EQ(startPosition().order, order);
        EXPECT_EQ(std::string(overlayMessage()), "seek to order " + std::to_string(order) + " row 0");
    }
    endFastForward();
    setMusicPosition(10, 5);
    // L loops the order playing: reaching the next order restarts at this one's start.
    platformPostKeyDown(kKeyF1);
    platformPostKeyDown(kKeyL);
    EXPECT_EQ(pumpMessages(), 0);
    EXPECT_TRUE(gDevMode.overlay && gDevMode.looping);
    setMusicPosition(11, 0);
    EXPECT_EQ(pumpMessages(), kPumpRestart);
    ASSERT_TRUE(takeRestart());
    EXPECT_EQ(startPosition().order, 10);
    platformPostKeyDown(kKeyL);
    EXPECT_EQ(pumpMessages(), 0);  // looping stopped
    setStartPosition(MusicPosition{});
    setMusicPosition(0, 0);

    platformPostKeyDown(kKeyEscape);
    EXPECT_EQ(pumpMessages(), 1);
    gQuitRequested = 0;
}

// A scripted Blob scene: the clock moves 20 ms a frame, the music a row every frame. With
// pauseAt >= 0, Space is pressed before that frame and again after 500 ms of held clock.
std::vector<std::vector<RecordedCall>> blobFrames(int pauseAt) {
    const uint32_t pauseMs = 500;
    static uint32_t heldFor = 0;
    static uint32_t resumeAt = 0;
    heldFor = 0;
    SceneScript script;
    script.setMusic(6, 0);
    script.onFrame = [&](int frame) {
        const uint32_t shift = pauseAt >= 0 && frame + 1 > pauseAt ? pauseMs : 0;
        script.setClock(20 * (frame + 1) + shift);
        script.setMusic(6, frame);
        if (frame + 1 == pauseAt) {
            platformPostKeyDown(kKeySpace);
            resumeAt = 20 * (frame + 1) + pauseMs;
        }
        if (frame == 30) script.setMusic(40, 0);
    };
    // Each wait while paused lets real time pass on the scripted clock; the last one resumes.
    devPauseWait = [] {
        heldFor += 10;
        platformSetVirtualTicks(resumeAt - 500 + heldFor);
        if (heldFor == 500) platformPostKeyDown(kKeySpace);
    };
    script.run(runBlobScene);
    std::vector<std::vector<RecordedCall>> frames;
    for (int i = 0; i < script.frames(); ++i) frames.push_back(script.frameCalls(i));
    return frames;
}

bool sameCalls(const std::vector<RecordedCall>& a, const std::vector<RecordedCall>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].op != b[i].op || a[i].args != b[i].args ||
            a[i].verts.size() != b[i].verts.size() ||
            (!a[i].verts.empty() && std::memcmp(a[i].verts.data(), b[i].verts.data(),
                                                a[i].verts.size() * sizeof(MeshVertex)) != 0))
            return false;
    return true;
}

TEST_F(DevModeTest, PauseHoldsTheFrameAndResumesAsIfNoTimeHadPassed) {
    enable();
    const auto plain = blobFrames(-1);
    const auto paused = blobFrames(12);
    ASSERT_EQ(plain.size(), 31u);
    ASSERT_EQ(paused.size(), plain.size());  // no frame is drawn while paused
    for (size_t i = 0; i < plain.size(); ++i)
        EXPECT_TRUE(sameCalls(plain[i], paused[i])) << "frame " << i;
    EXPECT_FALSE(gDevMode.paused);
}

TEST_F(DevModeTest, OverlayShowsPositionSceneAndFrameTimeAndAllocatesNothing) {
    enable();
    gDevMode.overlay = true;
    texFont = 20;
    OverlayText text;
    formatOverlay(12, 34, 16.66, "reloaded stripe.png", text);
    EXPECT_STREQ(text[0], "order 12  row 34");
    EXPECT_STREQ(text[1], "scene Wave");
    EXPECT_STREQ(text[2], "frame 16.7 ms  60 fps");
    EXPECT_STREQ(text[3], "reloaded stripe.png");
    // A reload error names a path that may be far wider than the overlay: one line, cut to fit.
    const std::string wide = "cannot read " + std::string(300, 'x') + "/stripe.png";
    setOverlayMessage((wide + "\nsecond line").c_str());
    EXPECT_EQ(std::string(overlayMessage()), wide.substr(0, kOverlayColumns));
    setOverlayMessage("short\nsecond line");
    EXPECT_STREQ(overlayMessage(), "short");
    EXPECT_STREQ(sceneNameAt(0), "Title");
    EXPECT_STREQ(sceneNameAt(28), "closing");

    SceneScript script(false);
    OverlayRenderer overlay(gRenderer);
    gRenderer = &overlay;
    uint64_t atSecond = 0, atLast = 0;
    script.onFrame = [&](int frame) {
        script.setClock(20 * (frame + 1));
        script.setMusic(6, frame % 64);
        if (frame == 1) atSecond = heapAllocations();
        if (frame == 40) {
            atLast = heapAllocations();
            script.setMusic(40, 0);
        }
    };
    script.run(runBlobScene);
    EXPECT_EQ(atLast, atSecond);  // formatting and drawing the overlay allocate nothing

    RecordingRenderer recorder;
    OverlayRenderer recorded(&recorder);
    recorded.present();
    ASSERT_GE(recorder.calls.size(), 4u);
    EXPECT_EQ(recorder.calls.front().op, "saveState");
    EXPECT_EQ(recorder.calls[recorder.calls.size() - 2].op, "restoreState");
    EXPECT_EQ(recorder.calls.back().op, "present");
    EXPECT_GT(recorder.count("drawQuad"), 20u);  // the panel and a quad per character
    EXPECT_EQ(recorder.named("bindTexture0").back().args[0], 20);
    texFont = 0;
}

// The GL state that the show's renderer operations set, as one list of numbers.
std::vector<GLint> glState() {
    std::vector<GLint> state;
    auto get = [&](GLenum what) {
        GLint v = 0;
        glGetIntegerv(what, &v);
        state.push_back(v);
    };
    get(GL_ACTIVE_TEXTURE);
    for (GLenum unit : {GL_TEXTURE0, GL_TEXTURE1}) {
        glActiveTexture(unit);
        state.push_back(glIsEnabled(GL_TEXTURE_2D));
        get(GL_TEXTURE_BINDING_2D);
    }
    glActiveTexture(static_cast<GLenum>(state[0]));
    state.push_back(glIsEnabled(GL_BLEND));
    state.push_back(glIsEnabled(GL_DEPTH_TEST));
    get(GL_BLEND_SRC);
    get(GL_BLEND_DST);
    return state;
}

TEST_F(DevModeTest, OverlayLeavesTheGLStateAsTheFrameLeftIt) {
    enable();
    gDevMode.overlay = true;
    ASSERT_EQ(loadDevAssets(), "");  // the font, through the GL renderer
    OverlayRenderer front(gRenderer);
    // A state no overlay draw would leave behind: both units on with unit 1 active, depth test
    // on, additive-like blending, other textures bound.
    front.setState(6, 2);
    front.setBlendMode(11);
    front.setState(1, 1);
    front.bindTexture0(3);
    front.bindTexture1(5);
    const std::vector<GLint> before = glState();
    front.present();
    EXPECT_EQ(glState(), before);
    texFont = 0;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::string& bytes, int secondsAhead) {
    std::ofstream(path, std::ios::binary) << bytes;
    struct timespec times[2] = {{time(nullptr) + secondsAhead, 0},
                                {time(nullptr) + secondsAhead, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// The 3DS bytes with every vertex position doubled (chunk 0x4110: count, then x, y, z floats).
std::string doubledVertices(std::string bytes) {
    for (size_t i = 0; i + 8 < bytes.size(); ++i) {
        if (bytes[i] != 0x10 || bytes[i + 1] != 0x41) continue;
        uint32_t length;
        uint16_t count;
        std::memcpy(&length, &bytes[i + 2], 4);
        std::memcpy(&count, &bytes[i + 6], 2);
        if (length != 8u + 12u * count || i + length > bytes.size()) continue;
        for (size_t k = 0; k < 3u * count; ++k) {
            float v;
            std::memcpy(&v, &bytes[i + 8 + 4 * k], 4);
            v *= 2.0f;
            std::memcpy(&bytes[i + 8 + 4 * k], &v, 4);
        }
        i += length - 1;
    }
    return bytes;
}

// Paused on a frame, a changed texture shows at once: the held moment is drawn again with it,
// as often as files change, each time the same but for the upload, and the show stays paused.
TEST_F(DevModeTest, AReloadWhilePausedDrawsTheHeldFrameAgain) {
    if (!dataSetPresent()) GTEST_SKIP() << "no generated data set";
    static std::string dir;
    dir = useDataCopy("devmode-paused-reload");
    SceneScript script;
    ASSERT_EQ(loadAssets(), "");
    startDataReload();
    static int waits;
    waits = 0;
    script.setMusic(6, 0);
    script.onFrame = [&](int frame) {
        script.setClock(20 * (frame + 1));
        if (frame == 3) platformPostKeyDown(kKeySpace);
        if (frame == 6) script.setMusic(40, 0);
    };
    devPauseWait = [] {
        ++waits;
        if (waits == 3 || waits == 6) {
            const char* from = waits == 3 ? "/fisse.png" : "/os.png";
            writeFile(dir + "/stripe.png", readFile(dir + from), waits);
            checkDataFilesNow();
        }
        if (waits == 9) platformPostKeyDown(kKeySpace);
    };
    script.run(runBlobScene);
    ASSERT_EQ(script.frames(), 7);  // frames 4 and 5 are the paused moment drawn again
    EXPECT_EQ(waits, 9);            // paused before, between and after the redraws
    EXPECT_EQ(script.frameCalls(4, "updateTexture").size(), 1u);
    EXPECT_TRUE(sameCalls(script.frameCalls(4), script.frameCalls(5)));
    chooseDataDir(SHOW_DATA_DIR);
    installTestAssets();
}

TEST_F(DevModeTest, ChangedFilesAreReloadedBeforeTheNextFrameAndDamagedOnesRefused) {
    if (!dataSetPresent()) GTEST_SKIP() << "no generated data set";
    const std::string dir = useDataCopy("devmode-reload");
    SceneScript script;
    ASSERT_EQ(loadAssets(), "");
    startDataReload();
    const Vector3 before = meshBall.restVertices.positions[7];
    const MeshFace* faces = meshBall.faces.faces;

    script.setMusic(6, 0);
    script.onFrame = [&](int frame) {
        script.setClock(20 * (frame + 1));
        if (frame == 2) {
            writeFile(dir + "/stripe.png", readFile(dir + "/fisse.png"), 5);
            writeFile(dir + "/ball2116.3ds", doubledVertices(readFile(dir + "/ball2116.3ds")), 5);
            checkDataFilesNow();  // what the pump does every 250 ms
        }
        if (frame == 4) {
            writeFile(dir + "/stripe.png", "not a PNG", 10);
            testing::internal::CaptureStderr();
            checkDataFilesNow();
            const std::string said = testing::internal::GetCapturedStderr();
            EXPECT_NE(said.find(dir + "/stripe.png"), std::string::npos) << said;
        }
        if (frame == 8) script.setMusic(40, 0);
    };
    script.run(runBlobScene);
    EXPECT_EQ(script.frames(), 9);  // the show went on after the damaged file

    const auto updates = script.recorder.named("updateTexture");
    ASSERT_EQ(updates.size(), 1u);  // the good replacement only
    EXPECT_EQ(updates[0].args, (std::vector<int>{texStripe, 1}));
    EXPECT_EQ(script.frameCalls(3, "updateTexture").size(), 1u);  // before frame 3 was drawn
    const Vector3 after = meshBall.restVertices.positions[7];
    EXPECT_EQ(after.x, 2.0f * before.x);
    EXPECT_EQ(after.y, 2.0f * before.y);
    EXPECT_EQ(after.z, 2.0f * before.z);
    EXPECT_EQ(meshBall.faces.faces, faces);  // the scene's face lists still point at it

    // A module is taken only when it reads and can play on from where the show stands; any
    // other keeps the old music, with the reason said.
    const std::string module = dir + "/" + kModuleFile;
    const std::string good = readFile(module);
    std::string shortSong = good;
    for (size_t k = 3; k < 35; ++k) shortSong[0xC0 + k] = '\xFF';  // the order list ends at 3
    script.setMusic(6, 10);
    for (const std::string& bad : {std::string("not a module"), shortSong}) {
        writeFile(module, bad, 15);
        testing::internal::CaptureStderr();
        checkDataFilesNow();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(restartPending()) << said;
        EXPECT_NE(said.find(module), std::string::npos) << said;
    }
    writeFile(module, good, 20);
    checkDataFilesNow();
    ASSERT_TRUE(restartPending());
    takeRestart();
    EXPECT_EQ(startPosition().order, 6);
    EXPECT_EQ(startPosition().row, 10);
    setStartPosition(MusicPosition{});
    forgetSeekTimeline();
    chooseDataDir(SHOW_DATA_DIR);
    installTestAssets();
}

}  // namespace
