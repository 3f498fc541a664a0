// Starting the show at a music position: fast-forward on a virtual clock, then hand back.
#include "app/seek.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/music.h"
#include "platform/audio.h"
#include "platform/platform.h"
#include "render/renderer.h"
#include "render/state_renderer.h"

namespace {

MusicPosition start;
MusicPosition restartAt;
bool restartWaiting = false;
bool forwarding = false;
Renderer* realRenderer = nullptr;
StateOnlyRenderer* stateRenderer = nullptr;  // made once, reused by later fast-forwards
void (*stepHook)() = nullptr;
void (*arrivedHook)() = nullptr;

// The real-time fast-forward's clock: reports of the module up to the start position.
constexpr int kForwardFps = 60;
std::vector<PositionReport> timeline;
size_t nextReport = 0;
uint64_t forwardFrame = 0;
std::string forwardModule;

bool reachedStart() {
    MusicPosition now{musicOrder.load(), musicRow.load()};
    return !positionBefore(now, start);
}

void onSkippedPresent(void*) {
    if (stepHook) stepHook();
    if (forwarding && reachedStart()) {
        endFastForward();
        if (arrivedHook) arrivedHook();
    }
}

// One frame of the real-time fast-forward: as a capture would deliver them, every report whose
// first sample the clock has passed, each at the tick its row began.
void stepVirtualFrame() {
    ++forwardFrame;
    const int64_t reached = static_cast<int64_t>(forwardFrame) * kMusicSampleRate;
    while (nextReport < timeline.size() && timeline[nextReport].frame * kForwardFps <= reached) {
        const PositionReport& r = timeline[nextReport++];
        platformSetVirtualTicks(static_cast<uint32_t>(r.frame * 1000 / kMusicSampleRate));
        onMusicPosition(0, 0, packPosition(r.order, r.row));
    }
    platformSetVirtualTicks(static_cast<uint32_t>(forwardFrame * 1000 / kForwardFps));
}

void arriveInRealTime() {
    platformResumeRealTicks(platformTicks());
    std::string error = startMusicAt(forwardModule.c_str(), start.order, start.row);
    if (!error.empty()) std::fprintf(stderr, "demo: %s", error.c_str());
}

}  // namespace

const SceneSpan kSceneSpans[] = {{3, "Title"},   {9, "Blob"},       {15, "Wave"},  {18, "Spiral"},
                                 {23, "Figure"}, {26, "Logo zoom"}, {28, "Heart"}, {33, "closing"}};
const int kSceneSpanCount = sizeof kSceneSpans / sizeof kSceneSpans[0];

const char* sceneNameAt(int order) {
    for (const SceneSpan& span : kSceneSpans)
        if (order < span.endOrder) return span.name;
    return "end";
}

void requestRestart(MusicPosition position) {
    restartAt = position;
    restartWaiting = true;
}

bool restartPending() {
    return restartWaiting;
}

bool takeRestart() {
    if (!restartWaiting) return false;
    restartWaiting = false;
    start = restartAt;
    return true;
}

void setStartPosition(MusicPosition position) {
    start = position;
}

MusicPosition startPosition() {
    return start;
}

bool fastForwarding() {
    return forwarding;
}

bool sceneEndsBeforeStart(int endOrder) {
    return forwarding && endOrder <= start.order;
}

void beginFastForward(void (*step)(), void (*arrived)()) {
    if (start.order == 0 && start.row == 0) return;
    stepHook = step;
    arrivedHook = arrived;
    realRenderer = gRenderer;
    if (!stateRenderer || stateRenderer->target() != realRenderer) {
        delete stateRenderer;
        stateRenderer = new StateOnlyRenderer(realRenderer, onSkippedPresent, nullptr);
    }
    gRenderer = stateRenderer;
    forwarding = true;
}

void endFastForward() {
    if (!forwarding) return;
    forwarding = false;
    gRenderer = realRenderer;
}

std::string fastForwardInRealTime(const char* modulePath) {
    OfflineMusic music;
    std::string error;
    if (!music.open(modulePath, &error)) return error + "\n";
    timeline.clear();
    timeline.reserve(4096);
    std::vector<PositionReport> block;
    block.reserve(256);
    for (;;) {
        block.clear();
        const int got = music.render(nullptr, 4096, block);
        bool there = false;
        for (const PositionReport& r : block) {
            timeline.push_back(r);
            if (!positionBefore(MusicPosition{r.order, r.row}, start)) there = true;
        }
        if (there) break;
        if (got == 0 || music.ended())
            return std::string("the music in ") + modulePath + " ends before order " +
                   std::to_string(start.order) + " row " + std::to_string(start.row) + "\n";
    }
    nextReport = 0;
    forwardFrame = 0;
    forwardModule = modulePath;
    platformUseVirtualTicks(true);
    platformSetVirtualTicks(0);
    beginFastForward(stepVirtualFrame, arriveInRealTime);
    return std::string();
}
