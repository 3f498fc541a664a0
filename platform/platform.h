// The platform layer: window, events, ticks, message boxes and the GL context, over SDL2.
#pragma once
#include <cstdint>
#include <string>

// Events the show's message pump handles; everything else arrives as Other.
// Resize: the window's drawable changed size (a late full-screen switch, a window manager).
enum class PlatformEventType { None, Quit, KeyDown, WindowClose, Expose, Resize, Other };

struct PlatformEvent {
    PlatformEventType type = PlatformEventType::None;
    int key = 0;  // for KeyDown: 27 is Escape, other keys keep their SDL key code
};

// Key codes of PlatformEvent::key (SDL's key codes) for the keys the show acts on.
constexpr int kKeyEscape = 27;
constexpr int kKeySpace = 32;
constexpr int kKeyL = 'l';
constexpr int kKeyF1 = (1 << 30) | 58;
constexpr int kKeyHome = (1 << 30) | 74;
constexpr int kKeyPageUp = (1 << 30) | 75;
constexpr int kKeyRight = (1 << 30) | 79;
constexpr int kKeyLeft = (1 << 30) | 80;
constexpr int kKeyPageDown = (1 << 30) | 78;

// Milliseconds since the platform started (virtual in capture mode), less the time held.
uint32_t platformTicks();
// Holds the tick count where it is (true) or lets it run on from there (false): time spent
// held never shows in platformTicks.
void platformHoldTicks(bool hold);
// Holds the tick count at the value platformTicks last gave: the frame drawn next is the one
// drawn last, to the millisecond (a page held between two frames).
void platformHoldTicksAtLastRead();
// Takes the last `ms` milliseconds out of the tick count, as if they had been held (a page the
// browser froze without notice); nothing while held.
void platformSkipTicks(uint32_t ms);

// Set-up steps return "" on success and otherwise what failed.

// Starts SDL's video and event subsystems; on failure, SDL's reason.
std::string platformInit();
// Creates the borderless, top-most window of the given size with the cursor hidden over it,
// choosing the GL format on the way. A window that can have no GL format at all is still made;
// platformSetPixelFormat then reports it. On failure, SDL's reason.
std::string platformCreateWindow(int width, int height, const char* title);
// Whether the window exists and has not been closed.
bool platformHasWindow();
// Hides and forgets the window (the show's answer to a close request).
void platformCloseWindow();
// Asks for a display mode of the given size and depth and makes the window full-screen. Where
// the display keeps its own size, the window covers the desktop at that size instead.
void platformRequestDisplayMode(int width, int height, int bitsPerPixel);
// Gives the desktop its own display mode back.
void platformRestoreDisplayMode();

// Takes the next queued event without waiting; returns false when the queue is empty.
bool platformPollEvent(PlatformEvent& event);
// Queues a close request for the window (after everything already queued).
void platformPostClose();
// Queues a quit request (after everything already queued).
void platformPostQuit();

// Shows a message box with the caption and text, and writes both to standard error.
void platformShowMessage(const char* caption, const char* text);

// Whether the window got a GL format: "" when it did, else why not (SDL's reason).
std::string platformSetPixelFormat();
// With the context current: whether its format has a depth buffer and, where frames are shown
// on a screen, double buffering. "" when it has, else what is missing.
std::string platformCheckPixelFormat();
// Shows and raises the window and gives it the keyboard focus.
void platformShowWindow();
// Asks for an OpenGL ES 2.0 context (true) or the desktop context (false, the default); takes
// effect at the next platformCreateWindow. With ES asked for, platformCreateContext makes an
// ES 2.0 context and, where none can be made, a desktop one (the caller checks what it got).
void platformRequestES2Context(bool es2);
// Creates the GL context on the window; returns false when it cannot be created.
bool platformCreateContext();
// Makes the context current; returns false on failure.
bool platformMakeCurrent();
// Releases the current context (makes none current); returns false on failure.
bool platformReleaseCurrent();
// Deletes the context; returns false when there was none.
bool platformDeleteContext();
// Looks up a GL entry point by name.
void* platformGetProcAddress(const char* name);
// A frame grabber's hooks: onSwap runs before each swap with the drawable's size, onRelease
// before the GL context is released. While a grabber is hooked the swap does not wait for
// vsync and the window does not cover the screen. The grabber calls in; the platform layer
// knows nothing of it.
using PlatformSwapHook = void (*)(int width, int height);
using PlatformReleaseHook = void (*)();
void platformSetFrameHooks(PlatformSwapHook onSwap, PlatformReleaseHook onRelease);
// A browser may take the GL context away (a GPU reset, a phone short of memory) and give it back
// empty: the hook, set by whoever made objects in it, makes them again. platformContextRestored
// runs it, from the swap, before the frame is drawn again.
using PlatformContextHook = void (*)();
void platformOnContextRestored(PlatformContextHook hook);
void platformContextRestored();
// Shows the frame (vsync where the driver offers it).
void platformSwapBuffers();
// Sets the GL viewport to the largest centred 4:3 area of the drawable.
void platformFitViewport();
// Destroys the window and stops SDL; nothing of the platform is used afterwards.
void platformShutdown();
// What main returns to end the program with `code`: `code` itself. In a browser main runs as a
// coroutine of the page and its return would reach nobody, so there this ends the program and
// tells the page `code` instead of returning.
int platformExitCode(int code);
// Queues a key press as if typed (for tests and tools driving the show).
void platformPostKeyDown(int key);
// Switches the tick count to a virtual clock that only moves when set (capture, tests).
void platformUseVirtualTicks(bool on);
// Switches virtual ticks back to the system's clock, going on from `ms` without a jump.
void platformResumeRealTicks(uint32_t ms);
// Sets the virtual tick count, in milliseconds.
void platformSetVirtualTicks(uint32_t ms);

// The folder holding the running program, ending in its separator, or "" when it cannot be told.
std::string platformBasePath();
