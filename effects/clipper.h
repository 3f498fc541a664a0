// Cuts triangles against the side planes of the 90-degree view pyramid, projects and draws them.
#pragma once
#include <cstdint>

#include "render/renderer.h"

// Clip code bits. The pyramid is |x| < z, |y| < z; a point on a side plane is outside.
constexpr uint32_t kClipRight = 1;    // x >= z
constexpr uint32_t kClipLeft = 2;     // x <= -z
constexpr uint32_t kClipTop = 4;      // y >= z
constexpr uint32_t kClipBottom = 8;   // y <= -z
constexpr uint32_t kClipBehind = 16;  // z <= 0
constexpr uint32_t kClipFar = 32;     // z > kFarDistance
constexpr float kFarDistance = 4500.0f;

// Clip code of a view-space point. Behind the eye a point always carries at least one side bit
// of each pair, and both when it lies inside the mirrored pyramid. Behind and far never clip here.
// A NaN coordinate is outside both planes that bound it, so such a point is never drawn.
inline uint32_t clipCode(float x, float y, float z) {
    uint32_t flags = z > kFarDistance ? kClipFar : 0;
    if (z > 0.0f) {  // the common case, kept free of branches; !(a < z) also holds for a NaN a
        return flags | uint32_t(!(x < z)) * kClipRight | uint32_t(!(-x < z)) * kClipLeft |
               uint32_t(!(y < z)) * kClipTop | uint32_t(!(-y < z)) * kClipBottom;
    } else {  // also taken by a NaN depth, so such a point never reaches the screen unclipped
        flags |= kClipBehind;
        if (x >= 0.0f) {
            flags |= kClipRight;
            if (x < -z) flags |= kClipLeft;
        } else {
            flags |= kClipLeft;
            if (x > z) flags |= kClipRight;
        }
        if (y >= 0.0f) {
            flags |= kClipTop;
            if (y < -z) flags |= kClipBottom;
        } else {
            flags |= kClipBottom;
            if (y > z) flags |= kClipTop;
        }
    }
    return flags;
}

// Sets the screen mapping of drawn vertices: sx = offsetX + scaleX x/z, sy = offsetY - scaleY y/z.
void setProjection(float offsetX, float offsetY, float scaleX, float scaleY);
// Replaces v.clipFlags with the clip code of v's view-space position.
void computeClipFlags(MeshVertex& v);
// out = where segment p-q meets `plane` (1, 2, 4, 8), attributes interpolated; no sx, sy or flags.
// An edge running parallel to the plane has no single crossing: out is then the end whose clip
// flags hold the plane's bit (q when neither or both do), so an edge lying in the plane is kept.
void clipEdge(const MeshVertex& p, const MeshVertex& q, MeshVertex& out, int plane);
// Clips against the side planes from `plane` (1, 2, 4, 8) on and draws the rest with drawTriangle.
// Vertices drawn unchanged get new sx, sy; pieces reaching to or behind the eye are dropped.
void drawClippedTriangle(MeshVertex* v0, MeshVertex* v1, MeshVertex* v2, int plane);
// The same, drawing with drawTriangleDual.
void drawClippedTriangleDual(MeshVertex* v0, MeshVertex* v1, MeshVertex* v2, int plane);
