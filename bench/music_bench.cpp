// Benchmarks of the music player: offline render speed, and how late real-time reports arrive.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio.h"

namespace {

const char* const kModule = SHOW_DATA_DIR "/qua#v3n.it";

// Renders the data set's whole song in blocks of range(0) frames, keeping the audio.
void BM_OfflineRenderWholeSong(benchmark::State& state) {
    const int block = static_cast<int>(state.range(0));
    std::vector<int16_t> out(2 * block);
    std::vector<PositionReport> reports;
    reports.reserve(64);
    double musicSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        OfflineMusic music;
        const std::string error = music.open(kModule);
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
        state.ResumeTiming();
        while (!music.ended()) {
            music.render(out.data(), block, reports);
            reports.clear();
        }
        musicSeconds += static_cast<double>(music.framesRendered()) / kMusicSampleRate;
    }
    // Seconds of music per second of wall time.
    state.counters["music_s_per_s"] = benchmark::Counter(musicSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_OfflineRenderWholeSong)
    ->Arg(512)
    ->Arg(4096)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

constexpr int kMaxHeard = 4096;
std::atomic<int> heardCount{0};
std::chrono::steady_clock::time_point heardAt[kMaxHeard];

void onHeard(uint32_t, uint32_t, uint32_t) {
    const int i = heardCount.load();
    if (i >= kMaxHeard) return;
    heardAt[i] = std::chrono::steady_clock::now();
    heardCount.store(i + 1);
}

// Plays the first seconds of the song in real time and compares the moment each report
// arrives with its row's computed start: the moment play began plus the row's first frame.
void BM_RealTimeReportDelay(benchmark::State& state) {
    std::vector<PositionReport> rows, reports;
    reports.reserve(64);
    OfflineMusic offline;
    const std::string error = offline.open(kModule);
    if (!error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    while (!offline.ended() && rows.size() < kMaxHeard) {
        offline.render(nullptr, 4096, reports);
        rows.insert(rows.end(), reports.begin(), reports.end());
        reports.clear();
    }
    std::vector<double> delays;
    bool silent = false;
    for (auto _ : state) {
        heardCount = 0;
        audioInit();
        silent = audioIsSilent();
        uint32_t handle = 0;
        audioLoadMusic(kModule, &handle);  // a failure leaves no handle, and nothing is heard
        audioStart();
        audioSetPositionSync(handle, onHeard);
        const auto start = std::chrono::steady_clock::now();
        audioPlay(handle);
        std::this_thread::sleep_for(std::chrono::seconds(state.range(0)));
        audioStop();
        audioFree();
        const int count = std::min<int>(heardCount.load(), static_cast<int>(rows.size()));
        for (int i = 0; i < count; ++i) {
            const double due = static_cast<double>(rows[i].frame) / kMusicSampleRate;
            delays.push_back(std::chrono::duration<double>(heardAt[i] - start).count() - due);
        }
    }
    if (delays.empty()) {
        state.SkipWithError("no position was reported");
        return;
    }
    std::sort(delays.begin(), delays.end());
    double sum = 0;
    for (double d : delays) sum += d;
    state.counters["reports"] = static_cast<double>(delays.size());
    state.counters["delay_min_ms"] = delays.front() * 1e3;
    state.counters["delay_mean_ms"] = sum / delays.size() * 1e3;
    state.counters["delay_p99_ms"] = delays[delays.size() * 99 / 100] * 1e3;
    state.counters["delay_max_ms"] = delays.back() * 1e3;
    state.counters["device_buffer_frames"] = silent ? 0 : kMusicDeviceFrames;
}
BENCHMARK(BM_RealTimeReportDelay)->Arg(5)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
