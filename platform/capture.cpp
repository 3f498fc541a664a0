// Capture mode: frame read-back at each swap and the virtual frame clock.
#include "platform/capture.h"

#include <GL/gl.h>
#include <SDL.h>

#include <vector>

#include "platform/platform.h"

namespace {

bool capturing = false;
int captureFps = 60;
CaptureFrameSink frameSink = nullptr;
CaptureAdvance advanceHook = nullptr;
void* hookUser = nullptr;
uint64_t framesPresented = 0;
std::vector<uint8_t> frameBuffer;  // grows to the drawable's size once, then is reused

}  // namespace

void platformBeginCapture(int fps, CaptureFrameSink sink, CaptureAdvance advance, void* user) {
    capturing = true;
    captureFps = fps > 0 ? fps : 60;
    frameSink = sink;
    advanceHook = advance;
    hookUser = user;
    framesPresented = 0;
    platformUseVirtualTicks(true);
    platformSetVirtualTicks(0);
}

bool platformCapturing() {
    return capturing;
}

uint64_t platformCapturedFrames() {
    return framesPresented;
}

uint32_t platformCaptureFrameTicks(uint64_t frameIndex) {
    return static_cast<uint32_t>(frameIndex * 1000 / static_cast<uint64_t>(captureFps));
}

void platformSkipCaptureFrame() {
    ++framesPresented;
    uint32_t next = platformCaptureFrameTicks(framesPresented);
    platformSetVirtualTicks(next);
    if (advanceHook) advanceHook(framesPresented, next, hookUser);
}

void platformCaptureFrame(int width, int height) {
    size_t size = static_cast<size_t>(width) * height * 4;
    if (frameBuffer.size() < size) frameBuffer.resize(size);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frameBuffer.data());
    if (frameSink) frameSink(frameBuffer.data(), width, height, hookUser);
    ++framesPresented;
    uint32_t next = platformCaptureFrameTicks(framesPresented);
    platformSetVirtualTicks(next);
    if (advanceHook) advanceHook(framesPresented, next, hookUser);
}
