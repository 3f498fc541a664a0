// Tests of the music player: frame-exact positions offline, load errors, silent real-time play.
#include "platform/audio.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/music_clock.h"
#include "support/sound_server.h"

namespace {

// One entry of channel 1: a note (-1 for none) and an effect (letter, value; 0 for none).
struct Cell {
    int row;
    int note;
    char effect;
    int value;
};
struct Pattern {
    int rows;
    std::vector<Cell> cells;
};

void put16(std::vector<uint8_t>& b, size_t at, unsigned v) {
    b[at] = v & 255;
    b[at + 1] = (v >> 8) & 255;
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 255;
}

// An Impulse Tracker module in sample mode: one channel, one looped 16-bit sine sample.
std::vector<uint8_t> buildModule(int speed, int tempo, const std::vector<int>& orders,
                                 const std::vector<Pattern>& patterns) {
    std::vector<uint8_t> b(192, 0);
    std::memcpy(&b[0], "IMPM", 4);
    put16(b, 0x20, orders.size() + 1);
    put16(b, 0x24, 1);
    put16(b, 0x26, patterns.size());
    put16(b, 0x28, 0x214);
    put16(b, 0x2A, 0x214);
    put16(b, 0x2C, 9);
    b[0x30] = 128;
    b[0x31] = 48;
    b[0x32] = speed;
    b[0x33] = tempo;
    b[0x34] = 128;
    for (int c = 0; c < 64; ++c) {
        b[0x40 + c] = c == 0 ? 32 : 160;
        b[0x80 + c] = 64;
    }
    for (int o : orders) b.push_back(o);
    b.push_back(255);
    const size_t sampleTable = b.size();
    const size_t patternTable = sampleTable + 4;
    const size_t header = patternTable + 4 * patterns.size();
    b.resize(header + 80);
    put32(b, sampleTable, header);
    std::memcpy(&b[header], "IMPS", 4);
    b[header + 0x11] = 64;
    b[header + 0x12] = 1 | 2 | 16;  // attached, 16-bit, looped
    b[header + 0x13] = 64;
    b[header + 0x2E] = 1;
    const int length = 100;
    put32(b, header + 0x30, length);
    put32(b, header + 0x38, length);
    put32(b, header + 0x3C, 44100);
    for (size_t p = 0; p < patterns.size(); ++p) {
        const size_t at = b.size();
        put32(b, patternTable + 4 * p, at);
        b.resize(at + 8);
        std::vector<uint8_t> packed;
        for (int r = 0; r < patterns[p].rows; ++r) {
            for (const Cell& c : patterns[p].cells) {
                if (c.row != r) continue;
                packed.push_back(0x81);
                packed.push_back((c.note >= 0 ? 3 : 0) | (c.effect ? 8 : 0));
                if (c.note >= 0) packed.insert(packed.end(), {uint8_t(c.note), 1});
                if (c.effect)
                    packed.insert(packed.end(), {uint8_t(c.effect - 'A' + 1), uint8_t(c.value)});
            }
            packed.push_back(0);
        }
        put16(b, at, packed.size());
        put16(b, at + 2, patterns[p].rows);
        b.insert(b.end(), packed.begin(), packed.end());
    }
    put32(b, header + 0x48, b.size());
    for (int i = 0; i < length; ++i) {
        const int16_t s = static_cast<int16_t>(12000 * std::sin(2 * M_PI * i / length));
        b.push_back(s & 255);
        b.push_back((s >> 8) & 255);
    }
    return b;
}

// Steady: speed 3 at tempo 125 is 882 frames a tick, 2646 a row, 112 rows in three orders.
std::vector<uint8_t> steadyModule() {
    Pattern a{32, {{0, 60, 0, 0}, {8, 64, 0, 0}, {16, 67, 0, 0}, {24, 72, 0, 0}}};
    Pattern b{48, {{0, 48, 0, 0}, {12, 55, 0, 0}, {40, 52, 0, 0}}};
    return buildModule(3, 125, {0, 1, 0}, {a, b});
}
constexpr int kSteadyRowFrames = 2646;
constexpr int kSteadyRows = 32 + 48 + 32;

// Lively: ticks of fractional length, tempo slides both ways, speed and tempo changes, a
// pattern delay, a pattern break and an order jump.
std::vector<uint8_t> livelyModule() {
    Pattern a{32,
              {{0, 60, 0, 0},
               {4, -1, 'T', 0x18},
               {8, 64, 'T', 0x05},
               {12, -1, 'A', 2},
               {16, 67, 'T', 0x96},
               {20, -1, 'S', 0xE2},
               {26, 60, 'C', 5}}};
    Pattern b{40, {{0, 48, 'A', 5}, {10, 55, 'T', 0x40}, {30, 52, 'B', 3}}};
    Pattern c{32, {{0, 72, 'A', 1}, {3, -1, 'T', 0xC8}, {31, 60, 0, 0}}};
    return buildModule(4, 130, {0, 1, 0, 2}, {a, b, c});
}

openmpt_module* openRaw(const std::vector<uint8_t>& bytes) {
    openmpt_module* mod = openmpt_module_create_from_memory2(
        bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
        nullptr, nullptr, nullptr, nullptr);
    if (mod) {
        openmpt_module_ctl_set_text(mod, "play.at_end", "stop");
        openmpt_module_ctl_set_integer(mod, "dither", 0);
    }
    return mod;
}

// libopenmpt's own timing of the rows: rendering one frame at a time, the frame after which
// it first reports each new position. Also returns the whole song's audio, read in bulk.
std::vector<PositionReport> referenceRows(const std::vector<uint8_t>& bytes,
                                          std::vector<int16_t>* audio) {
    std::vector<PositionReport> rows;
    openmpt_module* mod = openRaw(bytes);
    int16_t frame[2];
    for (int64_t at = 0; openmpt_module_read_interleaved_stereo(mod, 44100, 1, frame) == 1; ++at) {
        const int32_t order = openmpt_module_get_current_order(mod);
        const int32_t row = openmpt_module_get_current_row(mod);
        if (rows.empty() || rows.back().order != order || rows.back().row != row)
            rows.push_back({at, order, row});
    }
    openmpt_module_destroy(mod);
    mod = openRaw(bytes);
    int16_t block[2 * 4096];
    size_t n;
    while ((n = openmpt_module_read_interleaved_stereo(mod, 44100, 4096, block)) > 0)
        audio->insert(audio->end(), block, block + 2 * n);
    openmpt_module_destroy(mod);
    return rows;
}

// Renders the whole song in blocks of `block` frames, keeping the audio unless `discard`.
std::vector<PositionReport> renderAll(OfflineMusic& music, int block, bool discard,
                                      std::vector<int16_t>* audio) {
    std::vector<PositionReport> all, reports;
    reports.reserve(16);
    std::vector<int16_t> buffer(2 * block);
    int n;
    while ((n = music.render(discard ? nullptr : buffer.data(), block, reports)) > 0 ||
           !music.ended()) {
        all.insert(all.end(), reports.begin(), reports.end());
        reports.clear();
        if (!discard) audio->insert(audio->end(), buffer.begin(), buffer.begin() + 2 * n);
    }
    EXPECT_TRUE(reports.empty());
    return all;
}

bool samePositions(const std::vector<PositionReport>& a, const std::vector<PositionReport>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].frame != b[i].frame || a[i].order != b[i].order || a[i].row != b[i].row)
            return false;
    return true;
}

