// The show clock: seconds since the first update, and the running scene's own time.
#pragma once
#include <atomic>

// Show clock, in seconds (floats). The start tick is -1.0 until the first clock update.
extern std::atomic<float> clockStartTick;  // read by the music callback's thread too
extern float clockTick;
extern float now;
extern float previous;
extern float sceneStart;
extern float sceneTime;
extern float frameDelta;

// previous = now; tick from the platform; latch the start tick on the first call;
// now, sceneTime and frameDelta follow.
void updateClock();
// sceneStart = now, sceneTime = 0.
void startSceneClock();
// Puts the clock back as before the first update: start tick -1, every time 0.
void resetClock();
