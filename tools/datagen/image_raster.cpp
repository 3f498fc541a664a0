// Colour arithmetic, masks and canvases for the generated images.
#include "tools/datagen/image_raster.h"

#include <algorithm>
#include <cmath>

Colour rgb(int r, int g, int b, float a) {
    return Colour{r / 255.0f, g / 255.0f, b / 255.0f, a};
}

Colour mix(Colour x, Colour y, float t) {
    return Colour{x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
                  x.a + (y.a - x.a) * t};
}

Colour fade(Colour c, float k) {
    return Colour{c.r, c.g, c.b, c.a * k};
}

float clamp01(float v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

Colour over(Colour dst, Colour src) {
    float a = src.a + dst.a * (1 - src.a);
    if (a <= 0) return Colour{};
    float kd = dst.a * (1 - src.a);
    return Colour{(src.r * src.a + dst.r * kd) / a, (src.g * src.a + dst.g * kd) / a,
                  (src.b * src.a + dst.b * kd) / a, a};
}

Mask::Mask(int width, int height) : width_(width), height_(height), v_(width * height, 0.0f) {}

float Mask::get(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return v_[y * width_ + x];
}

Mask dilate(const Mask& m, float radius) {
    Mask out(m.width(), m.height());
    int reach = static_cast<int>(std::ceil(radius)) + 1;
    // Offsets and their weights once; a weight below 1 softens the outermost ring.
    std::vector<int> dx, dy;
    std::vector<float> w;
    for (int j = -reach; j <= reach; ++j)
        for (int i = -reach; i <= reach; ++i) {
            float k = clamp01(radius + 1 - std::sqrt(float(i * i + j * j)));
            if (k > 0) dx.push_back(i), dy.push_back(j), w.push_back(k);
        }
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x) {
            float best = 0;
            for (size_t k = 0; k < w.size(); ++k)
                best = std::max(best, m.get(x + dx[k], y + dy[k]) * w[k]);
            out.at(x, y) = best;
        }
    return out;
}

Canvas::Canvas(int width, int height, Colour fill)
    : width_(width), height_(height), px_(width * height, fill) {}

void Canvas::paint(const Mask& m, Colour c) {
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            float k = m.get(x, y);
            if (k > 0) at(x, y) = over(at(x, y), fade(c, k));
        }
}

void Canvas::clip(const Mask& m) {
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) at(x, y).a *= m.get(x, y);
}

float Random::uniform(float lo, float hi) {
    return lo + (hi - lo) * static_cast<float>(rng_.next() >> 8) / 16777216.0f;
}
