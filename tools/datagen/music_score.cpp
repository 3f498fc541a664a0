// The show's music section by section: the parts of each order and the hits the scenes follow.
#include "tools/datagen/music_score.h"

#include <cmath>

#include "tools/datagen/music_song.h"
#include "tools/datagen/music_synth.h"

namespace score {
namespace {

using namespace song;
using namespace synth;

// All in A minor.
const Progression kHome = {{{9, true}, {4, true}, {5, false}, {7, false}}};   // Am Em F G
const Progression kMain = {{{9, true}, {5, false}, {0, false}, {7, false}}};  // Am F C G
const Progression kLift = {{{5, false}, {7, false}, {4, true}, {9, true}}};   // F G Em Am
const Progression kClimb = {{{2, true}, {4, true}, {5, false}, {7, false}}};  // Dm Em F G

const char* const kFour = "X...X...X...X...";
const char* const kBackbeat = "....X.......X...";
const char* const kGhostBeat = "....X..o....X.o.";
const char* const kOffHats = "..x...x...x...x.";
const char* const kSixteenths = "ooxoooxoooxoooxo";
const char* const kOffBass = "..R-..R-..R-..O-";
const char* const kRolling = ".RRR.RRR.RRR.RRR";
const char* const kRollingGap = ".RRR.RRR.RRR....";  // silent on the last beat of each bar
const char* const kSyncBass = "..R-.R-...R-.RO-";    // clear of the kick and snare
const char* const kLongBass = "R---------------";
const char* const kArpUp = "0123012301230123";
const char* const kArpEighths = "0.1.2.3.2.1.0.1.";
const char* const kArpGap = "012301230123....";

// Tunes, eight steps a bar.
const char* const kThemeA =
    "E5 - - A5 - G5 E5 - | F5 - E5 - C5 - - - | G5 - - E5 - C5 D5 E5 | D5 - - - B4 - D5 -";
const char* const kThemeB =
    "C6 - B5 - A5 - E5 - | F5 - - A5 - C6 - A5 | G5 - - E5 - G5 - C6 | B5 - - - - - - .";
const char* const kFigureA =
    "A4 - C5 - E5 - A5 G5 | - - F5 - E5 - C5 - | E5 - G5 - C6 - B5 G5 | - - D5 - B4 - G4 -";
const char* const kFigureB =
    "A5 - - - G5 - E5 - | F5 - - - A5 - C6 - | C6 - B5 - G5 - E5 - | D5 - - - - - . .";
const char* const kWaveA =
    "C5 - - A4 - - F4 - | D5 - - B4 - - G4 - | E5 - - B4 - - G4 - | A4 - - - - - . .";
const char* const kWaveB =
    "A4 - C5 - F5 - E5 - | G4 - B4 - D5 - C5 - | B4 - - G4 - - E5 - | C5 - - - B4 - - .";
const char* const kZoomA =
    "A5 - C6 - A5 - F5 - | B5 - D6 - B5 - G5 - | B5 - E6 - B5 - G5 - | A5 - - - E5 - A5 -";
const char* const kZoomB =
    "C6 - - - A5 - C6 - | D6 - - - B5 - D6 - | E6 - - - D6 - B5 - | C6 - - - B5 - - .";
const char* const kClimbTune =
    "D5 - F5 - A5 - - - | E5 - G5 - B5 - - - | F5 - A5 - C6 - - - | G5 - B5 - D6 - - .";
const char* const kHeartA =
    "E5 - - - - - D5 C5 | C5 - - - A4 - - - | G4 - - - C5 - E5 - | D5 - - - - - - .";
const char* const kHeartB =
    "E5 - - - - - G5 A5 | A5 - - - F5 - E5 - | E5 - - - G5 - C6 - | B5 - - - - - - .";

void crash(Song& s, int pos, int volume) {
    s.play(kChCrash, pos, 60, kCrash, volume);
}

// The strong beats that throw the camera: a low boom under a crash.
void strongHit(Song& s, int pos) {
    s.play(kChBoom, pos, 60, kBoom, 48);
    crash(s, pos, 50);
}

void zapAccent(Song& s, int pos) {
    s.play(kChZap, pos, 60, kZap, 36);
}

// A riser that ends exactly where the next order begins, pitched to fit the rows left.
void riserInto(Song& s, int order, int fromRow) {
    double rows = kRowsPerPattern - fromRow;
    double natural = kRiserSeconds / 0.06;  // rows the riser lasts at C-5
    int note = 60 + int(std::lround(12 * std::log2(natural / rows)));
    s.play(kChRiser, s.pos(order, fromRow), note, kRiser, 40);
}

// Sixteenths, then every row, growing louder through the last bar.
void snareRoll(Song& s, int order) {
    for (int r = 96; r < kRowsPerPattern; ++r) {
        if (r < 112 && r % 2) continue;
        s.play(kChSnare, s.pos(order, r), 60, kSnare, 18 + 40 * (r - 96) / 32);
    }
}

void groove(Song& s, int order, const char* snare, int lastSnareBar) {
    drumBars(s, kChKick, kKick, order, 0, 3, kFour, 64);
    drumBars(s, kChSnare, kSnare, order, 0, lastSnareBar, snare, 52);
    drumBars(s, kChHat, kHatClosed, order, 0, 3, kSixteenths, 40);
}

// Orders 0-2: chords alone, then the beat, then the bass and a roll into the first drop.
void title(Song& s) {
    pads(s, 0, kHome, 30);
    drumBars(s, kChHat, kHatClosed, 0, 2, 3, "o.o.o.o.o.o.o.oo", 30);
    arpeggio(s, 0, kHome, kArpEighths, 14, 2);

    crash(s, s.pos(1, 0), 34);
    pads(s, 1, kHome, 34);
    drumBars(s, kChKick, kKick, 1, 0, 3, kFour, 56);
    drumBars(s, kChHat, kHatClosed, 1, 0, 3, kOffHats, 40);
    arpeggio(s, 1, kHome, kArpEighths, 18);

    crash(s, s.pos(2, 0), 40);
    pads(s, 2, kHome, 34);
    groove(s, 2, kBackbeat, 2);
    bassLine(s, 2, kHome, kOffBass, 44);
    arpeggio(s, 2, kHome, kArpUp, 18);
    snareRoll(s, 2);
    riserInto(s, 2, 64);

    // Syncopated stabs that the title words appear with.
    for (int r : {20, 52, 84, 116}) stab(s, s.pos(1, r), kHome[r / kRowsPerBar], 26);
    for (int r : {20, 52}) stab(s, s.pos(2, r), kHome[r / kRowsPerBar], 30);
}

// Orders 3-8: the main groove, with the hits and accents the camera reacts to.
void blob(Song& s) {
    for (int o = 3; o <= 8; ++o) {
        groove(s, o, kBackbeat, o == 8 ? 2 : 3);
        bassLine(s, o, kMain, kOffBass, 46);
        pads(s, o, kMain, 28);
        if (o >= 4) arpeggio(s, o, kMain, kArpUp, 16);
        if (o >= 6) drumBars(s, kChOpenHat, kHatOpen, o, 0, 3, kOffHats, 34);
    }
    strongHit(s, s.pos(3, 0));
    for (int o : {4, 5, 7})
        for (int r : {0, 64}) strongHit(s, s.pos(o, r));
    for (int r : {32, 80}) crash(s, s.pos(5, r), 44);
    zapAccent(s, s.pos(4, 80));
    for (int r : {0, 64}) zapAccent(s, s.pos(5, r));
    for (int o : {6, 7})
        for (int r : {8, 40, 72, 104}) zapAccent(s, s.pos(o, r));
    melody(s, 5, kThemeA, 36);
    melody(s, 6, kThemeB, 36);
    melody(s, 7, kThemeA, 36);
    melody(s, 8, kThemeB, 36);
    snareRoll(s, 8);
    riserInto(s, 8, 64);
}

// Orders 9-14: rolling bass that rests on the last beat of each bar, arpeggios to the fore.
void wave(Song& s) {
    for (int o = 9; o <= 14; ++o) {
        crash(s, s.pos(o, 0), o == 9 ? 50 : 36);
        drumBars(s, kChKick, kKick, o, 0, 3, kFour, 64);
        drumBars(s, kChHat, kHatClosed, o, 0, 3, kSixteenths, 40);
        if (o >= 10) drumBars(s, kChSnare, kSnare, o, 0, o == 14 ? 2 : 3, kBackbeat, 52);
        if (o >= 10) drumBars(s, kChOpenHat, kHatOpen, o, 0, 3, kOffHats, 30);
        if (o >= 10) pads(s, o, kLift, 26);
        bassLine(s, o, kLift, kRollingGap, 42);
        arpeggio(s, o, kLift, kArpGap, 22);
    }
    melody(s, 11, kWaveA, 36);
    melody(s, 12, kWaveB, 36);
    melody(s, 13, kWaveA, 36);
    melody(s, 14, kWaveB, 36);
    for (int o : {13, 14})
        for (int bar = 0; bar < 4; ++bar) stab(s, s.pos(o, bar * kRowsPerBar), kLift[bar], 30);
    snareRoll(s, 14);
}

// Orders 15-17: each pattern starts calm and builds from its second bar, as the spiral speeds up.
void spiral(Song& s) {
    for (int o = 15; o <= 17; ++o) {
        crash(s, s.pos(o, 0), 44);
        pads(s, o, kClimb, 30);
        bassLine(s, o, kClimb, kLongBass, 40);
        bassLine(s, o, kClimb, kOffBass, 44, 1);
        arpeggio(s, o, kClimb, kArpEighths, 20);
        arpeggio(s, o, kClimb, kArpUp, 20, 1);
        drumBars(s, kChHat, kHatClosed, o, 0, 0, kOffHats, 36);
        drumBars(s, kChKick, kKick, o, 1, 3, kFour, 64);
        drumBars(s, kChHat, kHatClosed, o, 1, 3, kSixteenths, 40);
        drumBars(s, kChSnare, kSnare, o, 1, 2, kBackbeat, 50);
        snareRoll(s, o);
        s.play(kChRiser, s.pos(o, 32), 60, kRiser, 36);
    }
    melody(s, 16, kClimbTune, 34);
    melody(s, 17, kClimbTune, 36);
}

// Orders 18-22: a syncopated groove; order 19 breaks off at row 112 with two hits.
void figure(Song& s) {
    const char* tunes[] = {kFigureA, kFigureB, kFigureA, kFigureB, kThemeA};
    for (int o = 18; o <= 22; ++o) {
        groove(s, o, kGhostBeat, o == 22 ? 2 : 3);
        drumBars(s, kChOpenHat, kHatOpen, o, 0, 3, "..........x.....", 30);
        bassLine(s, o, kMain, kSyncBass, 46);
        pads(s, o, kMain, 28);
        arpeggio(s, o, kMain, kArpEighths, 16);
        melody(s, o, tunes[o - 18], 36);
    }
    strongHit(s, s.pos(18, 0));
    crash(s, s.pos(20, 0), 50);
    for (int p = s.pos(19, 112); p < s.pos(20, 0); ++p)
        for (int ch : {kChKick, kChSnare, kChHat, kChOpenHat, kChBass, kChArp}) s.at(p, ch) = {};
    s.at(s.pos(19, 112), kChBass).note = it::kNoteCut;
    for (int r : {112, 120}) {
        strongHit(s, s.pos(19, r));
        stab(s, s.pos(19, r), kMain[3], 36);
    }
    snareRoll(s, 22);
    riserInto(s, 22, 64);
}

// Orders 23-25: the densest section, a crash on every bar.
void zoom(Song& s) {
    const char* tunes[] = {kZoomA, kZoomB, kZoomA};
    for (int o = 23; o <= 25; ++o) {
        groove(s, o, kBackbeat, 3);
        drumBars(s, kChOpenHat, kHatOpen, o, 0, 3, kOffHats, 34);
        for (int bar = 0; bar < 4; ++bar) crash(s, s.pos(o, bar * kRowsPerBar), bar ? 30 : 48);
        bassLine(s, o, kLift, kRolling, 42);
        pads(s, o, kLift, 26);
        arpeggio(s, o, kLift, kArpUp, 20);
        melody(s, o, tunes[o - 23], 36);
    }
    strongHit(s, s.pos(23, 0));
}

// Orders 26-27: a breakdown without the kick, which returns halfway through order 27.
void heart(Song& s) {
    crash(s, s.pos(26, 0), 40);
    for (int o = 26; o <= 27; ++o) {
        pads(s, o, kMain, 36);
        bassLine(s, o, kMain, kLongBass, 40);
        drumBars(s, kChHat, kHatClosed, o, 0, 3, kOffHats, 30);
    }
    arpeggio(s, 27, kMain, kArpEighths, 18);
    melody(s, 26, kHeartA, 36);
    melody(s, 27, kHeartB, 36);
    drumBars(s, kChKick, kKick, 27, 2, 3, kFour, 60);
    snareRoll(s, 27);
    riserInto(s, 27, 64);
}

// Orders 28-32: everything once more, fading out over order 32 with the picture.
void closing(Song& s) {
    const char* tunes[] = {kThemeA, kThemeB, kFigureA, kThemeA, kThemeB};
    for (int o = 28; o <= 32; ++o) {
        groove(s, o, kBackbeat, 3);
        drumBars(s, kChOpenHat, kHatOpen, o, 0, 3, kOffHats, 34);
        bassLine(s, o, kMain, kOffBass, 46);
        pads(s, o, kMain, 28);
        arpeggio(s, o, kMain, kArpUp, 18);
        melody(s, o, tunes[o - 28], 36);
    }
    strongHit(s, s.pos(28, 0));
    crash(s, s.pos(31, 0), 44);
    for (int r = 0; r < kRowsPerPattern; ++r)
        s.effect(kChControl, s.pos(32, r), it::kGlobalVolume, uint8_t(128 - r));
}

}  // namespace

it::Module composeModule() {
    Song s(kOrderCount, kRowsPerPattern);
    title(s);
    blob(s);
    wave(s);
    spiral(s);
    figure(s);
    zoom(s);
    heart(s);
    closing(s);
    echoLead(s, 6, 40);
    // The show stops as order 33 begins; it stays silent in case a player runs on.
    s.clearFrom(s.pos(kShowOrders, 0));
    s.cutAll(s.pos(kShowOrders, 0));
    s.effect(kChControl, s.pos(kShowOrders, 0), it::kGlobalVolume, 0);

    it::Module m;
    m.title = "qua#v3n";
    m.rowsPerBeat = 8;
    m.rowsPerMeasure = 32;
    m.initialSpeed = kSpeed;
    m.initialTempo = kTempo;
    m.globalVolume = 128;
    m.mixVolume = 64;
    m.separation = 128;
    m.channelPan = {32, 32, 42, 22, 26, 32, 40, 32, 32, 14, 32, 50, 34, 20, 46, 20, 32, 44, 32};
    m.channelVolume.assign(m.channelPan.size(), 64);
    m.channelVolume[kChKick] = 52;
    m.channelVolume[kChSnare] = 56;
    for (int o = 0; o < kOrderCount; ++o) m.orders.push_back(uint8_t(o));
    m.samples = makeInstruments();
    m.patterns = s.patterns();
    return m;
}

}  // namespace score
