// Writes the show's music, the Impulse Tracker module "qua#v3n.it", into the data folder.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "assets/dataset.h"
#include "tools/datagen/datagen.h"
#include "tools/datagen/music_it.h"
#include "tools/datagen/music_score.h"

bool writeMusic(const std::string& dir, std::string* error) {
    std::string path = dir + "/" + kModuleFile;
    std::vector<uint8_t> bytes;
    std::string why;
    if (!it::encodeModule(score::composeModule(), &bytes, &why)) {
        if (error) *error = path + ": " + why;
        return false;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        if (error) *error = path + ": cannot create: " + std::strerror(errno);
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        if (error) *error = path + ": write failed: " + std::strerror(errno);
        std::remove(path.c_str());  // a torn module would only fail later, in the player
        return false;
    }
    return true;
}
