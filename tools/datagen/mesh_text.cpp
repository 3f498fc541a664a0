// Turns glyph outlines into extruded, triangulated letter meshes.
#include "tools/datagen/mesh_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/datagen/mesh_geometry.h"

namespace {

struct P2 {
    double x, y;
};
using Contour = std::vector<P2>;

double cross(P2 o, P2 a, P2 b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}
double dist(P2 a, P2 b) {
    return std::hypot(b.x - a.x, b.y - a.y);
}

double signedArea(const Contour& c) {
    double a = 0;
    for (size_t i = 0; i < c.size(); ++i) {
        const P2 &p = c[i], &q = c[(i + 1) % c.size()];
        a += p.x * q.y - q.x * p.y;
    }
    return 0.5 * a;
}

// Collects the contours of one outline, flattening its curves into short straight pieces.
struct Flattener {
    std::vector<Contour> contours;
    P2 last{0, 0};

    static P2 p(const FT_Vector* v) { return {double(v->x), double(v->y)}; }
    // Enough pieces that each spans about 60 font units (a thirtieth of an em), 2 to 10.
    static int pieces(double length) { return std::clamp(int(std::ceil(length / 60.0)), 2, 10); }

    static int moveTo(const FT_Vector* to, void* user) {
        auto* f = static_cast<Flattener*>(user);
        f->contours.emplace_back();
        f->last = p(to);
        f->contours.back().push_back(f->last);
        return 0;
    }
    static int lineTo(const FT_Vector* to, void* user) {
        auto* f = static_cast<Flattener*>(user);
        f->last = p(to);
        f->contours.back().push_back(f->last);
        return 0;
    }
    static int conicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
        auto* f = static_cast<Flattener*>(user);
        P2 a = f->last, b = p(control), c = p(to);
        int n = pieces(dist(a, b) + dist(b, c));
        for (int i = 1; i <= n; ++i) {
            double t = double(i) / n, s = 1 - t;
            f->contours.back().push_back({s * s * a.x + 2 * s * t * b.x + t * t * c.x,
                                          s * s * a.y + 2 * s * t * b.y + t * t * c.y});
        }
        f->last = c;
        return 0;
    }
    static int cubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
        auto* f = static_cast<Flattener*>(user);
        P2 a = f->last, b = p(c1), c = p(c2), d = p(to);
        int n = pieces(dist(a, b) + dist(b, c) + dist(c, d));
        for (int i = 1; i <= n; ++i) {
            double t = double(i) / n, s = 1 - t;
            double w0 = s * s * s, w1 = 3 * s * s * t, w2 = 3 * s * t * t, w3 = t * t * t;
            f->contours.back().push_back({w0 * a.x + w1 * b.x + w2 * c.x + w3 * d.x,
                                          w0 * a.y + w1 * b.y + w2 * c.y + w3 * d.y});
        }
        f->last = d;
        return 0;
    }
};

// Drops repeated points (the closing point among them) and points on a straight line between
// their neighbours, which would only give faces without area.
Contour simplify(Contour c) {
    bool changed = true;
    while (changed && c.size() >= 3) {
        changed = false;
        for (size_t i = 0; i < c.size() && c.size() >= 3; ++i) {
            const P2 &a = c[(i + c.size() - 1) % c.size()], &b = c[i], &n = c[(i + 1) % c.size()];
            double lab = dist(a, b), lbn = dist(b, n);
            if (lab < 1e-6 || std::fabs(cross(a, b, n)) <= 1e-6 * lab * lbn) {
                c.erase(c.begin() + i);
                changed = true;
            }
        }
    }
    return c;
}

bool insideOrOn(P2 p, P2 a, P2 b, P2 c) {
    const double tol = -1e-9;
    return cross(a, b, p) >= tol && cross(b, c, p) >= tol && cross(c, a, p) >= tol;
}

// Ear clipping of a simple counter-clockwise polygon, taking the best-shaped ear each time.
// Appends index triples into poly; returns false when no ear can be found.
bool triangulate(const Contour& poly, std::vector<int>& triangles) {
    std::vector<int> ring(poly.size());
    for (size_t i = 0; i < ring.size(); ++i) ring[i] = static_cast<int>(i);
    while (ring.size() > 3) {
        size_t m = ring.size(), best = m;
        double bestQuality = 0;
        for (size_t i = 0; i < m; ++i) {
            int a = ring[(i + m - 1) % m], b = ring[i], c = ring[(i + 1) % m];
            double area2 = cross(poly[a], poly[b], poly[c]);
            if (area2 <= 1e-9) continue;  // reflex or flat corner
            bool empty = true;
            for (size_t k = 0; k < m && empty; ++k) {
                int v = ring[k];
                if (v == a || v == b || v == c) continue;
                const P2& q = poly[v];
                bool atCorner =
                    dist(q, poly[a]) < 1e-9 || dist(q, poly[b]) < 1e-9 || dist(q, poly[c]) < 1e-9;
                if (!atCorner && insideOrOn(q, poly[a], poly[b], poly[c])) empty = false;
            }
            if (!empty) continue;
            double edges = std::pow(dist(poly[a], poly[b]), 2) +
                           std::pow(dist(poly[b], poly[c]), 2) +
                           std::pow(dist(poly[c], poly[a]), 2);
            double quality = 2 * std::sqrt(3.0) * area2 / edges;  // 1 for an equilateral ear
            if (quality > bestQuality) {
                bestQuality = quality;
                best = i;
            }
        }
        if (best == m) return false;
        triangles.push_back(ring[(best + m - 1) % m]);
        triangles.push_back(ring[best]);
        triangles.push_back(ring[(best + 1) % m]);
        ring.erase(ring.begin() + best);
    }
    if (cross(poly[ring[0]], poly[ring[1]], poly[ring[2]]) > 1e-9)
        triangles.insert(triangles.end(), ring.begin(), ring.end());
    return true;
}