std::string writeFile(const char* name, const void* data, size_t size) {
    const std::string path = testing::TempDir() + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
    return path;
}

TEST(OfflineMusic, ReportsEveryRowInSequenceAtLibopenmptsOwnTiming) {
    const std::vector<uint8_t> bytes = steadyModule();
    OfflineMusic music;
    ASSERT_EQ(music.openMemory(bytes.data(), bytes.size(), "steady.it"), "");
    std::vector<int16_t> audio;
    const std::vector<PositionReport> rows = renderAll(music, 1000, false, &audio);

    ASSERT_EQ(rows.size(), size_t(kSteadyRows));
    openmpt_module* seek = openRaw(bytes);
    const int orderRows[] = {32, 48, 32};
    int i = 0;
    for (int order = 0; order < 3; ++order) {
        for (int row = 0; row < orderRows[order]; ++row, ++i) {
            EXPECT_EQ(rows[i].order, order);
            EXPECT_EQ(rows[i].row, row);
            EXPECT_EQ(rows[i].frame, int64_t(i) * kSteadyRowFrames);
            const double seconds = openmpt_module_set_position_order_row(seek, order, row);
            EXPECT_EQ(rows[i].frame, std::llround(seconds * kMusicSampleRate));
        }
    }
    openmpt_module_destroy(seek);
    EXPECT_TRUE(music.ended());
    EXPECT_EQ(music.framesRendered(), int64_t(kSteadyRows) * kSteadyRowFrames);
    EXPECT_EQ(audio.size(), size_t(2 * music.framesRendered()));
    EXPECT_EQ(music.inexactReports(), 0);

    // After the end: no audio, and above all no stray position.
    std::vector<PositionReport> reports;
    reports.reserve(4);
    int16_t buffer[2 * 64];
    EXPECT_EQ(music.render(buffer, 64, reports), 0);
    EXPECT_TRUE(reports.empty());
}

