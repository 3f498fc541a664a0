// Command line of the show programs: development mode, start position and loop, and the help.
#pragma once
#include <string>

#include "app/seek.h"
#include "render/device.h"

struct ShowOptions {
    bool dev = false;         // keys beyond Escape act, the overlay and live reload are on
    bool startGiven = false;  // --start / --from
    MusicPosition start;
    bool loopGiven = false;  // --loop FROM-TO
    MusicPosition loopFrom;
    MusicPosition loopTo;
    RendererKind renderer = RendererKind::GL1;  // --renderer gl1|gles2
};

enum class OptionsResult { Run, Help, Error };

// Parses "ORDER" or "ORDER:ROW" (each a whole decimal number from 0 to 255). Returns false,
// leaving `out` alone, when the text is anything else.
bool parseMusicPosition(const std::string& text, MusicPosition& out);
// Parses the show's command line. Error: *error says what was wrong (without the program name).
OptionsResult parseShowOptions(int argc, const char* const* argv, ShowOptions& out,
                               std::string* error);
// Checks --start and --loop against the module: "" when the show can play them, else the
// option and why not.
std::string checkOptionPositions(const ShowOptions& options, const OfflineMusic& music);
// The help text: every option and every key.
std::string showUsage(const char* program);
