// The scene sequence the driver plays, in show order.
#include "scenes/scenes.h"

const SceneFunction kSceneSequence[] = {runTitleScene,  runBlobScene,   runWaveScene,
                                        runSpiralScene, runFigureScene, runLogoZoomScene,
                                        runHeartScene};
const int kSceneCount = sizeof kSceneSequence / sizeof kSceneSequence[0];

const char* sceneFailure = "";
