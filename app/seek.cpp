// Starting the show at a music position: fast-forward on a virtual clock, then hand back.
#include "app/seek.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/music.h"
#include "app/timeline.h"
#include "platform/audio.h"
#include "platform/platform.h"

namespace {

MusicPosition start;
MusicPosition restartAt;
bool restartWaiting = false;
bool restartedBySeek = false;  // the next fast-forward is timed from the seek key
bool forwarding = false;
void (*forwardingChanged)() = nullptr;  // the owner of the renderer stack
void (*stepHook)() = nullptr;
void (*arrivedHook)() = nullptr;

// The real-time fast-forward's clock: reports of the module up to the start position, and
// virtual frames at a rate of their own. Real-time play has no fixed rate either, so any rate
// is one that linear play could have had; 30 a second keeps a seek quick.
constexpr int kForwardFps = 30;
OfflineMusic timelineMusic;  // renders (silently) as far as the furthest start asked for
std::vector<PositionReport> timeline;
size_t nextReport = 0;
uint64_t forwardFrame = 0;
std::string forwardModule;
// When the way to the start position began: the seek key, or, for a start given on the
// command line, the program's own start (so the time reported is the time a user waits).
const std::chrono::steady_clock::time_point programStarted = std::chrono::steady_clock::now();
std::chrono::steady_clock::time_point forwardBegan = programStarted;
std::string arrivalError;  // why the music could not start where a fast-forward arrived

bool reachedStart() {
    const MusicPosition now = musicPosition();
    return !positionBefore(now, start);
}

void setForwarding(bool on) {
    forwarding = on;
    if (forwardingChanged) forwardingChanged();
}

// One frame of the real-time fast-forward: as a capture would deliver them, every report whose
// first sample the clock has passed, each at the tick its row began.
void stepVirtualFrame() {
    ++forwardFrame;
    deliverUntilFrame(timeline, &nextReport, forwardFrame, kForwardFps,
                      static_cast<uint32_t>(forwardFrame * 1000 / kForwardFps));
}

void arriveInRealTime() {
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - forwardBegan)
            .count();
    // The music is made ready and the arrival said before the real clock takes over, so that
    // however long that takes (a browser parses the module several times slower), the next
    // frame is drawn at the moment the fast-forward arrived at, as a capture draws it.
    arrivalError = startMusicAt(forwardModule.c_str(), start.order, start.row);
    if (arrivalError.empty())
        std::fprintf(stderr, "seek: order %d row %d reached in %.0f ms\n", start.order, start.row,
                     ms);
    else
        platformPostQuit();  // the show cannot go on without its music: the loops end
    platformResumeRealTicks(platformTicks());
}

}  // namespace

std::string checkShowPosition(const OfflineMusic& music, MusicPosition at) {
    const int showEnd = kSceneSpans[kSceneSpanCount - 1].endOrder;
    const int orders = std::min(showEnd, static_cast<int>(music.orderCount()));
    if (at.order >= orders)
        return "order " + std::to_string(at.order) + " is past the show's last order, " +
               std::to_string(orders - 1);
    const int rows = music.rowsInOrder(at.order);
    if (at.row >= rows)
        return "order " + std::to_string(at.order) + " has " + std::to_string(rows) +
               " rows (0 to " + std::to_string(rows - 1) + ")";
    return std::string();
}

void requestRestart(MusicPosition position) {
    if (!restartWaiting) forwardBegan = std::chrono::steady_clock::now();
    restartAt = position;
    restartWaiting = true;
}

bool restartPending() {
    return restartWaiting;
}

bool takeRestart() {
    if (!restartWaiting) return false;
    restartWaiting = false;
    restartedBySeek = true;
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
    setForwarding(true);
}

void skippedFramePresented() {
    if (stepHook) stepHook();
    if (forwarding && reachedStart()) {
        endFastForward();
        if (arrivedHook) arrivedHook();
    }
}

void endFastForward() {
    if (!forwarding) return;
    setForwarding(false);
}

void onFastForwardChange(void (*changed)()) {
    forwardingChanged = changed;
}

const std::string& seekFailure() {
    return arrivalError;
}

void forgetSeekTimeline() {
    timelineMusic.close();
    timeline.clear();
    forwardModule.clear();
}

std::string fastForwardInRealTime(const char* modulePath) {
    if (!restartedBySeek) forwardBegan = programStarted;
    restartedBySeek = false;
    // The timeline is kept from one seek to the next and only rendered further when a seek
    // goes past its end.
    if (forwardModule != modulePath) {
        timelineMusic.close();
        timeline.clear();
        forwardModule = modulePath;
    }
    if (!timelineMusic.isOpen() && timeline.empty()) {
        std::string error;
        const std::vector<uint8_t>& bytes = showModule(modulePath, &error);
        if (error.empty()) error = timelineMusic.openMemory(bytes.data(), bytes.size(), modulePath);
        if (!error.empty()) return error + "\n";
        timelineMusic.mixCheaply();
        timeline.reserve(4096);
    }
    auto reaches = [](const PositionReport& r) {
        return !positionBefore(MusicPosition{r.order, r.row}, start);
    };
    std::vector<PositionReport> block;
    block.reserve(256);
    while (timeline.empty() || !reaches(timeline.back())) {
        block.clear();
        const int got = timelineMusic.render(nullptr, 4096, block);
        timeline.insert(timeline.end(), block.begin(), block.end());
        if (!block.empty()) continue;
        if (got == 0 || timelineMusic.ended())
            return std::string("the music in ") + modulePath + " ends before order " +
                   std::to_string(start.order) + " row " + std::to_string(start.row) + "\n";
    }
    nextReport = 0;
    forwardFrame = 0;
    platformUseVirtualTicks(true);
    platformSetVirtualTicks(0);
    beginFastForward(stepVirtualFrame, arriveInRealTime);
    return std::string();
}

namespace {

std::string startInRealTime(const char* modulePath, MusicPosition start) {
    if (start.order != 0 || start.row != 0) return fastForwardInRealTime(modulePath);
    return startMusic(modulePath);
}

MusicSource source{startInRealTime, stopMusic};

}  // namespace

void setMusicSource(const MusicSource& s) {
    source = s;
}

std::string startShowMusic(const char* modulePath, MusicPosition start) {
    return source.start(modulePath, start);
}

void stopShowMusic() {
    source.stop();
}
