// Music played in real time on the sound device, or silently on a clock of its own where there is
// none.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/module.h"

// Position callback, as the player calls it: the sync's id, the music handle, and the
// position packed by packPosition. It is called when the row's first frame is heard (the
// device's buffer and the driver's latency allowed for): on the player's own thread at that
// moment, or, where there are no threads, by the first audioPoll after it.
using MusicSyncProc = void (*)(uint32_t sync, uint32_t channel, uint32_t data);

// Opens the default output device (44100 Hz, stereo, paused). When no device opens, or the
// driver plays nothing ("dummy"), music will run silently in real time instead; this is said
// once on standard error. Likewise when an open device stops asking for sound for 250 ms
// while a song plays (the sound server died or hung): the song goes on silently from where
// it was, said in one line.
void audioInit();
// Whether playback runs without sound on the player's own clock thread.
bool audioIsSilent();
// Loads the module to play (one at a time, replacing any other) and sets *handle to its handle.
// Returns "" on success; otherwise *handle is 0 and the text names the file and the reason.
std::string audioLoadMusic(const char* path, uint32_t* handle);
// As audioLoadMusic, from a module held in memory (copied); `name` stands for the file.
std::string audioLoadMusicMemory(const void* data, size_t size, const char* name, uint32_t* handle);
// Starts output; until a module plays it is silence.
void audioStart();
// Installs `proc` as the position callback of `handle`; returns the sync's id, 0 if unknown.
uint32_t audioSetPositionSync(uint32_t handle, MusicSyncProc proc);
// Plays the module from where it stands (its start, once loaded); false if `handle` is unknown.
bool audioPlay(uint32_t handle);
// Moves the loaded, not yet playing module to (order, row); false if that is not possible.
bool audioSeek(uint32_t handle, int32_t order, int32_t row);
// Pauses playback where it stands (true) or resumes it from the same sample (false); no
// position is reported while paused.
void audioPause(bool pause);
// Takes the last `ns` nanoseconds out of the music's time, as if paused then: a browser that froze
// the page without notice made no sound meanwhile, and the picture stood still too.
void audioSkipStall(int64_t ns);
// Gives up on the sound device now (a browser whose sound did not start): the music goes on
// silently on the player's own clock, and back to the device if it starts asking for sound.
void audioAbandonDevice();
// Delivers every position heard by now. Where the platform has threads a thread of the player
// does this on its own; where it has none, the frame loop calls it once a frame.
void audioPoll();
// Stops output; when it returns, no callback runs and none will.
void audioStop();
// Releases the module and the audio device. Safe to call at any time, more than once.
void audioFree();
