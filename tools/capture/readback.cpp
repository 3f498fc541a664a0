// Capture mode: frame read-back at each swap through two pixel buffers, and the virtual frame
// clock.
#include "tools/capture/readback.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/platform.h"

namespace {

bool capturing = false;
int captureFps = 60;
CaptureFrameSink frameSink = nullptr;
CaptureAdvance advanceHook = nullptr;
void* hookUser = nullptr;
uint64_t framesPresented = 0;
double readBackSeconds = 0;  // in GL read-back calls, the sink's own time left out
char failure[128] = "";      // the first frame lost, if any

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Frame k is read into slot k % 2 at its swap and handed to the sink at the next swap, so the
// driver copies it while the main thread goes on with the next frame. Pixel-pack buffers where
// the driver has them; otherwise two plain buffers (the copy is then made at once).
struct ReadBack {
    bool set = false, pixelBuffers = false;
    bool es =
        false;  // an OpenGL ES context: no glReadBuffer; pack buffers from ES 3.0, mapped by range
    GLuint buffers[2] = {0, 0};
    size_t bufferSize[2] = {0, 0};
    std::vector<uint8_t> memory[2];  // without pixel buffers; each grows once, then is reused
    PFNGLGENBUFFERSPROC genBuffers = nullptr;
    PFNGLBINDBUFFERPROC bindBuffer = nullptr;
    PFNGLBUFFERDATAPROC bufferData = nullptr;
    PFNGLMAPBUFFERPROC mapBuffer = nullptr;
    PFNGLUNMAPBUFFERPROC unmapBuffer = nullptr;
    PFNGLDELETEBUFFERSPROC deleteBuffers = nullptr;
    PFNGLMAPBUFFERRANGEPROC mapBufferRange = nullptr;
};
ReadBack readBack;

// The frame read back and not yet handed on.
struct Pending {
    bool waiting = false;
    uint64_t index = 0;
    int width = 0, height = 0;
    int slot = 0;
};
Pending pending;

// Sets `entry` to the GL function named `name` on the current context (null when it has none).
template <typename Function>
void lookUp(Function& entry, const char* name) {
    entry = reinterpret_cast<Function>(platformGetProcAddress(name));
}

// Fetches the buffer entry points on the current context (GL 1.5 and later).
void setUpReadBack() {
    readBack.set = true;
    lookUp(readBack.genBuffers, "glGenBuffers");
    lookUp(readBack.bindBuffer, "glBindBuffer");
    lookUp(readBack.bufferData, "glBufferData");
    lookUp(readBack.mapBuffer, "glMapBuffer");
    lookUp(readBack.unmapBuffer, "glUnmapBuffer");
    lookUp(readBack.deleteBuffers, "glDeleteBuffers");
    lookUp(readBack.mapBufferRange, "glMapBufferRange");
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    readBack.es = version && std::strncmp(version, "OpenGL ES ", 10) == 0;
    bool packBuffers =
        readBack.es ? version[10] >= '3' && readBack.mapBufferRange != nullptr
                    : (version && (version[0] > '2' || (version[0] == '2' && version[2] >= '1'))) ||
                          (extensions && std::strstr(extensions, "GL_ARB_pixel_buffer_object"));
    if (readBack.es) lookUp(readBack.mapBuffer, "glMapBufferRange");  // only tested for presence
    readBack.pixelBuffers = packBuffers && readBack.genBuffers && readBack.bindBuffer &&
                            readBack.bufferData && readBack.mapBuffer && readBack.unmapBuffer &&
                            readBack.deleteBuffers;
    if (readBack.pixelBuffers) readBack.genBuffers(2, readBack.buffers);
}

// Starts copying the back buffer into `slot`.
void readInto(int slot, int width, int height) {
    size_t size = static_cast<size_t>(width) * height * 4;
    if (!readBack.es) glReadBuffer(GL_BACK);  // ES reads the back buffer of a window anyway
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (readBack.pixelBuffers) {
        readBack.bindBuffer(GL_PIXEL_PACK_BUFFER, readBack.buffers[slot]);
        if (readBack.bufferSize[slot] != size) {
            readBack.bufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(size), nullptr,
                                GL_STREAM_READ);
            readBack.bufferSize[slot] = size;
        }
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        readBack.bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    } else {
        std::vector<uint8_t>& memory = readBack.memory[slot];
        if (memory.size() < size) memory.resize(size);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, memory.data());
    }
}

