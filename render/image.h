// Pictures in memory: pixel formats and the images the PNG loader makes and textures are built
// from.
#pragma once
#include <cstdint>

// A pixel layout: bits per pixel and where the red, green and blue bits lie.
struct PixelFormat {
    int32_t bitsPerPixel;
    uint32_t redMask, greenMask, blueMask;
    uint8_t redShift, greenShift, blueShift;  // lowest set bit of each mask; 32 for an empty mask
    uint8_t redLoss, greenLoss, blueLoss;     // 8 minus the channel's width in bits

    PixelFormat(int32_t bitsPerPixel, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);
    // Returns 2, 3 or 4 for 16, 24 or 32 bits per pixel, 0 for anything else.
    int32_t bytesPerPixel() const;
};

extern const PixelFormat pixelFormat555;
extern const PixelFormat pixelFormat555Bgr;
extern const PixelFormat pixelFormat565;
extern const PixelFormat pixelFormat565Bgr;
extern const PixelFormat pixelFormat888;
extern const PixelFormat pixelFormat888Bgr;
extern const PixelFormat pixelFormat8888;
extern const PixelFormat pixelFormat8888Bgr;
extern const PixelFormat pixelFormat8888High;
extern const PixelFormat pixelFormat8888HighBgr;
extern const PixelFormat pixelFormat565Wide;

// A block of pixels; row 0 is the top of the picture. Owns its buffer, never the format.
// Loaded images hold 4 bytes per pixel: red, green, blue and alpha stored inverted (0 = opaque).
class Image {
  public:
    // Allocates bytesPerPixel() * pitch * height bytes (contents undefined).
    Image(int32_t width, int32_t height, const PixelFormat* format, int32_t pitch);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t pitch() const { return pitch_; }
    const PixelFormat* format() const { return format_; }
    uint8_t* pixels() { return pixels_; }
    const uint8_t* pixels() const { return pixels_; }
    // Number of bytes in the pixel buffer.
    int64_t byteSize() const;

  private:
    int32_t width_, height_, pitch_;
    const PixelFormat* format_;
    uint8_t* pixels_;
};
