// demo-inspect: runs the show's PNG and 3DS readers on one file and prints what they make of it.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "assets/png.h"
#include "assets/reader3ds.h"
#include "render/image.h"

namespace {

const char kUsage[] =
    "usage: demo-inspect 3ds FILE OBJECT   read one object, trace its chunks, print a summary\n"
    "       demo-inspect png FILE [--raw OUT]  load an image, print its size; with --raw also\n"
    "                                          write its RGBA bytes (alpha inverted) to OUT\n"
    "       demo-inspect --help\n"
    "Exits with 1 when the file cannot be read or the object is not found, 2 on bad usage.\n";

int usageError() {
    std::fputs(kUsage, stderr);
    return 2;
}

// Prints the summary of one object; the bounding box is in the show's axes, with x negated.
int inspect3ds(const char* path, const char* name) {
    Object3ds object;
    const std::string reason = read3dsObject(path, name, object);
    std::printf("object \"%s\": %s\n", name, reason.empty() ? "found" : reason.c_str());
    if (!reason.empty()) {
        std::fprintf(stderr, "demo-inspect: %s: object \"%s\": %s\n", path, name, reason.c_str());
        return 1;
    }
    std::printf("vertices: %d\nfaces: %d\nmapping coordinates: %d\n", object.vertexCount,
                object.faceCount, object.mappingCount);
    if (object.vertexCount > 0) {
        float lo[3], hi[3];
        for (int i = 0; i < object.vertexCount; ++i) {
            const float* p = object.positions + 3 * i;
            float shown[3] = {-p[0], p[1], p[2]};
            for (int k = 0; k < 3; ++k) {
                if (i == 0 || shown[k] < lo[k]) lo[k] = shown[k];
                if (i == 0 || shown[k] > hi[k]) hi[k] = shown[k];
            }
        }
        std::printf("bounds: min (%g, %g, %g) max (%g, %g, %g)\n", lo[0], lo[1], lo[2], hi[0],
                    hi[1], hi[2]);
    } else {
        std::printf("bounds: none\n");
    }
    freeObject3ds(object);
    return 0;
}

// Writes the image's pixel bytes exactly as they lie in memory.
bool writeRaw(const Image& image, const char* out) {
    FILE* file = std::fopen(out, "wb");
    if (!file) {
        std::fprintf(stderr, "demo-inspect: cannot create %s: %s\n", out, std::strerror(errno));
        return false;
    }
    size_t size = static_cast<size_t>(image.byteSize());
    bool written = std::fwrite(image.pixels(), 1, size, file) == size;
    if (std::fclose(file) != 0) written = false;
    if (!written) std::fprintf(stderr, "demo-inspect: cannot write %s\n", out);
    return written;
}

int inspectPng(const char* path, const char* rawOut) {
    std::unique_ptr<Image> image;
    const std::string reason = loadPng(path, &image);
    if (!reason.empty()) {
        std::fprintf(stderr, "demo-inspect: %s: %s\n", path, reason.c_str());
        return 1;
    }
    std::printf("width: %d\nheight: %d\n", image->width(), image->height());
    return !rawOut || writeRaw(*image, rawOut) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "3ds") == 0) return inspect3ds(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "png") == 0) return inspectPng(argv[2], nullptr);
    if (argc == 5 && std::strcmp(argv[1], "png") == 0 && std::strcmp(argv[3], "--raw") == 0)
        return inspectPng(argv[2], argv[4]);
    return usageError();
}
