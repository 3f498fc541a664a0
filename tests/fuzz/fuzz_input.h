// Fuzz inputs as files: the loaders read from paths, so each input goes through one temp file.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzinput {

inline std::string& path() {
    static std::string p;
    return p;
}

inline void removeFile() {
    std::remove(path().c_str());
}

// Picks this process's file, named with `suffix`, and removes it at exit.
inline void init(const char* suffix) {
    path() = "/tmp/fuzz_input_" + std::to_string(getpid()) + suffix;
    std::atexit(removeFile);
}

// Writes one input to the file and returns its path.
inline const char* write(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path().c_str(), "wb");
    if (!file) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    return path().c_str();
}

}  // namespace fuzzinput
