// The tentacle field: chain simulation, tube rebuilding and the animated camera and attractors.
#include "effects/tentacles.h"

#include <cmath>
#include <cstdlib>
#include <new>

#include "math/random.h"

Attractor attractors[kMaxAttractors];
int attractorCount = 0;
float lastTime = -1.0f;

namespace {

constexpr double kPi = 3.141592653589793;

// The field's random source, reseeded by every field set-up so captures repeat exactly.
constexpr uint32_t kRandomSeed = 0x2545F491u;
XorShift32 fieldRandom{kRandomSeed};

Vector3 sub(const Vector3& a, const Vector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

float magnitude(const Vector3& v) {
    return float(std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z));
}

// Moves `q` onto the sphere of radius `segment` around `p` when the link p-q is longer than
// `limit`.
void constrainLink(const Vector3& p, Vector3& q, float segment, float limit) {
    const Vector3 d = sub(q, p);
    const float len = magnitude(d);
    if (len <= limit) return;
    const float k = segment / len;
    q = {p.x + d.x * k, p.y + d.y * k, p.z + d.z * k};
}

}  // namespace

Tentacle::~Tentacle() {
    delete[] points;
    delete mesh;
}

void Tentacle::init(int n, const Vector3& start, const Vector3& end, int thick, int sideCount) {
    delete[] points;
    delete mesh;
    points = nullptr;
    mesh = nullptr;
    pointCount = n;
    sides = sideCount;
    thickness = thick;
    points = new TentaclePoint[n];
    const Vector3 span = sub(end, start);
    length = magnitude(span);
    const float inv = 1.0f / float(n - 1);
    const Vector3 s{span.x * inv, span.y * inv, span.z * inv};
    for (int i = 0; i < n; ++i) {
        TentaclePoint& p = points[i];
        p.pos = {start.x + i * s.x, start.y + i * s.y, start.z + i * s.z};
        p.prevPos = p.anchor = p.pos;
        p.force = {0, 0, 0};
        p.velocity = {0, float(fieldRandom.next() % 1000) * 0.01f - 5, 0};
        p.anchorPull = 2.0f;
        p.forceScale = 0.5f;
        p.radius = 2.0f * thickness * (1.0f - float(i) * inv);
    }

    vertexCount = sides * n;
    faceCount = 2 * sides * (n - 1);
    mesh = new WorldObject(vertexCount, faceCount);
    mesh->setModeBits3to4(0);
    mesh->setModeBits1to2(4);
    mesh->setModeBit0(0);
    mesh->setModeBits1to2(6);
    mesh->setBackfaceCulling(true);
    mesh->setTexture(6711039);

    auto V = [&](int r, int k) { return &mesh->vertices[r * sides + k]; };
    for (int r = 1; r < n; ++r) {
        const int q = r - 1;
        for (int k = 0; k < sides; ++k) {
            const int k1 = (k + 1) % sides;
            ObjectFace* f = &mesh->faces[2 * (k + sides * q)];
            f[0].corners[0] = V(q, k1), f[0].corners[1] = V(r, k), f[0].corners[2] = V(q, k);
            f[1].corners[0] = V(r, k1), f[1].corners[1] = V(r, k), f[1].corners[2] = V(q, k1);
        }
    }
    for (int r = 0; r < n; ++r)
        for (int k = 0; k < sides; ++k) {
            V(r, k)->texCoords[0] = float(r) * inv;
            V(r, k)->texCoords[1] = float(k) / float(sides - 1);
        }
    mesh->buildAdjacency();
}

void Tentacle::step(float dt) {
    const int n = pointCount;
    const float segment = length / float(n - 1);
    const float limit = segment + 0.01f;

    for (int i = 1; i < n; ++i) {
        TentaclePoint& p = points[i];
        p.prevPos = p.pos;
        for (int a = 0; a < attractorCount; ++a) {
            const Attractor& at = attractors[a];
            Vector3 d = sub({at.x, at.y, at.z}, p.pos);
            const float dist = magnitude(d);
            vectorNormalize(d);
            const float e = dist < 0.01f ? 0.01f : dist;
            if (e < at.radius) {
                const float k = (1.0f - e / at.radius) * p.forceScale * at.strength;
                p.force = {p.force.x + k * d.x, p.force.y + k * d.y, p.force.z + k * d.z};
            }
        }
        Vector3 home = sub(p.anchor, p.pos);
        vectorNormalize(home);
        const float k = p.forceScale * p.anchorPull;
        p.force = {p.force.x + k * home.x, p.force.y + k * home.y, p.force.z + k * home.z};

        p.velocity = {p.velocity.x + p.force.x * dt, p.velocity.y + p.force.y * dt,
                      p.velocity.z + p.force.z * dt};
        p.pos = {p.pos.x + p.velocity.x, p.pos.y + p.velocity.y, p.pos.z + p.velocity.z};
    }

    // Tip-down pass first, then root-up, so the root (point 0) is never moved.
    for (int j = n - 1; j >= 2; --j)
        constrainLink(points[j].pos, points[j - 1].pos, segment, limit);
    for (int j = 0; j <= n - 2; ++j)
        constrainLink(points[j].pos, points[j + 1].pos, segment, limit);

    for (int i = 0; i < n; ++i) {
        TentaclePoint& p = points[i];
        p.velocity = sub(p.pos, p.prevPos);
        p.force = {0, 0, 0};
    }
}

