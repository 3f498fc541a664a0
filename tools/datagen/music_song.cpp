// Lays notes on the song timeline: drum steps, bass lines, chords, arpeggios, melodies and echoes.
#include "tools/datagen/music_song.h"

#include <sstream>
#include <string>

#include "tools/datagen/music_synth.h"

namespace song {
namespace {

std::array<int, 3> chordClasses(const Chord& c) {
    return {c.root, (c.root + (c.minor ? 3 : 4)) % 12, (c.root + 7) % 12};
}

int drumVolume(char step, int level) {
    int base = step == 'X' ? 64 : step == 'x' ? 48 : step == 'o' ? 30 : 0;
    return base * level / 64;
}

}  // namespace

Song::Song(int orders, int rowsPerPattern)
    : orders_(orders),
      rowsPerPattern_(rowsPerPattern),
      cells_(size_t(orders) * rowsPerPattern * kChannelCount) {}

void Song::play(int channel, int pos, int note, int sample, int volume, int length) {
    if (!inside(pos)) return;
    it::Cell& c = at(pos, channel);
    c.note = note;
    c.sample = sample;
    c.volume = volume;
    if (length > 0 && inside(pos + length) && at(pos + length, channel).note < 0)
        at(pos + length, channel).note = it::kNoteCut;
}

void Song::effect(int channel, int pos, uint8_t command, uint8_t param) {
    if (!inside(pos)) return;
    at(pos, channel).command = command;
    at(pos, channel).param = param;
}

void Song::cutAll(int pos) {
    if (!inside(pos)) return;
    for (int ch = 0; ch < kChControl; ++ch) {
        at(pos, ch) = it::Cell();
        at(pos, ch).note = it::kNoteCut;
    }
}

void Song::clearFrom(int pos) {
    for (int p = pos; inside(p); ++p)
        for (int ch = 0; ch < kChannelCount; ++ch) at(p, ch) = it::Cell();
}

std::vector<it::Pattern> Song::patterns() const {
    std::vector<it::Pattern> out;
    for (int o = 0; o < orders_; ++o) {
        it::Pattern p(rowsPerPattern_, kChannelCount);
        for (int r = 0; r < rowsPerPattern_; ++r)
            for (int ch = 0; ch < kChannelCount; ++ch) p.at(r, ch) = at(pos(o, r), ch);
        out.push_back(p);
    }
    return out;
}

int parseNote(const char* name) {
    static const int kClass[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (name[0] < 'A' || name[0] > 'G') return -1;
    int pc = kClass[name[0] - 'A'];
    const char* rest = name + 1;
    if (*rest == '#') ++pc, ++rest;
    if (*rest == 'b') --pc, ++rest;
    if (*rest < '0' || *rest > '8' || rest[1] != '\0') return -1;
    return 12 * (*rest - '0' + 1) + pc;
}

std::array<int, 3> voicing(const Chord& chord, int lowest) {
    std::array<int, 3> classes = chordClasses(chord), out{};
    int n = 0;
    for (int note = lowest; n < 3; ++note)
        for (int pc : classes)
            if (note % 12 == pc) out[n++] = note;
    return out;
}

int bassRoot(const Chord& chord) {
    return 31 + (chord.root - 7 + 12) % 12;
}

void drumBar(Song& s, int channel, int sample, int pos, const char* steps, int level) {
    for (int k = 0; k < kStepsPerBar && steps[k]; ++k) {
        int v = drumVolume(steps[k], level);
        if (v > 0) s.play(channel, pos + k * kRowsPerStep, 60, sample, v);
    }
}

void drumBars(Song& s, int channel, int sample, int order, int firstBar, int lastBar,
              const char* steps, int level) {
    for (int bar = firstBar; bar <= lastBar; ++bar)
        drumBar(s, channel, sample, s.pos(order, bar * kRowsPerBar), steps, level);
}

void bassLine(Song& s, int order, const Progression& p, const char* steps, int volume,
              int firstBar) {
    for (int bar = firstBar; bar < 4; ++bar) {
        int root = bassRoot(p[bar]);
        for (int k = 0; k < kStepsPerBar; ++k) {
            char c = steps[k];
            if (c != 'R' && c != 'O' && c != 'F') continue;
            int length = 1;
            while (k + length < kStepsPerBar && steps[k + length] == '-') ++length;
            int note = root + (c == 'O' ? 12 : c == 'F' ? 7 : 0);
            int accent = k % 4 == 2 ? 0 : -6;  // the off-beat notes lead the groove
            s.play(kChBass, s.pos(order, bar * kRowsPerBar + k * kRowsPerStep), note, synth::kBass,
                   volume + accent, length * kRowsPerStep);
        }
    }
}

void pads(Song& s, int order, const Progression& p, int volume, int firstBar) {
    for (int bar = firstBar; bar < 4; ++bar) {
        std::array<int, 3> v = voicing(p[bar], 55);
        for (int i = 0; i < 3; ++i)
            s.play(kChPad1 + i, s.pos(order, bar * kRowsPerBar), v[i], synth::kPad, volume,
                   kRowsPerBar);
    }
}

void arpeggio(Song& s, int order, const Progression& p, const char* steps, int volume,
              int firstBar) {
    for (int bar = firstBar; bar < 4; ++bar) {
        std::array<int, 3> v = voicing(p[bar], 55);
        int tones[] = {v[0] + 12, v[1] + 12, v[2] + 12, v[0] + 24};
        for (int k = 0; k < kStepsPerBar && steps[k]; ++k) {
            if (steps[k] < '0' || steps[k] > '3') continue;
            int accent = k % 4 == 0 ? 8 : 0;
            s.play(kChArp, s.pos(order, bar * kRowsPerBar + k * kRowsPerStep),
                   tones[steps[k] - '0'], synth::kPluck, volume + accent);
        }
    }
}

void melody(Song& s, int order, const char* tokens, int volume) {
    std::vector<std::string> t;
    std::istringstream in(tokens);
    for (std::string word; in >> word;)
        if (word != "|") t.push_back(word);
    if (t.empty()) return;
    int step = s.rowsPerPattern() / int(t.size());
    for (size_t i = 0; i < t.size(); ++i) {
        int note = parseNote(t[i].c_str());
        int pos = s.pos(order, int(i) * step);
        if (t[i] == ".") {
            if (s.inside(pos) && s.at(pos, kChLead).note < 0)
                s.at(pos, kChLead).note = it::kNoteCut;
            continue;
        }
        if (note < 0) continue;  // a hold
        size_t held = 1;
        while (i + held < t.size() && t[i + held] == "-") ++held;
        int length = int(held) * step;
        s.play(kChLead, pos, note, synth::kLead, volume);
        for (int r = 6; r < length; ++r) s.effect(kChLead, pos + r, it::kVibrato, 0x42);
    }
    // The lead sample loops, so a tune that runs into an order without one must stop here.
    int end = s.pos(order + 1, 0);
    if (s.inside(end) && s.at(end, kChLead).note < 0) s.at(end, kChLead).note = it::kNoteCut;
}

void stab(Song& s, int pos, const Chord& chord, int volume) {
    std::array<int, 3> v = voicing(chord, 67);
    for (int i = 0; i < 3; ++i) s.play(kChStab1 + i, pos, v[i], synth::kPluck, volume);
}

void echoLead(Song& s, int delay, int percent) {
    int rows = s.orders() * s.rowsPerPattern();
    for (int p = rows - 1 - delay; p >= 0; --p) {
        it::Cell c = s.at(p, kChLead);
        if (c.volume >= 0) c.volume = c.volume * percent / 100;
        s.at(p + delay, kChEcho) = c;
    }
}

}  // namespace song