TEST(OfflineMusic, TempoAndFlowEffectsKeepPositionsAndAudioExactForAnyBlockSize) {
    const std::vector<uint8_t> bytes = livelyModule();
    std::vector<int16_t> expectedAudio;
    const std::vector<PositionReport> expected = referenceRows(bytes, &expectedAudio);
    ASSERT_GT(expected.size(), 80u);
    bool sounding = false;
    for (int16_t s : expectedAudio) sounding |= s != 0;
    ASSERT_TRUE(sounding);

    for (int block : {1, 7, 300, 4096}) {
        for (bool discard : {false, true}) {
            SCOPED_TRACE("block " + std::to_string(block) + (discard ? " discarded" : ""));
            OfflineMusic music;
            ASSERT_EQ(music.openMemory(bytes.data(), bytes.size(), "lively.it"), "");
            std::vector<int16_t> audio;
            EXPECT_TRUE(samePositions(renderAll(music, block, discard, &audio), expected));
            EXPECT_EQ(music.inexactReports(), 0);
            EXPECT_EQ(music.framesRendered(), int64_t(expectedAudio.size() / 2));
            if (!discard) {
                ASSERT_EQ(audio.size(), expectedAudio.size());
                // Where reads are cut differently, libopenmpt's mixer rounds a little
                // differently; misplaced or lost audio would differ by far more.
                int worst = 0;
                for (size_t k = 0; k < audio.size(); ++k)
                    worst = std::max(worst, std::abs(audio[k] - expectedAudio[k]));
                EXPECT_LE(worst, 4);
            }
        }
    }
}

TEST(OfflineMusic, StopsAtAFullReportListInsteadOfGrowingIt) {
    const std::vector<uint8_t> bytes = steadyModule();
    OfflineMusic music;
    ASSERT_EQ(music.openMemory(bytes.data(), bytes.size(), "steady.it"), "");
    std::vector<PositionReport> reports;
    reports.reserve(2);
    const PositionReport* storage = reports.data();
    const size_t capacity = reports.capacity();
    std::vector<PositionReport> all;
    std::vector<int16_t> buffer(2 * 20000);
    int n = music.render(buffer.data(), 20000, reports);
    // The list fills at the second row; rendering stops before the third would begin.
    EXPECT_EQ(reports.size(), capacity);
    EXPECT_LE(n, int(capacity) * kSteadyRowFrames);
    EXPECT_EQ(reports.data(), storage);
    while (!music.ended()) {
        all.insert(all.end(), reports.begin(), reports.end());
        reports.clear();
        music.render(buffer.data(), 20000, reports);
        EXPECT_EQ(reports.data(), storage);
    }
    all.insert(all.end(), reports.begin(), reports.end());
    ASSERT_EQ(all.size(), size_t(kSteadyRows));
    for (size_t i = 0; i < all.size(); ++i) EXPECT_EQ(all[i].frame, int64_t(i) * kSteadyRowFrames);
}

