// Sphere environment maps and repeating patterns, shaded with supersampling.
#include "tools/datagen/image_maps.h"

#include <cmath>

#include "tools/datagen/image_png.h"

namespace {

struct Dir {
    float x, y, z;
};

Dir normalise(float x, float y, float z) {
    float k = 1.0f / std::sqrt(x * x + y * y + z * z);
    return Dir{x * k, y * k, z * k};
}

float dot(const Dir& a, const Dir& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// A highlight of the given sharpness around light direction l, 0..1.
float lobe(const Dir& r, const Dir& l, float power) {
    float d = dot(r, l);
    return d > 0 ? std::pow(d, power) : 0.0f;
}

Colour add(Colour c, Colour light, float k) {
    return Colour{c.r + light.r * k, c.g + light.g * k, c.b + light.b * k, c.a};
}

Colour clamped(Colour c) {
    return Colour{clamp01(c.r), clamp01(c.g), clamp01(c.b), clamp01(c.a)};
}

// Shades a sphere map: the pixel at (u, v) shows what a mirror ball facing the viewer reflects
// there, env(R) with R = (x right, y up, z towards the viewer). Outside the ball the rim colour
// continues, unless `outside` is given, so filtering at the rim never mixes in stray colours.
template <class Env>
Canvas sphereMap(int size, Env env, const Colour* outside) {
    Canvas c(size, size);
    c.shade(4, [&](float px, float py) {
        float u = px / size * 2 - 1, v = 1 - py / size * 2;
        float r2 = u * u + v * v;
        if (r2 > 1) {
            if (outside) return *outside;
            float k = 0.9999f / std::sqrt(r2);
            u *= k, v *= k, r2 = u * u + v * v;
        }
        float nz = std::sqrt(1 - r2);
        Dir r{2 * nz * u, 2 * nz * v, 2 * nz * nz - 1};
        return clamped(env(r, r2));
    });
    return c;
}

// Height above a horizon set a little below the ball's centre, so that faces turned to the
// viewer catch the bright upper half rather than the dark horizon line.
float elevation(const Dir& r) {
    return r.y + 0.25f;
}

// Sky above, ground below and a dark band between them: the classic mirror-ball landscape.
Colour landscape(const Dir& r, Colour horizonSky, Colour zenith, Colour horizonGround, Colour nadir,
                 Colour band) {
    float y = elevation(r);
    Colour c = y > 0 ? mix(horizonSky, zenith, std::pow(clamp01(y / 1.25f), 0.7f))
                     : mix(horizonGround, nadir, std::pow(clamp01(-y / 0.75f), 0.8f));
    return mix(c, band, 0.85f * std::exp(-(y / 0.07f) * (y / 0.07f)));
}

// Distance of (x, y) to (cx, cy) on a square tile of side `size` that repeats on both axes.
float wrappedDistance(float x, float y, float cx, float cy, float size) {
    float dx = std::fabs(x - cx), dy = std::fabs(y - cy);
    dx = std::fmin(dx, size - dx), dy = std::fmin(dy, size - dy);
    return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

Canvas makeMetalEnvMap() {
    const Dir key = normalise(-0.45f, 0.55f, 0.7f), fill = normalise(0.6f, -0.3f, 0.75f);
    return sphereMap(
        256,
        [&](const Dir& r, float) {
            Colour c = landscape(r, rgb(232, 236, 244), rgb(64, 104, 172), rgb(84, 78, 76),
                                 rgb(156, 140, 124), rgb(26, 28, 38));
            c = add(c, rgb(255, 255, 255), lobe(r, key, 90) + 0.25f * lobe(r, key, 8));
            return add(c, rgb(200, 225, 255), 0.8f * lobe(r, fill, 220));
        },
        nullptr);
}

Canvas makeLiquidEnvMap() {
    const Dir key = normalise(-0.4f, 0.6f, 0.7f), glint = normalise(0.55f, 0.35f, 0.76f);
    return sphereMap(
        256,
        [&](const Dir& r, float r2) {
            float y = elevation(r);
            Colour c = mix(rgb(6, 46, 78), rgb(96, 214, 222), smoothstep(-0.9f, 1.1f, y));
            // Caustic ripples: crossed waves whose crests brighten the water.
            float w = std::sin(10 * r.x + 3 * std::sin(6 * r.y + 1.3f)) *
                      std::cos(9 * r.y + 2 * std::sin(5 * r.x));
            // Near the rim the reflection turns fast; the ripples fade there instead of aliasing.
            float calm = smoothstep(0.95f, 0.6f, r2);
            c = add(c, rgb(150, 255, 240), 0.35f * calm * smoothstep(0.35f, 0.95f, w));
            float shine = lobe(r, key, 60) + 0.8f * lobe(r, glint, 160);
            c = add(c, rgb(255, 255, 255), shine + 0.2f * lobe(r, key, 6));
            // Water lets more through where it faces the viewer, reflects more at grazing angles.
            c.a = 0.62f + 0.38f * smoothstep(0.1f, 1.0f, r2) + shine;
            return c;
        },
        nullptr);
}

Colour goldEnvMapCorner() {
    return rgb(88, 28, 112);
}

Canvas makeGoldEnvMap() {
    const Dir key = normalise(-0.5f, 0.5f, 0.7f), rim = normalise(-0.75f, -0.45f, 0.5f);
    Colour corner = goldEnvMapCorner();
    return sphereMap(
        256,
        [&](const Dir& r, float) {
            Colour c = landscape(r, rgb(255, 236, 170), rgb(236, 168, 52), rgb(150, 86, 14),
                                 rgb(236, 170, 60), rgb(72, 34, 6));
            c = add(c, rgb(255, 250, 225), lobe(r, key, 70) + 0.3f * lobe(r, key, 7));
            return add(c, rgb(255, 200, 120), 0.7f * lobe(r, rim, 160));
        },
        &corner);
}

Canvas makeTubeStripes() {
    Canvas c(256, 64);
    const Colour cream = rgb(255, 246, 226), glow = rgb(255, 255, 255),
                 sea = rgb(36, 64, 168, 0.3f);
    c.shade(4, [&](float x, float) {
        float f = std::fmod(x, 32.0f);  // eight bands across the texture; they repeat seamlessly
        float band = smoothstep(2.0f, 3.5f, f) * smoothstep(19.5f, 18.0f, f);
        float centre = 1 - std::fabs(f - 10.75f) / 8.0f;
        return mix(sea, mix(cream, glow, clamp01(centre) * 0.6f), band);
    });
    return c;
}

Canvas makeConeStripes() {
    Canvas c(256, 256);
    const Colour dark = rgb(24, 24, 24), light = rgb(236, 236, 236);
    c.shade(4, [&](float x, float y) {
        // Eight diagonal periods across the tile, so x + y repeats after 256 pixels on each axis.
        float f = std::fmod(x + y, 32.0f);
        float t = smoothstep(0.0f, 1.2f, f) * smoothstep(16.0f, 14.8f, f);
        return mix(dark, light, t);
    });
    return c;
}

Canvas makeSpots(std::vector<Colour>* palette) {
    const Colour ground = rgb(196, 150, 236, 0.35f), rim = rgb(60, 20, 70), red = rgb(246, 86, 38),
                 shine = rgb(255, 226, 150);
    *palette = blendPalette({ground, rim, red, shine}, 16);
    struct Spot {
        float x, y, r;
    };
    std::vector<Spot> spots;
    Random random(20240611u);
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 4; ++col)
            spots.push_back(Spot{col * 64.0f + (row % 2) * 32.0f + 16, row * 32.0f + 16,
                                 random.uniform(10.0f, 14.5f)});
    Canvas c(256, 256);
    c.shade(3, [&](float x, float y) {
        for (const Spot& s : spots) {
            float d = wrappedDistance(x, y, s.x, s.y, 256);
            if (d >= s.r) continue;
            if (d > s.r - 2) return rim;
            // A highlight up and to the left makes each spot a little dome.
            float h =
                wrappedDistance(x, y, s.x - 0.35f * s.r, s.y - 0.35f * s.r, 256) / (0.75f * s.r);
            return mix(red, shine, clamp01(1 - h) * clamp01(1 - h));
        }
        return ground;
    });
    return c;
}

Canvas makeCircles(std::vector<Colour>* palette) {
    const Colour navy = rgb(24, 34, 82), cream = rgb(246, 232, 198), coral = rgb(236, 96, 74),
                 teal = rgb(40, 166, 156), ink = rgb(12, 12, 28);
    *palette = blendPalette({navy, cream, coral, teal, ink}, 16);
    const Colour schemes[3][2] = {{cream, coral}, {teal, cream}, {coral, teal}};
    struct Circle {
        float x, y, r;
        int scheme;
    };
    std::vector<Circle> circles;
    Random random(77003u);
    for (int i = 0; i < 16; ++i) {
        float x = random.uniform(0, 256), y = random.uniform(0, 256), r = random.uniform(16, 52);
        circles.push_back(Circle{x, y, r, i % 3});
    }
    Canvas c(256, 256);
    c.shade(3, [&](float x, float y) {
        // Later circles lie on top: search from the last one down.
        for (int i = static_cast<int>(circles.size()) - 1; i >= 0; --i) {
            const Circle& k = circles[i];
            float d = wrappedDistance(x, y, k.x, k.y, 256);
            if (d >= k.r) continue;
            if (d > k.r - 2.5f) return ink;
            int ring = static_cast<int>((k.r - d) / 7.0f);
            return schemes[k.scheme][ring % 2];
        }
        return navy;
    });
    return c;
}
