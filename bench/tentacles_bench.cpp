// Benchmarks of one tentacle field frame: the chain simulation and tube rebuild, and the world's
// transform, clip and draw of the sixteen tubes (960 vertices, 1728 faces) into a null renderer.
#include <benchmark/benchmark.h>

#include "effects/tentacles.h"
#include "support/recording_renderer.h"

namespace {

NullRenderer nullRenderer;

// The field as the show sets it up, advanced past its first frame.
TentacleField& field() {
    static TentacleField* f = [] {
        gRenderer = &nullRenderer;
        auto* made = new TentacleField;
        made->init();
        made->setScreen(800, 600, 32);
        lastTime = -1.0f;
        made->render(0, 0);
        return made;
    }();
    gRenderer = &nullRenderer;
    return *f;
}

// Frames at 60 per second of show time, as the closing sequence hands them over.
void BM_TentacleFieldFrame(benchmark::State& state) {
    TentacleField& f = field();
    int frame = 1;
    for (auto _ : state) f.render(0, frame++ / 60.0f * 0.03f);
    state.counters["faces drawn"] = f.world.drawCount;
}
BENCHMARK(BM_TentacleFieldFrame)->Unit(benchmark::kMicrosecond);

// The sixteen chains' step and tube rebuild alone.
void BM_TentacleSimulation(benchmark::State& state) {
    TentacleField& f = field();
    for (auto _ : state)
        for (int i = 0; i < f.tentacleCount; ++i) {
            f.tentacles[i]->step(0.04f);
            f.tentacles[i]->rebuildTube();
        }
}
BENCHMARK(BM_TentacleSimulation)->Unit(benchmark::kMicrosecond);

// The world's part alone: matrices, vertices, normals, culling, clipping and the draw calls.
void BM_TentacleWorldRender(benchmark::State& state) {
    TentacleField& f = field();
    for (auto _ : state) f.world.render();
}
BENCHMARK(BM_TentacleWorldRender)->Unit(benchmark::kMicrosecond);

}  // namespace
