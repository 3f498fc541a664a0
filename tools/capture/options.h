// Command line of the capture tool.
#pragma once
#include <string>
#include <vector>

#include "app/seek.h"
#include "render/device.h"

// One requested still: the first frame presented at or after (order, row).
struct ShotRequest {
    int order = 0;
    int row = 0;
    std::string path;
    bool taken = false;
};

struct CaptureOptions {
    std::string output = "show.mp4";  // MP4 (H.264 + AAC) unless frames or shots only
    std::string framesDir;            // when set, every frame as PNG instead of a video
    std::string audioPath;            // when set, the music alone as WAV
    int fps = 60;
    int width = 640, height = 480;
    std::vector<ShotRequest> shots;
    int untilOrder = 33;
    MusicPosition start;  // --start: the first frame written is the first at or after it
    std::string dataDir;  // empty: as the show finds it
    std::string preset = "veryfast";  // x264's speed/size trade-off
    std::string timelinePath;         // when set, one line per frame: frame, ticks, order, row
    bool outputGiven = false;
    bool verbose = false;                       // the 3DS reader's chunk trace on standard output
    RendererKind renderer = RendererKind::GL1;  // --renderer gl1|gles2
};

// Parses argv into options. Returns false with *error set (or *help true for --help).
bool parseCaptureOptions(int argc, char** argv, CaptureOptions& options, std::string* error,
                         bool* help);
// The usage text.
const char* captureUsage();
