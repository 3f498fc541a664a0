// The drawable triangle mesh: built once from a 3DS object or as a tube, transformed, projected
// and drawn every frame.
#pragma once
#include <cstdint>

#include "effects/depthsort.h"
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
    // Clip code and screen position (x / z times projScaleX, -y / z times projScaleY) of every
    // vertex; vertices at or behind the eye get a screen position too, which only the clipper sees.
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

    // Builds from the object `name` of the 3DS file `path`: file (X, Y, Z) becomes (-X, Z, Y),
    // mapping (u, v) becomes (u, -v). Returns false, leaving the mesh empty, when the object is
    // missing or empty, a face names a vertex the object lacks, or memory runs out.
    bool load3ds(const char* path, const char* name);
    // Builds an open tube along y: rows rings of segments vertices, from y = -length / 2 up in
    // steps of length / rows. Returns false, leaving the mesh empty, for fewer than one row or
    // segment, or when memory runs out.
    bool makeTube(float length, float diameter, int rows, int segments);
    // Working x and z = rest x and z times factors[i]; y is kept. One factor per vertex.
    void scaleXZ(const float* factors);
    // Working position = rest position times factors[i]. One factor per vertex.
    void scaleRadial(const float* factors);

private:
    void release();
    bool allocate(int vertexCount, int faceCount);
};

// Points entry i of list at face i of mesh, for every face in file order.
void fillDepthList(DepthEntry* list, const Mesh& mesh);
// Sets each entry's depth to the sum of its face's three view-space z.
void setFaceDepths(DepthEntry* list, int count);
// Draws the faces of the list in order: a face with no clip flag at any corner straight through
// the renderer, any other through the clipper from plane 1. dual picks drawTriangleDual and
// drawClippedTriangleDual over the single-unit pair.
void drawFaces(const DepthEntry* list, int count, bool dual);
