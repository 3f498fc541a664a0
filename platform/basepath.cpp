// The folder of the running program, as SDL finds it on each system.
#include <SDL.h>

#include "platform/platform.h"

std::string platformBasePath() {
    char* path = SDL_GetBasePath();
    if (!path) return "";
    std::string folder(path);
    SDL_free(path);
    return folder;
}
