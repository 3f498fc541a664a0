// Tests of the music generator: module writer, instruments, and the show's module as played.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

// The generator is a program rather than a library, so its music sources are built in here.
#include "tools/datagen/music.cpp"
#include "tools/datagen/music_it.cpp"
#include "tools/datagen/music_score.cpp"
#include "tools/datagen/music_song.cpp"
#include "tools/datagen/music_synth.cpp"

namespace {

constexpr int kRate = 44100;

// A module opened by libopenmpt, with every log line the loader wrote.
struct Player {
    openmpt_module* mod = nullptr;
    std::vector<std::string> log;
    ~Player() {
        if (mod) openmpt_module_destroy(mod);
    }
};

void collectLog(const char* message, void* user) {
    static_cast<std::vector<std::string>*>(user)->push_back(message);
}

std::unique_ptr<Player> open(const std::vector<uint8_t>& bytes) {
    auto p = std::make_unique<Player>();
    int error = 0;
    const char* message = nullptr;
    p->mod = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), collectLog, &p->log,
                                                nullptr, nullptr, &error, &message, nullptr);
    if (message) openmpt_free_string(message);
    return p;
}

std::vector<float> renderMono(openmpt_module* mod, double seconds) {
    std::vector<float> stereo(2 * size_t(seconds * kRate)), mono;
    size_t got =
        openmpt_module_read_interleaved_float_stereo(mod, kRate, stereo.size() / 2, stereo.data());
    for (size_t i = 0; i < got; ++i) mono.push_back(0.5f * (stereo[2 * i] + stereo[2 * i + 1]));
    return mono;
}

double rms(const std::vector<float>& w, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += double(w[i]) * w[i];
    return std::sqrt(sum / double(to - from));
}