TEST(OfflineMusic, OpenFailuresNameTheFileAndTheReason) {
    OfflineMusic music;
    std::string error;
    const std::string missing = testing::TempDir() + "no-such-module.it";
    error = music.open(missing.c_str());
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;

    error = music.open(testing::TempDir().c_str());
    EXPECT_NE(error.find("Is a directory"), std::string::npos) << error;

    const std::string empty = writeFile("empty-module.it", "", 0);
    error = music.open(empty.c_str());
    EXPECT_NE(error.find(empty), std::string::npos) << error;
    EXPECT_NE(error.find("empty"), std::string::npos) << error;

    const char text[] = "IMPM but then nothing a tracker would write";
    const std::string junk = writeFile("junk-module.it", text, sizeof text);
    error = music.open(junk.c_str());
    EXPECT_NE(error.find(junk), std::string::npos) << error;

    // A failed open leaves nothing to play, not a half-made module.
    EXPECT_FALSE(music.isOpen());
    std::vector<PositionReport> reports;
    reports.reserve(4);
    int16_t buffer[2 * 16];
    EXPECT_EQ(music.render(buffer, 16, reports), 0);
    EXPECT_TRUE(reports.empty());

    uint32_t handle = 1;
    error = audioLoadMusic(missing.c_str(), &handle);
    EXPECT_EQ(handle, 0u);
    EXPECT_NE(error.find(missing), std::string::npos) << error;
}

TEST(OfflineMusic, TheShowsModulePlaysInOrderThroughItsLastOrder) {
    OfflineMusic music;
    const std::string error = music.open(SHOW_DATA_DIR "/qua#v3n.it");
    if (!error.empty()) GTEST_SKIP() << error;
    std::vector<PositionReport> rows = renderAll(music, 4096, true, nullptr);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(music.inexactReports(), 0);
    for (size_t i = 1; i < rows.size(); ++i)
        ASSERT_GT(rows[i].frame, rows[i - 1].frame) << "report " << i;
    // The show ends when the music reaches order 33; a shorter song would never end it.
    int32_t lastOrder = 0;
    for (const PositionReport& r : rows) lastOrder = std::max(lastOrder, r.order);
    EXPECT_GE(lastOrder, 33);
}

// Positions received on the audio thread, with the moment each arrived.
struct Heard {
    static constexpr int kCapacity = 1024;
    std::atomic<int> count{0};
    uint32_t data[kCapacity];
    uint32_t sync[kCapacity];
    uint32_t channel[kCapacity];
    std::chrono::steady_clock::time_point when[kCapacity];
};
Heard heard;

// The heard-time clock driven by a scripted device and scripted time, 1 ms a step: the device
// asks for a 512-frame buffer every 11.6 ms while it is alive, and the clock is polled each step.
struct ScriptedClock {
    OfflineMusic music;
    MusicClock clock;
    std::vector<uint32_t> heard;
    int64_t nowMs = 0;
    int64_t nextFillNs = 0;
    int64_t fillEveryNs = 11609977;
    bool deviceAlive = true;
    bool frozen = false;  // neither the device nor the poller runs (a page frozen without notice)
    int lost = 0, back = 0;
    int16_t buffer[2 * kMusicDeviceFrames];

    explicit ScriptedClock(bool device) {
        const std::vector<uint8_t> bytes = steadyModule();
        EXPECT_EQ(music.openMemory(bytes.data(), bytes.size(), "steady"), "");
        clock.start(&music, device, 11600000, 0);
    }
    static void take(uint32_t data, void* user) {
        static_cast<ScriptedClock*>(user)->heard.push_back(data);
    }
    void runTo(int64_t ms) {
        for (; nowMs < ms; ++nowMs) {
            const int64_t ns = nowMs * 1000000;
            if (frozen) continue;
            if (deviceAlive && ns >= nextFillNs) {
                clock.fill(buffer, kMusicDeviceFrames, ns);
                nextFillNs = ns + fillEveryNs;
            }
            MusicClock::Event event;
            clock.poll(ns, take, this, &event);
            lost += event == MusicClock::Event::DeviceLost;
            back += event == MusicClock::Event::DeviceBack;
        }
    }
    void pause(bool on) { clock.pause(on, nowMs * 1000000); }
    // Every position heard is the next of the song, none twice, none left out, and no more than
    // `behind` fewer than `like` heard (and never more): a lost tail is a position left out too.
    bool inSequence(const ScriptedClock& like, size_t behind = 0) const {
        if (heard.size() > like.heard.size() || heard.size() + behind < like.heard.size() ||
            heard.size() > size_t(kSteadyRows))
            return false;
        for (size_t i = 0; i < heard.size(); ++i) {
            const int order = i < 32 ? 0 : i < 80 ? 1 : 2;
            const int row = i < 32 ? int(i) : i < 80 ? int(i) - 32 : int(i) - 80;
            if (heard[i] != packPosition(order, row)) return false;
        }
        return true;
    }
};

