// The seven scenes of the show, in play order; each runs its own frame loop.
#pragma once

// A scene: returns 0 when the music reached its end order, or the pump's quit value.
using SceneFunction = int (*)();

// The scene sequence the driver plays, in order, and its length.
extern const SceneFunction kSceneSequence[];
extern const int kSceneCount;
