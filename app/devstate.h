// The development mode's state, apart from app/devmode.h so that the overlay can read it
// without depending on the key handling and the reload that depend on the overlay.
#pragma once

#include "app/music.h"

// What a seek key asked for; the frame loop that carries it out sets it back to None.
enum class SeekRequest { None, PreviousOrder, NextOrder, PreviousScene, NextScene, Restart };

// The development mode's state. Keys only record requests here (pause acts at once, since the
// pump is where a paused frame is held); everything is read and written on the main thread.
struct DevMode {
    bool enabled = false;     // --dev: without it only Escape acts
    bool paused = false;      // the show clock and the music stand still, the frame holds
    bool overlay = false;     // F1: position, scene and frame time drawn over the picture
    bool loopToggle = false;  // L pressed: loop the current order, or stop looping
    SeekRequest seek = SeekRequest::None;  // the latest seek key not yet carried out
    bool looping = false;                  // the show plays loopFrom to loopTo over and over
    bool loopGiven = false;                // --loop FROM-TO
    MusicPosition loopFrom;
    MusicPosition loopTo;
};

inline DevMode gDevMode;
