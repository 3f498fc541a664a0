// Frames per second of each scene and the closing sequence at 640 x 480 offscreen; start-up time.

// Scenes draw through the real OpenGL renderer (the software rasteriser where there is no GPU) on
// the test harness's offscreen window, which swaps without waiting for a display. Each run shows
// the scene in kFramesPerRun frames spread evenly over the scene's whole stretch of the song, with
// the music position and the clock the real module gives at each moment, so every part of the
// scene is drawn. Times are wall-clock: the rasteriser works on threads of its own.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/assets.h"
#include "app/closing.h"
#include "app/datafiles.h"
#include "app/music.h"
#include "platform/audio.h"
#include "scenes/scenes.h"
#include "support/gl_harness.h"
#include "support/scene_script.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr int kFramesPerRun = 240;
constexpr int kFinalOrder = 33;

// Every change of position in the song up to the final order, in order.
const std::vector<PositionReport>& songPositions() {
    static const std::vector<PositionReport> positions = [] {
        std::vector<PositionReport> all;
        OfflineMusic music;
        if (!music.open(dataPath(kModuleFile).c_str()).empty()) return all;
        std::vector<PositionReport> block;
        block.reserve(64);
        while (all.empty() || all.back().order < kFinalOrder) {
            block.clear();
            if (music.render(nullptr, 4096, block) == 0) break;
            all.insert(all.end(), block.begin(), block.end());
        }
        return all;
    }();
    return positions;
}

double frameToMs(int64_t frame) {
    return frame * 1000.0 / kMusicSampleRate;
}

// Milliseconds into the song at which `order` begins (the song's end when it never does).
double orderStartMs(int order) {
    for (const PositionReport& p : songPositions())
        if (p.order >= order) return frameToMs(p.frame);
    return frameToMs(songPositions().back().frame);
}

// The position playing `ms` milliseconds into the song.
PositionReport positionAt(double ms) {
    const std::vector<PositionReport>& all = songPositions();
    auto after =
        std::upper_bound(all.begin(), all.end(), ms,
                         [](double t, const PositionReport& p) { return t < frameToMs(p.frame); });
    return after == all.begin() ? all.front() : *(after - 1);
}

// Opens the display and loads the data set once; false (and the run skipped) when either fails.
bool showReady(benchmark::State& state) {
    static const std::string failure = []() -> std::string {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        std::string error;
        if (!openTestDisplay(kWidth, kHeight, &error)) return "no GL display: " + error;
        if (!dataSetPresent()) return "no data set in " SHOW_DATA_DIR;
        std::string loaded = loadDataSet();
        if (!loaded.empty()) return loaded;
        if (songPositions().empty()) return "the module does not play";
        return "";
    }();
    if (!failure.empty()) state.SkipWithError(failure.c_str());
    return failure.empty();
}

// One scene of the show (or the closing sequence, which has no result) and its orders.
struct ShowPart {
    int firstOrder;
    int endOrder;
    SceneFunction scene;
    void (*sequence)();
};

