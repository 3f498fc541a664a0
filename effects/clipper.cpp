// Triangle clipping against the view pyramid's side planes, screen projection and drawing.
#include "effects/clipper.h"

#include <cfloat>
#include <cmath>

namespace {

// Screen mapping of drawn vertices; every caller uses (0, 0, 1, 1), so start there.
float offsetX = 0.0f, offsetY = 0.0f, scaleX = 1.0f, scaleY = 1.0f;

// Stands in for an exact zero difference so that no division is by zero.
constexpr float kTinyDelta = 1e-6f;

// A vertex may be projected only in front of the eye and at a finite depth.
bool projectable(const MeshVertex& v) {
    return v.z > 0.0f && v.z <= FLT_MAX;
}

void project(MeshVertex& v) {
    const float w = 1.0f / v.z;
    v.sx = offsetX + scaleX * v.x * w;
    v.sy = offsetY - scaleY * v.y * w;
}

template <bool Dual>
void clipFrom(MeshVertex* v0, MeshVertex* v1, MeshVertex* v2, int plane);

// Cuts the triangle at `plane`, which some but not all of its corners lie beyond, and hands the
// pieces on to the next plane. The argument orders fix the corner order the renderer receives.
template <bool Dual>
void splitAt(MeshVertex* v0, MeshVertex* v1, MeshVertex* v2, int plane, bool c0, bool c1, bool c2) {
    MeshVertex a, b;
    const int next = plane << 1;
    auto cut = [plane](const MeshVertex& p, const MeshVertex& q, MeshVertex& out) {
        clipEdge(p, q, out, plane);
        computeClipFlags(out);
    };
    if (c0 && c1) {
        cut(*v2, *v0, b);
        cut(*v2, *v1, a);
        clipFrom<Dual>(v2, &b, &a, next);
    } else if (c1 && c2) {
        cut(*v0, *v1, a);
        cut(*v0, *v2, b);
        clipFrom<Dual>(v0, &a, &b, next);
    } else if (c0 && c2) {
        cut(*v1, *v0, a);
        cut(*v1, *v2, b);
        clipFrom<Dual>(v1, &a, &b, next);
    } else if (c0) {
        cut(*v0, *v2, a);
        clipFrom<Dual>(&a, v1, v2, next);
        cut(*v0, *v1, b);
        clipFrom<Dual>(&a, v1, &b, next);
    } else if (c1) {
        cut(*v1, *v0, a);
        clipFrom<Dual>(&a, v2, v0, next);
        cut(*v1, *v2, b);
        clipFrom<Dual>(&a, v2, &b, next);
    } else {
        cut(*v2, *v1, a);
        clipFrom<Dual>(&a, v0, v1, next);
        cut(*v2, *v0, b);
        clipFrom<Dual>(&a, v0, &b, next);
    }
}

template <bool Dual>
void clipFrom(MeshVertex* v0, MeshVertex* v1, MeshVertex* v2, int plane) {
    // Planes other than 1, 2, 4 and 8 clip nothing; a zero plane must not loop forever.
    for (; plane >= 1 && plane <= 8; plane <<= 1) {
        const uint32_t bit = uint32_t(plane);
        const bool c0 = v0->clipFlags & bit, c1 = v1->clipFlags & bit, c2 = v2->clipFlags & bit;
        if (c0 && c1 && c2) return;
        if (c0 || c1 || c2) {
            splitAt<Dual>(v0, v1, v2, plane, c0, c1, c2);
            return;
        }
    }
    // A piece through or behind the eye would divide by a zero or negative depth.
    if (!projectable(*v0) || !projectable(*v1) || !projectable(*v2)) return;
    project(*v0);
    project(*v1);
    project(*v2);
    if (Dual)
        gRenderer->drawTriangleDual(v0, v1, v2);
    else
        gRenderer->drawTriangle(v0, v1, v2);
}

}  // namespace

void setProjection(float newOffsetX, float newOffsetY, float newScaleX, float newScaleY) {
    offsetX = newOffsetX;
    offsetY = newOffsetY;
    scaleX = newScaleX;
    scaleY = newScaleY;
}

void computeClipFlags(MeshVertex& v) {
    v.clipFlags = clipCode(v.x, v.y, v.z);
}

void clipEdge(const MeshVertex& p, const MeshVertex& q, MeshVertex& out, int plane) {
    // Planes 1 and 2 bound x, planes 4 and 8 bound y; 1 and 4 are where the coordinate equals z.
    const bool boundsX = plane == 1 || plane == 2;
    const bool positive = plane == 1 || plane == 4;
    const float pa = boundsX ? p.x : p.y;
    const float qa = boundsX ? q.x : q.y;
    const float da = qa - pa;
    const float dz = q.z - p.z;
    const float k = dz / (da == 0.0f ? kTinyDelta : da);
    const float denominator = positive ? 1.0f - k : 1.0f + k;

    // out = p + t (p - q). The parameter comes from whichever of z and the bounded coordinate
    // changes more along the edge: at constant depth the z difference says nothing at all.
    float z, a, t;
    if (denominator == 0.0f) {
        // Parallel to the plane, most often lying in it: no single crossing, so the end beyond
        // the plane is taken whole rather than a 0 / 0 that would drop the piece.
        const uint32_t bit = uint32_t(plane);
        const bool atP = (p.clipFlags & bit) && !(q.clipFlags & bit);
        t = atP ? 0.0f : -1.0f;
        z = atP ? p.z : q.z;
        a = atP ? pa : qa;
    } else {
        z = (q.z - k * qa) / denominator;
        a = positive ? z : -z;
        if (std::fabs(dz) >= std::fabs(da))
            t = (p.z - z) / (dz == 0.0f ? kTinyDelta : dz);
        else
            t = (pa - a) / da;
    }
    auto lerp = [t](float pf, float qf) { return pf + t * (pf - qf); };

    out.z = z;
    if (boundsX) {
        out.x = a;
        out.y = lerp(p.y, q.y);
    } else {
        out.y = a;
        out.x = lerp(p.x, q.x);
    }
    out.r = lerp(p.r, q.r);
    out.g = lerp(p.g, q.g);
    out.b = lerp(p.b, q.b);
    out.a = lerp(p.a, q.a);
    out.u0 = lerp(p.u0, q.u0);
    out.v0 = lerp(p.v0, q.v0);
    out.u1 = lerp(p.u1, q.u1);
    out.v1 = lerp(p.v1, q.v1);
}

void drawClippedTriangle(MeshVertex* v0, MeshVertex* v1, MeshVertex* v2, int plane) {
    clipFrom<false>(v0, v1, v2, plane);
}

void drawClippedTriangleDual(MeshVertex* v0, MeshVertex* v1, MeshVertex* v2, int plane) {
    clipFrom<true>(v0, v1, v2, plane);
}