void Tentacle::rebuildTube() {
    const int n = pointCount;
    for (int i = 0; i < n; ++i) {
        const int lo = i == 0 ? 0 : i - 1;
        const int hi = i == n - 1 ? n - 1 : i + 1;
        Vector3 d = sub(points[hi].pos, points[lo].pos);
        vectorNormalize(d);

        float c = d.z != 0 ? std::atan(d.x / d.z) : float(kPi / 2);
        if (d.z >= 0) c += float(kPi);
        // Rounding can push |d.y| a hair past 1, where acos has no value.
        const double dy = d.y > 1.0f ? 1.0 : d.y < -1.0f ? -1.0 : double(d.y);
        Matrix34 m = kIdentityMatrix;
        matrixRotateLocalY(float(c - 2 * kPi), m);
        matrixRotateLocalX(float(kPi / 2 - std::acos(dy)), m);

        const float radius = points[i].radius;
        for (int k = 0; k < sides; ++k) {
            const double theta = 2 * kPi * k / sides;
            const Vector3 ring{float(std::cos(theta) * radius), float(std::sin(theta) * radius), 0};
            Vector3 out;
            matrixTransformPoint(m, ring, out);
            const Vector3& at = points[i].pos;
            mesh->vertices[i * sides + k].position = {out.x + at.x, out.y + at.y, out.z + at.z};
        }
    }
}

TentacleField::~TentacleField() {
    release();
}

void TentacleField::release() {
    world.clear();
    for (int i = 0; i < tentacleCount; ++i) delete tentacles[i];
    std::free(tentacles);
    tentacles = nullptr;
    tentacleCount = 0;
    for (WorldLight*& l : lights) {
        delete l;
        l = nullptr;
    }
    delete camera;
    camera = nullptr;
}

std::string TentacleField::init() {
    try {
        tentacles = static_cast<Tentacle**>(std::malloc(kMaxTentacles * sizeof(Tentacle*)));
        if (!tentacles) throw std::bad_alloc();
        tentacleCount = 0;
        fieldRandom = {kRandomSeed};
        const float grid[4] = {-210, -70, 70, 210};
        for (float y : grid)
            for (float x : grid) {
                Tentacle* t = new Tentacle;
                tentacles[tentacleCount++] = t;
                t->init(10, {x, y, 0}, {x, y, 120}, 8, 6);
                world.addObject(t->mesh);
            }

        const float setup[3][7] = {{-2000, 0, 0, 3.8f, 3.8f, 0.8f, 100},
                                   {2000, 2000, 0, 2.8f, 2.8f, 1.8f, 100},
                                   {-3000, 2000, 0, 4.8f, 4.8f, 4.8f, 1}};
        for (int i = 0; i < 3; ++i) {
            const float* s = setup[i];
            lights[i] = new WorldLight;
            lights[i]->setPosition(s[0], s[1], s[2]);
            lights[i]->setColour(s[3], s[4], s[5]);
            lights[i]->setIntensity(s[6]);
            world.addLight(lights[i]);
        }

        camera = new WorldCamera;
        camera->eye = {0, 0, -100};
        camera->target = {0, 0, 0};
        camera->fov = 60;
        camera->roll = 0;
        world.setCamera(camera);
    } catch (const std::bad_alloc&) {
        // What was built goes back first, so that the message has memory to be written in.
        release();
        return "tentacle field: out of memory while building the tentacles";
    }
    attractorCount = 2;
    return "";
}

void TentacleField::reset() {
    fieldRandom = {kRandomSeed};
    for (int i = 0; i < tentacleCount; ++i) {
        Tentacle& t = *tentacles[i];
        for (int k = 0; k < t.pointCount; ++k) {
            TentaclePoint& p = t.points[k];
            p.pos = p.prevPos = p.anchor;
            p.force = {0, 0, 0};
            p.velocity = {0, float(fieldRandom.next() % 1000) * 0.01f - 5, 0};
        }
    }
    lastTime = -1.0f;
    shapeStale = false;
}

void TentacleField::advance(float time) {
    const float g = 200 * time;
    const float h = float(0.4 * g);
    // The first frame steps with dt = 0.
    if (lastTime == -1.0f) lastTime = h;
    attractors[0] = {float(100 * std::cos(0.72 * h)), float(100 * std::sin(0.364 * h)), 120, 5,
                     1470};
    attractors[1] = {float(50 * std::cos(1.72 * h)), float(50 * std::sin(0.104 * h)), 120, 5, 1070};
    const float dt = h - lastTime;
    for (int i = 0; i < tentacleCount; ++i) tentacles[i]->step(dt);
    lastTime = h;
    shapeStale = true;
}

void TentacleField::render(int target, float time) {
    world.setScreenSize(width, height, target);

    const float g = 200 * time;
    camera->eye = {float(200 * std::cos(0.1 * g)), float(50 * std::sin(0.14 * g) + 200),
                   float(50 * std::cos(0.34 * g) + 350)};
    camera->target = {float(50 * std::sin(0.15 * g)), float(-30 * std::sin(0.45 * g + 1.5)),
                      float(35 * std::sin(0.24 * g) - 70)};
    camera->roll = float(0.3141592653589793 * std::sin(double(15 * time)));

    if (shapeStale) {
        // The environment coordinates come from the normals of the frame before: give the
        // world those of the tubes around the chains as the last undrawn frame left them.
        for (int i = 0; i < tentacleCount; ++i) tentacles[i]->rebuildTube();
        world.smoothAllNormals();
        shapeStale = false;
    }
    advance(time);
    for (int i = 0; i < tentacleCount; ++i) tentacles[i]->rebuildTube();
    world.render();
    shapeStale = false;
}
