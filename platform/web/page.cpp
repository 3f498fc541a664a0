// The browser page's hooks, as JavaScript called from the show (the page's side: web/*.js).
#include "platform/web/page.h"

#include <SDL.h>
#include <emscripten.h>

#include "platform/audio.h"
#include "platform/platform.h"

namespace {

// Reasons the page holds the show, as bits (the page's names: web/lifecycle.js).
constexpr int kHoldStart = 1;  // waiting for the person's first click or tap
// A turn longer than this that no hold explains was a page frozen or stopped without notice:
// neither the sound (made between frames) nor the picture moved, so the time is taken out.
constexpr double kStallMs = 1000;

int holds = 0;            // the reasons now
bool holding = false;     // ticks and music are held for the page
bool asked = false;       // the page has been asked to offer the start
bool contextBack = false;  // the GL context was lost and has come back
uint32_t heard = 0xFFFFFFFFu;  // no position heard yet
double drawBegan = 0;          // when the browser gave the show its turn, in milliseconds

EM_ASYNC_JS(void, waitForNextFrame, (), {
    await new Promise(function(resolve) { requestAnimationFrame(resolve); });
});

// Resolves at the page's next change of holds or of the context.
EM_ASYNC_JS(void, waitForChange, (), {
    await Module.showPage.changed();
});

// 1 once the page's sound runs, 0 when it did not start within the page's time limit.
EM_ASYNC_JS(int, waitForSound, (), {
    return (await Module.showPage.soundReady()) ? 1 : 0;
});

// The page offers the start (or has had it already: the click that asked to play again).
EM_JS(int, offerStart, (), {
    return Module.showPage.offerStart() ? 1 : 0;
});

EM_JS(void, reportFrame, (double drawMs, int order, int row), {
    Module.showPage.frame(drawMs, order, row);
});

EM_JS(void, reportHeard, (int order, int row), {
    Module.showPage.heard(order, row);
});

EM_JS(void, watchSound, (), {
    Module.showPage.watchSound(Module.SDL2);
});

EM_JS(double, soundHeardMs, (), {
    const sdl2 = Module.SDL2;
    return sdl2 && sdl2.heardMs !== undefined ? sdl2.heardMs : -1;
});

EM_JS(double, audioOutputLatency, (), {
    const audio = Module.SDL2 && Module.SDL2.audioContext;
    if (!audio) return 0;
    return audio.outputLatency || audio.baseLatency || 0;
});

void release() {
    if (!waitForSound()) audioAbandonDevice();
    // The click or key that resumed the show is not the show's.
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    audioPause(false);
    platformHoldTicks(false);
    holding = false;
}

}  // namespace

// Called by the page: reason `reason` holds the show (on) or no longer does.
extern "C" EMSCRIPTEN_KEEPALIVE void webHold(int reason, int on) {
    holds = on ? holds | reason : holds & ~reason;
    if (holds && !holding) {
        holding = true;
        platformHoldTicksAtLastRead();
        audioPause(true);
    }
}

// Called by the page when the GL context it lost has come back.
extern "C" EMSCRIPTEN_KEEPALIVE void webContextRestored() {
    contextBack = true;
}

void webWaitForNextFrame() {
    const double now = emscripten_get_now();
    const bool known = heard != 0xFFFFFFFFu;
    // Packed as row * 65536 + order.
    reportFrame(drawBegan > 0 ? now - drawBegan : 0, known ? static_cast<int>(heard & 0xFFFF) : -1,
                known ? static_cast<int>(heard >> 16) : -1);
    if (!asked) {
        asked = true;
        if (!offerStart()) webHold(kHoldStart, 1);
    }
    waitForNextFrame();
    const double gap = emscripten_get_now() - now;
    if (gap > kStallMs && !holding) {
        platformSkipTicks(static_cast<uint32_t>(gap));
        audioSkipStall(static_cast<int64_t>(gap * 1e6));
    }
    while (holds && !contextBack) waitForChange();
    if (contextBack) {
        contextBack = false;
        platformContextRestored();
        return;  // the frame is drawn again with what was made anew; still held if held
    }
    if (holding) release();
    drawBegan = emscripten_get_now();
}

void webNoteHeard(uint32_t position) {
    heard = position;
    reportHeard(static_cast<int>(position & 0xFFFF), static_cast<int>(position >> 16));
}

void webWatchSound() {
    watchSound();
}

int64_t webSoundHeardNs() {
    const double ms = soundHeardMs();
    return ms < 0 ? -1 : static_cast<int64_t>(ms * 1e6);
}

double webAudioOutputLatency() {
    return audioOutputLatency();
}
