// Decodes PNG files with libpng into 8-bit RGBA images whose alpha byte is stored inverted.
#include "assets/png.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "render/image.h"

namespace {

// Larger pictures are refused before any pixel memory is taken (at most 256 MiB per image).
constexpr png_uint_32 kMaxSide = 8192;

// Holds the text of the last failure, written where libpng reports it and returned by loadPng.
thread_local char failureText[160];

const char* fail(const char* what, const char* detail = nullptr) {
    if (detail)
        std::snprintf(failureText, sizeof failureText, "%s: %s", what, detail);
    else
        std::snprintf(failureText, sizeof failureText, "%s", what);
    return failureText;
}

// Feeds libpng from the file; a short read is an error, so a cut file cannot decode as whole.
void readPngData(png_structp png, png_bytep buffer, png_size_t length) {
    FILE* file = static_cast<FILE*>(png_get_io_ptr(png));
    if (std::fread(buffer, 1, length, file) != length) png_error(png, "file ends early");
}

// Keeps libpng's message for the caller and jumps back to loadPng: an error handler must not
// return to libpng.
void ignorePngError(png_structp png, png_const_charp message) {
    fail("corrupt or unsupported PNG data", message);
    png_longjmp(png, 1);
}

void ignorePngWarning(png_structp, png_const_charp) {}

// Decodes the PNG stream that follows the signature; none on a libpng error, whose text is kept.
Image* decodePng(FILE* file) {
    // libpng checks that the version asked for is the one it is, so ask for the headers' own.
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ignorePngError, ignorePngWarning);
    if (!png) {
        fail("libpng could not be set up");
        return nullptr;
    }
    png_infop info = png_create_info_struct(png);
    png_infop endInfo = png_create_info_struct(png);
    if (!info || !endInfo) {
        png_destroy_read_struct(&png, info ? &info : nullptr, endInfo ? &endInfo : nullptr);
        fail("libpng could not be set up");
        return nullptr;
    }
    png_set_sig_bytes(png, 8);
    png_set_read_fn(png, file, readPngData);
    png_set_user_limits(png, kMaxSide, kMaxSide);

    // Written after setjmp and read after a jump back, so they must not live in registers.
    Image* volatile image = nullptr;
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        delete[] rows;
        delete image;
        png_destroy_read_struct(&png, &info, &endInfo);
        return nullptr;
    }

    png_set_invert_alpha(png);
    png_read_info(png, info);
    png_uint_32 width = png_get_image_width(png, info);
    png_uint_32 height = png_get_image_height(png, info);
    int bitDepth = png_get_bit_depth(png, info);
    int colorType = png_get_color_type(png, info);

    // Every kind of PNG is brought to 8-bit RGBA; the order of these steps matters to libpng.
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_expand(png);
        colorType = PNG_COLOR_TYPE_RGB;
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_expand(png);
        colorType |= PNG_COLOR_MASK_ALPHA;
    }
    if (!(colorType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    if (bitDepth == 16) png_set_strip_16(png);
    if (bitDepth < 8) png_set_packing(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA)) png_set_filler(png, 0, PNG_FILLER_AFTER);

    // The rows handed to libpng must be exactly as long as what it will write into them.
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t{width} * 4) png_error(png, "unexpected row layout");

    image = new Image(width, height, &pixelFormat8888, width);
    if (!image->pixels()) png_error(png, "out of memory for the pixels");
    rows = new png_bytep[height];
    for (png_uint_32 i = 0; i < height; ++i) rows[i] = image->pixels() + size_t{i} * width * 4;
    png_read_image(png, rows);

    Image* done = image;
    delete[] rows;
    png_destroy_read_struct(&png, &info, &endInfo);
    return done;
}

}  // namespace

std::string loadPng(const char* path, std::unique_ptr<Image>* image) {
    image->reset();
    FILE* file = std::fopen(path, "rb");
    if (!file) return fail("cannot open file", std::strerror(errno));
    png_byte signature[8];
    if (std::fread(signature, 1, 8, file) != 8 || png_sig_cmp(signature, 0, 8) != 0)
        fail("not a PNG file");
    else
        image->reset(decodePng(file));
    std::fclose(file);
    return *image ? std::string() : std::string(failureText);
}
