// A small floating-point paint kit for the generated images: colours, canvases and coverage masks.
#pragma once
#include <vector>

#include "math/random.h"

// A colour with straight (not premultiplied) alpha, every channel 0..1.
struct Colour {
    float r = 0, g = 0, b = 0, a = 0;
};

// The colour of 0..255 channel bytes with alpha a (0..1).
Colour rgb(int r, int g, int b, float a = 1.0f);
// Linear blend from x (t = 0) to y (t = 1) of all four channels.
Colour mix(Colour x, Colour y, float t);
// Colour c with its alpha multiplied by k.
Colour fade(Colour c, float k);
// v limited to 0..1.
float clamp01(float v);
// Hermite step from 0 at e0 to 1 at e1 (e0 may exceed e1 for a falling step).
float smoothstep(float e0, float e1, float x);
// Source-over of src onto dst, both straight alpha.
Colour over(Colour dst, Colour src);

// One coverage value (0..1) per pixel.
class Mask {
  public:
    // A mask of the given size with no coverage anywhere.
    Mask(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }
    // Coverage at (x, y), which must lie inside the mask.
    float& at(int x, int y) { return v_[y * width_ + x]; }
    // Coverage at (x, y); 0 outside the mask.
    float get(int x, int y) const;

  private:
    int width_, height_;
    std::vector<float> v_;
};

// The mask grown by `radius` pixels: each pixel takes the largest coverage within that distance,
// softened over the last pixel so the grown edge stays anti-aliased.
Mask dilate(const Mask& m, float radius);

// A picture of Colour pixels; row 0 is the top.
class Canvas {
  public:
    // A canvas of the given size with every pixel `fill`.
    Canvas(int width, int height, Colour fill = Colour{});
    int width() const { return width_; }
    int height() const { return height_; }
    // The pixel at (x, y), which must lie inside the canvas.
    Colour& at(int x, int y) { return px_[y * width_ + x]; }
    const Colour& at(int x, int y) const { return px_[y * width_ + x]; }

    // Sets every pixel to the average of shader(x, y) over an n x n grid of points inside it;
    // x and y are continuous pixel coordinates (0..width, 0..height). Averaging is premultiplied;
    // a wholly transparent pixel keeps the plain average colour, since filtering still reads it.
    template <class Shader>
    void shade(int n, Shader shader) {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                float r = 0, g = 0, b = 0, a = 0, pr = 0, pg = 0, pb = 0;
                for (int j = 0; j < n; ++j)
                    for (int i = 0; i < n; ++i) {
                        Colour c = shader(x + (i + 0.5f) / n, y + (j + 0.5f) / n);
                        r += c.r * c.a, g += c.g * c.a, b += c.b * c.a, a += c.a;
                        pr += c.r, pg += c.g, pb += c.b;
                    }
                float k = 1.0f / (n * n);
                at(x, y) =
                    a > 0 ? Colour{r / a, g / a, b / a, a * k} : Colour{pr * k, pg * k, pb * k, 0};
            }
    }
    // Paints `c` over the canvas wherever the mask covers it (mask and canvas the same size).
    void paint(const Mask& m, Colour c);
    // Makes the pixels outside the coverage of `m` transparent: alpha *= coverage.
    void clip(const Mask& m);

  private:
    int width_, height_;
    std::vector<Colour> px_;
};

// A small deterministic random source (same numbers on every platform).
class Random {
  public:
    explicit Random(unsigned seed) : rng_{seed ? seed : 1u} {}
    // Uniform in [lo, hi).
    float uniform(float lo, float hi);

  private:
    XorShift32 rng_;
};