// A row of the steady module lasts 60 ms. A pause of a minute, with a device or without one,
// and across the device going quiet during the pause, leaves the song where it stood: what is
// heard after it is what would have been heard without it.
TEST(MusicClock, PauseHoldsThePositionWithAndWithoutADeviceAndAcrossAStall) {
    for (int mode = 0; mode < 3; ++mode) {
        SCOPED_TRACE(mode == 0 ? "own clock" : mode == 1 ? "device" : "device stalls when paused");
        ScriptedClock plain(mode > 0), paused(mode > 0);
        plain.runTo(1500);
        paused.runTo(1000);
        const size_t atPause = paused.heard.size();
        paused.pause(true);
        if (mode == 2) paused.deviceAlive = false;
        paused.runTo(61000);
        EXPECT_EQ(paused.heard.size(), atPause) << "positions delivered while paused";
        paused.pause(false);
        paused.runTo(61500);
        EXPECT_NEAR(double(paused.heard.size()), double(plain.heard.size()), 1.0);
        EXPECT_TRUE(paused.inSequence(plain));
        EXPECT_EQ(paused.lost, mode == 2 ? 1 : 0);
        // A second pause adds its length to the first's: the song is still held back by both.
        if (mode == 2) paused.deviceAlive = true;
        plain.runTo(2500);
        paused.runTo(62000);
        paused.pause(true);
        paused.runTo(63000);
        paused.pause(false);
        paused.runTo(63500);
        EXPECT_TRUE(paused.inSequence(plain, 1)) << paused.heard.size() << " of " << plain.heard.size();
    }
}

// A browser's device asks for 186 ms at a time, and not always on time: a callback 150 ms late
// is within its two buffers' patience; one that stays away for half a second is not.
TEST(MusicClock, ADeviceWithLongBuffersIsGivenTwoOfThemBeforeItIsLost) {
    ScriptedClock late(true);
    late.clock.setBufferLength(186000000);
    late.fillEveryNs = 186000000;
    late.runTo(1000);
    late.nextFillNs += 150000000;
    late.runTo(2000);
    EXPECT_EQ(late.lost, 0);
    late.nextFillNs += 500000000;
    late.runTo(3000);
    EXPECT_EQ(late.lost, 1);
}

// The device goes quiet for a second and comes back: the clock carries the song on in between,
// and the device takes it on from there; every row is heard once, in order, in about real time.
TEST(MusicClock, ADeviceThatStallsAndComesBackLosesNoRow) {
    ScriptedClock plain(true), stalled(true);
    plain.runTo(4000);
    stalled.runTo(1000);
    stalled.deviceAlive = false;
    stalled.runTo(2000);
    EXPECT_EQ(stalled.lost, 1);
    stalled.deviceAlive = true;
    stalled.runTo(4000);
    EXPECT_EQ(stalled.back, 1);
    EXPECT_TRUE(stalled.inSequence(plain, 6));
    // Held up by no more than the wait for the device and a buffer or two.
    EXPECT_GE(stalled.heard.size() + 6, plain.heard.size());
    EXPECT_LE(stalled.heard.size(), plain.heard.size());
}

// A browser tells its output's latency only once sound runs, so it is set again on resume: the
// rows after the resume are heard that much later, and none is lost.
TEST(MusicClock, ALatencySetOnResumeDelaysWhatIsHeardAfterIt) {
    ScriptedClock same(true), later(true);
    for (ScriptedClock* c : {&same, &later}) {
        c->runTo(1000);
        c->pause(true);
        c->runTo(2000);
    }
    later.clock.setLatency(11600000 + 120000000);  // two rows more
    for (ScriptedClock* c : {&same, &later}) {
        c->pause(false);
        c->runTo(3000);
    }
    EXPECT_TRUE(later.inSequence(same, 3));
    EXPECT_TRUE(same.inSequence(same));
    EXPECT_NEAR(double(same.heard.size() - later.heard.size()), 2.0, 1.0);
}

// A page the browser freezes stops both its sound callbacks and its frames. Coming back after
// 20 s, with frames running again before the device's first callback, is not a lost device,
// and the song goes on from the row it had.
TEST(MusicClock, AFrozenCallerIsNotALostDevice) {
    ScriptedClock plain(true), frozen(true);
    plain.runTo(3000);
    frozen.runTo(1000);
    frozen.frozen = true;
    frozen.runTo(21000);
    frozen.frozen = false;
    frozen.nextFillNs = 21200000000LL;
    frozen.runTo(23000);
    EXPECT_EQ(frozen.lost, 0);
    EXPECT_TRUE(frozen.inSequence(plain, 6));
}

