// Synthesis of the music's instruments (drums, bass, pad, lead, pluck, effects) as 16-bit PCM.
#pragma once
#include <vector>

#include "tools/datagen/music_it.h"

namespace synth {

// Sample numbers as the patterns use them (the first sample is 1).
enum Instrument {
    kKick = 1,
    kSnare,
    kHatClosed,
    kHatOpen,
    kCrash,
    kBoom,
    kZap,
    kRiser,
    kBass,
    kPad,
    kLead,
    kPluck,
    kInstrumentCount = kPluck,
};

constexpr int kSampleRate = 44100;

// Length in seconds of the riser sample when played at C-5.
constexpr double kRiserSeconds = 5.76;

// Builds every instrument in sample-number order. Pitched instruments are tuned so that a
// note plays at its usual pitch (C-5 = 60 is middle C); drums and effects sound as made at C-5.
std::vector<it::Sample> makeInstruments();

// Converts a waveform to 16-bit PCM scaled so its peak sits at `peak` of full scale.
std::vector<int16_t> toPcm16(const std::vector<float>& wave, float peak);

}  // namespace synth
