// Makes the music's instruments from oscillators, noise and envelopes, with fixed seeds.
#include "tools/datagen/music_synth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "math/random.h"

namespace synth {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMiddleC = 261.6255653005986;  // Hz of note C-5
constexpr int kTableSize = 4096;

// White noise in [-1, 1): the same on every platform, unlike std::rand or the std distributions.
struct Noise {
    XorShift32 rng;
    float next() { return float(rng.next()) * (2.0f / 4294967296.0f) - 1.0f; }
};

// One period of a band-limited wave built from harmonic amplitudes.
template <typename Amp>
std::vector<float> makeTable(int harmonics, Amp amp) {
    std::vector<float> t(kTableSize + 1, 0.0f);
    for (int k = 1; k <= harmonics; ++k) {
        double a = amp(k);
        if (a == 0.0) continue;
        for (int i = 0; i <= kTableSize; ++i)
            t[i] += float(a * std::sin(2 * kPi * k * i / kTableSize));
    }
    return t;
}

// Saw (all harmonics) or square (odd ones) with a gentle low-pass at `cutoff` harmonics.
std::vector<float> sawTable(int harmonics, double cutoff) {
    return makeTable(harmonics,
                     [&](int k) { return 1.0 / k / (1.0 + (k / cutoff) * (k / cutoff)); });
}
std::vector<float> squareTable(int harmonics, double cutoff) {
    return makeTable(harmonics, [&](int k) {
        return (k % 2) ? 1.0 / k / (1.0 + (k / cutoff) * (k / cutoff)) : 0.0;
    });
}

float readTable(const std::vector<float>& t, double phase) {
    double x = phase * kTableSize;
    int i = int(x);
    float f = float(x - i);
    return t[i] + (t[i + 1] - t[i]) * f;
}

// Phase of an oscillator that makes exactly `cycles` turns every `period` samples, so a loop of
// `period` samples joins without a step.
double loopPhase(uint64_t cycles, uint64_t i, uint64_t period) {
    return double((cycles * i) % period) / double(period);
}

int samplesFor(double seconds) {
    return int(seconds * kSampleRate + 0.5);
}
double timeOf(int i) {
    return double(i) / kSampleRate;
}

// Short linear ramps against clicks at a sample's start and end.
void fadeEdges(std::vector<float>& w, double inSeconds, double outSeconds) {
    int in = samplesFor(inSeconds), out = samplesFor(outSeconds);
    for (int i = 0; i < in && i < int(w.size()); ++i) w[i] *= float(i) / in;
    for (int i = 0; i < out && i < int(w.size()); ++i) w[w.size() - 1 - i] *= float(i) / out;
}

// Removes everything below roughly `hz` (one-pole high-pass).
void highPass(std::vector<float>& w, double hz) {
    float a = float(std::exp(-2 * kPi * hz / kSampleRate));
    float prevIn = 0, prevOut = 0;
    for (float& x : w) {
        float y = a * (prevOut + x - prevIn);
        prevIn = x;
        prevOut = y;
        x = y;
    }
}

void saturate(std::vector<float>& w, float drive) {
    for (float& x : w) x = std::tanh(drive * x) / std::tanh(drive);
}

it::Sample makeSample(const char* name, std::vector<float> wave, double fundamental) {
    it::Sample s;
    s.name = name;
    s.fileName = std::string(name).substr(0, 8) + ".raw";
    s.pcm = toPcm16(wave, 0.95f);
    s.c5Speed = fundamental > 0 ? uint32_t(std::lround(kSampleRate * kMiddleC / fundamental))
                                : uint32_t(kSampleRate);
    return s;
}

it::Sample looped(it::Sample s, int start, int end) {
    s.loop = true;
    s.loopStart = uint32_t(start);
    s.loopEnd = uint32_t(end);
    return s;
}

// Eight detuned square waves, the usual recipe for a metallic cymbal tone.
float metal(double t, double scale) {
    static const double kRatios[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0, 1086.0, 1366.0};
    float sum = 0;
    for (double r : kRatios) sum += std::sin(2 * kPi * r * scale * t) >= 0 ? 1.0f : -1.0f;
    return sum / 8;
}

it::Sample kick() {
    std::vector<float> w(samplesFor(0.45));
    Noise n{0x1234567u};
    double phase = 0;
    for (size_t i = 0; i < w.size(); ++i) {
        double t = timeOf(int(i));
        phase += 2 * kPi * (46 + 130 * std::exp(-t / 0.028)) / kSampleRate;
        w[i] = float(std::sin(phase) * std::exp(-t / 0.2) + 0.25 * n.next() * std::exp(-t / 0.003));
    }
    saturate(w, 3.0f);
    fadeEdges(w, 0.0005, 0.03);
    return makeSample("kick", w, 0);
}

it::Sample snare() {
    std::vector<float> noise(samplesFor(0.34));
    Noise n{0xBEEF01u};
    for (float& x : noise) x = n.next();
    highPass(noise, 1200);
    std::vector<float> w(noise.size());
    for (size_t i = 0; i < w.size(); ++i) {
        double t = timeOf(int(i));
        double body = 0.6 * std::sin(2 * kPi * 185 * t) * std::exp(-t / 0.05) +
                      0.3 * std::sin(2 * kPi * 330 * t) * std::exp(-t / 0.03);
        w[i] = float(body + 1.3 * noise[i] * std::exp(-t / 0.09));
    }
    saturate(w, 2.5f);
    fadeEdges(w, 0.0005, 0.04);
    return makeSample("snare", w, 0);
}

std::vector<float> cymbal(double seconds, double decay, double scale, uint32_t seed) {
    std::vector<float> w(samplesFor(seconds));
    Noise n{seed};
    for (size_t i = 0; i < w.size(); ++i) {
        double t = timeOf(int(i));
        w[i] = float((0.6 * metal(t, scale) + 0.5 * n.next()) * std::exp(-t / decay));
    }
    highPass(w, 6000);
    highPass(w, 4000);
    fadeEdges(w, 0.0003, 0.02);
    return w;
}

it::Sample boom() {
    std::vector<float> rumble(samplesFor(1.6));
    Noise n{0xB00Bu};
    float low = 0;
    for (float& x : rumble) x = low += 0.02f * (n.next() - low);  // dark noise
    std::vector<float> w(rumble.size());
    double phase = 0;
    for (size_t i = 0; i < w.size(); ++i) {
        double t = timeOf(int(i));
        phase += 2 * kPi * (38 + 80 * std::exp(-t / 0.12)) / kSampleRate;
        w[i] = float(std::sin(phase) * std::exp(-t / 0.5) + 2.0 * rumble[i] * std::exp(-t / 0.3));
    }
    saturate(w, 1.5f);
    fadeEdges(w, 0.001, 0.2);
    return makeSample("boom", w, 0);
}

it::Sample zap() {
    std::vector<float> w(samplesFor(0.36));
    double phase = 0;
    for (size_t i = 0; i < w.size(); ++i) {
        double t = timeOf(int(i));
        phase += 2 * kPi * (140 + 2600 * std::exp(-t / 0.045)) / kSampleRate;
        w[i] = float(std::sin(phase + 1.4 * std::sin(2 * phase)) * std::exp(-t / 0.09));
    }
    fadeEdges(w, 0.001, 0.05);
    return makeSample("zap", w, 0);
}

// Noise through a resonant band-pass whose centre climbs from 250 Hz to 8 kHz, growing louder.
it::Sample riser() {
    std::vector<float> w(samplesFor(kRiserSeconds));
    Noise n{0x51CE5u};
    double low = 0, band = 0;
    for (size_t i = 0; i < w.size(); ++i) {
        double u = double(i) / w.size();
        double f = 2 * std::sin(kPi * 250 * std::pow(32.0, u) / kSampleRate);
        double high = n.next() - low - 0.35 * band;
        band += f * high;
        low += f * band;
        w[i] = float(band * std::pow(u, 1.5));
    }
    fadeEdges(w, 0.01, 0.03);
    return makeSample("riser", w, 0);
}

// Saw bass on A-1: a bright attack that settles into a darker sustained tone, looped over one
// second.
it::Sample bass() {
    const double f0 = 55;
    const int period = kSampleRate, loopStart = samplesFor(0.35);
    std::vector<float> bright = sawTable(80, 14), dark = sawTable(80, 4);
    std::vector<float> w(loopStart + period);
    const double tail = std::exp(-0.35 / 0.07);
    for (size_t i = 0; i < w.size(); ++i) {
        double t = timeOf(int(i));
        double open = std::max(0.0, (std::exp(-t / 0.07) - tail) / (1 - tail));
        double p = loopPhase(uint64_t(f0), i, period);
        double d = readTable(dark, p);
        double tone = d + (readTable(bright, p) - d) * open;
        double sub = std::sin(2 * kPi * p);
        double amp = i < size_t(loopStart) ? 0.8 + 0.2 * open : 0.8;
        w[i] = float(amp * (0.55 * tone + 0.4 * sub));
    }
    fadeEdges(w, 0.002, 0);
    return looped(makeSample("bass", w, f0), loopStart, int(w.size()));
}

// Three detuned saws and a sub-octave on A-3, slowly brightening and darkening within its loop.
it::Sample pad() {
    const int period = 2 * kSampleRate, loopStart = samplesFor(0.5);
    std::vector<float> bright = sawTable(40, 9), dark = sawTable(40, 3);
    std::vector<float> w(loopStart + period);
    const uint64_t cycles[] = {440, 441, 439};  // turns per two seconds: 220 Hz and +-0.5 Hz
    for (size_t i = 0; i < w.size(); ++i) {
        double t = timeOf(int(i));
        double mix = 0.5 + 0.5 * std::sin(2 * kPi * double(i % period) / period);
        double sum = 0;
        for (uint64_t c : cycles) {
            double p = loopPhase(c, i, period);
            sum += readTable(dark, p) + mix * (readTable(bright, p) - readTable(dark, p));
        }
        sum += 0.5 * std::sin(2 * kPi * loopPhase(220, i, period));
        double attack = std::min(1.0, t / 0.3);
        w[i] = float(sum * attack * attack * (3 - 2 * attack));
    }
    return looped(makeSample("pad", w, 220), loopStart, int(w.size()));
}

// Saw and square on A-4, a hair apart, for a bright lead that sustains.
it::Sample lead() {
    const int period = kSampleRate, loopStart = samplesFor(0.25);
    std::vector<float> saw = sawTable(17, 10), square = squareTable(17, 10);
    std::vector<float> w(loopStart + period);
    for (size_t i = 0; i < w.size(); ++i) {
        double t = timeOf(int(i));
        double tone = 0.6 * readTable(saw, loopPhase(440, i, period)) +
                      0.5 * readTable(square, loopPhase(441, i, period)) +
                      0.3 * readTable(saw, loopPhase(439, i, period));
        double env = i < size_t(loopStart) ? 0.8 + 0.2 * std::max(0.0, 1 - t / 0.25) : 0.8;
        w[i] = float(tone * env);
    }
    fadeEdges(w, 0.004, 0);
    return looped(makeSample("lead", w, 440), loopStart, int(w.size()));
}

// A plucked tone on A-4 whose brightness and level both die away.
it::Sample pluck() {
    std::vector<float> bright = sawTable(20, 12), dark = sawTable(20, 2.5);
    std::vector<float> w(samplesFor(0.6));
    double phase = 0;
    for (size_t i = 0; i < w.size(); ++i) {
        double t = timeOf(int(i));
        double open = std::exp(-t / 0.05);
        double a = readTable(dark, phase), b = readTable(bright, phase);
        w[i] = float((a + (b - a) * open) * std::exp(-t / 0.16));
        phase += 440.0 / kSampleRate;
        phase -= std::floor(phase);
    }
    fadeEdges(w, 0.002, 0.05);
    return makeSample("pluck", w, 440);
}

}  // namespace

std::vector<int16_t> toPcm16(const std::vector<float>& wave, float peak) {
    float top = 0;
    for (float x : wave) top = std::max(top, std::fabs(x));
    float scale = top > 0 ? peak * 32767.0f / top : 0.0f;
    std::vector<int16_t> pcm(wave.size());
    for (size_t i = 0; i < wave.size(); ++i)
        pcm[i] = int16_t(std::lround(std::clamp(wave[i] * scale, -32768.0f, 32767.0f)));
    return pcm;
}

std::vector<it::Sample> makeInstruments() {
    std::vector<it::Sample> s;
    s.push_back(kick());
    s.push_back(snare());
    s.push_back(makeSample("hat closed", cymbal(0.14, 0.025, 1.7, 0xC105Eu), 0));
    s.push_back(makeSample("hat open", cymbal(0.6, 0.2, 1.7, 0x0BE2u), 0));
    s.push_back(makeSample("crash", cymbal(2.4, 0.7, 2.3, 0xC2A5u), 0));
    s.push_back(boom());
    s.push_back(zap());
    s.push_back(riser());
    s.push_back(bass());
    s.push_back(pad());
    s.push_back(lead());
    s.push_back(pluck());
    return s;
}

}  // namespace synth
