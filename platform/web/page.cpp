// The browser page's side of the show, as JavaScript called from the show (the page: web/*.js).
#include "platform/web/page.h"

#include <emscripten.h>

namespace {

uint32_t heard = kNoPositionHeard;

EM_ASYNC_JS(void, waitForAnimationFrame, (), {
    await new Promise(function(resolve) { requestAnimationFrame(resolve); });
});

EM_ASYNC_JS(void, waitForChange, (), {
    await Module.showPage.changed();
});

EM_ASYNC_JS(int, waitForSound, (), {
    return (await Module.showPage.soundReady()) ? 1 : 0;
});

EM_JS(int, offerStart, (), {
    return Module.showPage.offerStart() ? 1 : 0;
});

EM_JS(void, reportFrame, (double drawMs, int order, int row), {
    Module.showPage.frame(drawMs, order, row);
});

EM_JS(int, fitCanvas, (), {
    return Module.showPage.fit() ? 1 : 0;
});

EM_JS(int, canvasWidth, (), { return Module.canvas.width; });
EM_JS(int, canvasHeight, (), { return Module.canvas.height; });

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

}  // namespace

void webWaitForAnimationFrame() { waitForAnimationFrame(); }
void webWaitForPageChange() { waitForChange(); }
bool webWaitForSound() { return waitForSound() != 0; }
bool webOfferStart() { return offerStart() != 0; }
void webReportFrame(double drawMs, int order, int row) { reportFrame(drawMs, order, row); }

bool webFitCanvas() { return fitCanvas() != 0; }

void webCanvasSize(int* width, int* height) {
    *width = canvasWidth();
    *height = canvasHeight();
}

void webNoteHeard(uint32_t position) {
    heard = position;
    // Packed as row * 65536 + order.
    reportHeard(static_cast<int>(position & 0xFFFF), static_cast<int>(position >> 16));
}

uint32_t webLastHeard() { return heard; }

void webWatchSound() { watchSound(); }

int64_t webSoundHeardNs() {
    const double ms = soundHeardMs();
    return ms < 0 ? -1 : static_cast<int64_t>(ms * 1e6);
}

double webAudioOutputLatency() { return audioOutputLatency(); }
