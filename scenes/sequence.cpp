// The scene sequence the driver plays, in show order, and the reset of what the show carries.
#include "scenes/scenes.h"

#include "app/assets.h"
#include "app/clock.h"
#include "app/closing.h"
#include "app/music.h"
#include "scene/worldclip.h"
#include "scenes/common.h"

const SceneFunction kSceneSequence[] = {runTitleScene,  runBlobScene,   runWaveScene,
                                        runSpiralScene, runFigureScene, runLogoZoomScene,
                                        runHeartScene};
static_assert(sizeof kSceneSequence / sizeof kSceneSequence[0] == kSceneCount,
              "one scene function for every scene part of kSceneSpans, in its order");

const char* sceneFailure = "";

void resetShowState() {
    resetClock();
    resetMusicPosition();
    resetScenePhase();
    resetBlobState();
    resetWaveState();
    resetClosingState();
    resetWorldClipState();
    if (tentacleField.tentacleCount > 0) tentacleField.reset();
}
