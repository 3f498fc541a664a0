// Pictures drawn as shaders of a point, in coordinates that look round on a 4:3 screen.
#include "tools/datagen/image_pictures.h"

#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;
// Every picture is shown on a 4:3 screen through a quad that is square in screen units, so it
// appears 4/3 wider than stored. Shapes are drawn 3/4 as wide to come out round.
constexpr float kSqueeze = 0.75f;

struct Point {
    float x, y;  // y down; x runs 1/kSqueeze times further than y across the picture
};

Point centred(float px, float py, int size) {
    return Point{(px / size * 2 - 1) / kSqueeze, py / size * 2 - 1};
}

// Signed distance to a rounded rectangle of half sizes (hx, hy) and corner radius r; < 0 inside.
float roundedBox(Point p, float hx, float hy, float r) {
    float qx = std::fabs(p.x) - hx + r, qy = std::fabs(p.y) - hy + r;
    float ox = std::fmax(qx, 0.0f), oy = std::fmax(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::fmin(std::fmax(qx, qy), 0.0f) - r;
}

// One colouring of a motif: four motif colours and the frame's.
struct Scheme {
    Colour a, b, c, d, frame;
};

const Scheme kSchemes[4][2] = {
    {{rgb(255, 206, 48), rgb(255, 128, 30), rgb(214, 28, 62), rgb(255, 246, 218),
      rgb(255, 250, 236)},
     {rgb(44, 204, 255), rgb(28, 74, 214), rgb(136, 255, 196), rgb(18, 18, 64),
      rgb(200, 240, 255)}},
    {{rgb(255, 196, 64), rgb(220, 36, 44), rgb(240, 128, 76), rgb(255, 245, 220),
      rgb(255, 250, 236)},
     {rgb(60, 240, 200), rgb(70, 40, 210), rgb(10, 14, 40), rgb(190, 220, 255),
      rgb(200, 240, 255)}},
    {{rgb(255, 150, 60), rgb(255, 236, 150), rgb(170, 30, 90), rgb(255, 90, 90),
      rgb(255, 250, 236)},
     {rgb(10, 30, 90), rgb(220, 250, 255), rgb(40, 200, 160), rgb(40, 120, 255),
      rgb(200, 240, 255)}},
    {{rgb(255, 210, 40), rgb(230, 60, 40), rgb(255, 140, 170), rgb(150, 20, 60),
      rgb(255, 250, 236)},
     {rgb(30, 60, 220), rgb(60, 240, 200), rgb(40, 40, 90), rgb(140, 255, 90), rgb(200, 240, 255)}},
};

Colour sunburst(Point p, const Scheme& s) {
    float r = std::sqrt(p.x * p.x + p.y * p.y), angle = std::atan2(p.y, p.x);
    if (r < 0.34f) return mix(s.d, s.c, smoothstep(0.0f, 0.34f, r));
    if (r < 0.42f) return s.c;
    bool ray = std::fmod(angle + 4 * kPi + r * 0.6f, kPi / 6) < kPi / 12;  // twelve curved rays
    return mix(ray ? s.a : s.b, s.c, 0.35f * smoothstep(0.5f, 1.6f, r));
}

Colour ringedPlanet(Point p, const Scheme& s) {
    // The ring: an annulus in a plane tilted towards the viewer, with a dark gap.
    const float cs = std::cos(-0.35f), sn = std::sin(-0.35f);
    float rx = p.x * cs - p.y * sn, ry = (p.x * sn + p.y * cs) / 0.3f;
    float rr = std::sqrt(rx * rx + ry * ry);
    bool onRing = rr > 0.8f && rr < 1.14f && (rr < 0.93f || rr > 0.97f);
    float d2 = (p.x * p.x + p.y * p.y) / (0.56f * 0.56f);
    if (onRing && (ry > 0 || d2 >= 1)) return mix(s.d, s.c, 0.4f * smoothstep(0.8f, 1.14f, rr));
    if (d2 < 1) {
        float nz = std::sqrt(1 - d2), nx = p.x / 0.56f, ny = p.y / 0.56f;
        float lat = ny + 0.08f * std::sin(nx * 7);
        Colour base = static_cast<int>(std::floor(lat * 4.5f + 5)) % 2 ? s.a : s.b;
        float light = clamp01(-0.5f * nx - 0.45f * ny + 0.75f * nz);
        return mix(mix(base, rgb(0, 0, 0), 0.6f), base, 0.2f + 0.8f * light);
    }
    // Sky with a scatter of stars, one chance per cell of a fixed grid.
    Colour sky = mix(s.c, mix(s.c, rgb(0, 0, 0), 0.5f), 0.5f + 0.5f * p.y);
    float cx = std::floor(p.x * 9), cy = std::floor(p.y * 9);
    float h = std::sin(cx * 12.9898f + cy * 78.233f) * 43758.547f;
    h -= std::floor(h);
    float sx = p.x * 9 - cx - h, sy = p.y * 9 - cy - (1 - h);
    bool star = h > 0.55f && sx * sx + sy * sy < 0.012f;
    return star ? s.d : sky;
}

Colour seaAndMoon(Point p, const Scheme& s) {
    const float horizon = 0.15f;
    if (p.y < horizon) {
        float mx = p.x - 0.45f, my = p.y + 0.45f;
        float m = std::sqrt(mx * mx + my * my);
        Colour sky = mix(s.c, s.a, smoothstep(-1.0f, horizon, p.y));
        if (m < 0.3f) return s.b;
        return mix(sky, s.b, 0.5f * smoothstep(0.55f, 0.3f, m));  // the moon's halo
    }
    // Waves: bands that get thinner and flatter towards the horizon.
    float depth = (p.y - horizon) / (1 - horizon);
    float w = std::sin(p.x * (10 - 5 * depth) + depth * 9) * (0.03f + 0.05f * depth);
    float band = std::fmod((p.y + w - horizon) * (14 - 6 * depth) + 10, 2.0f);
    Colour sea = band < 1 ? s.d : s.c;
    // The moon's path on the water.
    float path = smoothstep(0.28f, 0.05f, std::fabs(p.x - 0.45f) - 0.1f * depth);
    return band < 1 ? mix(sea, s.b, 0.75f * path) : sea;
}

Colour diamonds(Point p, const Scheme& s) {
    float d = std::fabs(p.x) + std::fabs(p.y);
    int ring = static_cast<int>(d / 0.2f);
    const Colour cycle[4] = {s.a, s.b, s.c, s.d};
    Colour c = cycle[ring % 4];
    // Small diamonds sit in the four corners of the big one.
    float cx = std::fabs(p.x) - 1.05f, cy = std::fabs(p.y) - 0.78f;
    float small = std::fabs(cx) + std::fabs(cy);
    if (small < 0.3f) c = static_cast<int>(small / 0.1f) % 2 ? s.d : s.a;
    return c;
}

}  // namespace

