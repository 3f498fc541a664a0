// Impulse Tracker module records (sample mode, 16-bit PCM) and the writer that packs them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace it {

constexpr int kMaxChannels = 64;
constexpr int kNoteCut = 254;
constexpr int kNoteOff = 255;

// Effect commands the music uses, numbered from A = 1 as the file stores them.
enum Command : uint8_t {
    kVibrato = 8,        // H: speed and depth nibbles
    kGlobalVolume = 22,  // V: 0..128
};

struct Sample {
    std::string name;      // at most 25 characters
    std::string fileName;  // at most 12 characters
    std::vector<int16_t> pcm;
    uint32_t c5Speed = 44100;  // playback rate of note C-5 (60)
    bool loop = false;
    uint32_t loopStart = 0;
    uint32_t loopEnd = 0;  // one past the last looped sample
    uint8_t globalVolume = 64;
    uint8_t defaultVolume = 64;
};

// One channel of one row; a field left at its "none" value is not written.
struct Cell {
    int note = -1;        // 0..119 (C-5 = 60), kNoteCut, kNoteOff; -1 none
    int sample = 0;       // 1-based sample number; 0 none
    int volume = -1;      // volume column: 0..64 volume, 128..192 panning; -1 none
    uint8_t command = 0;  // Command; 0 none
    uint8_t param = 0;

    bool empty() const { return note < 0 && sample == 0 && volume < 0 && command == 0; }
};

struct Pattern {
    int rows = 0;
    int channels = 0;
    std::vector<Cell> cells;  // row-major, rows * channels

    Pattern() = default;
    Pattern(int rowCount, int channelCount)
        : rows(rowCount), channels(channelCount), cells(size_t(rowCount) * channelCount) {}
    // The cell of one channel in one row.
    Cell& at(int row, int channel) { return cells[size_t(row) * channels + channel]; }
    const Cell& at(int row, int channel) const { return cells[size_t(row) * channels + channel]; }
};

struct Module {
    std::string title;  // at most 25 characters
    uint8_t rowsPerBeat = 4;
    uint8_t rowsPerMeasure = 16;
    uint8_t initialSpeed = 6;
    uint8_t initialTempo = 125;
    uint8_t globalVolume = 128;
    uint8_t mixVolume = 48;
    uint8_t separation = 128;
    std::vector<uint8_t> channelPan;     // 0..64 per used channel; the rest are disabled
    std::vector<uint8_t> channelVolume;  // 0..64, same length as channelPan
    std::vector<uint8_t> orders;         // pattern numbers, without the end marker
    std::vector<Sample> samples;
    std::vector<Pattern> patterns;
};

// Packs one pattern's rows as the file stores them (without the 8-byte pattern header).
std::vector<uint8_t> packPatternRows(const Pattern& pattern);

// Encodes the whole module. Returns false with *error naming the offending record when
// something does not fit the format (counts, lengths, loop points, cell values).
bool encodeModule(const Module& module, std::vector<uint8_t>* bytes, std::string* error);

}  // namespace it
