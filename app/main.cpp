// Program entry: fixes the build's screen size, opens the window and runs the show.
#include <cstdio>
#include <string>

#include "app/datafiles.h"
#include "app/driver.h"
#include "app/window.h"
#include "platform/platform.h"

int main(int, char**) {
    gScreenWidth = SHOW_SCREEN_WIDTH;
    gScreenHeight = SHOW_SCREEN_HEIGHT;
    chooseDataDir();
    std::string error;
    if (!platformInit(&error) ||
        !platformCreateWindow(gScreenWidth, gScreenHeight, "Windows example title", &error)) {
        std::fprintf(stderr, "demo: cannot open the show's window: %s\n", error.c_str());
        return 1;
    }
    int code = runDemo(gScreenWidth, gScreenHeight, 16);
    platformShutdown();
    return code;
}
