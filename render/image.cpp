// Pixel formats with their derived shifts and losses, and the image record.
#include "render/image.h"

#include <cstdlib>

namespace {

// Index of the lowest set bit (0 to 31), or 32 for an empty mask.
uint8_t maskShift(uint32_t mask) {
    uint8_t shift = 0;
    while (shift < 32 && !(mask & (1u << shift))) ++shift;
    return shift;
}

// 8 minus the number of consecutive set bits counted from the lowest set bit.
uint8_t maskLoss(uint32_t mask) {
    int steps = 0;
    while (steps < 32 && mask != 0 && !(mask & 1u)) {
        mask >>= 1;
        ++steps;
    }
    int count = 0;
    while (count < 32 && (mask & 1u)) {
        mask >>= 1;
        ++count;
    }
    return static_cast<uint8_t>(8 - count);
}

}  // namespace

PixelFormat::PixelFormat(int32_t bits, uint32_t red, uint32_t green, uint32_t blue)
    : bitsPerPixel(bits),
      redMask(red),
      greenMask(green),
      blueMask(blue),
      redShift(maskShift(red)),
      greenShift(maskShift(green)),
      blueShift(maskShift(blue)),
      redLoss(maskLoss(red)),
      greenLoss(maskLoss(green)),
      blueLoss(maskLoss(blue)) {}

int32_t PixelFormat::bytesPerPixel() const {
    switch (bitsPerPixel) {
        case 16:
            return 2;
        case 24:
            return 3;
        case 32:
            return 4;
        default:
            return 0;
    }
}

// Constructed in this order, before main runs.
const PixelFormat pixelFormat555(16, 0x7C00, 0x03E0, 0x001F);
const PixelFormat pixelFormat555Bgr(16, 0x001F, 0x03E0, 0x7C00);
const PixelFormat pixelFormat565(16, 0xF800, 0x07E0, 0x001F);
const PixelFormat pixelFormat565Bgr(16, 0x001F, 0x07E0, 0xF800);
const PixelFormat pixelFormat888(24, 0xFF0000, 0x00FF00, 0x0000FF);
const PixelFormat pixelFormat888Bgr(24, 0x0000FF, 0x00FF00, 0xFF0000);
const PixelFormat pixelFormat8888(32, 0xFF0000, 0x00FF00, 0x0000FF);
const PixelFormat pixelFormat8888Bgr(32, 0x0000FF, 0x00FF00, 0xFF0000);
const PixelFormat pixelFormat8888High(32, 0xFF000000, 0xFF0000, 0x00FF00);
const PixelFormat pixelFormat8888HighBgr(32, 0x00FF00, 0xFF0000, 0xFF000000);
const PixelFormat pixelFormat565Wide(32, 0xF800, 0x07E0, 0x001F);

Image::Image(int32_t width, int32_t height, const PixelFormat* format, int32_t pitch)
    : width_(width), height_(height), pitch_(pitch), format_(format), pixels_(nullptr) {
    int64_t size = byteSize();
    if (size > 0) pixels_ = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(size)));
}

Image::~Image() {
    std::free(pixels_);
}

int64_t Image::byteSize() const {
    if (!format_ || width_ <= 0 || height_ <= 0 || pitch_ <= 0) return 0;
    return static_cast<int64_t>(format_->bytesPerPixel()) * pitch_ * height_;
}
