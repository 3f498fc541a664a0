// The song as one long row timeline, and the writers that lay drums, bass, chords and tunes on it.
#pragma once
#include <array>
#include <vector>

#include "tools/datagen/music_it.h"

namespace song {

constexpr int kRowsPerBar = 32;
constexpr int kRowsPerStep = 2;  // a sixteenth note
constexpr int kStepsPerBar = 16;

enum Channel {
    kChKick,
    kChSnare,
    kChHat,
    kChOpenHat,
    kChCrash,
    kChBoom,
    kChZap,
    kChRiser,
    kChBass,
    kChPad1,
    kChPad2,
    kChPad3,
    kChLead,
    kChEcho,
    kChArp,
    kChStab1,
    kChStab2,
    kChStab3,
    kChControl,  // global effects only, no notes
    kChannelCount,
};

struct Chord {
    int root;  // pitch class, C = 0
    bool minor;
};
using Progression = std::array<Chord, 4>;  // one chord a bar, four bars a pattern

class Song {
  public:
    Song(int orders, int rowsPerPattern);

    int rowsPerPattern() const { return rowsPerPattern_; }
    int orders() const { return orders_; }
    // Absolute row of (order, row).
    int pos(int order, int row) const { return order * rowsPerPattern_ + row; }
    it::Cell& at(int pos, int channel) { return cells_[size_t(pos) * kChannelCount + channel]; }
    const it::Cell& at(int pos, int channel) const {
        return cells_[size_t(pos) * kChannelCount + channel];
    }
    bool inside(int pos) const { return pos >= 0 && pos < orders_ * rowsPerPattern_; }

    // Starts a note at `pos`. With `length` > 0 the note is cut that many rows later, unless
    // something already sits in that cell (a later note then ends it instead). Outside the
    // song nothing is written.
    void play(int channel, int pos, int note, int sample, int volume, int length = 0);
    // Sets the effect column of one cell.
    void effect(int channel, int pos, uint8_t command, uint8_t param);
    // Cuts every channel at `pos`.
    void cutAll(int pos);
    // Empties every cell from `pos` to the end of the song.
    void clearFrom(int pos);

    // Cuts the timeline into one pattern per order.
    std::vector<it::Pattern> patterns() const;

  private:
    int orders_;
    int rowsPerPattern_;
    std::vector<it::Cell> cells_;
};

// MIDI-style note number of a name such as "E5" or "F#4" (C-5 = 60); -1 for anything else.
int parseNote(const char* name);
// The three chord tones at or above `lowest`, ascending.
std::array<int, 3> voicing(const Chord& chord, int lowest);
// Bass note of a chord's root, between G-2 (31) and F#-3 (42).
int bassRoot(const Chord& chord);

// Drum steps, one character per sixteenth of a bar: 'X' loud, 'x' medium, 'o' soft, '.' none.
void drumBar(Song& s, int channel, int sample, int pos, const char* steps, int level);
// The same drum bar in bars [firstBar, lastBar] of an order.
void drumBars(Song& s, int channel, int sample, int order, int firstBar, int lastBar,
              const char* steps, int level);
// Bass steps per bar: 'R' root, 'O' octave up, 'F' fifth, '-' hold, '.' rest.
void bassLine(Song& s, int order, const Progression& p, const char* steps, int volume,
              int firstBar = 0);
// Sustained three-voice chords, one a bar, over bars [firstBar, 3].
void pads(Song& s, int order, const Progression& p, int volume, int firstBar = 0);
// Arpeggio steps per bar: '0'..'3' pick from the chord's tones an octave up, '.' rests.
void arpeggio(Song& s, int order, const Progression& p, const char* steps, int volume,
              int firstBar = 0);
// A melody over one order: whitespace-separated tokens ("E5", "-" hold, "." rest, "|" ignored)
// spread evenly over the pattern. Long notes get a delayed vibrato.
void melody(Song& s, int order, const char* tokens, int volume);
// A short chord on the three stab channels.
void stab(Song& s, int pos, const Chord& chord, int volume);
// Copies the lead channel onto the echo channel `delay` rows later, at `percent` of its volume.
void echoLead(Song& s, int delay, int percent);

}  // namespace song
