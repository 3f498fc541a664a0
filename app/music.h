// The music position record and its sync callback: the show is timed by the module's order and row.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

// Written only by onMusicPosition (possibly on the audio thread), read by the frame loops.
// Each is one aligned 32-bit value, stored and loaded whole; no lock.
extern std::atomic<int32_t> musicRow;
extern std::atomic<int32_t> musicOrder;
extern std::atomic<float>
    syncTime;  // show clock (seconds) at the latest report; 0 before it starts

// Puts the position back to the start of the song: order 0, row 0, sync time 0.
void resetMusicPosition();

// Position callback: data = row * 65536 + order. Stores the row, then the order, then syncTime:
// a reader that loads the order, then the row, never sees a new order with an older row.
void onMusicPosition(uint32_t sync, uint32_t channel, uint32_t data);
// Installs onMusicPosition as the position callback of the playing module.
void startMusicSync(uint32_t handle);

// The driver's music stage: opens the module at `modulePath`, starts output (silently in real
// time when no audio device opens), installs the sync and starts playback. Returns an empty
// string on success, else a message naming the file and the reason.
std::string startMusic(const char* modulePath);
// As startMusic, but playback begins at (order, row) instead of the song's start.
std::string startMusicAt(const char* modulePath, int order, int row);
// Shut-down: stops output and frees the player; no audio callback runs afterwards.
void stopMusic();