void BM_ShowPart(benchmark::State& state, ShowPart part) {
    if (!showReady(state)) return;
    const double start = orderStartMs(part.firstOrder);
    const double span = orderStartMs(part.endOrder) - start;
    using Clock = std::chrono::steady_clock;
    int64_t frames = 0;
    // Each frame's best time over the runs: a frame that is slow in every run is a slow frame;
    // one slowed once by something else on the machine is not.
    std::vector<double> best(kFramesPerRun, 1e9);
    for (auto _ : state) {
        SceneScript script(SceneScript::Output::Draw);
        Clock::time_point frameStart = Clock::now();
        // Puts the song and the clock where frame k of the run stands.
        auto place = [&](int k) {
            const double ms = start + span * k / kFramesPerRun;
            const PositionReport p = positionAt(ms);
            script.setClock(static_cast<uint32_t>(ms));
            script.setMusic(p.order, p.row);
        };
        place(0);
        // Nothing shows an offscreen frame, so the rasteriser could leave it unfinished; reading
        // one pixel back makes it finish every frame, as showing it on a display would.
        script.beforeFrameShown = [](int) {
            uint8_t pixel[4];
            readPixel(0, 0, pixel);
        };
        script.onFrame = [&](int frame) {
            const Clock::time_point t = Clock::now();
            if (frame < kFramesPerRun)
                best[frame] = std::min(
                    best[frame], std::chrono::duration<double, std::milli>(t - frameStart).count());
            frameStart = t;
            if (frame + 1 < kFramesPerRun)
                place(frame + 1);
            else
                script.setMusic(part.endOrder, 0);  // the part ends at its next pump
        };
        if (part.scene)
            script.run(part.scene);
        else
            script.run(part.sequence);
        frames += script.frames();
    }
    state.counters["fps"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    const auto slowest = std::max_element(best.begin(), best.end());
    state.counters["slowest_ms"] = *slowest;
    state.counters["slowest_frame"] = double(slowest - best.begin());
    state.counters["frames"] =
        benchmark::Counter(double(frames), benchmark::Counter::kAvgIterations);
}

#define SHOW_PART(name, first, end, scene, sequence)                            \
    BENCHMARK_CAPTURE(BM_ShowPart, name, ShowPart{first, end, scene, sequence}) \
        ->Unit(benchmark::kMillisecond)                                         \
        ->UseRealTime()                                                         \
        ->Iterations(3)
SHOW_PART(title, 0, 3, runTitleScene, nullptr);
SHOW_PART(blob, 3, 9, runBlobScene, nullptr);
SHOW_PART(wave, 9, 15, runWaveScene, nullptr);
SHOW_PART(spiral, 15, 18, runSpiralScene, nullptr);
SHOW_PART(figure, 18, 23, runFigureScene, nullptr);
SHOW_PART(logozoom, 23, 26, runLogoZoomScene, nullptr);
SHOW_PART(heart, 26, 28, runHeartScene, nullptr);
SHOW_PART(closing, 28, kFinalOrder, nullptr, runClosingSequence);

// What the driver does between opening the display and showing the first frame: the data check,
// the asset table, starting the music and the Title scene's first frame; each stage's mean time
// is a counter (ms). Opening the window and the GL context is not included.
void BM_StartUp(benchmark::State& state) {
    if (!showReady(state)) return;
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double, std::milli>(b - a).count();
    };
    double check = 0, load = 0, music = 0, frame = 0;
    for (auto _ : state) {
        const Clock::time_point t0 = Clock::now();
        std::string error = checkDataFiles();
        const Clock::time_point t1 = Clock::now();
        if (error.empty()) error = loadAssets();
        const Clock::time_point t2 = Clock::now();
        if (error.empty()) error = startMusic(dataPath(kModuleFile).c_str());
        const Clock::time_point t3 = Clock::now();
        state.PauseTiming();
        stopMusic();  // its thread would move the scripted position below
        state.ResumeTiming();
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
        const Clock::time_point t4 = Clock::now();
        SceneScript script(SceneScript::Output::Draw);
        script.playFrames(1, 3);
        script.beforeFrameShown = [](int) {
            uint8_t pixel[4];
            readPixel(0, 0, pixel);
        };
        script.run(runTitleScene);
        const Clock::time_point t5 = Clock::now();
        check += ms(t0, t1);
        load += ms(t1, t2);
        music += ms(t2, t3);
        frame += ms(t4, t5);
    }
    using benchmark::Counter;
    state.counters["check_ms"] = Counter(check, Counter::kAvgIterations);
    state.counters["assets_ms"] = Counter(load, Counter::kAvgIterations);
    state.counters["music_ms"] = Counter(music, Counter::kAvgIterations);
    state.counters["first_frame_ms"] = Counter(frame, Counter::kAvgIterations);
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