// Strength of one frequency in a signal (Goertzel).
double toneStrength(const std::vector<float>& w, double hz) {
    double k = 2 * std::cos(2 * M_PI * hz / kRate), s1 = 0, s2 = 0;
    for (float x : w) {
        double s = x + k * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return std::sqrt(s1 * s1 + s2 * s2 - k * s1 * s2) / double(w.size());
}

std::string formatted(openmpt_module* mod, int pattern, int row, int channel, int command) {
    return openmpt_module_format_pattern_row_channel_command(mod, pattern, row, channel, command);
}

// Whether any channel of a row starts the given sample.
bool rowPlays(openmpt_module* mod, int order, int row, int sample) {
    int pattern = openmpt_module_get_order_pattern(mod, order);
    for (int ch = 0; ch < openmpt_module_get_num_channels(mod); ++ch)
        if (openmpt_module_get_pattern_row_channel_command(
                mod, pattern, row, ch, OPENMPT_MODULE_COMMAND_INSTRUMENT) == sample)
            return true;
    return false;
}

it::Sample tone(const char* name, bool loop) {
    it::Sample s;
    s.name = name;
    std::vector<float> w(4410);
    for (size_t i = 0; i < w.size(); ++i) w[i] = float(std::sin(2 * M_PI * 100 * i / 4410.0));
    s.pcm = synth::toPcm16(w, 0.5f);
    s.loop = loop;
    s.loopEnd = loop ? uint32_t(w.size()) : 0;
    return s;
}

it::Module smallModule() {
    it::Module m;
    m.title = "round trip";
    m.initialSpeed = 3;
    m.initialTempo = 125;
    m.channelPan = {0, 32, 64, 32};
    m.channelVolume = {64, 64, 64, 64};
    m.samples = {tone("first", false), tone("second", true)};
    m.patterns = {it::Pattern(64, 4), it::Pattern(32, 4)};
    m.orders = {0, 1, 0};
    it::Cell& a = m.patterns[0].at(0, 0);
    a.note = 60, a.sample = 1, a.volume = 40, a.command = it::kVibrato, a.param = 0x42;
    m.patterns[0].at(5, 3).note = it::kNoteCut;
    m.patterns[0].at(63, 2).sample = 2;
    m.patterns[0].at(63, 2).note = 119;
    m.patterns[1].at(31, 1).command = it::kGlobalVolume;
    m.patterns[1].at(31, 1).param = 0x20;
    return m;
}

std::vector<uint8_t> showModule() {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(it::encodeModule(score::composeModule(), &bytes, &error)) << error;
    return bytes;
}

TEST(MusicWriter, WhatIsWrittenIsWhatThePlayerReads) {
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(it::encodeModule(smallModule(), &bytes, &error)) << error;
    auto p = open(bytes);
    ASSERT_NE(p->mod, nullptr);
    EXPECT_TRUE(p->log.empty()) << p->log.front();
    EXPECT_EQ(openmpt_module_get_num_orders(p->mod), 3);
    EXPECT_EQ(openmpt_module_get_order_pattern(p->mod, 1), 1);
    EXPECT_EQ(openmpt_module_get_pattern_num_rows(p->mod, 0), 64);
    EXPECT_EQ(openmpt_module_get_pattern_num_rows(p->mod, 1), 32);
    EXPECT_EQ(openmpt_module_get_num_samples(p->mod), 2);
    EXPECT_EQ(openmpt_module_get_current_speed(p->mod), 3);
    EXPECT_EQ(openmpt_module_get_current_tempo(p->mod), 125);
    EXPECT_NEAR(openmpt_module_get_duration_seconds(p->mod), 160 * 0.06, 1e-6);

    EXPECT_EQ(formatted(p->mod, 0, 0, 0, OPENMPT_MODULE_COMMAND_NOTE), "C-5");
    EXPECT_EQ(openmpt_module_get_pattern_row_channel_command(p->mod, 0, 0, 0,
                                                             OPENMPT_MODULE_COMMAND_INSTRUMENT),
              1);
    EXPECT_EQ(openmpt_module_get_pattern_row_channel_command(p->mod, 0, 0, 0,
                                                             OPENMPT_MODULE_COMMAND_VOLUME),
              40);
    EXPECT_EQ(formatted(p->mod, 0, 0, 0, OPENMPT_MODULE_COMMAND_EFFECT), "H");
    EXPECT_EQ(formatted(p->mod, 0, 0, 0, OPENMPT_MODULE_COMMAND_PARAMETER), "42");
    EXPECT_EQ(formatted(p->mod, 0, 5, 3, OPENMPT_MODULE_COMMAND_NOTE), "^^^");
    EXPECT_EQ(formatted(p->mod, 0, 63, 2, OPENMPT_MODULE_COMMAND_NOTE), "B-9");
    EXPECT_EQ(openmpt_module_get_pattern_row_channel_command(p->mod, 0, 63, 2,
                                                             OPENMPT_MODULE_COMMAND_INSTRUMENT),
              2);
    EXPECT_EQ(formatted(p->mod, 1, 31, 1, OPENMPT_MODULE_COMMAND_EFFECT), "V");
    EXPECT_EQ(formatted(p->mod, 1, 31, 1, OPENMPT_MODULE_COMMAND_PARAMETER), "20");
    // Cells left empty stay empty, next to written ones.
    EXPECT_EQ(openmpt_module_get_pattern_row_channel_command(p->mod, 0, 0, 1,
                                                             OPENMPT_MODULE_COMMAND_NOTE),
              0);
    EXPECT_EQ(openmpt_module_get_pattern_row_channel_command(p->mod, 0, 1, 0,
                                                             OPENMPT_MODULE_COMMAND_INSTRUMENT),
              0);
}

TEST(MusicWriter, RefusesWhatTheFormatCannotHold) {
    struct Case {
        const char* what;
        void (*spoil)(it::Module&);
        const char* named;
    };
    const Case cases[] = {
        {"order names a missing pattern", [](it::Module& m) { m.orders.push_back(7); }, "order 3"},
        {"too few rows", [](it::Module& m) { m.patterns[1] = it::Pattern(16, 4); }, "pattern 1"},
        {"loop past the data", [](it::Module& m) { m.samples[1].loopEnd = 99999; }, "sample 2"},
        {"note out of range", [](it::Module& m) { m.patterns[0].at(9, 1).note = 130; },
         "row 9 channel 2"},
        {"volume out of range", [](it::Module& m) { m.patterns[0].at(9, 1).volume = 100; },
         "row 9"},
        {"sample that does not exist", [](it::Module& m) { m.patterns[0].at(2, 0).sample = 3; },
         "row 2"},
        {"pattern wider than the module's channels",
         [](it::Module& m) { m.patterns[0] = it::Pattern(64, 5); }, "pattern 0"},
        {"title too long", [](it::Module& m) { m.title = std::string(26, 't'); }, "title"},
        {"empty sample", [](it::Module& m) { m.samples[0].pcm.clear(); }, "sample 1"},
        {"too many samples", [](it::Module& m) { m.samples.resize(100, m.samples[0]); }, "99"},
        {"pattern that packs past 64 KiB",
         [](it::Module& m) {
             m.channelPan.assign(64, 32);
             m.channelVolume.assign(64, 64);
             m.patterns[0] = it::Pattern(200, 64);
             for (it::Cell& c : m.patterns[0].cells)
                 c.note = 60, c.sample = 1, c.volume = 64, c.command = it::kVibrato;
         },
         "pattern 0"},
    };
    for (const Case& c : cases) {
        it::Module m = smallModule();
        c.spoil(m);
        std::vector<uint8_t> bytes;
        std::string error;
        EXPECT_FALSE(it::encodeModule(m, &bytes, &error)) << c.what;
        EXPECT_NE(error.find(c.named), std::string::npos) << c.what << ": " << error;
    }
}

TEST(MusicWriter, ReportsAFolderItCannotWriteTo) {
    std::string error;
    EXPECT_FALSE(writeMusic("/nonexistent-folder/for-music", &error));
    EXPECT_NE(error.find("/nonexistent-folder/for-music/qua#v3n.it"), std::string::npos) << error;
}

TEST(MusicInstruments, SamplesStartQuietlyAndLoopWithoutASeam) {
    std::vector<it::Sample> all = synth::makeInstruments();
    ASSERT_EQ(all.size(), size_t(synth::kInstrumentCount));
    for (const it::Sample& s : all) {
        int peak = 0, largestStep = 0;
        for (size_t i = 0; i < s.pcm.size(); ++i) {
            peak = std::max(peak, std::abs(int(s.pcm[i])));
            if (i > s.loopStart && i < s.loopEnd)
                largestStep = std::max(largestStep, std::abs(s.pcm[i] - s.pcm[i - 1]));
        }
        EXPECT_GT(peak, 30000) << s.name;  // full use of 16 bits, and never clipped
        EXPECT_LT(peak, 32000) << s.name;
        EXPECT_LT(std::abs(s.pcm.front()), 300) << s.name << " would click when struck";
        if (!s.loop) continue;
        ASSERT_LE(s.loopEnd, s.pcm.size()) << s.name;
        int seam = std::abs(s.pcm[s.loopStart] - s.pcm[s.loopEnd - 1]);
        EXPECT_LE(seam, largestStep) << s.name << " steps where its loop joins";
    }
}

// Every pitched instrument plays A-4 at 440 Hz, so parts played together are in tune; the
// looped ones keep sounding past the end of their data.
TEST(MusicInstruments, PitchedInstrumentsAreInTuneAndSustain) {
    std::vector<it::Sample> all = synth::makeInstruments();
    for (int id : {synth::kBass, synth::kPad, synth::kLead, synth::kPluck}) {
        it::Module m;
        m.initialSpeed = 3;
        m.initialTempo = 125;
        m.channelPan = {32};
        m.channelVolume = {64};
        m.samples = {all[id - 1]};
        m.patterns = {it::Pattern(64, 1)};
        m.orders = {0};
        m.patterns[0].at(0, 0).note = 69;
        m.patterns[0].at(0, 0).sample = 1;
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(it::encodeModule(m, &bytes, &error)) << error;
        auto p = open(bytes);
        ASSERT_NE(p->mod, nullptr);
        std::vector<float> w = renderMono(p->mod, 3.5);
        const std::string name = all[id - 1].name;
        std::vector<float> start(w.begin() + kRate / 20, w.begin() + kRate / 4);
        double inTune = toneStrength(start, 440);
        EXPECT_GT(inTune, 4 * toneStrength(start, 440 * std::pow(2, -0.5 / 12))) << name;
        EXPECT_GT(inTune, 4 * toneStrength(start, 440 * std::pow(2, 0.5 / 12))) << name;
        if (all[id - 1].loop) {
            size_t late = size_t(3.0 * kRate);
            ASSERT_GT(w.size(), late + kRate / 4);
            EXPECT_GT(rms(w, late, late + kRate / 4), 0.01) << name << " stops instead of looping";
        }
    }
}

TEST(ShowMusic, IsTheSameOnEveryRunAndInTheDataSet) {
    char dir[] = "/tmp/music-test-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string error;
    ASSERT_TRUE(writeMusic(dir, &error)) << error;
    std::string path = std::string(dir) + "/qua#v3n.it";
    std::ifstream written(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(written)), {});
    std::remove(path.c_str());
    rmdir(dir);
    EXPECT_EQ(bytes, showModule());
    std::ifstream shipped(std::string(SHOW_DATA_DIR) + "/qua#v3n.it", std::ios::binary);
    ASSERT_TRUE(shipped.good()) << "the data set has no qua#v3n.it";
    EXPECT_TRUE(bytes == std::vector<uint8_t>(std::istreambuf_iterator<char>(shipped), {}))
        << "the data set's module is not what the generator writes";
}

