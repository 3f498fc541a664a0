// Per-frame helpers of the scenes: back-to-front face sorting, a full-screen colour fill and
// environment-map coordinates from view-space normals.
#pragma once
#include "render/renderer.h"

struct MeshFace;

// One entry of a depth list: a face and its sort key (larger = farther).
struct DepthEntry {
    MeshFace* face;
    float depth;
};

// The list that sortDepthList orders; callers point it at their list before each sort.
extern DepthEntry* depthSortList;

// Sorts entries first..last (inclusive) of depthSortList by depth, largest first, in place.
// Equal keys keep no particular order.
void sortDepthList(int first, int last);

// Unbinds texture unit 0 and draws two triangles covering the -1..1 screen in (r, g, b), with
// whatever blend and depth state the caller has set.
void fillScreen(float r, float g, float b);

// Unit normal of the triangle a, b, c (view-space x, y, z) into out. Returns false with a zero
// normal when the triangle has no area (or non-finite corners).
bool faceNormal(float& outX, float& outY, float& outZ, const MeshVertex& a, const MeshVertex& b,
                const MeshVertex& c);

// Unit-1 environment coordinates for a grid of rows x columns consecutive vertices whose rows wrap
// around (a tube): from the normal of each vertex, its right neighbour and the one a row further.
// In the last row the last column's right neighbour is the first vertex of that row.
void gridEnvMap(MeshVertex* verts, int columns, int rows);

// Vertex counts the environment-map tables hold from the start. Larger meshes need a call to
// reserveEnvMapTables during set-up, so that the per-frame pass never allocates or overruns.
constexpr int kEnvMapDefaultVertices = 20000;

// Grows the normal accumulation tables to hold vertexCount vertices. Call outside frame loops.
// Returns false when memory runs out (the tables keep their old size).
bool reserveEnvMapTables(int vertexCount);

// Averages the face normals at each vertex (faces index vertices through their index fields) and
// writes sphere-map coordinates: (u1, v1) = ((nx + 1) / 2, (ny + 1) / 2) and (u0, v0) the same
// pair swapped. Returns false and touches nothing when vertexCount exceeds the reserved tables.
// Faces with an index outside 0..vertexCount-1, and faces without area, contribute nothing.
bool vertexNormalsEnvMap(MeshVertex* verts, const MeshFace* faces, int vertexCount, int faceCount);
