// Environment-map coordinates: sphere-map texture coordinates from face and vertex normals.
#pragma once
#include "render/renderer.h"

struct MeshFace;

// Unit normal of triangle a, b, c into out; false with a zero normal for a triangle without area.
bool faceNormal(float& outX, float& outY, float& outZ, const MeshVertex& a, const MeshVertex& b,
                const MeshVertex& c);

// Unit-1 environment coordinates of a rows x columns vertex grid whose rows wrap around (a tube).
// Each vertex uses its right neighbour and the one a row further; the very last vertex, having
// no record after it, uses the first of its own row.
void gridEnvMap(MeshVertex* verts, int columns, int rows);

// Vertex counts the environment-map tables hold from the start. Larger meshes need a call to
// reserveEnvMapTables during set-up, so that the per-frame pass never allocates or overruns.
constexpr int kEnvMapDefaultVertices = 20000;

// Grows the normal tables to vertexCount vertices, outside frame loops; false when out of memory.
bool reserveEnvMapTables(int vertexCount);

// Sphere-map coordinates on both units from averaged face normals; false if over the tables' size.
// Faces index vertices through their index fields; faces with a bad index or no area add nothing.
bool vertexNormalsEnvMap(MeshVertex* verts, const MeshFace* faces, int vertexCount, int faceCount);
