// The music position record and its sync callback: the show is timed by the module's order and row.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// A music position: order and row.
struct MusicPosition {
    int order = 0;
    int row = 0;
};

inline bool positionBefore(MusicPosition a, MusicPosition b) {
    return a.order < b.order || (a.order == b.order && a.row < b.row);
}

// The playing position as one 32-bit word, row << 16 | order, written only by onMusicPosition
// (possibly on the audio thread) and read by the frame loops. One store publishes order and row
// together, so a reader never pairs a new order with an old row or the other way round.
extern std::atomic<uint32_t> musicPositionWord;

// The whole position from one load: what a reader that needs both order and row takes.
inline MusicPosition musicPosition() {
    const uint32_t word = musicPositionWord.load();
    return MusicPosition{static_cast<int>(word & 0xFFFFu), static_cast<int>(word >> 16)};
}

// One half of the position word, read whole: musicOrder and musicRow, for a reader that needs
// only one of them.
struct MusicPositionHalf {
    int shift;
    int32_t load() const {
        return static_cast<int32_t>((musicPositionWord.load() >> shift) & 0xFFFFu);
    }
    operator int32_t() const { return load(); }
};
constexpr MusicPositionHalf musicOrder{0};
constexpr MusicPositionHalf musicRow{16};

// Publishes a position as a report would (tests and tools that script the music).
void setMusicPosition(int32_t order, int32_t row);
extern std::atomic<float>
    syncTime;  // show clock (seconds) at the latest report; 0 before it starts

// Puts the position back to the start of the song: order 0, row 0, sync time 0.
void resetMusicPosition();

// Position callback: data = row * 65536 + order. Stores the position word, then syncTime.
void onMusicPosition(uint32_t sync, uint32_t channel, uint32_t data);
// Installs onMusicPosition as the position callback of the playing module.
void startMusicSync(uint32_t handle);

// The module as the show plays it: its file is read once, and every later use (a restart, a
// seek's timeline) takes the same bytes, so a file changed on disk meanwhile cannot slip in
// unchecked. Returns the bytes of `modulePath`, reading the file when it is not the one held;
// on failure *error names the file and the bytes are empty.
const std::vector<uint8_t>& showModule(const char* modulePath, std::string* error);
// Makes `bytes` (already checked) the module of `modulePath` from now on.
void adoptShowModule(const char* modulePath, std::vector<uint8_t>&& bytes);

// The driver's music stage: opens the module at `modulePath`, starts output (silently in real
// time when no audio device opens), installs the sync and starts playback. Returns an empty
// string on success, else a message naming the file and the reason.
std::string startMusic(const char* modulePath);
// As startMusic, but playback begins at (order, row) instead of the song's start.
std::string startMusicAt(const char* modulePath, int order, int row);
// Shut-down: stops output and frees the player; no audio callback runs afterwards.
void stopMusic();
