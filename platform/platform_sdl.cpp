// The platform layer over SDL2: window, events, ticks, message boxes and the GL context.
#include <SDL.h>
#include <GL/gl.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.h"
#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include "platform/web/page.h"
#include "platform/web_frame.h"
#endif

namespace {

SDL_Window* window = nullptr;           // the one window; none until created or after closing
SDL_GLContext context = nullptr;        // the GL context on it
uint32_t startTicks = 0;                // SDL's tick count when the platform started
bool fullscreenRequested = false;       // whether a display mode change was asked for
std::atomic<bool> virtualTicks{false};  // ticks come from platformSetVirtualTicks, not the system
std::atomic<uint32_t> virtualTickCount{0};
std::atomic<bool> ticksHeld{false};         // the tick count stands still (a paused show)
std::atomic<uint32_t> heldTickCount{0};     // the tick count while held
std::atomic<uint32_t> heldTotal{0};         // milliseconds spent held, left out of the count
std::atomic<uint32_t> lastTicksRead{0};     // the count platformTicks last gave
Uint32 closeRequestEvent = 0;               // our own event type for a queued close request
PlatformSwapHook swapHook = nullptr;        // a frame grabber (capture) at each swap
PlatformReleaseHook releaseHook = nullptr;  // and before the context is released
PlatformContextHook contextHook = nullptr;  // makes the GL objects again after a lost context
std::string noFormatReason;  // why the window has no GL format at all; empty when it has one
bool es2Requested = false;   // an OpenGL ES 2.0 context is wanted (the ES 2.0 renderer)
int windowDoubleBuffer = 0;  // the double buffering the window's format was asked with

// The clock before holds are taken out.
uint32_t sourceTicks() {
    return virtualTicks ? virtualTickCount.load() : SDL_GetTicks() - startTicks;
}

// The offscreen driver renders into a pbuffer that is never shown on a screen.
bool offscreenDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "offscreen") == 0;
}

// Context attributes for an OpenGL ES 2.0 context.
void useES2Attributes() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
}

// Context attributes for a desktop context (SDL's defaults), the ES 2.0 renderer's fallback.
void useDesktopAttributes() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
}


}  // namespace

uint32_t platformTicks() {
    const uint32_t ticks = ticksHeld ? heldTickCount.load() : sourceTicks() - heldTotal.load();
    lastTicksRead = ticks;
    return ticks;
}

void platformHoldTicksAtLastRead() {
    if (ticksHeld) return;
    heldTickCount = lastTicksRead.load();
    ticksHeld = true;
}

void platformHoldTicks(bool hold) {
    if (hold == ticksHeld) return;
    if (hold) {
        heldTickCount = sourceTicks() - heldTotal.load();
        ticksHeld = true;
    } else {
        heldTotal = sourceTicks() - heldTickCount.load();
        ticksHeld = false;
    }
}

void platformSkipTicks(uint32_t ms) {
    if (!ticksHeld) heldTotal += ms;
}

void platformUseVirtualTicks(bool on) {
    virtualTicks = on;
    // A new clock source starts without holds.
    ticksHeld = false;
    heldTotal = 0;
}

void platformResumeRealTicks(uint32_t ms) {
    startTicks = SDL_GetTicks() - ms;
    virtualTicks = false;
    ticksHeld = false;
    heldTotal = 0;
}

void platformSetVirtualTicks(uint32_t ms) {
    virtualTickCount = ms;
}

std::string platformInit() {
#ifdef __EMSCRIPTEN__
    // The swap yields to the browser until its next animation frame (webWaitForNextFrame); SDL's
    // own yield at the swap would only add a second, unpaced one.
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "0");
#endif
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) return SDL_GetError();
    startTicks = SDL_GetTicks();
    if (closeRequestEvent == 0) closeRequestEvent = SDL_RegisterEvents(1);
    return "";
}

