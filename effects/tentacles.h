// The tentacle field: sixteen simulated chains wrapped in tapering tubes, drawn through a world.
#pragma once
#include <cstdint>
#include <string>

#include "math/vecmath.h"
#include "scene/world.h"

// Base of the show's effects: a screen size, a set-up step and a per-frame draw.
class EffectBase {
  public:
    int32_t width = 0, height = 0, colourDepth = 0;

    virtual ~EffectBase() = default;
    // Builds what the effect needs; returns "" on success, else what failed.
    virtual std::string init() { return ""; }
    // Advances and draws one frame at `time`.
    virtual void render(int /*target*/, float /*time*/) {}
    // Stores the screen size the effect draws for.
    void setScreen(int w, int h, int depth) {
        width = w;
        height = h;
        colourDepth = depth;
    }
};

// One simulated point of a chain.
struct TentaclePoint {
    Vector3 pos;
    Vector3 prevPos;
    Vector3 velocity;  // displacement per step
    Vector3 force;     // accumulated during a step, zero between steps
    Vector3 anchor;    // rest position
    float anchorPull;
    float forceScale;
    float radius;  // tube radius here
};
static_assert(sizeof(TentaclePoint) == 18 * sizeof(float), "a chain point is eighteen floats");

// A point that pulls the chains towards itself within `radius`.
struct Attractor {
    float x, y, z, strength, radius;
};

constexpr int kMaxAttractors = 100;
// The attractor table; the first `attractorCount` entries act on the chains.
extern Attractor attractors[kMaxAttractors];
extern int attractorCount;

// Animation time of the last rendered frame; -1 until the first frame.
extern float lastTime;

// One chain of points and the tube mesh wrapped around it.
class Tentacle {
  public:
    int32_t pointCount = 0, sides = 0, thickness = 0;
    TentaclePoint* points = nullptr;
    int32_t faceCount = 0, vertexCount = 0;
    float length = 0;  // first to last point at creation
    WorldObject* mesh = nullptr;

    Tentacle() = default;
    ~Tentacle();
    Tentacle(const Tentacle&) = delete;
    Tentacle& operator=(const Tentacle&) = delete;

    // Builds a straight chain of n >= 2 points from start to end and its tube of sides >= 2.
    // Throws std::bad_alloc when memory runs out.
    void init(int n, const Vector3& start, const Vector3& end, int thickness, int sides);
    // One simulation step: forces, integration, then the length constraints; the root stays put.
    void step(float dt);
    // Rewrites the tube's vertex positions as rings around the chain.
    void rebuildTube();
};

// The closing effect: a 4 x 4 field of tentacles under a drifting, rolling camera.
class TentacleField : public EffectBase {
  public:
    static constexpr int kMaxTentacles = 100;

    World world;
    WorldLight* lights[3] = {};
    WorldCamera* camera = nullptr;
    Tentacle** tentacles = nullptr;
    int32_t tentacleCount = 0;
    bool shapeStale = false;  // advanced since the tubes were last built and rendered

    TentacleField() { world.clear(); }
    ~TentacleField() override;
    TentacleField(const TentacleField&) = delete;
    TentacleField& operator=(const TentacleField&) = delete;

    // Builds the tentacles, lights and camera; returns "" on success. Out of memory releases
    // what was built and returns a text saying so.
    std::string init() override;
    // Puts an initialised field back as init left it: every chain at rest with the same random
    // start velocities, and the next render stepping with dt = 0. Allocates nothing.
    void reset();
    // Moves camera and attractors to `time`, steps and rebuilds every tentacle, draws the world.
    void render(int target, float time) override;
    // Only what the next frames carry: the attractors moved to `time` and every chain stepped,
    // no tube rebuilt and nothing drawn (frames played through on the way to a start position).
    void advance(float time);

  private:
    // Empties the world and frees the tentacles, lights and camera.
    void release();
};
