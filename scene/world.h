// Retained object world: objects with their own transforms, lights and one camera, drawn in one
// call.
#pragma once
#include <cstdint>

#include "math/vecmath.h"
#include "scene/worldtypes.h"

// Object flags.
constexpr int32_t kObjectSmoothNormals = 1;
constexpr int32_t kObjectCullBackFaces = 2;
constexpr int32_t kObjectVisible = 8;

// A triangle model with its own position, rotation and scale; owns its vertex and face arrays.
class WorldObject {
  public:
    char name[20] = {};
    int32_t modeBits = 0;
    int32_t faceCount = 0, vertexCount = 0;
    ObjectFace* faces = nullptr;
    ObjectVertex* vertices = nullptr;
    int32_t tag = 0;
    int32_t faceColour = 0xFFFFFF;
    int32_t texture = 0;
    int32_t flags = kObjectCullBackFaces | kObjectVisible;
    WorldObject* next = nullptr;
    Vector3 position{0, 0, 0};
    Vector3 rotation{0, 0, 0};  // radians about x, y, z
    Vector3 scale{1, 1, 1};
    Matrix34 viewMatrix = kIdentityMatrix;
    Matrix34 localMatrix = kIdentityMatrix;
    Matrix34 inverseLocalMatrix = kIdentityMatrix;

    // Allocates the vertex and face arrays (throws std::bad_alloc when memory runs out).
    WorldObject(int vertexCount, int faceCount);
    ~WorldObject();
    WorldObject(const WorldObject&) = delete;
    WorldObject& operator=(const WorldObject&) = delete;

    // Places, turns (radians) and sizes the object in the world.
    void setPosition(float x, float y, float z) { position = {x, y, z}; }
    void setRotation(float x, float y, float z) { rotation = {x, y, z}; }
    void setScale(float x, float y, float z) { scale = {x, y, z}; }
    // Turns back-face culling / drawing of the object on or off.
    void setBackfaceCulling(bool on);
    void setVisible(bool on);
    // Sets the object's value and the same word of every face (both texture words for the texture).
    void setTexture(int32_t value);
    void setTag(int32_t value);
    void setFaceColour(int32_t value);
    // Mode setters: the value supplies the named bits, the others are kept (the value is not
    // masked).
    void setModeBits1to2(int32_t value) { applyMode(value, 0x19); }
    void setModeBits3to4(int32_t value) { applyMode(value, 0x07); }
    void setModeBit0(int32_t value) { applyMode(value, 0x1E); }
    // Face normals from the corner positions, then vertex normals as normalised sums of them.
    void computeNormals();
    // Links every vertex to the normals of the faces that use it and turns smooth normals on.
    void buildAdjacency();

  private:
    void applyMode(int32_t value, int32_t keepMask);
};

// Sets every face normal to the normalised (P1 - P0) x (P2 - P0) of its object-space corners.
void computeFaceNormals(WorldObject& object);

struct LightColour {
    float r, g, b;
};

// A light held by the world; rendering applies none of its values.
class WorldLight {
  public:
    char name[20] = {};
    Vector3 position{0, 0, 0};
    Vector3 objectSpacePosition{0, 0, 0};
    WorldLight* next = nullptr;
    LightColour colour{1, 1, 1};
    LightColour scaledColour{1, 1, 1};  // colour times intensity
    float intensity = 1;
    float attenuationNear = 0, attenuationFar = 0;
    int32_t attenuate = 0;

    // Moves the light.
    void setPosition(float x, float y, float z) { position = {x, y, z}; }
    // Sets colour or intensity; the scaled colour follows.
    void setColour(float r, float g, float b);
    void setIntensity(float i);
    // Stores the attenuation range and whether it applies.
    void setAttenuation(float nearDistance, float farDistance, bool on);
};

// Builds the camera's view matrix (and direction, distance) from eye, target and roll.
void buildWorldViewMatrix(WorldCamera& camera);

// The world: lists of objects and lights, a camera, and a fixed draw list filled each frame.
class World {
  public:
    static constexpr int kMaxDrawnFaces = 4000;

    int32_t drawCount = 0;
    ObjectFace* drawList[kMaxDrawnFaces];
    int32_t screenWidth = 0, screenHeight = 0, screenDepth = 0;
    WorldObject* objects = nullptr;
    int32_t objectCount = 0;
    WorldLight* lights = nullptr;
    WorldCamera* camera = nullptr;

    World() { clear(); }
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Forgets all objects, lights and the camera (it owns none of them).
    void clear();
    // Uses `c` as the camera from the next render on, and sets worldProjection from its fov.
    void setCamera(WorldCamera* c);
    // Puts the object / light at the head of its list.
    void addObject(WorldObject* object);
    void addLight(WorldLight* light);
    // Stores the screen size; rendering does not depend on it.
    void setScreenSize(int width, int height, int depth);
    // Transforms, projects, culls, clips and draws every visible object; nothing without a camera.
    void render();
    // The smooth normals that render leaves for the next frame's environment coordinates, for
    // visible objects whose shape changed without a render (frames played through undrawn).
    void smoothAllNormals();

  private:
    void prepareObject(WorldObject& object);
    void smoothNormals(WorldObject& object);
    void collectFaces(WorldObject& object);
};
