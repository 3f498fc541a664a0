// A tracker module rendered without any device: positions found to the frame, sound on demand.
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

// Version of the module player, as libopenmpt's major << 24 | minor << 16 | patch.
uint32_t audioVersion();
