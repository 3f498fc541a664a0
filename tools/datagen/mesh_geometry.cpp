// Vertex, face and primitive builders for the generated meshes.
#include "tools/datagen/mesh_geometry.h"

#include <cmath>

namespace {

FileVec add(FileVec a, FileVec b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
FileVec scale(FileVec a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
FileVec cross(FileVec a, FileVec b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
FileVec unit(FileVec a) {
    return scale(a, 1.0f / std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z));
}

}  // namespace

int addVertex(MeshObject& o, FileVec p, float u, float v) {
    o.positions.push_back(p);
    o.mapping.push_back(u);
    o.mapping.push_back(v);
    return static_cast<int>(o.positions.size()) - 1;
}

void addFace(MeshObject& o, int a, int b, int c) {
    o.faces.push_back(static_cast<uint16_t>(a));
    o.faces.push_back(static_cast<uint16_t>(b));
    o.faces.push_back(static_cast<uint16_t>(c));
}

void addQuad(MeshObject& o, int a, int b, int c, int d) {
    addFace(o, a, b, c);
    addFace(o, a, c, d);
}

void addEllipsoid(MeshObject& o, FileVec centre, FileVec radii, int rings, int segments) {
    int top = addVertex(o, {centre.x, centre.y, centre.z + radii.z});
    int first = top + 1;
    for (int i = 1; i < rings; ++i) {
        double theta = kPi * i / rings;
        for (int j = 0; j < segments; ++j) {
            double phi = 2 * kPi * j / segments;
            addVertex(o, {centre.x + radii.x * float(std::sin(theta) * std::cos(phi)),
                          centre.y + radii.y * float(std::sin(theta) * std::sin(phi)),
                          centre.z + radii.z * float(std::cos(theta))});
        }
    }
    int bottom = addVertex(o, {centre.x, centre.y, centre.z - radii.z});
    auto at = [&](int ring, int j) { return first + ring * segments + (j % segments); };
    for (int j = 0; j < segments; ++j) {
        addFace(o, top, at(0, j), at(0, j + 1));
        for (int i = 0; i + 1 < rings - 1; ++i)
            addQuad(o, at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
        addFace(o, bottom, at(rings - 2, j + 1), at(rings - 2, j));
    }
}

void addCylinder(MeshObject& o, FileVec from, FileVec to, float radius, int segments) {
    FileVec axis = unit(add(to, scale(from, -1.0f)));
    FileVec helper = std::fabs(axis.z) < 0.9f ? FileVec{0, 0, 1} : FileVec{1, 0, 0};
    FileVec side = unit(cross(helper, axis));
    FileVec up = cross(axis, side);
    int c0 = addVertex(o, from);
    int c1 = addVertex(o, to);
    int first = c1 + 1;
    for (int j = 0; j < segments; ++j) {
        double phi = 2 * kPi * j / segments;
        FileVec r = add(scale(side, radius * float(std::cos(phi))),
                        scale(up, radius * float(std::sin(phi))));
        addVertex(o, add(from, r));
        addVertex(o, add(to, r));
    }
    for (int j = 0; j < segments; ++j) {
        int a0 = first + 2 * j, a1 = a0 + 1;
        int b0 = first + 2 * ((j + 1) % segments), b1 = b0 + 1;
        addQuad(o, a0, b0, b1, a1);
        addFace(o, c0, b0, a0);
        addFace(o, c1, a1, b1);
    }
}

void addBox(MeshObject& o, FileVec lo, FileVec hi) {
    int v[8];
    for (int i = 0; i < 8; ++i)
        v[i] = addVertex(o, {i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z});
    addQuad(o, v[0], v[2], v[3], v[1]);  // bottom (-Z)
    addQuad(o, v[4], v[5], v[7], v[6]);  // top (+Z)
    addQuad(o, v[0], v[1], v[5], v[4]);  // front (-Y)
    addQuad(o, v[2], v[6], v[7], v[3]);  // back (+Y)
    addQuad(o, v[0], v[4], v[6], v[2]);  // left (-X)
    addQuad(o, v[1], v[3], v[7], v[5]);  // right (+X)
}

void addRing(MeshObject& o, FileVec centre, float inner, float outer, float thickness,
             int segments) {
    int first = static_cast<int>(o.positions.size());
    float half = 0.5f * thickness;
    // Four vertices per step: inner front, outer front, outer back, inner back.
    for (int j = 0; j < segments; ++j) {
        double phi = 2 * kPi * j / segments;
        float c = float(std::cos(phi)), s = float(std::sin(phi));
        addVertex(o, {centre.x + inner * c, centre.y - half, centre.z + inner * s});
        addVertex(o, {centre.x + outer * c, centre.y - half, centre.z + outer * s});
        addVertex(o, {centre.x + outer * c, centre.y + half, centre.z + outer * s});
        addVertex(o, {centre.x + inner * c, centre.y + half, centre.z + inner * s});
    }
    for (int j = 0; j < segments; ++j) {
        int a = first + 4 * j, b = first + 4 * ((j + 1) % segments);
        for (int k = 0; k < 4; ++k) {
            int k1 = (k + 1) % 4;
            addQuad(o, a + k, a + k1, b + k1, b + k);
        }
    }
}
