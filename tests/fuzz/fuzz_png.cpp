// libFuzzer target: the PNG loader must fail cleanly, never crash, on any file contents.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "assets/png.h"
#include "render/image.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The loader reads from a path, so each input goes through one file of this process.
    fuzzinput::init(".png");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* inputPath = fuzzinput::write(data, size);

    std::unique_ptr<Image> image;
    const std::string reason = loadPng(inputPath, &image);
    if (image) {
        // Touch every byte so that a buffer smaller than its claimed size shows.
        static volatile unsigned sink;
        const uint8_t* px = image->pixels();
        for (int64_t i = 0; i < image->byteSize(); ++i) sink = sink + px[i];
        if (image->byteSize() != int64_t{image->width()} * image->height() * 4) std::abort();
        if (!reason.empty()) std::abort();
    } else if (reason.empty()) {
        std::abort();
    }
    return 0;
}