TEST(ShowMusic, LoadsCleanlyWithTheShowsLayoutAndTiming) {
    auto p = open(showModule());
    ASSERT_NE(p->mod, nullptr);
    for (const std::string& line : p->log) ADD_FAILURE() << "player log: " << line;
    ASSERT_GE(openmpt_module_get_num_orders(p->mod), score::kOrderCount);
    for (int order = 0; order < score::kOrderCount; ++order) {
        int pattern = openmpt_module_get_order_pattern(p->mod, order);
        EXPECT_EQ(openmpt_module_get_pattern_num_rows(p->mod, pattern), 128) << "order " << order;
    }
    EXPECT_EQ(openmpt_module_get_current_speed(p->mod), 3);
    EXPECT_EQ(openmpt_module_get_current_tempo(p->mod), 125);
    EXPECT_NEAR(openmpt_module_set_position_order_row(p->mod, 33, 0), 253.4, 1.0);
}

// The scenes throw, spin and jolt the camera on these rows, so the music must hit there.
TEST(ShowMusic, HitsLandWhereTheScenesMove) {
    auto p = open(showModule());
    ASSERT_NE(p->mod, nullptr);
    for (int order : {4, 5, 7})
        for (int row : {0, 64}) EXPECT_TRUE(rowPlays(p->mod, order, row, synth::kBoom)) << order;
    const std::vector<std::pair<int, int>> spins = {{4, 80}, {5, 0},  {5, 64},  {6, 8},
                                                    {6, 40}, {6, 72}, {6, 104}, {7, 8},
                                                    {7, 40}, {7, 72}, {7, 104}};
    for (auto [order, row] : spins)
        EXPECT_TRUE(rowPlays(p->mod, order, row, synth::kZap)) << order << " row " << row;
    for (int row : {112, 120}) EXPECT_TRUE(rowPlays(p->mod, 19, row, synth::kBoom)) << row;
    for (int row = 113; row < 128; ++row)
        EXPECT_FALSE(rowPlays(p->mod, 19, row, synth::kKick)) << "the break has a kick at " << row;
    for (int order = 1; order <= 31; ++order)
        EXPECT_TRUE(rowPlays(p->mod, order, 64, synth::kKick) || order == 26) << order;
}

