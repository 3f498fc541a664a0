// The generator's music step in the browser build: the page runs it before the show starts, so
// that it downloads the generator's few kilobytes instead of the 1.6 MB module it writes.
#include <emscripten.h>

#include <string>

#include "tools/datagen/datagen.h"

// Writes the module into `dir` of the program's file system; "" on success, else why not.
extern "C" EMSCRIPTEN_KEEPALIVE const char* datagenWriteMusic(const char* dir) {
    static std::string error;
    error.clear();
    writeMusic(dir, &error);
    return error.c_str();
}
