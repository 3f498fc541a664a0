// Building blocks of the generated meshes: vertices, faces and closed primitives.
#pragma once
#include "tools/datagen/mesh_chunks.h"

constexpr double kPi = 3.14159265358979323846;

// Appends a vertex with mapping coordinates u, v and returns its index.
int addVertex(MeshObject& o, FileVec p, float u = 0.0f, float v = 0.0f);
// Appends the face a, b, c (counter-clockwise seen from the side its normal points to).
void addFace(MeshObject& o, int a, int b, int c);
// Appends the quad a, b, c, d (counter-clockwise) as two faces.
void addQuad(MeshObject& o, int a, int b, int c, int d);

// Closed ellipsoid with a vertex at each pole (on the Z axis); rings >= 2, segments >= 3.
void addEllipsoid(MeshObject& o, FileVec centre, FileVec radii, int rings, int segments);
// Closed cylinder from `from` to `to` with flat caps.
void addCylinder(MeshObject& o, FileVec from, FileVec to, float radius, int segments);
// Closed axis-aligned box from lo to hi.
void addBox(MeshObject& o, FileVec lo, FileVec hi);
// Closed flat ring in an XZ plane around `centre`, from radius inner to outer, thickness along Y.
void addRing(MeshObject& o, FileVec centre, float inner, float outer, float thickness,
             int segments);
