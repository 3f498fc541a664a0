// Development mode: key requests, pause of music and clock together, and the pump's hold.
#include "app/devmode.h"

#include <chrono>
#include <thread>

#include "app/overlay.h"
#include "app/reload.h"
#include "platform/audio.h"
#include "platform/platform.h"

DevMode gDevMode;

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
    if (!gDevMode.paused) return false;
    devPauseWait();
    return true;
}

void startDevMode() {
    if (!gDevMode.enabled) return;
    startOverlay();
    startDataReload();
}
