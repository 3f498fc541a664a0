// The capture's music track and files: rendering ahead, WAV and PNG writing.
#include "tools/capture/track.h"

#include <png.h>

#include <cstdio>

bool renderTrack(const std::string& path, int untilOrder, Track& track, std::string* error) {
    OfflineMusic music;
    *error = music.open(path.c_str());
    if (!error->empty()) return false;
    std::vector<PositionReport> block;
    block.reserve(4096);
    const int kBlock = 4096;
    std::vector<int16_t> buffer(kBlock * 2);
    for (;;) {
        block.clear();
        int64_t start = music.framesRendered();
        int got = music.render(buffer.data(), kBlock, block);
        for (const PositionReport& r : block) {
            if (r.order >= untilOrder) {
                track.endFrame = r.frame;
                track.samples.insert(track.samples.end(), buffer.begin(),
                                     buffer.begin() + 2 * (r.frame - start));
                return true;
            }
            track.reports.push_back(r);
        }
        track.samples.insert(track.samples.end(), buffer.begin(), buffer.begin() + 2 * got);
        if (got == 0 || music.ended()) break;
    }
    track.endFrame = static_cast<int64_t>(track.samples.size() / 2);
    return true;
}

bool firstFrameAt(MusicPosition start, int fps, Track& track) {
    if (start.order == 0 && start.row == 0) return true;
    for (const PositionReport& r : track.reports) {
        if (positionBefore(MusicPosition{r.order, r.row}, start)) continue;
        const int64_t frame = (r.frame * fps + kMusicSampleRate - 1) / kMusicSampleRate;
        track.startFrame = frame * kMusicSampleRate / fps;
        // At a low frame rate the first frame after a last row can lie past the capture's end.
        return track.startFrame < track.endFrame;
    }
    return false;
}

bool writeWav(const std::string& path, const int16_t* samples, size_t frames) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    auto u32 = [&](uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [&](uint16_t v) { std::fwrite(&v, 2, 1, f); };
    uint32_t bytes = static_cast<uint32_t>(frames * 4);
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + bytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);  // PCM
    u16(2);
    u32(kMusicSampleRate);
    u32(kMusicSampleRate * 4);
    u16(4);
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(bytes);
    bool ok = std::fwrite(samples, 4, frames, f) == frames;
    return std::fclose(f) == 0 && ok;
}

bool writeFramePng(const std::string& path, const uint8_t* rgba, int width, int height) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGB;
    static std::vector<uint8_t> rgb;  // reused from frame to frame
    rgb.resize(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0, j = 0; i < rgb.size(); i += 3, j += 4) {
        rgb[i] = rgba[j];
        rgb[i + 1] = rgba[j + 1];
        rgb[i + 2] = rgba[j + 2];
    }
    // A negative stride reads the rows from the last one up: the read-back is bottom-up.
    return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), -width * 3, nullptr) != 0;
}
