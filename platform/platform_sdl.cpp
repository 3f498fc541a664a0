// The platform layer over SDL2: window, events, ticks, message boxes and the GL context.
#include <SDL.h>
#include <GL/gl.h>

#include <atomic>
#include <cstdio>

#include "platform/capture.h"
#include "platform/platform.h"

namespace {

SDL_Window* window = nullptr;           // the one window; none until created or after closing
SDL_GLContext context = nullptr;        // the GL context on it
uint32_t startTicks = 0;                // SDL's tick count when the platform started
bool fullscreenRequested = false;       // whether a display mode change was asked for
std::atomic<bool> virtualTicks{false};  // ticks come from platformSetVirtualTicks, not the system
std::atomic<uint32_t> virtualTickCount{0};
Uint32 closeRequestEvent = 0;  // our own event type for a queued close request

}  // namespace

uint32_t platformTicks() {
    return virtualTicks ? virtualTickCount.load() : SDL_GetTicks() - startTicks;
}

void platformUseVirtualTicks(bool on) {
    virtualTicks = on;
}

void platformSetVirtualTicks(uint32_t ms) {
    virtualTickCount = ms;
}

bool platformInit(std::string* error) {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        if (error) *error = SDL_GetError();
        return false;
    }
    startTicks = SDL_GetTicks();
    if (closeRequestEvent == 0) closeRequestEvent = SDL_RegisterEvents(1);
    return true;
}

bool platformCreateWindow(int width, int height, const char* title, std::string* error) {
    // The GL format has to be chosen before an X11 window exists, so it is requested here:
    // RGBA, double-buffered, with the deepest depth buffer the driver has (32 bits asked first).
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    const Uint32 flags =
        SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SHOWN;
    for (int depth : {32, 24, 16}) {
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
        window = SDL_CreateWindow(title, 0, 0, width, height, flags);
        if (window) break;
    }
    if (!window) {
        if (error) *error = SDL_GetError();
        return false;
    }
    SDL_ShowCursor(SDL_DISABLE);  // the cursor is hidden over the window
    return true;
}

bool platformHasWindow() {
    return window != nullptr;
}

void platformCloseWindow() {
    if (window) SDL_HideWindow(window);
}

void platformRequestDisplayMode(int width, int height, int bitsPerPixel) {
    if (!window) return;
    SDL_DisplayMode mode = {};
    mode.format = bitsPerPixel == 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
    mode.w = width;
    mode.h = height;
    SDL_SetWindowDisplayMode(window, &mode);
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
    fullscreenRequested = true;
}

void platformRestoreDisplayMode() {
    if (window && fullscreenRequested) SDL_SetWindowFullscreen(window, 0);
    fullscreenRequested = false;
}

bool platformPollEvent(PlatformEvent& event) {
    // SDL_PollEvent stops at a marker it puts behind the events queued when a poll loop
    // starts, so events queued while handling (a close request, then the quit) would wait
    // for the next frame. Taking events directly drains the queue, whatever was added late.
    SDL_Event e;
    if (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) <= 0) {
        SDL_PumpEvents();
        if (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) <= 0) return false;
    }
    event = PlatformEvent();
    switch (e.type) {
        case SDL_QUIT:
            event.type = PlatformEventType::Quit;
            break;
        case SDL_KEYDOWN:
            event.type = PlatformEventType::KeyDown;
            event.key = e.key.keysym.sym;  // SDLK_ESCAPE is 27, as the show expects
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE)
                event.type = PlatformEventType::WindowClose;
            else if (e.window.event == SDL_WINDOWEVENT_EXPOSED)
                event.type = PlatformEventType::Expose;
            else
                event.type = PlatformEventType::Other;
            break;
        default:
            event.type = e.type == closeRequestEvent ? PlatformEventType::WindowClose
                                                     : PlatformEventType::Other;
            break;
    }
    return true;
}

void platformPostClose() {
    // A window event pushed by hand is not delivered reliably, so the request has a type of
    // its own; the pump sees it as the same close as the window manager's.
    SDL_Event e = {};
    e.type = closeRequestEvent;
    SDL_PushEvent(&e);
}

void platformPostQuit() {
    SDL_Event e = {};
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
}

void platformShowMessage(const char* caption, const char* text) {
    // Standard error first: where no box can be shown (no display) the text is still seen.
    std::fprintf(stderr, "%s: %s", caption, text);
    size_t n = std::char_traits<char>::length(text);
    if (n == 0 || text[n - 1] != '\n') std::fputc('\n', stderr);
    std::fflush(stderr);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}

bool platformSetPixelFormat(std::string* error) {
    // The format was fixed when the window was made; all that can fail now is its absence.
    if (!window) {
        if (error) *error = "no window";
        return false;
    }
    return true;
}

bool platformCreateContext() {
    if (!window) return false;
    context = SDL_GL_CreateContext(window);
    if (!context) return false;
    // Vsync where the driver offers it; a capture runs as fast as it can.
    SDL_GL_SetSwapInterval(platformCapturing() ? 0 : 1);
    return true;
}

bool platformMakeCurrent() {
    return context && SDL_GL_MakeCurrent(window, context) == 0;
}

bool platformReleaseCurrent() {
    platformFinishCapture();  // the last frame read back still needs the context
    return SDL_GL_MakeCurrent(window, nullptr) == 0;
}

bool platformDeleteContext() {
    if (!context) return false;
    SDL_GL_DeleteContext(context);
    context = nullptr;
    return true;
}

void* platformGetProcAddress(const char* name) {
    return SDL_GL_GetProcAddress(name);
}

void platformSwapBuffers() {
    if (!window) return;
    if (platformCapturing()) {
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(window, &w, &h);
        platformCaptureFrame(w, h);  // read back before the buffers change hands
    }
    SDL_GL_SwapWindow(window);
}

void platformFitViewport() {
    if (!window) return;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window, &w, &h);
    // Largest centred 4:3 area; the bars stay black because every clear clears them too.
    int vw = w, vh = h;
    if (static_cast<long>(w) * 3 > static_cast<long>(h) * 4)
        vw = h * 4 / 3;
    else
        vh = w * 3 / 4;
    glViewport((w - vw) / 2, (h - vh) / 2, vw, vh);
}

void platformShutdown() {
    platformDeleteContext();
    if (window) SDL_DestroyWindow(window);
    window = nullptr;
    SDL_Quit();
}

void platformPostKeyDown(int key) {
    SDL_Event e = {};
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = key;
    e.key.windowID = window ? SDL_GetWindowID(window) : 0;
    SDL_PushEvent(&e);
}