// A device that plays on while nobody takes the positions (a page hidden without notice) fills
// the queue; the music then waits instead of dropping rows, and the song's end still arrives.
// A device given up on hands the music to the clock, which plays on silently.
TEST(MusicClock, NoPositionIsDroppedWhenNobodyPollsAndAnAbandonedDeviceHandsOver) {
    Pattern a{32, {{0, 60, 0, 0}}}, b{48, {{0, 48, 0, 0}}};
    const std::vector<uint8_t> bytes = buildModule(3, 125, {0, 1, 0, 1, 0, 1, 0, 1}, {a, b});
    OfflineMusic music;
    ASSERT_EQ(music.openMemory(bytes.data(), bytes.size(), "long"), "");
    MusicClock clock;
    clock.start(&music, true, 0, 0);
    int16_t buffer[2 * kMusicDeviceFrames];
    std::vector<uint32_t> heard;
    auto take = [](uint32_t data, void* user) {
        static_cast<std::vector<uint32_t>*>(user)->push_back(data);
    };
    MusicClock::Event event;
    int64_t ns = 0;
    for (; ns < 30000000000LL; ns += 11609977) clock.fill(buffer, kMusicDeviceFrames, ns);
    for (int i = 0; i < 40000; ++i, ns += 1000000) {
        if (i % 12 == 0) clock.fill(buffer, kMusicDeviceFrames, ns);
        clock.poll(ns, take, &heard, &event);
        ASSERT_NE(event, MusicClock::Event::DeviceLost);
    }
    ASSERT_EQ(heard.size(), 4u * 80 + 1);
    for (size_t i = 0; i < 4 * 80; ++i) {
        const int row = int(i % 80) < 32 ? int(i % 80) : int(i % 80) - 32;
        ASSERT_EQ(heard[i], packPosition(int(i / 80) * 2 + (int(i % 80) >= 32), row)) << i;
    }
    EXPECT_EQ(heard.back(), packPosition(kEndOfSongOrder, 0));

    ASSERT_TRUE(music.seek(0, 0));
    clock.start(&music, true, 0, ns);
    clock.abandonDevice();
    clock.poll(ns, take, &heard, &event);
    EXPECT_EQ(event, MusicClock::Event::DeviceLost);
    EXPECT_TRUE(clock.onOwnClock());
}

void onHeard(uint32_t sync, uint32_t channel, uint32_t data) {
    const int i = heard.count.load();
    if (i >= Heard::kCapacity) return;
    heard.when[i] = std::chrono::steady_clock::now();
    heard.data[i] = data;
    heard.sync[i] = sync;
    heard.channel[i] = channel;
    heard.count.store(i + 1);
}