Canvas makePicture(int motif, bool contrast) {
    const Scheme& s = kSchemes[(motif - 1) & 3][contrast ? 1 : 0];
    Canvas c(256, 256);
    c.shade(4, [&](float px, float py) {
        Point p = centred(px, py, 256);
        float hx = 1 / kSqueeze, edge = roundedBox(p, hx, 1.0f, 0.16f);
        if (edge > -0.005f) return Colour{};  // transparent corners, colour 0 for additive modes
        if (edge > -0.03f) return rgb(16, 16, 24);  // dark outer line blends into the corners
        if (edge > -0.075f) return s.frame;
        switch (motif) {
            case 1:
                return sunburst(p, s);
            case 2:
                return ringedPlanet(p, s);
            case 3:
                return seaAndMoon(p, s);
            default:
                return diamonds(p, s);
        }
    });
    return c;
}

Canvas makeLogo(const Font& font) {
    const int size = 512;
    const Colour plum = rgb(54, 16, 74), gold = rgb(255, 200, 48), deep = rgb(214, 70, 24),
                 ray = rgb(255, 142, 40), cream = rgb(255, 244, 214);
    Canvas c(size, size, fade(plum, 0));
    c.shade(4, [&](float px, float py) {
        Point p = centred(px, py, size);
        float r = std::sqrt(p.x * p.x + p.y * p.y), angle = std::atan2(p.y, p.x);
        // A cog of eight teeth, like the emblem of the zoom scene, outlined in plum. The radial
        // gap to the rim is divided by the rim's slope to outline the teeth's flanks evenly.
        auto rim = [](float a) {
            return 0.84f + 0.12f * smoothstep(-0.25f, 0.25f, std::cos(8 * a));
        };
        float slope = (rim(angle + 0.001f) - rim(angle - 0.001f)) / 0.002f / std::fmax(r, 0.1f);
        float gap = (rim(angle) - r) / std::sqrt(1 + slope * slope);
        if (gap < 0) return fade(plum, 0);
        if (gap < 0.035f) return plum;
        if (r > 0.74f) return mix(gold, cream, smoothstep(0.96f, 0.74f, r) * clamp01(-p.y));
        if (r > 0.71f) return plum;
        // A sun inside the ring: sixteen rays around a bright core.
        bool isRay = std::fmod(angle + 4 * kPi, kPi / 8) < kPi / 16;
        Colour c = isRay ? ray : deep;
        return mix(cream, c, smoothstep(0.18f, 0.42f, r));
    });
    // A ribbon across the middle carries the word.
    Canvas ribbon(size, size);
    ribbon.shade(4, [&](float px, float py) {
        Point p = centred(px, py, size);
        float bend = 0.08f * p.x * p.x;
        float y = p.y - bend;
        if (std::fabs(p.x) > 1.18f || std::fabs(y) > 0.2f) return Colour{};
        if (std::fabs(y) > 0.16f) return plum;
        return mix(rgb(120, 24, 60), rgb(176, 40, 76), 0.5f - y * 2);
    });
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) c.at(x, y) = over(c.at(x, y), ribbon.at(x, y));
    Mask word(size, size);
    font.centre("THE SHOW", size / 2.0, size / 2.0 + 4, 56, kSqueeze, &word);
    c.paint(dilate(word, 3), plum);
    c.paint(word, cream);
    return c;
}

