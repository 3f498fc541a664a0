// Parsing of the show's command line; no SDL, so it runs before anything is opened.
#include "app/options.h"

#include <algorithm>
#include <cstdlib>

#include "platform/audio.h"

namespace {

// A whole decimal number from 0 to 255, nothing else (no sign, no spaces).
bool parseSmall(const std::string& text, int& out) {
    if (text.empty() || text.size() > 3) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    const int v = std::atoi(text.c_str());
    if (v > 255) return false;
    out = v;
    return true;
}

}  // namespace

bool parseMusicPosition(const std::string& text, MusicPosition& out) {
    MusicPosition p;
    const size_t colon = text.find(':');
    if (colon == std::string::npos) {
        if (!parseSmall(text, p.order)) return false;
    } else if (!parseSmall(text.substr(0, colon), p.order) ||
               !parseSmall(text.substr(colon + 1), p.row)) {
        return false;
    }
    out = p;
    return true;
}

OptionsResult parseShowOptions(int argc, const char* const* argv, ShowOptions& out,
                               std::string* error) {
    ShowOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") return OptionsResult::Help;
        if (arg == "--dev") {
            o.dev = true;
            continue;
        }
        const bool takesValue =
            arg == "--start" || arg == "--from" || arg == "--loop" || arg == "--renderer";
        if (!takesValue) {
            *error = "unknown option \"" + arg + "\"";
            return OptionsResult::Error;
        }
        if (i + 1 >= argc) {
            *error = arg + " needs a value";
            return OptionsResult::Error;
        }
        const std::string value = argv[++i];
        if (arg == "--renderer") {
            if (!parseRendererName(value.c_str(), o.renderer)) {
                *error = "--renderer wants gl1 or gles2, not \"" + value + "\"";
                return OptionsResult::Error;
            }
        } else if (arg == "--loop") {
            const size_t dash = value.find('-');
            if (dash == std::string::npos ||
                !parseMusicPosition(value.substr(0, dash), o.loopFrom) ||
                !parseMusicPosition(value.substr(dash + 1), o.loopTo)) {
                *error = "--loop wants FROM-TO, each ORDER or ORDER:ROW (0 to 255), not \"" +
                         value + "\"";
                return OptionsResult::Error;
            }
            if (!positionBefore(o.loopFrom, o.loopTo)) {
                *error = "--loop wants FROM before TO, not \"" + value + "\"";
                return OptionsResult::Error;
            }
            o.loopGiven = true;
        } else {
            if (!parseMusicPosition(value, o.start)) {
                *error = arg + " wants ORDER or ORDER:ROW (0 to 255), not \"" + value + "\"";
                return OptionsResult::Error;
            }
            o.startGiven = true;
        }
    }
    if (o.loopGiven && !o.dev) {
        *error = "--loop works only with --dev";
        return OptionsResult::Error;
    }
    out = o;
    return OptionsResult::Run;
}

std::string checkOptionPositions(const ShowOptions& options, const OfflineMusic& music) {
    auto text = [](MusicPosition p) {
        return std::to_string(p.order) + ":" + std::to_string(p.row);
    };
    std::string why;
    if (options.startGiven && !(why = checkShowPosition(music, options.start)).empty())
        return "--start " + text(options.start) + ": " + why;
    if (options.loopGiven) {
        if (!(why = checkShowPosition(music, options.loopFrom)).empty())
            return "--loop from " + text(options.loopFrom) + ": " + why;
        // The loop's end may be the start of the order after the last row it plays.
        MusicPosition last = options.loopTo;
        if (last.row == 0 && last.order > 0) {
            --last.order;
            last.row = std::max(0, music.rowsInOrder(last.order) - 1);
        }
        if (!(why = checkShowPosition(music, last)).empty())
            return "--loop to " + text(options.loopTo) + ": " + why;
    }
    return std::string();
}

std::string showUsage(const char* program) {
    return std::string("usage: ") + program +
           " [options]\n"
           "Plays the show full-screen with its music; Escape ends it.\n"
           "\n"
           "Options:\n"
           "  --start ORDER[:ROW]  start the music and the picture at that music position\n"
           "  --from ORDER[:ROW]   the same as --start\n"
           "  --dev                development mode: the keys below act, F1 shows an overlay,\n"
           "                       and changed files in the data folder are reloaded at once\n"
           "  --loop FROM-TO       with --dev: play from FROM to TO over and over\n"
           "                       (each ORDER or ORDER:ROW, e.g. --loop 9-11:32)\n"
           "  --renderer gl1|gles2 draw with OpenGL 1.1 (the default) or OpenGL ES 2.0\n"
           "  --help               this text\n"
           "\n"
           "Keys:\n"
           "  Escape               end the show (always)\n"
           "  Space                pause and resume music and picture together   (--dev)\n"
           "  Left / Right         previous / next music order                    (--dev)\n"
           "  Page Up / Page Down  previous / next scene                          (--dev)\n"
           "  Home                 back to the start                              (--dev)\n"
           "  L                    loop the current order, or stop looping        (--dev)\n"
           "  F1                   overlay: music position, scene, frame time     (--dev)\n";
}
