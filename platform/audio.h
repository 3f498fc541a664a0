// Music player over libopenmpt and SDL audio: sample-exact offline rendering and real-time play.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct openmpt_module;

constexpr int kMusicSampleRate = 44100;  // frames per second; every frame is two int16 samples
constexpr int kMusicDeviceFrames = 512;  // frames per device buffer (11.6 ms)

// One change of the playing position: (order, row) begins at `frame`.
struct PositionReport {
    int64_t frame;  // first stereo frame of the row, counted from the start of the song
    int32_t order;
    int32_t row;
};

// When a playing song ends, the position callback gets this order once (row 0): past every
// order a listener can wait for, so a module shorter than expected still ends what waits on it.
constexpr int32_t kEndOfSongOrder = 0xFFFF;

// Position as the sync callback receives it: row * 65536 + order.
inline uint32_t packPosition(int32_t order, int32_t row) {
    return (static_cast<uint32_t>(row) << 16) | (static_cast<uint32_t>(order) & 0xFFFFu);
}

// Reads a whole module file into `bytes`; "" on success, else the failure naming the file.
std::string readMusicFile(const char* path, std::vector<uint8_t>& bytes);

// Plays a module without any device, block by block, on demand. Each row's start is found
// to the frame: libopenmpt moves to a new row only when it renders that row's first frame,
// so the player renders frame by frame across every predicted tick boundary and in bulk
// in between.
class OfflineMusic {
  public:
    OfflineMusic();
    ~OfflineMusic();
    OfflineMusic(const OfflineMusic&) = delete;
    OfflineMusic& operator=(const OfflineMusic&) = delete;

    // Loads the module file at `path`; "" on success, else the failure naming the file.
    std::string open(const char* path);
    // Loads a module held in memory; `name` stands for the file in messages.
    std::string openMemory(const void* data, size_t size, const char* name);
    // Moves playback to the start of (order, row); frames and reports count from there as if
    // the song began at that row. False when there is no such position.
    bool seek(int32_t order, int32_t row);
    // Orders in the song, and the rows of the pattern that `order` plays: 0 for an order that
    // does not exist or plays no pattern.
    int32_t orderCount() const;
    int32_t rowsInOrder(int32_t order) const;
    // Mixes as cheaply as libopenmpt can (no interpolation, no volume ramps), for a caller that
    // wants the positions and not the sound; the positions are the same.
    void mixCheaply();
    // Forgets the module; render then produces nothing.
    void close();
    bool isOpen() const { return module_ != nullptr; }

    // Renders up to `frames` stereo frames (interleaved left, right) into `out`, or discards
    // them when `out` is null, and appends a report for each position that begins inside
    // them. Returns the frames rendered: fewer at the end of the song, or when `reports` is
    // at its capacity (it never grows, so reserve room). Allocates nothing.
    int render(int16_t* out, int frames, std::vector<PositionReport>& reports);

    // Frames rendered since the module was opened.
    int64_t framesRendered() const { return frame_; }
    // Whether the song has ended; render returns 0 from then on.
    bool ended() const { return ended_; }
    // Reports whose frame is only the start of the block they were found in: a tick came
    // much earlier than predicted (tempo modes other than the classic one).
    int32_t inexactReports() const { return inexact_; }

  private:
    int tickFrames() const;
    // Frames rendered one by one on each side of a predicted tick. The prediction is exact
    // for the classic tempo; the margin absorbs rounding drift over unobserved ticks.
    int tickMargin() const { return 2 + ticksSinceRow_; }

    openmpt_module* module_ = nullptr;
    int64_t frame_ = 0;   // frames rendered so far
    int32_t order_ = -1;  // last reported position; none yet
    int32_t row_ = -1;
    int64_t nextTick_ = 0;   // predicted first frame of the next tick
    int ticksSinceRow_ = 0;  // ticks predicted since the last observed row start
    bool ended_ = true;      // until a module opens
    int32_t inexact_ = 0;
    std::vector<int16_t> scratch_;  // destination of discarded audio
};

// Position callback, as the player calls it: the sync's id, the music handle, and the
// position packed by packPosition. It is called on the player's own thread at the moment the
// row's first frame is heard: the device's buffer and the driver's latency are allowed for.
using MusicSyncProc = void (*)(uint32_t sync, uint32_t channel, uint32_t data);

// Version of the module player, as libopenmpt's major << 24 | minor << 16 | patch.
uint32_t audioVersion();
// Opens the default output device (44100 Hz, stereo, paused). When no device opens, or the
// driver plays nothing ("dummy"), music will run silently in real time instead; this is said
// once on standard error. Likewise when an open device stops asking for sound for 250 ms
// while a song plays (the sound server died or hung): the song goes on silently from where
// it was, said in one line.
void audioInit();
// In capture mode no device opens and nothing plays: the caller renders the module offline
// and delivers the positions on its own virtual clock. Set before audioInit.
void audioSetCaptureMode(bool on);
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
// Stops output; when it returns, no callback runs and none will.
void audioStop();
// Releases the module and the audio device. Safe to call at any time, more than once.
void audioFree();
