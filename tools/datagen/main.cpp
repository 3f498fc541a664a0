// The data generator: writes the show's images, meshes and music into one folder,
// deterministically.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "tools/datagen/datagen.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: datagen OUTPUT_DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    mkdir(dir.c_str(), 0755);  // may exist already
    std::string error;
    if (!writeImages(dir, &error) || !writeMeshes(dir, &error) || !writeMusic(dir, &error)) {
        std::fprintf(stderr, "datagen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