// Hands the waiting frame to the sink (waiting for its copy to finish, if it has not).
void deliverPending() {
    if (!pending.waiting) return;
    pending.waiting = false;
    if (!readBack.pixelBuffers) {
        if (frameSink)
            frameSink(pending.index, readBack.memory[pending.slot].data(), pending.width,
                      pending.height, hookUser);
        return;
    }
    Clock::time_point start = Clock::now();
    readBack.bindBuffer(GL_PIXEL_PACK_BUFFER, readBack.buffers[pending.slot]);
    const size_t size = static_cast<size_t>(pending.width) * pending.height * 4;
    const void* pixels =
        readBack.es ? readBack.mapBufferRange(GL_PIXEL_PACK_BUFFER, 0,
                                              static_cast<GLsizeiptr>(size), GL_MAP_READ_BIT)
                    : readBack.mapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
    readBackSeconds += secondsSince(start);
    if (!pixels) {
        // The frame is lost: skipping it would shift every later frame against the music.
        if (!failure[0])
            std::snprintf(failure, sizeof failure,
                          "frame %llu could not be read back (glMapBuffer failed, GL error 0x%04x)",
                          static_cast<unsigned long long>(pending.index), glGetError());
    } else {
        if (frameSink)
            frameSink(pending.index, static_cast<const uint8_t*>(pixels), pending.width,
                      pending.height, hookUser);
        readBack.unmapBuffer(GL_PIXEL_PACK_BUFFER);
    }
    readBack.bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

}  // namespace

void beginCapture(int fps, CaptureFrameSink sink, CaptureAdvance advance, void* user) {
    capturing = true;
    captureFps = fps > 0 ? fps : 60;
    frameSink = sink;
    advanceHook = advance;
    hookUser = user;
    framesPresented = 0;
    readBackSeconds = 0;
    failure[0] = '\0';
    pending = Pending();
    platformUseVirtualTicks(true);
    platformSetVirtualTicks(0);
    platformSetFrameHooks(captureFrame, finishCapture);
}

bool captureActive() {
    return capturing;
}

uint64_t capturedFrames() {
    return framesPresented;
}

uint32_t captureFrameTicks(uint64_t frameIndex) {
    return static_cast<uint32_t>(frameIndex * 1000 / static_cast<uint64_t>(captureFps));
}

void skipCaptureFrame() {
    ++framesPresented;
    uint32_t next = captureFrameTicks(framesPresented);
    platformSetVirtualTicks(next);
    if (advanceHook) advanceHook(framesPresented, next, hookUser);
}

void captureFrame(int width, int height) {
    Clock::time_point start = Clock::now();
    if (!readBack.set) setUpReadBack();
    // Let the rasteriser start on this frame while the previous one goes to the sink.
    glFlush();
    readBackSeconds += secondsSince(start);
    deliverPending();
    start = Clock::now();
    int slot = static_cast<int>(framesPresented % 2);
    readInto(slot, width, height);
    readBackSeconds += secondsSince(start);
    pending = {true, framesPresented, width, height, slot};
    ++framesPresented;
    uint32_t next = captureFrameTicks(framesPresented);
    platformSetVirtualTicks(next);
    if (advanceHook) advanceHook(framesPresented, next, hookUser);
}

void finishCapture() {
    if (!capturing) return;
    deliverPending();
    if (readBack.pixelBuffers && readBack.buffers[0]) {
        readBack.deleteBuffers(2, readBack.buffers);
        readBack.buffers[0] = readBack.buffers[1] = 0;
        readBack.bufferSize[0] = readBack.bufferSize[1] = 0;
    }
    readBack.set = false;
}

const char* captureFailure() {
    return failure;
}

double captureReadBackSeconds() {
    return readBackSeconds;
}
