// Cuts triangles against the side planes of the 90-degree view pyramid, projects and draws them.
#pragma once
#include <cstdint>

#include "math/clipcode.h"
#include "render/renderer.h"

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
