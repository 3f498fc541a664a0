// Benchmark of when position reports arrive against when their rows are heard through PulseAudio.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "support/sound_server.h"

namespace {

// Plays a click track (a click every fourth row) into a private PulseAudio server's null sink,
// records the sink's monitor, and compares each click's time with its row's report arrival.
void BM_HeardReportOffset(benchmark::State& state) {
    std::vector<double> all;
    int clickRows = 0;
    for (auto _ : state) {
        std::vector<ReceivedReport> reports;
        std::vector<double> offsets;
        std::string error;
        if (!measureHeardOffsets(static_cast<int>(state.range(0)), &reports, &offsets, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        all.insert(all.end(), offsets.begin(), offsets.end());
        for (const ReceivedReport& r : reports)
            clickRows += r.order < state.range(0) && r.row % kClickEvery == 0;
    }
    std::sort(all.begin(), all.end());
    double sum = 0, worst = 0;
    for (double d : all) {
        sum += d;
        worst = std::max(worst, std::abs(d));
    }
    // Clicks paired with click rows; fewer than the rows when the server was starved.
    state.counters["clicks"] = static_cast<double>(all.size());
    state.counters["click_rows"] = clickRows;
    state.counters["offset_min_ms"] = all.front();
    state.counters["offset_median_ms"] = all[all.size() / 2];
    state.counters["offset_mean_ms"] = sum / all.size();
    state.counters["offset_max_ms"] = all.back();
    state.counters["offset_worst_abs_ms"] = worst;
}
BENCHMARK(BM_HeardReportOffset)->Arg(3)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
