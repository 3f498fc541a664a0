// Parsing of the capture tool's command line.
#include "tools/capture/options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/options.h"

namespace {

// Parses a whole decimal integer in [lo, hi].
bool parseInt(const std::string& text, int lo, int hi, int& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || v < lo || v > hi) return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

const char* captureUsage() {
    return "usage: demo-capture [options]\n"
           "Renders the show at a fixed frame rate, frame-exact, with its music.\n"
           "  --output FILE         MP4 with H.264 video and AAC audio (default show.mp4)\n"
           "  --frames DIR          write every frame as DIR/frame-NNNNNN.png instead\n"
           "  --audio FILE.wav      write the music alone as WAV\n"
           "  --preset NAME         x264 preset for --output (default veryfast; ultrafast is\n"
           "                        quicker and makes larger files)\n"
           "  --fps N               frames per second (default 60)\n"
           "  --size WxH            picture size (default 640x480); the show keeps 4:3 with bars\n"
           "  --shot ORDER:ROW:FILE.png  the first frame at or after that music position\n"
           "                        (repeatable; with only shots, no video is encoded)\n"
           "  --start ORDER[:ROW]   begin at that music position (alias --from): the frames and\n"
           "                        the music are those linear play gives from there on\n"
           "  --until ORDER         stop when the music reaches ORDER (default 33, the end)\n"
           "  --data DIR            the data folder (default: ./data, else beside the program)\n"
           "  --timeline FILE       one line per frame: frame, tick (ms), music order, row\n"
           "  --renderer gl1|gles2  draw with OpenGL 1.1 (default) or OpenGL ES 2.0\n"
           "  --verbose             print the 3DS reader's chunk trace on standard output\n"
           "                        (dropped otherwise)\n"
           "  --help                this text\n";
}

bool parseCaptureOptions(int argc, char** argv, CaptureOptions& o, std::string* error, bool* help) {
    *help = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            *help = true;
            return true;
        }
        if (arg == "--verbose") {
            o.verbose = true;
            continue;
        }
        if (i + 1 >= argc) {
            *error = "option " + arg + (arg.rfind("--", 0) == 0 ? " needs a value" : " is unknown");
            return false;
        }
        std::string value = argv[++i];
        if (arg == "--output") {
            o.output = value;
            o.outputGiven = true;
        } else if (arg == "--preset") {
            static const char* const kPresets[] = {"ultrafast", "superfast", "veryfast",
                                                   "faster",    "fast",      "medium",
                                                   "slow",      "slower",    "veryslow"};
            bool known = false;
            for (const char* p : kPresets) known |= value == p;
            if (!known) {
                *error =
                    "--preset wants an x264 preset (ultrafast ... veryslow), not \"" + value + "\"";
                return false;
            }
            o.preset = value;
        } else if (arg == "--frames") {
            o.framesDir = value;
        } else if (arg == "--audio") {
            o.audioPath = value;
        } else if (arg == "--fps") {
            if (!parseInt(value, 1, 1000, o.fps)) {
                *error = "--fps wants a whole number from 1 to 1000, not \"" + value + "\"";
                return false;
            }
        } else if (arg == "--size") {
            size_t x = value.find('x');
            if (x == std::string::npos || !parseInt(value.substr(0, x), 16, 8192, o.width) ||
                !parseInt(value.substr(x + 1), 16, 8192, o.height)) {
                *error = "--size wants WIDTHxHEIGHT (16 to 8192 each), not \"" + value + "\"";
                return false;
            }
        } else if (arg == "--shot") {
            ShotRequest shot;
            size_t a = value.find(':');
            size_t b = a == std::string::npos ? a : value.find(':', a + 1);
            if (b == std::string::npos || !parseInt(value.substr(0, a), 0, 255, shot.order) ||
                !parseInt(value.substr(a + 1, b - a - 1), 0, 255, shot.row) ||
                b + 1 >= value.size()) {
                *error = "--shot wants ORDER:ROW:FILE.png, not \"" + value + "\"";
                return false;
            }
            shot.path = value.substr(b + 1);
            o.shots.push_back(shot);
        } else if (arg == "--until") {
            if (!parseInt(value, 1, 255, o.untilOrder)) {
                *error = "--until wants an order from 1 to 255, not \"" + value + "\"";
                return false;
            }
        } else if (arg == "--start" || arg == "--from") {
            if (!parseMusicPosition(value, o.start)) {
                *error = arg + " wants ORDER or ORDER:ROW, not \"" + value + "\"";
                return false;
            }
        } else if (arg == "--data") {
            o.dataDir = value;
        } else if (arg == "--renderer") {
            if (!parseRendererName(value.c_str(), o.renderer)) {
                *error = "--renderer wants gl1 or gles2, not \"" + value + "\"";
                return false;
            }
        } else if (arg == "--timeline") {
            o.timelinePath = value;
        } else {
            *error = "unknown option " + arg;
            return false;
        }
    }
    return true;
}
