// The drawable triangle mesh: built once (3DS object or tube), transformed and drawn per frame.
#pragma once
#include <cstdint>
#include <string>

#include "math/vecmath.h"
#include "render/renderer.h"
#include "scene/camera.h"

// Object-space positions and the vertex records the renderer draws, one each per vertex.
struct VertexArray {
    Vector3* positions = nullptr;
    MeshVertex* verts = nullptr;
    int32_t count = 0;

    // View-space x, y, z of every vertex = view (position, 1); row 3 of view is not read.
    void transformVertices(const Matrix44& view);
    // Clip code and screen position (x / z * projScaleX, -y / z * projScaleY) of every vertex.
    void projectVertices(const Camera& camera);
};

// A triangle: corners point into the owning mesh's working vertex records; indices are theirs.
struct MeshFace {
    MeshVertex* corners[3];
    int32_t indices[3];
    int32_t spare;
};

struct FaceList {
    MeshFace* faces = nullptr;
    int32_t count = 0;
};

// A mesh starts empty (zero counts, which every operation handles) and is built once. The
// working vertices are deformed, transformed and drawn; the rest positions keep the built shape.
class Mesh {
  public:
    VertexArray vertices;
    FaceList faces;
    VertexArray restVertices;

    Mesh() = default;
    ~Mesh();
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Builds from object `name` of a 3DS file; "" on success, else (mesh left empty) why it is
    // missing or unusable. File (X, Y, Z) becomes (-X, Z, Y), mapping (u, v) (u, -v).
    std::string load3ds(const char* path, const char* name);
    // Builds an open tube along y; false (mesh left empty) for no rows or segments, or no memory.
    // Rows start at y = -length / 2 and step by length / rows, so the last stops one step short.
    bool makeTube(float length, float diameter, int rows, int segments);
    // Working x and z = rest x and z times factors[i] (one per vertex); y is kept.
    void scaleXZ(const float* factors);
    // Working position = rest position times factors[i] (one per vertex).
    void scaleRadial(const float* factors);

  private:
    void release();
    bool allocate(int vertexCount, int faceCount);
};
