// RGBA to YUV 4:2:0 for the encoder, done here so that the pipe carries 12 bits a pixel, not 32.
#include "tools/capture/yuv.h"

#include <cstring>

namespace {

// BT.601 studio range in 16-bit fixed point: Y in 16..235, U and V in 16..240.
constexpr int kYr = 16829, kYg = 33039, kYb = 6416;
constexpr int kUr = -9714, kUg = -19070, kUb = 28784;
constexpr int kVr = 28784, kVg = -24103, kVb = -4681;
constexpr int kHalf = 1 << 15;

inline uint8_t lumaOf(const uint8_t* p) {
    return static_cast<uint8_t>((kYr * p[0] + kYg * p[1] + kYb * p[2] + (16 << 16) + kHalf) >> 16);
}

// Sums of four pixels are four times the mean: shift by two more, and round at that scale.
inline uint8_t chromaOf(int cr, int cg, int cb, int r, int g, int b) {
    return static_cast<uint8_t>((cr * r + cg * g + cb * b + (128 << 18) + (1 << 17)) >> 18);
}

}  // namespace

void convertToYuv420(const uint8_t* rgba, int width, int height, uint8_t* out) {
    const int w = evenSide(width), h = evenSide(height);
    const size_t stride = static_cast<size_t>(width) * 4;
    uint8_t* yPlane = out;
    uint8_t* uPlane = out + static_cast<size_t>(w) * h;
    uint8_t* vPlane = uPlane + static_cast<size_t>(w / 2) * (h / 2);
    // The padding is black: luma 16, chroma 128; the picture overwrites all but the pad.
    if (w != width || h != height) {
        std::memset(yPlane, 16, static_cast<size_t>(w) * h);
        std::memset(uPlane, 128, 2 * static_cast<size_t>(w / 2) * (h / 2));
    }
    // Two rows at a time, while they are in the cache: row y from the top is row height - 1 - y of
    // the read-back. A chroma sample sums its four pixels; a block cut by an edge repeats pixels.
    for (int cy = 0; cy < h / 2; ++cy) {
        const int y0 = 2 * cy, y1 = y0 + 1 < height ? y0 + 1 : y0;
        const uint8_t* top = rgba + static_cast<size_t>(height - 1 - y0) * stride;
        const uint8_t* bottom = rgba + static_cast<size_t>(height - 1 - y1) * stride;
        uint8_t* lumaTop = yPlane + static_cast<size_t>(y0) * w;
        uint8_t* lumaBottom = y1 != y0 ? lumaTop + w : nullptr;
        uint8_t* u = uPlane + static_cast<size_t>(cy) * (w / 2);
        uint8_t* v = vPlane + static_cast<size_t>(cy) * (w / 2);
        for (int x = 0; x < width; ++x) lumaTop[x] = lumaOf(top + 4 * x);
        if (lumaBottom)
            for (int x = 0; x < width; ++x) lumaBottom[x] = lumaOf(bottom + 4 * x);
        const int pairs = width / 2;  // blocks with both columns in the picture
        for (int cx = 0; cx < pairs; ++cx) {
            const uint8_t* a = top + 8 * cx;
            const uint8_t* b = bottom + 8 * cx;
            const int r = a[0] + a[4] + b[0] + b[4];
            const int g = a[1] + a[5] + b[1] + b[5];
            const int bl = a[2] + a[6] + b[2] + b[6];
            u[cx] = chromaOf(kUr, kUg, kUb, r, g, bl);
            v[cx] = chromaOf(kVr, kVg, kVb, r, g, bl);
        }
        if (pairs < w / 2) {  // odd width: the last block has one column, counted twice
            const uint8_t* a = top + 8 * pairs;
            const uint8_t* b = bottom + 8 * pairs;
            const int r = 2 * (a[0] + b[0]), g = 2 * (a[1] + b[1]), bl = 2 * (a[2] + b[2]);
            u[pairs] = chromaOf(kUr, kUg, kUb, r, g, bl);
            v[pairs] = chromaOf(kVr, kVg, kVb, r, g, bl);
        }
    }
}
