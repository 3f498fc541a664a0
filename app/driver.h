// The demo driver and the show clock: display up, assets, music, seven scenes, closing, shut-down.
#pragma once
#include <atomic>

class DeviceFactory;
class DisplayDevice;

extern DeviceFactory* gDeviceFactory;
extern DisplayDevice* gDisplayDevice;

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

// Runs the whole show. Returns the process exit code: 0 after a normal end or a quit,
// non-zero when the display or the data could not be set up.
int runDemo(int width, int height, int bitsPerPixel);
