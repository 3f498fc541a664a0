// The demo driver: display up, assets, music, seven scenes, closing, shut-down.
#pragma once

class DeviceFactory;
class DisplayDevice;

extern DeviceFactory* gDeviceFactory;
extern DisplayDevice* gDisplayDevice;

// A scene: runs its own frame loop; returns 0 when the music reached its end order, or the
// pump's quit value.
using SceneFunction = int (*)();
// The scene sequence the driver plays, in order, and its length (the scenes define them).
extern const SceneFunction kSceneSequence[];
extern const int kSceneCount;

// Runs the whole show. Returns the process exit code: 0 after a normal end or a quit,
// non-zero when the display or the data could not be set up.
int runDemo(int width, int height, int bitsPerPixel);
