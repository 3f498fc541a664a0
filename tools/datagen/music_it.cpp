// Packs module records into Impulse Tracker bytes: header, orders, offsets, samples, patterns.
#include "tools/datagen/music_it.h"

#include <cstring>

namespace it {
namespace {

constexpr size_t kHeaderSize = 0xC0;
constexpr size_t kSampleHeaderSize = 80;
constexpr size_t kMaxSamples = 99;
constexpr size_t kMaxPatterns = 200;
constexpr size_t kMaxOrders = 255;  // plus the end marker

void put8(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
}
void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}
void putText(std::vector<uint8_t>& b, size_t at, const std::string& s) {
    std::memcpy(&b[at], s.data(), s.size());  // the field is zeroed, so the text stays terminated
}

bool fail(std::string* error, const std::string& what) {
    if (error) *error = what;
    return false;
}

bool validCell(const Cell& c, size_t sampleCount) {
    bool noteOk =
        c.note == -1 || (c.note >= 0 && c.note <= 119) || c.note == kNoteCut || c.note == kNoteOff;
    bool sampleOk = c.sample >= 0 && size_t(c.sample) <= sampleCount;
    bool volumeOk =
        c.volume == -1 || (c.volume >= 0 && c.volume <= 64) || (c.volume >= 128 && c.volume <= 192);
    return noteOk && sampleOk && volumeOk && c.command <= 26;
}

bool validate(const Module& m, std::string* error) {
    if (m.title.size() > 25)
        return fail(error, "module title \"" + m.title + "\" is over 25 characters");
    if (m.channelPan.size() != m.channelVolume.size() || m.channelPan.empty() ||
        m.channelPan.size() > size_t(kMaxChannels))
        return fail(error, "channel pan and volume lists must have the same length, 1 to 64");
    for (size_t c = 0; c < m.channelPan.size(); ++c)
        if ((m.channelPan[c] > 64 && m.channelPan[c] != 100) || m.channelVolume[c] > 64)
            return fail(error,
                        "channel " + std::to_string(c + 1) + " has pan or volume out of range");
    if (m.orders.empty() || m.orders.size() > kMaxOrders)
        return fail(error, "the order list must hold 1 to 255 entries");
    for (size_t i = 0; i < m.orders.size(); ++i)
        if (m.orders[i] != 254 && m.orders[i] >= m.patterns.size())
            return fail(error, "order " + std::to_string(i) + " names missing pattern " +
                                   std::to_string(m.orders[i]));
    if (m.samples.size() > kMaxSamples) return fail(error, "more than 99 samples");
    if (m.patterns.size() > kMaxPatterns) return fail(error, "more than 200 patterns");
    for (size_t i = 0; i < m.samples.size(); ++i) {
        const Sample& s = m.samples[i];
        std::string name = "sample " + std::to_string(i + 1) + " \"" + s.name + "\"";
        if (s.name.size() > 25 || s.fileName.size() > 12)
            return fail(error, name + " has a name over 25 or a file name over 12 characters");
        if (s.pcm.empty()) return fail(error, name + " has no data");
        if (s.loop && !(s.loopStart < s.loopEnd && s.loopEnd <= s.pcm.size()))
            return fail(error, name + " loops outside its data");
        if (s.globalVolume > 64 || s.defaultVolume > 64 || s.c5Speed == 0 || s.c5Speed > 9999999)
            return fail(error, name + " has a volume or C-5 speed out of range");
    }
    for (size_t p = 0; p < m.patterns.size(); ++p) {
        const Pattern& pat = m.patterns[p];
        std::string name = "pattern " + std::to_string(p);
        if (pat.rows < 32 || pat.rows > 200) return fail(error, name + " must have 32 to 200 rows");
        if (pat.channels < 1 || size_t(pat.channels) > m.channelPan.size() ||
            pat.cells.size() != size_t(pat.rows) * pat.channels)
            return fail(error, name + " uses channels the module does not enable");
        for (size_t i = 0; i < pat.cells.size(); ++i)
            if (!validCell(pat.cells[i], m.samples.size()))
                return fail(error, name + " row " + std::to_string(i / pat.channels) + " channel " +
                                       std::to_string(i % pat.channels + 1) +
                                       " holds a value out of range");
    }
    return true;
}

void writeSampleHeader(const Sample& s, size_t dataOffset, std::vector<uint8_t>& b, size_t at) {
    std::memcpy(&b[at], "IMPS", 4);
    putText(b, at + 0x04, s.fileName);
    put8(b, at + 0x11, s.globalVolume);
    put8(b, at + 0x12, 0x01 | 0x02 | (s.loop ? 0x10 : 0));  // data attached, 16-bit, loop
    put8(b, at + 0x13, s.defaultVolume);
    putText(b, at + 0x14, s.name);
    put8(b, at + 0x2E, 0x01);  // signed data
    put32(b, at + 0x30, uint32_t(s.pcm.size()));
    put32(b, at + 0x34, s.loop ? s.loopStart : 0);
    put32(b, at + 0x38, s.loop ? s.loopEnd : 0);
    put32(b, at + 0x3C, s.c5Speed);
    put32(b, at + 0x48, uint32_t(dataOffset));
}

}  // namespace

