// The seven scenes of the show, in play order; each runs its own frame loop until the music
// reaches its part's end order in app/scenetable.h.
#pragma once

#include "app/driver.h"  // SceneFunction, and the sequence the scenes define

int runTitleScene();
int runBlobScene();
int runWaveScene();
int runSpiralScene();
int runFigureScene();
int runLogoZoomScene();
int runHeartScene();
