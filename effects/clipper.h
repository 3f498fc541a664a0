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
inline uint32_t clipCode(float x, float y, float z) {
    uint32_t flags = z > kFarDistance ? kClipFar : 0;
    if (z > 0.0f) {
        if (x >= z) flags |= kClipRight;
        if (-x >= z) flags |= kClipLeft;
        if (y >= z) flags |= kClipTop;
        if (-y >= z) flags |= kClipBottom;
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

// Sets the screen mapping of drawn vertices: sx = offsetX + scaleX x / z, sy = offsetY - scaleY y / z.
void setProjection(float offsetX, float offsetY, float scaleX, float scaleY);
// Replaces v.clipFlags with the clip code of v's view-space position.
void computeClipFlags(MeshVertex& v);
// out = the point where segment p-q meets `plane` (1, 2, 4 or 8), every float attribute
// interpolated; out's sx, sy and clipFlags are left for the caller.
void clipEdge(const MeshVertex& p, const MeshVertex& q, MeshVertex& out, int plane);
// Clips the triangle against the side planes from `plane` (1, 2, 4 or 8) on and draws what remains
// with drawTriangle; vertices drawn unchanged get their sx, sy rewritten. Pieces that would put a
// vertex at or behind the eye are dropped.
void drawClippedTriangle(MeshVertex* v0, MeshVertex* v1, MeshVertex* v2, int plane);
// The same, drawing with drawTriangleDual.
void drawClippedTriangleDual(MeshVertex* v0, MeshVertex* v1, MeshVertex* v2, int plane);
