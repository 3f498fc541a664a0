// Shared scene helpers: depth lists, the mesh pipeline, screen rectangles and sun-ray fans.
#include "effects/envmap.h"
#include "scenes/common.h"

#include <algorithm>
#include <cmath>
#include <new>

float scenePhase = 3.14f;

float spinAngle = 100.0f;
float spinBase = 0.0f;
float slide = -1.0f;
float leftColumn = -1.4f;
float rightColumn = 1.1f;

void resetScenePhase() {
    scenePhase = 3.14f;
}

void resetBlobState() {
    spinAngle = 100.0f;
    spinBase = 0.0f;
    slide = -1.0f;
}

void resetWaveState() {
    leftColumn = -1.4f;
    rightColumn = 1.1f;
}

namespace {
constexpr int kMaxRays = 12;
MeshVertex rayFan[2 * kMaxRays + 2];  // centre at index 0; ray vertices from index 2
}  // namespace

void setupCamera61(Camera& camera, float aspect) {
    setupSceneCamera(camera, 61.0f, aspect, kHalfAngle61);
}

void transformAndProject(Mesh& mesh, const Matrix44& view, const Camera& camera) {
    mesh.vertices.transformVertices(view);
    mesh.vertices.projectVertices(camera);
}

void viewMesh(Mesh& mesh, const Camera& camera, Matrix44& view) {
    buildViewMatrix(view, camera);
    transformAndProject(mesh, view, camera);
}

void drawEnvMappedSorted(Mesh& mesh, DepthList& list, const Camera& camera) {
    Matrix44 view;
    viewMesh(mesh, camera, view);
    vertexNormalsEnvMap(mesh.vertices.verts, mesh.faces.faces, mesh.vertices.count,
                        mesh.faces.count);
    list.sortByDepth(mesh);
    list.draw(true);
}

void clearTextureCoords(Mesh& mesh) {
    for (int i = 0; i < mesh.vertices.count; ++i) {
        MeshVertex& v = mesh.vertices.verts[i];
        v.u0 = v.v0 = v.u1 = v.v1 = 0.0f;
    }
}

void paintFlat(Mesh& mesh, float c) {
    clearTextureCoords(mesh);
    for (int i = 0; i < mesh.vertices.count; ++i) {
        MeshVertex& v = mesh.vertices.verts[i];
        v.r = v.g = v.b = c;
    }
}

namespace {

// Cuts the span a0..a1 (either way round) to -1..1, moving t0 and t1 along with it.
void clipSpan(float& a0, float& a1, float& t0, float& t1) {
    if (a0 < -1.0f || a0 > 1.0f) {
        const float edge = a0 < -1.0f ? -1.0f : 1.0f;
        t0 += (edge - a0) * (t1 - t0) / (a1 - a0);
        a0 = edge;
    }
    if (a1 > 1.0f || a1 < -1.0f) {
        const float edge = a1 > 1.0f ? 1.0f : -1.0f;
        t1 -= (a1 - edge) * (t1 - t0) / (a1 - a0);
        a1 = edge;
    }
}

void setCorner(MeshVertex& v, float sx, float sy, float u, float t, float c) {
    v = MeshVertex{};  // callers pass scratch storage; nothing stale goes to the renderer
    v.sx = sx;
    v.sy = sy;
    v.u0 = v.u1 = u;
    v.v0 = v.v1 = t;
    v.r = v.g = v.b = c;
    v.a = 1.0f;
}

}  // namespace

void drawScreenRect(MeshVertex quad[4], float x0, float y0, float x1, float y1, float u0, float v0,
                    float u1, float v1, float c) {
    // Callers give the top edge first; the tests are made on the extent, not on the order, so that
    // a rectangle crossing the top or bottom edge is cut rather than lost.
    if (std::min(x0, x1) > 1.0f || std::max(x0, x1) < -1.0f) return;
    if (std::min(y0, y1) > 1.0f || std::max(y0, y1) < -1.0f) return;
    // Each axis is cut on its own; a cut keeps the texture linear along the span, so the second
    // cut of an axis can work from what the first one left.
    float cx0 = x0, cx1 = x1, cy0 = y0, cy1 = y1;
    clipSpan(cx0, cx1, u0, u1);
    clipSpan(cy0, cy1, v0, v1);
    setCorner(quad[0], cx0, cy0, u0, v0, c);
    setCorner(quad[1], cx1, cy0, u1, v0, c);
    setCorner(quad[2], cx1, cy1, u1, v1, c);
    setCorner(quad[3], cx0, cy1, u0, v1, c);
    gRenderer->drawQuad(&quad[0], &quad[1], &quad[2], &quad[3]);
}

void drawRayFan(int rays, double angleStep, float phase, float r, float g, float b) {
    rays = std::min(rays, kMaxRays);
    for (MeshVertex& v : rayFan) {
        v.z = -1.0f;
        v.r = r;
        v.g = g;
        v.b = b;
        v.a = 1.0f;
    }
    MeshVertex& centre = rayFan[0];
    centre.sx = centre.sy = 0.0f;
    centre.u0 = centre.v0 = centre.u1 = centre.v1 = 0.0f;
    for (int i = 2; i < 2 * rays + 2; ++i) {
        const double angle = i * angleStep + phase;
        MeshVertex& v = rayFan[i];
        v.sx = static_cast<float>(2.0 * std::sin(angle));
        v.sy = static_cast<float>(2.0 * std::cos(angle));
        v.u0 = v.v0 = v.u1 = v.v1 = static_cast<float>(i * 0.05);
    }
    for (int k = 0; k < rays; ++k)
        gRenderer->drawTriangle(&centre, &rayFan[2 * k + 2], &rayFan[2 * k + 3]);
}

void drawSixRayFan(float phase) {
    drawRayFan(6, 0.5235833333333333, phase, 0.84765625f, 0.640625f, 0.078125f);
}
