// The show's window and its message pump: Escape closes the window, which ends the show.
#pragma once
#include <cstdint>

struct PlatformEvent;

extern int32_t gScreenWidth;
extern int32_t gScreenHeight;
extern int32_t gQuitRequested;  // 1 once a quit has been taken from the queue; never reset

// Handles one event: Escape asks the window to close, a close hides the window and queues a
// quit, a new drawable size refits the viewport; in development mode every other key goes to
// devModeKey.
void windowProcedure(const PlatformEvent& event);
// Handles every queued event without waiting (in development mode it waits while the show is
// paused). Returns 1 once the user asked to quit (and on every later call, without touching the
// queue), else 0.
int32_t pumpMessages();
