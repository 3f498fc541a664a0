// The browser page's hooks, as JavaScript called from the show (the page's side: web/index.html).
#include "platform/web/page.h"

#include <emscripten.h>

namespace {

// SDL keeps its Web Audio context on Module.SDL2 once an audio device is open.
EM_ASYNC_JS(void, waitForStart, (), {
    await Module.showPage.waitForStart();
    const audio = Module.SDL2 && Module.SDL2.audioContext;
    if (audio && audio.state !== 'running') await audio.resume();
});

EM_ASYNC_JS(void, waitForNextFrame, (), {
    await new Promise(function(resolve) { requestAnimationFrame(resolve); });
});

EM_JS(void, reportFrame, (double drawMs, int order, int row), {
    Module.showPage.frame(drawMs, order, row);
});

EM_JS(double, audioOutputLatency, (), {
    const audio = Module.SDL2 && Module.SDL2.audioContext;
    if (!audio) return 0;
    return audio.outputLatency || audio.baseLatency || 0;
});

uint32_t heard = 0xFFFFFFFFu;  // no position heard yet
double drawBegan = 0;         // when the browser gave the show its turn, in milliseconds

}  // namespace

void webWaitForNextFrame() {
    const double now = emscripten_get_now();
    const bool known = heard != 0xFFFFFFFFu;
    // Packed as row * 65536 + order.
    reportFrame(drawBegan > 0 ? now - drawBegan : 0, known ? static_cast<int>(heard & 0xFFFF) : -1,
                known ? static_cast<int>(heard >> 16) : -1);
    waitForNextFrame();
    drawBegan = emscripten_get_now();
}

void webWaitForStart() {
    waitForStart();
}

void webNoteHeard(uint32_t position) {
    heard = position;
}

double webAudioOutputLatency() {
    return audioOutputLatency();
}
