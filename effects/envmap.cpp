// Environment-map coordinates from face normals (tube grids) and averaged vertex normals.
#include "effects/envmap.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "math/vecmath.h"
#include "scene/mesh.h"

namespace {
// Normal sums and face counts per vertex index. Zero between calls of vertexNormalsEnvMap, and
// sized at set-up only, so the per-frame pass neither allocates nor writes past their ends.
std::vector<Vector3> normalSums(kEnvMapDefaultVertices, Vector3{0.0f, 0.0f, 0.0f});
std::vector<int> normalCounts(kEnvMapDefaultVertices, 0);

int envMapCapacity() {
    return int(std::min(normalSums.size(), normalCounts.size()));
}
}  // namespace

bool faceNormal(float& outX, float& outY, float& outZ, const MeshVertex& a, const MeshVertex& b,
                const MeshVertex& c) {
    const double e1x = double(b.x) - a.x, e1y = double(b.y) - a.y, e1z = double(b.z) - a.z;
    const double e2x = double(c.x) - a.x, e2y = double(c.y) - a.y, e2z = double(c.z) - a.z;
    const double nx = e1y * e2z - e1z * e2y;
    const double ny = e1z * e2x - e1x * e2z;
    const double nz = e1x * e2y - e1y * e2x;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    // A triangle without area has no direction; a zero normal keeps NaNs out of the sums.
    if (!(length > 0.0) || !std::isfinite(length)) {
        outX = outY = outZ = 0.0f;
        return false;
    }
    outX = float(nx / length);
    outY = float(ny / length);
    outZ = float(nz / length);
    return true;
}

void gridEnvMap(MeshVertex* verts, int columns, int rows) {
    if (columns <= 0 || rows <= 0) return;
    for (int i = 0; i < rows; ++i) {
        const int below = (i + 1 == rows ? 0 : i + 1) * columns;
        for (int j = 0; j < columns; ++j) {
            const int self = i * columns + j;
            // The record after the array's end does not exist; the row's first vertex stands in.
            const int right = (i + 1 == rows && j + 1 == columns) ? i * columns : self + 1;
            float nx, ny, nz;
            faceNormal(nx, ny, nz, verts[self], verts[right], verts[below + j]);
            verts[self].u1 = (nx + 1.0f) * 0.5f;
            verts[self].v1 = (ny + 1.0f) * 0.5f;
        }
    }
}

bool reserveEnvMapTables(int vertexCount) {
    if (vertexCount <= envMapCapacity()) return true;
    try {
        normalCounts.resize(size_t(vertexCount), 0);
        normalSums.resize(size_t(vertexCount), Vector3{0.0f, 0.0f, 0.0f});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool vertexNormalsEnvMap(MeshVertex* verts, const MeshFace* faces, int vertexCount, int faceCount) {
    if (vertexCount < 0 || vertexCount > envMapCapacity()) return false;
    Vector3* sums = normalSums.data();
    int* counts = normalCounts.data();
    for (int f = 0; f < faceCount; ++f) {
        const MeshFace& face = faces[f];
        const int32_t* k = face.indices;
        if (uint32_t(k[0]) >= uint32_t(vertexCount) || uint32_t(k[1]) >= uint32_t(vertexCount) ||
            uint32_t(k[2]) >= uint32_t(vertexCount))
            continue;
        float nx, ny, nz;
        if (!faceNormal(nx, ny, nz, *face.corners[0], *face.corners[1], *face.corners[2])) continue;
        for (int c = 0; c < 3; ++c) {
            Vector3& s = sums[k[c]];
            s.x += nx;
            s.y += ny;
            s.z += nz;
            ++counts[k[c]];
        }
    }
    for (int i = 0; i < vertexCount; ++i) {
        const float f = counts[i] ? 1.0f / float(counts[i]) : 1.0f;
        const float u = (sums[i].x * f + 1.0f) * 0.5f;
        const float v = (sums[i].y * f + 1.0f) * 0.5f;
        verts[i].u1 = u;
        verts[i].v1 = v;
        verts[i].u0 = v;
        verts[i].v0 = u;
        sums[i] = {0.0f, 0.0f, 0.0f};
        counts[i] = 0;
    }
    return true;
}