TEST(RealTimeMusic, WithoutASoundDeviceTheSongStillKeepsItsTempo) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // Speed 1 at tempo 250: a row every 10 ms, an order every 320 ms.
    const Pattern quick{32, {{0, 60, 0, 0}, {16, 67, 0, 0}}};
    const std::vector<uint8_t> bytes = buildModule(1, 250, {0, 0, 0}, {quick});
    const std::string path = writeFile("quick-module.it", bytes.data(), bytes.size());

    heard.count = 0;
    EXPECT_FALSE(audioPlay(1));
    testing::internal::CaptureStderr();
    audioInit();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(audioIsSilent());
    EXPECT_NE(said.find("silently"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;

    uint32_t handle = 0;
    ASSERT_EQ(audioLoadMusic(path.c_str(), &handle), "");
    ASSERT_NE(handle, 0u);
    audioStart();
    EXPECT_EQ(audioSetPositionSync(handle + 1, onHeard), 0u);
    const uint32_t sync = audioSetPositionSync(handle, onHeard);
    EXPECT_NE(sync, 0u);
    ASSERT_TRUE(audioPlay(handle));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (heard.count.load() < 97 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    audioStop();
    const int count = heard.count.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(heard.count.load(), count) << "a position arrived after the stop";
    audioFree();
    audioFree();

    // Every row, then the end of the song once, as it stops sounding.
    ASSERT_EQ(count, 97);
    EXPECT_EQ(heard.data[96], packPosition(kEndOfSongOrder, 0));
    std::vector<double> lateness;
    for (int i = 0; i < 96; ++i) {
        EXPECT_EQ(heard.data[i], packPosition(i / 32, i % 32)) << i;
        EXPECT_EQ(heard.sync[i], sync);
        EXPECT_EQ(heard.channel[i], handle);
        const double ms =
            std::chrono::duration<double, std::milli>(heard.when[i] - heard.when[0]).count();
        lateness.push_back(std::abs(ms - i * 10.0));
    }
    // A loaded machine may wake the clock thread late for a row now and then, but a pace
    // off by a few percent puts most rows tens of milliseconds out.
    std::sort(lateness.begin(), lateness.end());
    EXPECT_LT(lateness[lateness.size() / 2], 3.0);
}

// Through a real sound server: a row's report comes when the row is heard, in order.
TEST(SoundServerMusic, ReportsArriveInOrderAsTheirRowsAreHeard) {
    std::vector<ReceivedReport> reports;
    std::vector<double> offsets;
    std::string error;
    ASSERT_TRUE(measureHeardOffsets(1, &reports, &offsets, &error)) << error;
    ASSERT_EQ(reports.size(), 65u);  // every row of the one order, then the end of the song
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(reports[i].order, 0);
        EXPECT_EQ(reports[i].row, i);
        if (i > 0) {
            EXPECT_GE(reports[i].when, reports[i - 1].when);
        }
    }
    EXPECT_EQ(reports[64].order, kEndOfSongOrder);
    ASSERT_FALSE(offsets.empty());
    ASSERT_LE(offsets.size(), 16u);  // a click every fourth row
    for (double ms : offsets) EXPECT_TRUE(std::isfinite(ms)) << ms;
}

// A server that stops asking for sound (here, stopped by a signal) must not stop the show.
TEST(SoundServerMusic, WhenTheServerHangsTheSongGoesOnSilentlyFromWhereItWas) {
    SoundServer server;
    std::string error;
    ASSERT_TRUE(server.start(&error)) << error;
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    // A row every 10 ms, 96 rows; the server hangs a little way in.
    const Pattern quick{32, {{0, 60, 0, 0}, {16, 67, 0, 0}}};
    const std::vector<uint8_t> bytes = buildModule(1, 250, {0, 0, 0}, {quick});
    const std::string path = writeFile("server-hangs.it", bytes.data(), bytes.size());

    heard.count = 0;
    testing::internal::CaptureStderr();
    audioInit();
    const bool silent = audioIsSilent();
    uint32_t handle = 0;
    error = audioLoadMusic(path.c_str(), &handle);
    audioStart();
    audioSetPositionSync(handle, onHeard);
    audioPlay(handle);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(8);
    while (heard.count.load() < 5 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    kill(server.pid(), SIGSTOP);
    const int beforeHang = heard.count.load();
    const auto hang = std::chrono::steady_clock::now();
    while (heard.count.load() < 97 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    server.stop();  // SDL's audio thread waits on the server until it is gone
    audioStop();
    audioFree();
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_FALSE(silent) << said;
    ASSERT_NE(handle, 0u) << error;

    EXPECT_GE(beforeHang, 5) << "the server played nothing before it hung";
    EXPECT_LT(beforeHang, 60);
    // Every row once, in order, across the change of clock; then the end.
    ASSERT_EQ(heard.count.load(), 97) << said;
    for (int i = 0; i < 96; ++i) EXPECT_EQ(heard.data[i], packPosition(i / 32, i % 32)) << i;
    EXPECT_EQ(heard.data[96], packPosition(kEndOfSongOrder, 0));
    // One line says so; the song is held up no more than the wait for the device.
    size_t lines = 0;
    for (size_t at = said.find("music:"); at != std::string::npos; at = said.find("music:", at + 1))
        ++lines;
    EXPECT_EQ(lines, 1u) << said;
    EXPECT_NE(said.find("stopped playing"), std::string::npos) << said;
    const double ms = std::chrono::duration<double, std::milli>(heard.when[96] - hang).count();
    EXPECT_LT(ms, (97 - beforeHang) * 10.0 + 250 + 150);
}

}  // namespace