Canvas makeGreetings(const Font& font) {
    const int size = 512;
    // A see-through panel: the heart circling behind it shows.
    const Colour panel = rgb(34, 14, 62, 0.55f), border = rgb(250, 200, 60),
                 white = rgb(250, 250, 250);
    Canvas c(size, size, fade(border, 0));
    c.shade(4, [&](float px, float py) {
        Point p = centred(px, py, size);
        float d = roundedBox(p, 0.88f / kSqueeze, 0.88f, 0.12f);
        if (d > 0) return fade(border, 0);
        if (d > -0.02f) return border;
        return mix(panel, rgb(70, 30, 110, 0.55f), clamp01(-p.y * 0.5f + 0.5f) * 0.5f);
    });
    const char* lines[] = {"SDL",      "libopenmpt", "libpng",     "zlib",
                           "FreeType", "Mesa",       "GoogleTest", "DejaVu fonts"};
    // One scale for every line: the heading's cap height sets it.
    InkBox caps = font.measure("H");
    double sy = 34 / caps.height(), sx = sy * kSqueeze;
    Mask heading(size, size), names(size, size);
    auto centredLine = [&](const char* text, double baseline, double scale, Mask* m) {
        InkBox ink = font.measure(text);
        double x = size / 2.0 - (ink.xMin + ink.width() / 2) * sx * scale;
        font.draw(text, x, baseline, sx * scale, sy * scale, m);
    };
    centredLine("GREETINGS TO", 104, 1.0, &heading);
    for (int i = 0; i < 8; ++i) centredLine(lines[i], 150 + i * 42, 0.8, &names);
    c.paint(dilate(heading, 2), rgb(20, 6, 30));
    c.paint(heading, border);
    c.paint(dilate(names, 2), rgb(20, 6, 30));  // a dark rim keeps the names readable over gold
    c.paint(names, white);
    return c;
}
