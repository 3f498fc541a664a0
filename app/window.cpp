// Message pump and window procedure of the show's one window.
#include "app/window.h"

#include "app/devmode.h"
#include "app/seek.h"
#include "platform/audio.h"
#include "platform/platform.h"

int32_t gScreenWidth = 0;
int32_t gScreenHeight = 0;
int32_t gQuitRequested = 0;

void windowProcedure(const PlatformEvent& event) {
    switch (event.type) {
        case PlatformEventType::KeyDown:
            if (event.key == kKeyEscape)
                platformPostClose();  // Escape: close, like the window's own button
            else if (gDevMode.enabled)
                devModeKey(event.key);  // other keys act only in development mode
            break;
        case PlatformEventType::Resize:
            platformFitViewport();  // the picture stays the largest 4:3 area of the new size
            break;
        case PlatformEventType::WindowClose:
            // Closing takes the window away and leaves a quit in the queue for the pump.
            platformCloseWindow();
            platformPostQuit();
            break;
        default:
            break;
    }
}

int32_t pumpMessages() {
    if (gQuitRequested) return 1;
    // In development mode a paused show stays here, taking events, until it resumes.
    for (;;) {
        audioPoll();  // the music's positions heard by now, where no thread delivers them
        PlatformEvent event;
        while (platformPollEvent(event)) {
            if (event.type == PlatformEventType::Quit) {
                gQuitRequested = 1;
                return 1;  // anything queued behind the quit stays there
            }
            windowProcedure(event);
        }
        // Pause, seek, loop and reload are answered here and nowhere else.
        const bool hold = devModeHoldsFrame();
        answerDevRequests();
        if (restartPending()) return kPumpRestart;
        if (!hold) return 0;
    }
}
