// Live reload in development mode: files of the data folder that change are reloaded between
// frames; a damaged replacement keeps the old asset and says why.
#pragma once

// Records the modification time and size of every data file (and the overlay font).
void startDataReload();
// At most every 250 ms: reloads each file whose time or size changed since it was recorded.
// Problems go to standard error and to the overlay's message line; the show always goes on.
// Returns true when an asset was replaced.
bool pollDataReload();
// The same check at once, whatever the time since the last one.
bool checkDataFilesNow();
// Whether an asset was replaced since the last call; clears it.
bool takeAssetsReplaced();
