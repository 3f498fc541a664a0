// The seven scenes of the show, in play order; each runs its own frame loop.
#pragma once

#include "app/driver.h"  // SceneFunction, and the sequence the scenes define

int runTitleScene();     // orders 0-2
int runBlobScene();      // to order 9
int runWaveScene();      // to order 15
int runSpiralScene();    // to order 18
int runFigureScene();    // to order 23
int runLogoZoomScene();  // to order 26
int runHeartScene();     // to order 28
