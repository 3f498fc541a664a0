// PNG encoding of canvases: channel quantisation, palette mapping and libpng's writer.
#include "tools/datagen/image_png.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

int toByte(float v) {
    return static_cast<int>(clamp01(v) * 255.0f + 0.5f);
}
int toWord(float v) {
    return static_cast<int>(clamp01(v) * 65535.0f + 0.5f);
}
float luma(const Colour& c) {
    return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b;
}

// Distance of premultiplied colours, so that the hue of nearly transparent pixels matters little.
float distance(const Colour& x, const Colour& y) {
    float dr = x.r * x.a - y.r * y.a, dg = x.g * x.a - y.g * y.a, db = x.b * x.a - y.b * y.a;
    float da = x.a - y.a;
    return dr * dr + dg * dg + db * db + da * da;
}

int nearest(const std::vector<Colour>& palette, const Colour& c) {
    int best = 0;
    float bestD = distance(palette[0], c);
    for (size_t i = 1; i < palette.size(); ++i) {
        float d = distance(palette[i], c);
        if (d < bestD) best = static_cast<int>(i), bestD = d;
    }
    return best;
}

// The bytes of one row in the layout libpng expects for `kind`.
void encodeRow(const Canvas& c, int y, PngKind kind, const std::vector<Colour>& palette,
               std::vector<png_byte>* row) {
    row->clear();
    for (int x = 0; x < c.width(); ++x) {
        const Colour& p = c.at(x, y);
        switch (kind) {
            case PngKind::Grey:
                row->push_back(toByte(luma(p)));
                break;
            case PngKind::GreyAlpha:
                row->push_back(toByte(luma(p)));
                row->push_back(toByte(p.a));
                break;
            case PngKind::Rgb:
                for (float v : {p.r, p.g, p.b}) row->push_back(toByte(v));
                break;
            case PngKind::Rgb16:
                for (float v : {p.r, p.g, p.b}) {
                    int w = toWord(v);  // PNG samples are big-endian
                    row->push_back(w >> 8);
                    row->push_back(w & 255);
                }
                break;
            case PngKind::Rgba:
                for (float v : {p.r, p.g, p.b, p.a}) row->push_back(toByte(v));
                break;
            case PngKind::Palette:
                row->push_back(nearest(palette, p));
                break;
        }
    }
}

void onPngError(png_structp png, png_const_charp message) {
    *static_cast<std::string*>(png_get_error_ptr(png)) = message;
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// Everything libpng needs, encoded before its jump point so that no C++ object is built or
// changed between setjmp and a longjmp that could skip it.
struct Encoded {
    int width, height, depth, colourType;
    std::vector<std::vector<png_byte>> rows;
    std::vector<png_bytep> rowPointers;
    std::vector<png_color> plte;
    std::vector<png_byte> trns;
    bool anyTransparent = false;
};

// Runs libpng's writer over the encoded rows. Returns false with *message set on a libpng error.
bool encodeFile(FILE* file, const Encoded& e, std::string* message) {
    // The handles live in memory, not registers, so a longjmp back here cannot clobber them.
    struct Handles {
        png_structp png = nullptr;
        png_infop info = nullptr;
    } h;
    h.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, message, onPngError, onPngWarning);
    h.info = h.png ? png_create_info_struct(h.png) : nullptr;
    if (!h.info) {
        png_destroy_write_struct(&h.png, nullptr);
        *message = "out of memory";
        return false;
    }
    if (setjmp(png_jmpbuf(h.png))) {
        png_destroy_write_struct(&h.png, &h.info);
        return false;
    }
    png_init_io(h.png, file);
    png_set_compression_level(h.png, 9);
    png_set_IHDR(h.png, h.info, e.width, e.height, e.depth, e.colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (e.colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(h.png, h.info, e.plte.data(), static_cast<int>(e.plte.size()));
        if (e.anyTransparent)
            png_set_tRNS(h.png, h.info, e.trns.data(), static_cast<int>(e.trns.size()), nullptr);
    }
    png_write_info(h.png, h.info);
    png_write_image(h.png, const_cast<png_bytepp>(e.rowPointers.data()));
    png_write_end(h.png, h.info);
    png_destroy_write_struct(&h.png, &h.info);
    return true;
}

}  // namespace

std::vector<Colour> blendPalette(const std::vector<Colour>& bases, int steps) {
    std::vector<Colour> out = bases;
    for (size_t i = 0; i < bases.size(); ++i)
        for (size_t j = i + 1; j < bases.size(); ++j)
            for (int k = 1; k < steps; ++k)
                out.push_back(mix(bases[i], bases[j], static_cast<float>(k) / steps));
    return out;
}

bool writePng(const std::string& path, const Canvas& canvas, PngKind kind, std::string* error,
              const std::vector<Colour>& palette) {
    if (kind == PngKind::Palette && (palette.empty() || palette.size() > 256)) {
        *error = path + ": a palette needs 1 to 256 entries, not " + std::to_string(palette.size());
        return false;
    }
    Encoded e;
    e.width = canvas.width();
    e.height = canvas.height();
    e.rows.resize(canvas.height());
    for (int y = 0; y < canvas.height(); ++y) encodeRow(canvas, y, kind, palette, &e.rows[y]);
    for (auto& r : e.rows) e.rowPointers.push_back(r.data());
    for (const Colour& c : palette) {
        e.plte.push_back(
            png_color{png_byte(toByte(c.r)), png_byte(toByte(c.g)), png_byte(toByte(c.b))});
        e.trns.push_back(toByte(c.a));
        e.anyTransparent = e.anyTransparent || e.trns.back() != 255;
    }
    e.depth = kind == PngKind::Rgb16 ? 16 : 8;
    e.colourType = PNG_COLOR_TYPE_GRAY;
    if (kind == PngKind::GreyAlpha) e.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
    if (kind == PngKind::Rgb || kind == PngKind::Rgb16) e.colourType = PNG_COLOR_TYPE_RGB;
    if (kind == PngKind::Rgba) e.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    if (kind == PngKind::Palette) e.colourType = PNG_COLOR_TYPE_PALETTE;

    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string message;
    bool encoded = encodeFile(file, e, &message);
    // A full disk may show up only when the buffered bytes are flushed by fclose.
    bool closed = std::fclose(file) == 0;
    if (!encoded || !closed) {
        *error = "cannot write " + path + ": " + (encoded ? std::strerror(errno) : message.c_str());
        return false;
    }
    return true;
}
