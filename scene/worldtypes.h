// The world's vertex and face records and its camera: what the world fills each frame and its
// clipper reads, in a header of their own so that the clipper needs nothing else of the world.
#pragma once
#include <cstdint>

#include "math/vecmath.h"

// One vertex of a world object; the view-space, projected and clip fields are rewritten every
// frame.
struct ObjectVertex {
    Vector3 position{};      // object space
    Vector3 viewPosition{};  // view space
    float sx = 0, sy = 0;    // projected, -1..1, y up
    float depth = 0;         // view-space z
    Vector3 normal{};        // object space
    Vector3 viewNormal{};
    float texCoords[2] = {};  // texture unit 0
    float envCoords[2] = {};  // texture unit 1, from the view-space normal
    int32_t adjacentCount = 0;
    Vector3** adjacentNormals = nullptr;  // normals of the faces that use this vertex
    float planeDistances[5] = {};         // signed distances to the view frustum planes
};

// One triangle of a world object; its corners are vertices of the same object.
struct ObjectFace {
    ObjectVertex* corners[3] = {};
    Vector3 normal{};
    float depthKey = 0;
    int32_t tag = 0;
    int32_t modeBits = 0;
    int32_t faceColour = 0xFFFFFF;
    int32_t texture0 = 0;
    int32_t texture1 = 0;
    int32_t edgeFlags = 0xFFFFFF;
};

// The world's camera: looks from `eye` at `target`, rolled by `roll` radians; fov in degrees.
struct WorldCamera {
    Vector3 eye{0, 0, 0};
    Vector3 target{0, 0, 1};
    Vector3 direction{0, 0, -1};  // eye - target, written by rendering
    float fov = 60;
    float distance = 1;
    float roll = 0;
    Matrix34 viewMatrix = kIdentityMatrix;
};
