// The show's frames in a browser page: yielding to the page at each swap, and the page's holds.
#include "platform/web_frame.h"

#include <SDL.h>
#include <emscripten.h>

#include "platform/audio.h"
#include "platform/platform.h"
#include "platform/web/page.h"

namespace {

// Reasons the page holds the show, as bits (the page's names: web/lifecycle.js).
constexpr int kHoldStart = 1;  // waiting for the person's first click or tap
// A turn longer than this that no hold explains was a page frozen or stopped without notice:
// neither the sound (made between frames) nor the picture moved, so the time is taken out.
constexpr double kStallMs = 1000;

int holds = 0;             // the reasons now
bool holding = false;      // ticks and music are held for the page
bool asked = false;        // the page has been asked to offer the start
bool contextBack = false;  // the GL context was lost and has come back
bool redraw = false;       // the held frame is to be drawn again (the canvas changed size)
double drawBegan = 0;      // when the browser gave the show its turn, in milliseconds

void release() {
    if (!webWaitForSound()) audioAbandonDevice();
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

// Called by the page when the canvas changes size while the show is held: its picture is gone
// until the frame is drawn again.
extern "C" EMSCRIPTEN_KEEPALIVE void webRedraw() {
    redraw = true;
}

// Called by the page's close control: the show ends as Escape ends it.
extern "C" EMSCRIPTEN_KEEPALIVE void webEnd() {
    platformPostClose();
}

// Called by the page when the GL context it lost has come back.
extern "C" EMSCRIPTEN_KEEPALIVE void webContextRestored() {
    contextBack = true;
}

void webWaitForNextFrame() {
    const double now = emscripten_get_now();
    const uint32_t heard = webLastHeard();
    const bool known = heard != kNoPositionHeard;
    // Packed as row * 65536 + order.
    webReportFrame(drawBegan > 0 ? now - drawBegan : 0,
                   known ? static_cast<int>(heard & 0xFFFF) : -1,
                   known ? static_cast<int>(heard >> 16) : -1);
    if (!asked) {
        asked = true;
        if (!webOfferStart()) webHold(kHoldStart, 1);
    }
    webWaitForAnimationFrame();
    const double gap = emscripten_get_now() - now;
    if (gap > kStallMs && !holding) {
        platformSkipTicks(static_cast<uint32_t>(gap));
        audioSkipStall(static_cast<int64_t>(gap * 1e6));
    }
    while (holds && !contextBack && !redraw) webWaitForPageChange();
    if (webFitCanvas()) platformFitViewport();
    if (contextBack || redraw) {
        if (contextBack) platformContextRestored();
        contextBack = redraw = false;
        if (holds) return;  // the held frame is drawn again, at the same moment
    }
    if (holding) release();
    drawBegan = emscripten_get_now();
}
