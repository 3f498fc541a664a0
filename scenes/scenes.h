// The seven scenes of the show, in play order; each runs its own frame loop.
#pragma once

// A scene: returns 0 when the music reached its end order, the pump's quit value, or
// kSceneFailed when it could not be set up.
using SceneFunction = int (*)();

constexpr int kSceneFailed = -1;
// What the last scene that returned kSceneFailed could not do, as one line for the user.
extern const char* sceneFailure;

int runTitleScene();     // orders 0-2
int runBlobScene();      // to order 9
int runWaveScene();      // to order 15
int runSpiralScene();    // to order 18
int runFigureScene();    // to order 23
int runLogoZoomScene();  // to order 26
int runHeartScene();     // to order 28

// The scene sequence the driver plays, in order, and its length.
extern const SceneFunction kSceneSequence[];
extern const int kSceneCount;
