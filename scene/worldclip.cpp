// View-frustum clipping of world faces (Sutherland-Hodgman on precomputed plane distances).
#include "scene/worldclip.h"

#include <cmath>

#include "render/renderer.h"

float worldProjection = 173.20508f;  // 100 / tan(30 degrees), the tentacle camera's 60-degree view
float worldClipPlanes[5][4];
float closingFade = 1.0f;

void setClosingFade(float fade) {
    closingFade = fade;
}

void resetWorldClipState() {
    closingFade = 1.0f;
}

void buildClipPlanes(const WorldCamera& camera) {
    const double h = camera.fov * 0.008726646259971648;  // half the field of view, radians
    const float c = float(std::cos(h) + 0.001);          // sides tilted slightly inwards
    const float s = float(std::sin(h));
    const float planes[5][4] = {
        {c, 0, s, 0}, {-c, 0, s, 0}, {0, c, s, 0}, {0, -c, s, 0}, {0, 0, 1, 0.0001f}};
    for (int i = 0; i < 5; ++i) {
        Vector3 n{planes[i][0], planes[i][1], planes[i][2]};
        vectorNormalize(n);
        worldClipPlanes[i][0] = n.x;
        worldClipPlanes[i][1] = n.y;
        worldClipPlanes[i][2] = n.z;
        worldClipPlanes[i][3] = planes[i][3];
    }
}

void computePlaneDistances(ObjectVertex& v) {
    const Vector3& p = v.viewPosition;
    for (int i = 0; i < 5; ++i) {
        const float* n = worldClipPlanes[i];
        v.planeDistances[i] = n[0] * p.x + n[1] * p.y + n[2] * p.z + n[3];
    }
}

void projectObjectVertex(ObjectVertex& v) {
    v.depth = v.viewPosition.z;
    const float k = worldProjection * 0.01f / v.viewPosition.z;
    v.sx = k * v.viewPosition.x;
    v.sy = -(k * v.viewPosition.y);
}

// The point at t along the way from `outside` to `inside`, with its own projection and distances;
// every other field keeps the outside end's value.
static void interpolate(const ObjectVertex& outside, const ObjectVertex& inside, float t,
                        ObjectVertex& out) {
    out = outside;
    out.viewPosition.x += t * (inside.viewPosition.x - outside.viewPosition.x);
    out.viewPosition.y += t * (inside.viewPosition.y - outside.viewPosition.y);
    out.viewPosition.z += t * (inside.viewPosition.z - outside.viewPosition.z);
    out.texCoords[0] += t * (inside.texCoords[0] - outside.texCoords[0]);
    out.texCoords[1] += t * (inside.texCoords[1] - outside.texCoords[1]);
    projectObjectVertex(out);
    computePlaneDistances(out);
}

// One plane pass: keeps the inside part of the polygon `in` and returns the new vertex count.
// Rounding can in rare cases add more than one vertex per pass; the buffer bound is kept anyway.
static int clipPolygon(const ObjectVertex* in, int count, int plane, ObjectVertex* out) {
    int n = 0;
    for (int k = 0; k < count && n < kClipPolygonCapacity; ++k) {
        const ObjectVertex& a = in[k];
        const ObjectVertex& b = in[(k + 1) % count];
        const float dk = a.planeDistances[plane], dn = b.planeDistances[plane];
        if (dk >= 0) out[n++] = a;
        if (n == kClipPolygonCapacity) break;
        if (dn >= 0 && dk < 0)
            interpolate(a, b, std::fabs(dk / (dn - dk)), out[n++]);
        else if (dn < 0 && dk >= 0)
            interpolate(b, a, std::fabs(dn / (dk - dn)), out[n++]);
    }
    return n;
}

void clipAndDrawFace(const ObjectFace& face) {
    ObjectVertex bufferA[kClipPolygonCapacity], bufferB[kClipPolygonCapacity];
    ObjectVertex* in = bufferA;
    ObjectVertex* out = bufferB;
    for (int k = 0; k < 3; ++k) in[k] = *face.corners[k];
    int count = 3;
    for (int plane = 0; plane < 5 && count > 0; ++plane) {
        count = clipPolygon(in, count, plane, out);
        ObjectVertex* t = in;
        in = out;
        out = t;
    }
    for (int k = 1; k + 1 < count; ++k) drawWorldTriangle(in[0], in[k], in[k + 1]);
}

static void toMeshVertex(const ObjectVertex& v, MeshVertex& m) {
    m.x = v.viewPosition.x;
    m.y = v.viewPosition.y;
    m.z = v.depth;
    m.sx = v.sx;
    m.sy = v.sy;
    m.clipFlags = 0;
    m.r = m.g = m.b = closingFade;
    m.u0 = v.texCoords[0];
    m.v0 = v.texCoords[1];
    m.u1 = v.envCoords[0];
    m.v1 = v.envCoords[1];
    m.a = 1.0f;
}

void drawWorldTriangle(const ObjectVertex& a, const ObjectVertex& b, const ObjectVertex& c) {
    // The near plane lets through depths down to -0.0001; their projection divided by a depth at
    // or below zero, so such corners must not reach the renderer (NaN is refused the same way).
    if (!(a.depth > 0 && b.depth > 0 && c.depth > 0)) return;
    MeshVertex m[3];
    toMeshVertex(a, m[0]);
    toMeshVertex(b, m[1]);
    toMeshVertex(c, m[2]);
    gRenderer->drawTriangleDual(&m[0], &m[1], &m[2]);
}
