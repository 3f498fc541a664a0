// The demo driver: display up, assets, music, seven scenes, closing, shut-down.
#pragma once

#include "app/scenetable.h"

class DeviceFactory;
class DisplayDevice;
class Renderer;

extern DeviceFactory* gDeviceFactory;
extern DisplayDevice* gDisplayDevice;

// A scene: runs its own frame loop; returns 0 when the music reached its end order, the pump's
// value (a quit or a restart), or kSceneFailed when it could not be set up.
using SceneFunction = int (*)();
constexpr int kSceneFailed = -1;
// The scene sequence the driver plays, in order: entry i plays part i of kSceneSpans (the scenes
// define it). The closing sequence follows it.
extern const SceneFunction kSceneSequence[];
constexpr int kSceneCount = kClosingPart;
// What the last scene that returned kSceneFailed could not do, as one line for the user.
extern const char* sceneFailure;
// Puts every piece of state the show carries from frame to frame back to its start: the clock,
// the music position, the scenes' own values, the closing sequence's logo and fade, and the
// tentacle field when it has been built. Textures and meshes stay loaded. (The scenes define it.)
void resetShowState();

// Makes `backend` the back of the renderer stack that the driver owns and sets gRenderer to its
// front: the development overlay stands in front of the backend in development mode, and the
// fast-forward's renderer in front of both while a fast-forward runs (the stack follows it).
void stackRenderers(Renderer* backend);

// Runs the whole show. Returns the process exit code: 0 after a normal end or a quit,
// non-zero when the display or the data could not be set up.
int runDemo(int width, int height, int bitsPerPixel);
