// Development mode: key requests, pause of music and clock together, and the pump's hold.
#include "app/devmode.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "app/music.h"
#include "app/overlay.h"
#include "app/seek.h"
#include "app/reload.h"
#include "platform/audio.h"
#include "platform/platform.h"

namespace {

void sleepBriefly() {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

}  // namespace

void (*devPauseWait)() = sleepBriefly;

void enableDevMode(const ShowOptions& options) {
    gDevMode = DevMode();
    gDevMode.enabled = options.dev;
    gDevMode.loopGiven = options.loopGiven;
    gDevMode.loopFrom = options.loopFrom;
    gDevMode.loopTo = options.loopTo;
    gDevMode.looping = options.dev && options.loopGiven;
}

void devModeKey(int key) {
    switch (key) {
        case kKeySpace:
            setDevPaused(!gDevMode.paused);
            break;
        case kKeyF1:
            gDevMode.overlay = !gDevMode.overlay;
            break;
        case kKeyL:
            gDevMode.loopToggle = !gDevMode.loopToggle;
            break;
        case kKeyLeft:
            gDevMode.seek = SeekRequest::PreviousOrder;
            break;
        case kKeyRight:
            gDevMode.seek = SeekRequest::NextOrder;
            break;
        case kKeyPageUp:
            gDevMode.seek = SeekRequest::PreviousScene;
            break;
        case kKeyPageDown:
            gDevMode.seek = SeekRequest::NextScene;
            break;
        case kKeyHome:
            gDevMode.seek = SeekRequest::Restart;
            break;
        default:
            break;
    }
}

MusicPosition devSeekTarget(SeekRequest request, MusicPosition at) {
    int part = 0;  // the part playing at `at`
    while (part < kSceneSpanCount - 1 && at.order >= kSceneSpans[part].endOrder) ++part;
    auto partStart = [](int i) {
        return MusicPosition{i > 0 ? kSceneSpans[i - 1].endOrder : 0, 0};
    };
    const int lastOrder = kSceneSpans[kSceneSpanCount - 1].endOrder - 1;
    switch (request) {
        case SeekRequest::PreviousOrder:
            return MusicPosition{at.order > 0 ? at.order - 1 : 0, 0};
        case SeekRequest::NextOrder:
            return MusicPosition{at.order < lastOrder ? at.order + 1 : lastOrder, 0};
        case SeekRequest::PreviousScene:
            return partStart(part > 0 ? part - 1 : 0);
        case SeekRequest::NextScene:
            return partStart(part < kSceneSpanCount - 1 ? part + 1 : part);
        case SeekRequest::Restart:
        case SeekRequest::None:
            break;
    }
    return MusicPosition{};
}

void answerDevRequests() {
    if (!gDevMode.enabled) return;
    const MusicPosition at = musicPosition();
    if (gDevMode.loopToggle) {
        // L: loop the order playing now, or stop looping.
        gDevMode.loopToggle = false;
        gDevMode.looping = !gDevMode.looping;
        if (gDevMode.looping) {
            gDevMode.loopFrom = MusicPosition{at.order, 0};
            gDevMode.loopTo = MusicPosition{at.order + 1, 0};
        }
    }
    if (gDevMode.seek != SeekRequest::None) {
        // A seek key pressed while a seek is fast-forwarding counts from where that seek is
        // going, not from the positions it passes through on the way.
        const MusicPosition from = fastForwarding() ? startPosition() : at;
        const MusicPosition target = devSeekTarget(gDevMode.seek, from);
        gDevMode.seek = SeekRequest::None;
        // The target shows at once: the fast-forward draws nothing until it arrives.
        char note[48];
        std::snprintf(note, sizeof note, "seek to order %d row %d", target.order, target.row);
        setOverlayMessage(note);
        setDevPaused(false);  // a seek plays on from its new position
        requestRestart(target);
    } else if (gDevMode.looping && !restartPending() && !positionBefore(at, gDevMode.loopTo)) {
        requestRestart(gDevMode.loopFrom);
    }
}

void setDevPaused(bool paused) {
    if (paused == gDevMode.paused) return;
    gDevMode.paused = paused;
    // Clock and music stop together; the music's position reports carry the held clock.
    audioPause(paused);
    platformHoldTicks(paused);
    if (!paused) restartOverlayTiming();
}

bool devModeHoldsFrame() {
    if (!gDevMode.enabled) return false;
    pollDataReload();
    if (takeAssetsReplaced() || !gDevMode.paused) return false;
    devPauseWait();
    return true;
}

void startDevMode() {
    if (!gDevMode.enabled) return;
    startOverlay();
    startDataReload();
}
