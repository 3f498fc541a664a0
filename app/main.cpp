// Program entry: reads the command line, fixes the screen size, opens the window, runs the show.
#include <cstdio>
#include <string>

#include "app/datafiles.h"
#include "app/devmode.h"
#include "app/driver.h"
#include "app/options.h"
#include "app/seek.h"
#include "app/window.h"
#include "platform/audio.h"
#include "platform/platform.h"
#include "render/device.h"

int main(int argc, char** argv) {
    const char* program = argc > 0 && argv[0] ? argv[0] : "demo";
    ShowOptions options;
    std::string optionError;
    switch (parseShowOptions(argc, argv, options, &optionError)) {
        case OptionsResult::Help:
            std::fputs(showUsage(program).c_str(), stdout);
            return 0;
        case OptionsResult::Error:
            std::fprintf(stderr, "%s: %s (see %s --help)\n", program, optionError.c_str(), program);
            return 2;
        case OptionsResult::Run:
            break;
    }
    // A loop with no start of its own begins where the loop does.
    if (options.startGiven)
        setStartPosition(options.start);
    else if (options.loopGiven)
        setStartPosition(options.loopFrom);
    enableDevMode(options);
    selectRenderer(options.renderer);

    gScreenWidth = SHOW_SCREEN_WIDTH;
    gScreenHeight = SHOW_SCREEN_HEIGHT;
    chooseDataDir();
    // Positions are checked against the module before anything opens; a module that cannot
    // be read is left to the data check, which names every missing file at once.
    if (options.startGiven || options.loopGiven) {
        OfflineMusic music;
        if (music.open(dataPath(kModuleFile).c_str()).empty()) {
            const std::string bad = checkOptionPositions(options, music);
            if (!bad.empty()) {
                std::fprintf(stderr, "%s: %s\n", program, bad.c_str());
                return 2;
            }
        }
    }
    std::string error = platformInit();
    if (error.empty())
        error = platformCreateWindow(gScreenWidth, gScreenHeight, "Windows example title");
    if (!error.empty()) {
        std::fprintf(stderr, "demo: cannot open the show's window: %s\n", error.c_str());
        return 1;
    }
    const int code = runDemo(gScreenWidth, gScreenHeight, 16);
    platformShutdown();
    return platformExitCode(code);
}