// One letter outline, placed along the line of text, with its cap triangulation.
struct Letter {
    std::vector<Contour> contours;
    std::vector<std::vector<int>> triangles;  // per contour
};

bool loadLetters(const std::string& fontPath, const std::string& word, std::vector<Letter>& out,
                 std::string* error) {
    FT_Library library;
    if (FT_Init_FreeType(&library)) {
        *error = "cannot start FreeType";
        return false;
    }
    FT_Face face;
    if (FT_New_Face(library, fontPath.c_str(), 0, &face)) {
        FT_Done_FreeType(library);
        *error = "cannot open font " + fontPath;
        return false;
    }
    bool ok = true;
    double pen = 0;
    for (size_t i = 0; i < word.size() && ok; ++i) {
        std::string glyph = "glyph '" + word.substr(i, 1) + "' of " + fontPath;
        FT_UInt index = FT_Get_Char_Index(face, static_cast<unsigned char>(word[i]));
        if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) ||
            face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
            *error = "no outline for " + glyph;
            ok = false;
            break;
        }
        Flattener flat;
        FT_Outline_Funcs funcs = {
            &Flattener::moveTo, &Flattener::lineTo, &Flattener::conicTo, &Flattener::cubicTo, 0, 0};
        FT_Outline_Decompose(&face->glyph->outline, &funcs, &flat);
        // TrueType fills clockwise outlines; a contour turning the other way is a hole.
        bool clockwiseFill =
            FT_Outline_Get_Orientation(&face->glyph->outline) == FT_ORIENTATION_TRUETYPE;
        Letter letter;
        for (Contour& c : flat.contours) {
            c = simplify(c);
            if (c.size() < 3) continue;
            double area = signedArea(c);
            if ((area < 0) != clockwiseFill) {
                *error = glyph + " has a hole, which the extrusion does not support";
                ok = false;
                break;
            }
            if (area < 0) std::reverse(c.begin(), c.end());
            for (P2& q : c) q.x += pen;
            std::vector<int> tris;
            if (!triangulate(c, tris)) {
                *error = "cannot triangulate " + glyph;
                ok = false;
                break;
            }
            letter.contours.push_back(c);
            letter.triangles.push_back(tris);
        }
        if (ok && !letter.contours.empty()) out.push_back(letter);
        pen += double(face->glyph->metrics.horiAdvance);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return ok;
}

}  // namespace

bool addWord(MeshObject& o, const std::string& fontPath, const std::string& word, FileVec centre,
             float width, float height, float depth, std::string* error) {
    std::vector<Letter> letters;
    if (!loadLetters(fontPath, word, letters, error)) return false;
    if (letters.empty()) {
        *error = "the word \"" + word + "\" has no letters to draw";
        return false;
    }
    P2 lo{1e30, 1e30}, hi{-1e30, -1e30};
    for (const Letter& l : letters)
        for (const Contour& c : l.contours)
            for (const P2& q : c) {
                lo = {std::min(lo.x, q.x), std::min(lo.y, q.y)};
                hi = {std::max(hi.x, q.x), std::max(hi.y, q.y)};
            }
    double s = std::min(width / (hi.x - lo.x), height / (hi.y - lo.y));
    double midX = 0.5 * (lo.x + hi.x), midY = 0.5 * (lo.y + hi.y);
    float front = centre.y - 0.5f * depth, back = centre.y + 0.5f * depth;

    // Vertices letter by letter: each contour point once at the front, then once at the back.
    struct Ring {
        int first;
        size_t count;
    };
    std::vector<std::vector<Ring>> rings(letters.size());
    for (size_t l = 0; l < letters.size(); ++l) {
        for (const Contour& c : letters[l].contours) {
            rings[l].push_back({static_cast<int>(o.positions.size()), c.size()});
            for (float y : {front, back})
                for (const P2& q : c)
                    addVertex(o, {centre.x + float((q.x - midX) * s), y,
                                  centre.z + float((q.y - midY) * s)});
        }
    }
    // Back caps (turned away from the front), then sides, then front caps.
    for (int pass = 0; pass < 3; ++pass) {
        for (size_t l = 0; l < letters.size(); ++l) {
            for (size_t k = 0; k < rings[l].size(); ++k) {
                int f = rings[l][k].first, n = static_cast<int>(rings[l][k].count);
                const std::vector<int>& t = letters[l].triangles[k];
                for (size_t i = 0; pass != 1 && i < t.size(); i += 3) {
                    if (pass == 0)
                        addFace(o, n + f + t[i], n + f + t[i + 2], n + f + t[i + 1]);
                    else
                        addFace(o, f + t[i], f + t[i + 1], f + t[i + 2]);
                }
                for (int i = 0; pass == 1 && i < n; ++i) {
                    int j = (i + 1) % n;
                    addQuad(o, f + i, f + n + i, f + n + j, f + j);
                }
            }
        }
    }
    return true;
}
