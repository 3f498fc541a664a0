// The capture's music track and files: the song rendered ahead of the show with its positions,
// the WAV writer and the PNG frame writer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/music.h"
#include "platform/module.h"

// The whole song up to the stop order, rendered before the show runs, with its positions.
struct Track {
    std::vector<int16_t> samples;  // interleaved stereo
    std::vector<PositionReport> reports;
    int64_t endFrame = 0;    // first frame of the stop order (or the song's end)
    int64_t startFrame = 0;  // first sample of the first frame written (--start)
};

// Renders the module at `path` up to the first frame of order `untilOrder` (or the song's end)
// into `track`; false with *error naming the file when it cannot be read.
bool renderTrack(const std::string& path, int untilOrder, Track& track, std::string* error);
// Finds the first frame whose music position is at or after `start` (a frame shows the last
// position whose first sample lies at or before its time) and sets the track's first sample
// from it. False when the track ends before that position's first frame.
bool firstFrameAt(MusicPosition start, int fps, Track& track);
// Writes interleaved 16-bit stereo at the music's rate as a WAV file.
bool writeWav(const std::string& path, const int16_t* samples, size_t frames);
// Writes a bottom-up RGBA frame as an opaque PNG.
bool writeFramePng(const std::string& path, const uint8_t* rgba, int width, int height);
