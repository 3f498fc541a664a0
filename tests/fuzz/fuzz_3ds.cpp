// libFuzzer target: the 3DS reader must stay in bounds and end on any file contents.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "assets/reader3ds.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

// Names of objects in the seed files, so that mutated files still reach the mesh lists.
const char* const kNames[] = {"Box01", "Quader01", "Default"};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The chunk trace would drown the fuzzer's own output.
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    fuzzinput::init(".3ds");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* inputPath = fuzzinput::write(data, size);

    for (const char* name : kNames) {
        Object3ds object;
        bool found = read3dsObject(inputPath, name, object).empty();
        if (!found && (object.vertexCount || object.faceCount || object.positions)) std::abort();
        // Use the object as the mesh builder would: every face corner names a vertex.
        static volatile float sink;
        for (int i = 0; i < object.faceCount; ++i)
            for (int k = 0; k < 3; ++k) {
                uint32_t v = object.faces[4 * i + k];
                sink = sink + object.positions[3 * v + 2] + object.texCoords[2 * v + 1];
            }
        freeObject3ds(object);
    }
    return 0;
}
