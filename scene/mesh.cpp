// Building meshes (3DS objects, tubes), per-frame deformation, transform, projection and drawing.
#include "scene/mesh.h"

#include <cmath>
#include <cstdint>
#include <climits>
#include <new>

#include "assets/reader3ds.h"
#include "math/clipcode.h"

namespace {
constexpr float kTwoPi = 6.2831855f;

void initVertexRecord(MeshVertex& v, float u0, float v0, float u1, float v1) {
    v = MeshVertex{};
    v.r = v.g = v.b = v.a = 1.0f;
    v.u0 = u0;
    v.v0 = v0;
    v.u1 = u1;
    v.v1 = v1;
}

void setFace(MeshFace& face, MeshVertex* verts, int32_t i0, int32_t i1, int32_t i2) {
    face.corners[0] = &verts[i0];
    face.corners[1] = &verts[i1];
    face.corners[2] = &verts[i2];
    face.indices[0] = i0;
    face.indices[1] = i1;
    face.indices[2] = i2;
    face.spare = 0;
}
}  // namespace

void VertexArray::transformVertices(const Matrix44& view) {
    const float* m = view.m;
    for (int32_t i = 0; i < count; ++i) {
        const Vector3& p = positions[i];
        MeshVertex& v = verts[i];
        v.x = m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3];
        v.y = m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7];
        v.z = m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11];
    }
}

void VertexArray::projectVertices(const Camera& camera) {
    const float px = camera.projScaleX, py = camera.projScaleY;
    for (int32_t i = 0; i < count; ++i) {
        MeshVertex& v = verts[i];
        v.clipFlags = clipCode(v.x, v.y, v.z);
        const float w = 1.0f / v.z;
        v.sx = v.x * w * px;
        v.sy = -(v.y * w * py);
    }
}

Mesh::~Mesh() {
    release();
}

void Mesh::release() {
    delete[] vertices.positions;
    delete[] vertices.verts;
    delete[] restVertices.positions;
    delete[] restVertices.verts;
    delete[] faces.faces;
    vertices = VertexArray{};
    restVertices = VertexArray{};
    faces = FaceList{};
}

bool Mesh::allocate(int vertexCount, int faceCount) {
    release();
    vertices.positions = new (std::nothrow) Vector3[vertexCount];
    vertices.verts = new (std::nothrow) MeshVertex[vertexCount];
    restVertices.positions = new (std::nothrow) Vector3[vertexCount];
    restVertices.verts = new (std::nothrow) MeshVertex[vertexCount];
    faces.faces = new (std::nothrow) MeshFace[faceCount];
    if (!vertices.positions || !vertices.verts || !restVertices.positions || !restVertices.verts ||
        !faces.faces) {
        release();
        return false;
    }
    vertices.count = restVertices.count = vertexCount;
    faces.count = faceCount;
    return true;
}

std::string Mesh::load3ds(const char* path, const char* name) {
    release();
    Object3ds object;
    auto fail = [&](std::string text) {
        freeObject3ds(object);
        return text;
    };
    const std::string why = read3dsObject(path, name, object);
    if (!why.empty()) return fail(why);
    if (object.vertexCount <= 0 || object.faceCount <= 0) return fail("the object is empty");
    const int32_t n = object.vertexCount;
    for (int64_t k = 0; k < int64_t(object.faceCount) * 4; k += 4)
        for (int c = 0; c < 3; ++c)
            if (object.faces[k + c] >= uint32_t(n))
                return fail("a face names a vertex the object does not have");
    if (!allocate(n, object.faceCount)) return fail("out of memory");
    for (int32_t j = 0; j < n; ++j) {
        const float* p = &object.positions[3 * j];
        vertices.positions[j] = restVertices.positions[j] = {-p[0], p[1], p[2]};
        const float u = object.texCoords ? object.texCoords[2 * j] : 0.0f;
        const float v = object.texCoords ? object.texCoords[2 * j + 1] : 0.0f;
        initVertexRecord(vertices.verts[j], u, v, 0.0f, 0.0f);
        initVertexRecord(restVertices.verts[j], u, v, 0.0f, 0.0f);
    }
    for (int32_t k = 0; k < faces.count; ++k) {
        const uint32_t* f = &object.faces[4 * k];
        setFace(faces.faces[k], vertices.verts, int32_t(f[0]), int32_t(f[1]), int32_t(f[2]));
    }
    freeObject3ds(object);
    return "";
}

bool Mesh::makeTube(float length, float diameter, int rows, int segments) {
    release();
    if (rows <= 0 || segments <= 0) return false;
    const int64_t vertexCount = int64_t(rows) * segments;
    const int64_t faceCount = 2 * int64_t(rows - 1) * segments;
    if (vertexCount > INT32_MAX || faceCount > INT32_MAX) return false;
    if (!allocate(int(vertexCount), int(faceCount))) return false;

    const float step = kTwoPi / float(segments);
    const float rowStep = length / float(rows);
    for (int s = 0; s < segments; ++s) {
        const float angle = float(s) * step;
        for (int r = 0; r < rows; ++r) {
            const int k = s * rows + r;
            const Vector3 p = {float(diameter * std::sin(angle) * 0.5f),
                               float(r) * rowStep - length * 0.5f,
                               float(diameter * std::cos(angle) * 0.5f)};
            vertices.positions[k] = restVertices.positions[k] = p;
            const float u = float(r) / float(rows), v = float(s) / float(segments);
            initVertexRecord(vertices.verts[k], u, v, u, v);
            initVertexRecord(restVertices.verts[k], u, v, u, v);
        }
    }
    // Two faces per quad; the last segment closes the seam with the first segment's vertices.
    MeshFace* face = faces.faces;
    for (int s = 0; s < segments; ++s) {
        const int next = s + 1 == segments ? 0 : s + 1;
        for (int r = 0; r + 1 < rows; ++r) {
            const int here = s * rows + r, there = next * rows + r;
            setFace(*face++, vertices.verts, here, here + 1, there);
            setFace(*face++, vertices.verts, here + 1, there + 1, there);
        }
    }
    return true;
}

void Mesh::scaleXZ(const float* factors) {
    for (int32_t i = 0; i < vertices.count; ++i) {
        const Vector3& rest = restVertices.positions[i];
        vertices.positions[i].x = rest.x * factors[i];
        vertices.positions[i].z = rest.z * factors[i];
    }
}

void Mesh::scaleRadial(const float* factors) {
    for (int32_t i = 0; i < vertices.count; ++i) {
        const Vector3& rest = restVertices.positions[i];
        vertices.positions[i] = {rest.x * factors[i], rest.y * factors[i], rest.z * factors[i]};
    }
}