std::string platformCreateWindow(int width, int height, const char* title) {
    // The GL format has to be chosen before an X11 window exists, so it is requested here:
    // RGBA with 8 bits a channel and the deepest depth buffer the driver has, then any colour
    // depth (a 16-bit desktop). The last two tries give up the depth buffer and double
    // buffering only so that a window exists to report on: platformCheckPixelFormat refuses them.
    struct Format {
        int colourBits, depthBits, doubleBuffer;
    };
    static const Format kFormats[] = {{8, 32, 1}, {8, 24, 1}, {8, 16, 1}, {0, 24, 1},
                                      {0, 16, 1}, {0, 0, 1},  {0, 0, 0}};
    const Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SHOWN;
    noFormatReason.clear();
    // The library behind the context (GLX or EGL, libGL or libGLESv2) is chosen with the window.
    if (es2Requested) useES2Attributes();
    auto tryFormats = [&] {
        for (const Format& f : kFormats) {
            SDL_GL_SetAttribute(SDL_GL_RED_SIZE, f.colourBits);
            SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, f.colourBits);
            SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, f.colourBits);
            SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, f.depthBits);
            SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, f.doubleBuffer);
            window = SDL_CreateWindow(title, 0, 0, width, height, flags | SDL_WINDOW_OPENGL);
            windowDoubleBuffer = f.doubleBuffer;
            if (window) return;
            if (noFormatReason.empty()) noFormatReason = SDL_GetError();
        }
    };
    tryFormats();
    if (!window && es2Requested) {
        // Where the window system offers ES contexts only through an EGL library that is not
        // there (Windows without WGL_EXT_create_context_es2_profile, Wine), no ES window can
        // be made at all: a desktop one may still speak the ES 2.0 shading language.
        std::fprintf(stderr, "display: no OpenGL ES 2.0 window (%s); trying desktop OpenGL\n",
                     noFormatReason.c_str());
        useDesktopAttributes();
        noFormatReason.clear();
        tryFormats();
    }
    if (window) {
        noFormatReason.clear();
    } else {
        // No GL format at all: a plain window still lets the display set-up fail with its
        // own message box and error file instead of ending here.
        window = SDL_CreateWindow(title, 0, 0, width, height, flags);
    }
    if (!window) return SDL_GetError();
    SDL_ShowCursor(SDL_DISABLE);  // the cursor is hidden over the window
    return "";
}

bool platformHasWindow() {
    return window != nullptr;
}

void platformCloseWindow() {
    if (window) SDL_HideWindow(window);
}

void platformRequestDisplayMode(int width, int height, int bitsPerPixel) {
#ifdef __EMSCRIPTEN__
    // A page may go full screen only on the person's own gesture: the page offers it (F, a
    // double click) and keeps the picture 4:3 in the browser's window meanwhile.
    return;
#endif
    if (!window) return;
    SDL_DisplayMode mode = {};
    mode.format = bitsPerPixel == 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
    mode.w = width;
    mode.h = height;
    SDL_SetWindowDisplayMode(window, &mode);
    int failed = SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
    fullscreenRequested = true;
    // Without a screen (offscreen driver, capture) there is nothing to cover.
    if (offscreenDriver() || swapHook) return;
    int display = SDL_GetWindowDisplayIndex(window);
    if (display < 0) display = 0;
    SDL_DisplayMode current = {};
    if (!failed && SDL_GetCurrentDisplayMode(display, &current) == 0 && current.w == width &&
        current.h == height)
        return;
    // The display kept another size (Xvfb, many Wayland desktops, no such mode): SDL then
    // believes the window covers the screen while it stays at its own size in a corner. Cover
    // the desktop at its own size instead; the viewport keeps the picture 4:3 inside it. The
    // window is moved and sized by hand first, for displays without a window manager to obey
    // the full-screen request.
    SDL_SetWindowFullscreen(window, 0);
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(display, &bounds) == 0) {
        SDL_SetWindowPosition(window, bounds.x, bounds.y);
        SDL_SetWindowSize(window, bounds.w, bounds.h);
    }
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
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
            else if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                event.type = PlatformEventType::Resize;
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
#ifdef __EMSCRIPTEN__
    // A browser's box (alert) would stop the page; the page shows standard error in its panel.
    return;
#endif
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr) != 0) {
        std::fprintf(stderr, "(no message box could be shown: %s)\n", SDL_GetError());
        std::fflush(stderr);
    }
}

