// Windows entry point: SDL's WinMain hands the program's arguments, in UTF-8, to its main.
#include <SDL_main.h>

// The build renames each program's main to showMain, so the program's source is the same on
// every system; SDL's WinMain calls SDL_main.
int showMain(int argc, char** argv);

int SDL_main(int argc, char* argv[]) {
    return showMain(argc, argv);
}
