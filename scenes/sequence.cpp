// The scene sequence (empty until the scenes land).
#include "scenes/scenes.h"

const SceneFunction kSceneSequence[] = {nullptr};
const int kSceneCount = 0;