std::string platformSetPixelFormat() {
    // The format was fixed when the window was made; what can fail now is that it got none.
    if (!window) return "no window";
    if (!noFormatReason.empty()) return "no OpenGL pixel format for the window: " + noFormatReason;
    return "";
}

std::string platformCheckPixelFormat() {
    int depthBits = 0, doubleBuffer = 0;
    if (SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depthBits) != 0) depthBits = 0;
    if (SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer) != 0)
        // An ES context cannot be asked (no GL_DOUBLEBUFFER there): its surface has the format
        // the window was made with.
        doubleBuffer = es2Requested ? windowDoubleBuffer : 0;
    if (depthBits <= 0) return "the OpenGL pixel format of the window has no depth buffer";
    // An offscreen pbuffer has one buffer; its frames are read back, never shown half-drawn.
    if (!doubleBuffer && !offscreenDriver())
        return "the OpenGL pixel format of the window is not double-buffered";
    return "";
}

void platformShowWindow() {
    if (!window) return;
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    SDL_SetWindowInputFocus(window);  // Escape reaches the show without a click
}

void platformRequestES2Context(bool es2) {
    es2Requested = es2;
}

bool platformCreateContext() {
    if (!window) return false;
    context = SDL_GL_CreateContext(window);
    if (!context && es2Requested) {
        // No ES context: a desktop one, which may still speak the ES 2.0 shading language.
        std::fprintf(stderr, "display: no OpenGL ES 2.0 context (%s); trying desktop OpenGL\n",
                     SDL_GetError());
        useDesktopAttributes();
        context = SDL_GL_CreateContext(window);
    }
    if (!context) return false;
    // Vsync where the driver offers it; a capture runs as fast as it can.
    SDL_GL_SetSwapInterval(swapHook ? 0 : 1);
    return true;
}

bool platformMakeCurrent() {
    return context && SDL_GL_MakeCurrent(window, context) == 0;
}

bool platformReleaseCurrent() {
    if (releaseHook) releaseHook();  // a grabber may still need the context
    return SDL_GL_MakeCurrent(window, nullptr) == 0;
}

bool platformDeleteContext() {
    if (!context) return false;
    SDL_GL_DeleteContext(context);
    context = nullptr;
    return true;
}

void platformSetFrameHooks(PlatformSwapHook onSwap, PlatformReleaseHook onRelease) {
    swapHook = onSwap;
    releaseHook = onRelease;
}

void platformOnContextRestored(PlatformContextHook hook) {
    contextHook = hook;
}

void platformContextRestored() {
    if (contextHook) contextHook();
}

void* platformGetProcAddress(const char* name) {
    void* entry = SDL_GL_GetProcAddress(name);
    // Some Windows drivers answer a name they do not know with 1, 2, 3 or -1 instead of null.
    const auto bits = reinterpret_cast<intptr_t>(entry);
    if (bits >= -1 && bits <= 3) return nullptr;
    return entry;
}

void platformSwapBuffers() {
    if (!window) return;
    if (swapHook) {
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(window, &w, &h);
        swapHook(w, h);  // read back before the buffers change hands
    }
    // Swapping a pbuffer does nothing, so nothing would ever make the driver finish a frame:
    // llvmpipe then keeps queuing the frames' work and memory grows by gigabytes. Finishing
    // each frame here is what presenting it does on a real window.
    if (offscreenDriver()) glFinish();
    SDL_GL_SwapWindow(window);
#ifdef __EMSCRIPTEN__
    webWaitForNextFrame();  // the browser shows the frame when the show yields to it
#endif
}

void platformFitViewport() {
    if (!window) return;
    int w = 0, h = 0;
#ifdef __EMSCRIPTEN__
    // The page sizes the drawing buffer to the canvas as shown; SDL knows only the window's size.
    webFitCanvas();
    webCanvasSize(&w, &h);
#else
    SDL_GL_GetDrawableSize(window, &w, &h);
#endif
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

int platformExitCode(int code) {
#ifdef __EMSCRIPTEN__
    emscripten_force_exit(code);  // also when something still holds the runtime alive
#endif
    return code;
}

void platformPostKeyDown(int key) {
    SDL_Event e = {};
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = key;
    e.key.windowID = window ? SDL_GetWindowID(window) : 0;
    SDL_PushEvent(&e);
}