std::vector<uint8_t> packPatternRows(const Pattern& pattern) {
    std::vector<uint8_t> out;
    for (int row = 0; row < pattern.rows; ++row) {
        for (int ch = 0; ch < pattern.channels; ++ch) {
            const Cell& c = pattern.at(row, ch);
            if (c.empty()) continue;
            // A full mask on every entry keeps each entry self-contained.
            uint8_t mask = (c.note >= 0 ? 1 : 0) | (c.sample > 0 ? 2 : 0) |
                           (c.volume >= 0 ? 4 : 0) | (c.command ? 8 : 0);
            out.push_back(uint8_t(0x80 | (ch + 1)));
            out.push_back(mask);
            if (mask & 1) out.push_back(uint8_t(c.note));
            if (mask & 2) out.push_back(uint8_t(c.sample));
            if (mask & 4) out.push_back(uint8_t(c.volume));
            if (mask & 8) {
                out.push_back(c.command);
                out.push_back(c.param);
            }
        }
        out.push_back(0);
    }
    return out;
}

bool encodeModule(const Module& m, std::vector<uint8_t>* bytes, std::string* error) {
    if (!validate(m, error)) return false;
    std::vector<std::vector<uint8_t>> packed;
    for (size_t p = 0; p < m.patterns.size(); ++p) {
        packed.push_back(packPatternRows(m.patterns[p]));
        if (packed.back().size() > 0xFFFF)
            return fail(error, "pattern " + std::to_string(p) + " packs to " +
                                   std::to_string(packed.back().size()) +
                                   " bytes; a pattern holds at most 65535");
    }

    size_t ordNum = m.orders.size() + 1;
    size_t sampleTable = kHeaderSize + ordNum;
    size_t patternTable = sampleTable + 4 * m.samples.size();
    size_t at = patternTable + 4 * m.patterns.size();
    std::vector<size_t> sampleHeaderAt, patternAt, dataAt;
    for (size_t i = 0; i < m.samples.size(); ++i, at += kSampleHeaderSize)
        sampleHeaderAt.push_back(at);
    for (const auto& p : packed) {
        patternAt.push_back(at);
        at += 8 + p.size();
    }
    for (const Sample& s : m.samples) {
        dataAt.push_back(at);
        at += 2 * s.pcm.size();
    }
    if (at > 0xFFFFFFFFu) return fail(error, "module is larger than 4 GiB");

    std::vector<uint8_t>& b = *bytes;
    b.assign(at, 0);
    std::memcpy(&b[0], "IMPM", 4);
    putText(b, 0x04, m.title);
    put8(b, 0x1E, m.rowsPerBeat);
    put8(b, 0x1F, m.rowsPerMeasure);
    put16(b, 0x20, uint32_t(ordNum));
    put16(b, 0x22, 0);  // sample mode: no instruments
    put16(b, 0x24, uint32_t(m.samples.size()));
    put16(b, 0x26, uint32_t(m.patterns.size()));
    put16(b, 0x28, 0x0214);
    put16(b, 0x2A, 0x0214);
    put16(b, 0x2C, 0x0009);  // stereo, linear slides
    put8(b, 0x30, m.globalVolume);
    put8(b, 0x31, m.mixVolume);
    put8(b, 0x32, m.initialSpeed);
    put8(b, 0x33, m.initialTempo);
    put8(b, 0x34, m.separation);
    for (size_t c = 0; c < size_t(kMaxChannels); ++c) {
        bool used = c < m.channelPan.size();
        put8(b, 0x40 + c, used ? m.channelPan[c] : 32 + 128);
        put8(b, 0x80 + c, used ? m.channelVolume[c] : 64);
    }
    for (size_t i = 0; i < m.orders.size(); ++i) put8(b, kHeaderSize + i, m.orders[i]);
    put8(b, kHeaderSize + m.orders.size(), 255);

    for (size_t i = 0; i < m.samples.size(); ++i) {
        const Sample& s = m.samples[i];
        put32(b, sampleTable + 4 * i, uint32_t(sampleHeaderAt[i]));
        writeSampleHeader(s, dataAt[i], b, sampleHeaderAt[i]);
        for (size_t k = 0; k < s.pcm.size(); ++k) put16(b, dataAt[i] + 2 * k, uint16_t(s.pcm[k]));
    }
    for (size_t p = 0; p < packed.size(); ++p) {
        put32(b, patternTable + 4 * p, uint32_t(patternAt[p]));
        put16(b, patternAt[p], uint32_t(packed[p].size()));
        put16(b, patternAt[p] + 2, uint32_t(m.patterns[p].rows));
        std::memcpy(&b[patternAt[p] + 8], packed[p].data(), packed[p].size());
    }
    return true;
}

}  // namespace it