// Rendered as the show plays it: never clipped, no silent stretch, and the fade over order 32.
TEST(ShowMusic, RendersLoudEnoughWithoutClippingAndFadesAtTheEnd) {
    auto p = open(showModule());
    ASSERT_NE(p->mod, nullptr);
    // Levels in eighths of an order (16 rows, 0.96 s), streamed to keep memory small.
    const size_t eighth = size_t(0.96 * kRate);
    std::vector<double> power(34 * 8, 0.0);
    std::vector<float> block(2 * eighth);
    float peak = 0;
    for (size_t k = 0; k < power.size(); ++k) {
        size_t got =
            openmpt_module_read_interleaved_float_stereo(p->mod, kRate, eighth, block.data());
        ASSERT_EQ(got, eighth) << "the song ends early, in eighth " << k;
        for (float x : block) {
            peak = std::max(peak, std::fabs(x));
            power[k] += double(x) * x / double(block.size());
        }
    }
    auto level = [&](int from, int to) {
        double sum = 0;
        for (int k = from; k < to; ++k) sum += power[k];
        return std::sqrt(sum / (to - from));
    };
    EXPECT_LE(peak, std::pow(10.0, -1.0 / 20)) << "peak above -1 dBFS";
    for (int o = 0; o < 33; ++o) EXPECT_GT(level(8 * o, 8 * o + 8), 0.02) << "order " << o;
    EXPECT_LT(level(32 * 8 + 7, 33 * 8), level(32 * 8, 32 * 8 + 1) / 10) << "no fade in order 32";
    EXPECT_LT(level(33 * 8 + 1, 34 * 8), 1e-3) << "order 33 is not silent";
}

}  // namespace
