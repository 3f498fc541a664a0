// The browser page's hooks, as JavaScript called from the program (the page's side: web/index.html).
#include "platform/web/page.h"

#include <emscripten.h>

namespace {

// SDL keeps its Web Audio context on Module.SDL2 once an audio device is open.
EM_ASYNC_JS(void, waitForStart, (int again), {
    await Module.showPage.waitForStart(again !== 0);
    const audio = Module.SDL2 && Module.SDL2.audioContext;
    if (audio && audio.state !== 'running') await audio.resume();
});

EM_ASYNC_JS(void, waitForNextFrame, (), {
    await new Promise(function(resolve) { requestAnimationFrame(resolve); });
});

EM_JS(void, reportFrame, (double drawMs, int order, int row), {
    Module.showPage.frame(drawMs, order, row);
});

EM_JS(void, reportEnded, (), {
    Module.showPage.ended();
});

EM_JS(double, audioOutputLatency, (), {
    const audio = Module.SDL2 && Module.SDL2.audioContext;
    if (!audio) return 0;
    return audio.outputLatency || audio.baseLatency || 0;
});

EM_JS(double, audioTime, (), {
    const audio = Module.SDL2 && Module.SDL2.audioContext;
    return audio ? audio.currentTime : 0;
});

}  // namespace

void webWaitForStart(bool again) { waitForStart(again ? 1 : 0); }
void webWaitForNextFrame() { waitForNextFrame(); }
void webReportFrame(double drawMs, int order, int row) { reportFrame(drawMs, order, row); }
void webReportEnded() { reportEnded(); }
double webAudioOutputLatency() { return audioOutputLatency(); }
double webAudioTime() { return audioTime(); }
