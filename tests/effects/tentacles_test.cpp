// Tests of the tentacle field: layout, simulation step, constraints, tube rings and frame drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include <new>

#include "effects/tentacles.h"
#include "render/image.h"
#include "scene/worldclip.h"
#include "support/gl_harness.h"
#include "support/recording_renderer.h"
#include "support/scene_script.h"

namespace {

float distance(const Vector3& a, const Vector3& b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                     (a.z - b.z) * (a.z - b.z));
}

class TentacleTest : public ::testing::Test {
  protected:
    RecordingRenderer recorder;

    void SetUp() override {
        gRenderer = &recorder;
        lastTime = -1.0f;
        attractorCount = 0;
        closingFade = 1.0f;
    }
};

// A straight chain from (0, 0, 0) to `end`, at rest: zero velocities.
std::unique_ptr<Tentacle> restingChain(Vector3 end) {
    auto t = std::make_unique<Tentacle>();
    t->init(10, {0, 0, 0}, end, 8, 6);
    for (int i = 0; i < t->pointCount; ++i) t->points[i].velocity = {0, 0, 0};
    return t;
}

TEST_F(TentacleTest, FieldLayoutAfterInit) {
    auto field = std::make_unique<TentacleField>();
    ASSERT_EQ(field->init(), "");
    ASSERT_EQ(field->tentacleCount, 16);
    EXPECT_EQ(field->world.objectCount, 16);
    EXPECT_EQ(attractorCount, 2);
    EXPECT_NEAR(worldProjection, 173.205, 1e-3);
    ASSERT_NE(field->camera, nullptr);
    EXPECT_EQ(field->world.camera, field->camera);
    EXPECT_FLOAT_EQ(field->lights[0]->scaledColour.r, 380);

    const Tentacle& first = *field->tentacles[0];
    const Tentacle& last = *field->tentacles[15];
    EXPECT_FLOAT_EQ(first.points[0].pos.x, -210);
    EXPECT_FLOAT_EQ(first.points[0].pos.y, -210);
    EXPECT_FLOAT_EQ(field->tentacles[1]->points[0].pos.x, -70);  // x runs fastest
    EXPECT_FLOAT_EQ(field->tentacles[1]->points[0].pos.y, -210);
    EXPECT_FLOAT_EQ(last.points[9].pos.x, 210);
    EXPECT_FLOAT_EQ(last.points[9].pos.y, 210);

    for (int t = 0; t < 16; ++t) {
        const Tentacle& tn = *field->tentacles[t];
        EXPECT_EQ(tn.vertexCount, 60);
        EXPECT_EQ(tn.faceCount, 108);
        EXPECT_FLOAT_EQ(tn.length, 120);
        EXPECT_EQ(tn.mesh->modeBits, 6);
        EXPECT_EQ(tn.mesh->texture, 0x6666FF);
        EXPECT_EQ(tn.mesh->flags, 1 | 2 | 8);
        for (int i = 0; i < 10; ++i) {
            const TentaclePoint& p = tn.points[i];
            EXPECT_NEAR(p.pos.z, 120.0f * i / 9, 1e-4);
            EXPECT_NEAR(p.radius, 16.0f * (1 - i / 9.0f), 1e-5);
            EXPECT_FLOAT_EQ(p.anchor.z, p.pos.z);
            EXPECT_EQ(p.velocity.x, 0);
            EXPECT_EQ(p.velocity.z, 0);
            // Velocity y is one of -5.00, -4.99, ... 4.99.
            EXPECT_GE(p.velocity.y, -5);
            EXPECT_LE(p.velocity.y, 4.99f + 1e-5f);
            const float hundredths = (p.velocity.y + 5) * 100;
            EXPECT_NEAR(hundredths, std::round(hundredths), 1e-3);
        }
    }

    // The same set-up twice gives the same chains.
    auto again = std::make_unique<TentacleField>();
    again->init();
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(again->tentacles[7]->points[i].velocity.y,
                  field->tentacles[7]->points[i].velocity.y);
}

TEST_F(TentacleTest, TubeFacesAndTextureCoordinates) {
    auto t = restingChain({0, 0, 120});
    const ObjectVertex* v = t->mesh->vertices;
    auto V = [&](int r, int k) { return &v[r * 6 + k]; };
    const ObjectFace* f = t->mesh->faces;
    // Ring pair (0, 1), side 5 wraps to side 0.
    EXPECT_EQ(f[10].corners[0], V(0, 0));
    EXPECT_EQ(f[10].corners[1], V(1, 5));
    EXPECT_EQ(f[10].corners[2], V(0, 5));
    EXPECT_EQ(f[11].corners[0], V(1, 0));
    EXPECT_EQ(f[11].corners[1], V(1, 5));
    EXPECT_EQ(f[11].corners[2], V(0, 0));
    // Last ring pair.
    EXPECT_EQ(f[2 * (2 + 6 * 8)].corners[1], V(9, 2));
    EXPECT_FLOAT_EQ(V(9, 5)->texCoords[0], 1);
    EXPECT_FLOAT_EQ(V(9, 5)->texCoords[1], 1);
    EXPECT_FLOAT_EQ(V(3, 2)->texCoords[0], 3.0f / 9);
    EXPECT_FLOAT_EQ(V(3, 2)->texCoords[1], 2.0f / 5);
    // Inner vertices are shared by six faces, the tip ring by three.
    EXPECT_EQ(V(4, 1)->adjacentCount, 6);
    EXPECT_EQ(V(9, 1)->adjacentCount, 3);
}

TEST_F(TentacleTest, StepWithZeroDtMovesByVelocityOnly) {
    auto t = restingChain({0, 0, 120});
    attractorCount = 1;
    attractors[0] = {0, 0, 60, 5, 1000};  // a pull that a zero dt must ignore
    t->step(0);
    for (int i = 0; i < 10; ++i) {
        EXPECT_FLOAT_EQ(t->points[i].pos.x, 0);
        EXPECT_FLOAT_EQ(t->points[i].pos.y, 0);
        EXPECT_NEAR(t->points[i].pos.z, 120.0f * i / 9, 1e-4);
    }

    // A small common drift: every point but the root moves by exactly its velocity.
    for (int i = 0; i < 10; ++i) t->points[i].velocity = {0, 0.005f, 0};
    t->step(0);
    EXPECT_EQ(t->points[0].pos.y, 0);
    EXPECT_EQ(t->points[0].velocity.y, 0);
    for (int i = 1; i < 10; ++i) {
        EXPECT_FLOAT_EQ(t->points[i].pos.y, 0.005f);
        EXPECT_FLOAT_EQ(t->points[i].velocity.y, 0.005f);
        EXPECT_EQ(t->points[i].force.x, 0);
        EXPECT_EQ(t->points[i].force.z, 0);
    }
}

TEST_F(TentacleTest, ForcesPullTowardsAttractorsAndAnchors) {
    auto t = restingChain({0, 0, 120});
    attractorCount = 1;
    attractors[0] = {100, 0, 120, 5, 1000};
    t->step(1);
    // The tip leans towards the attractor; the root stays.
    EXPECT_GT(t->points[9].pos.x, 0);
    EXPECT_EQ(t->points[0].pos.x, 0);

    // Out of the attractor's reach only the anchor pull (forceScale 0.5 x anchorPull 2) acts.
    auto u = restingChain({0, 0, 120});
    attractors[0] = {5000, 0, 0, 5, 1000};
    u->points[9].pos.x = 1;  // link stays within its limit
    u->points[9].pos.z -= 0.05f;
    u->step(0.5f);
    EXPECT_NEAR(u->points[9].velocity.x, -0.5f, 1e-3);
}

TEST_F(TentacleTest, ConstraintsRestoreStretchedLinksAndKeepTheRoot) {
    // The tip pulled 5 along the chain: the tip-down pass drags every point up, the root-up pass
    // then pulls them all back, so the chain ends where it started.
    auto t = restingChain({0, 0, 90});
    t->points[9].pos.z = 95;
    t->step(0);
    for (int i = 0; i < 10; ++i) EXPECT_NEAR(t->points[i].pos.z, 10.0f * i, 1e-4) << "point " << i;
    EXPECT_EQ(t->points[0].pos.z, 0);

    // Sideways pulls anywhere: the root stays, no link is left longer than segment + 0.01 and
    // the link at the root, reached last, is exactly one segment.
    auto u = restingChain({0, 0, 90});
    u->points[5].pos.x += 30;
    u->points[1].pos.y -= 25;
    u->step(0);
    EXPECT_EQ(u->points[0].pos.x, 0);
    EXPECT_EQ(u->points[0].pos.y, 0);
    EXPECT_EQ(u->points[0].pos.z, 0);
    for (int j = 0; j + 1 < 10; ++j)
        EXPECT_LE(distance(u->points[j].pos, u->points[j + 1].pos), 10.01f) << "link " << j;
    EXPECT_NEAR(distance(u->points[0].pos, u->points[1].pos), 10, 1e-4);

    // A link within segment + 0.01 is left as it is.
    auto w = restingChain({0, 0, 90});
    w->points[9].pos.z += 0.005f;
    w->step(0);
    EXPECT_FLOAT_EQ(w->points[9].pos.z, 90.005f);
}

TEST_F(TentacleTest, RingsAroundTheChain) {
    // Vertical chain: the ring lies in the x-y plane, turned half a turn about y.
    auto t = restingChain({0, 0, 90});
    t->rebuildTube();
    const ObjectVertex* v = t->mesh->vertices;
    const float r = t->points[3].radius;
    EXPECT_NEAR(v[3 * 6 + 0].position.x, -r, 1e-4);
    EXPECT_NEAR(v[3 * 6 + 0].position.y, 0, 1e-4);
    EXPECT_NEAR(v[3 * 6 + 1].position.x, -r * 0.5f, 1e-4);
    EXPECT_NEAR(v[3 * 6 + 1].position.y, r * std::sqrt(3.0f) / 2, 1e-4);
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(v[3 * 6 + k].position.z, 30, 1e-4);
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(v[9 * 6 + k].position.z, 90, 1e-4);  // tip: radius 0

    // Any straight chain: each ring is a circle of its point's radius, square to the chain.
    const Vector3 ends[] = {{30, 40, 50}, {-60, 10, -20}, {0, 90, 0},
                            {0, -90, 0},  {60, 20, 0},    {5, -3, 80}};
    for (const Vector3& end : ends) {
        auto c = restingChain(end);
        c->rebuildTube();
        const float len = distance(end, {0, 0, 0});
        const Vector3 d{end.x / len, end.y / len, end.z / len};
        for (int i = 0; i < 9; ++i) {
            const Vector3& p = c->points[i].pos;
            for (int k = 0; k < 6; ++k) {
                const Vector3& q = c->mesh->vertices[i * 6 + k].position;
                const Vector3 off{q.x - p.x, q.y - p.y, q.z - p.z};
                EXPECT_NEAR(distance(q, p), c->points[i].radius, 1e-3);
                EXPECT_NEAR(off.x * d.x + off.y * d.y + off.z * d.z, 0, 1e-3)
                    << "end " << end.x << "," << end.y << "," << end.z << " ring " << i;
            }
        }
    }
}

TEST_F(TentacleTest, TubeShowsTheSideFacingTheCamera) {
    // The tube's winding and the world's culling must agree: seen from -y, the faces that are
    // drawn lie on the -y half of the tube (edge-on faces at y near 0 may go either way).
    auto t = restingChain({0, 0, 120});
    t->rebuildTube();
    World world;
    WorldCamera camera;
    camera.eye = {0, -300, 60};
    camera.target = {0, 0, 60};
    world.setCamera(&camera);
    world.addObject(t->mesh);
    worldProjection = 173.20508f;
    world.render();
    EXPECT_GT(world.drawCount, 40);
    EXPECT_LT(world.drawCount, 70);
    for (int i = 0; i < world.drawCount; ++i) {
        const ObjectFace& f = *world.drawList[i];
        const float y =
            (f.corners[0]->position.y + f.corners[1]->position.y + f.corners[2]->position.y) / 3;
        EXPECT_LT(y, 1.0f) << "face " << (&f - t->mesh->faces);
    }
}

TEST_F(TentacleTest, RenderStartsWithZeroStepAndDrawsInsideTheScreen) {
    auto field = std::make_unique<TentacleField>();
    field->init();
    field->setScreen(800, 600, 32);
    // At rest, a first frame with any nonzero dt would let the attractors move the chains.
    for (int t = 0; t < field->tentacleCount; ++t)
        for (int i = 0; i < 10; ++i) field->tentacles[t]->points[i].velocity = {0, 0, 0};
    closingFade = 0.5f;
    field->render(0, 5.0f);
    EXPECT_FLOAT_EQ(lastTime, 400);
    for (int t = 0; t < field->tentacleCount; ++t)
        for (int i = 0; i < 10; ++i) {
            const TentaclePoint& p = field->tentacles[t]->points[i];
            EXPECT_EQ(p.pos.x, p.anchor.x);
            EXPECT_EQ(p.pos.y, p.anchor.y);
            EXPECT_EQ(p.pos.z, p.anchor.z);
        }
    EXPECT_EQ(field->world.screenWidth, 800);

    auto tris = recorder.named("drawTriangleDual");
    EXPECT_GT(tris.size(), 100u);
    for (const auto& c : tris)
        for (const auto& v : c.verts) {
            EXPECT_GT(v.z, 0);
            EXPECT_LE(std::fabs(v.sx), 1.0f);
            EXPECT_LE(std::fabs(v.sy), 1.0f);
            EXPECT_EQ(v.r, 0.5f);
        }

    field->render(0, 5.1f);
    EXPECT_FLOAT_EQ(lastTime, 408);
    EXPECT_NE(field->tentacles[0]->points[9].pos.x, field->tentacles[0]->points[9].anchor.x);
}

// A 64 x 64 opaque texture (alpha stored inverted, 0 = opaque) from a colour function.
template <class F>
int makeTexture(F colour) {
    Image image(64, 64, &pixelFormat8888, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            uint8_t* p = image.pixels() + 4 * (y * 64 + x);
            colour(x / 63.0f, y / 63.0f, p);
            p[3] = 0;
        }
    return gRenderer->createTexture(&image, 1);
}

TEST_F(TentacleTest, FieldDrawsThroughOpenGL) {
    constexpr int kW = 400, kH = 300;
    std::string error;
    if (!openTestDisplay(kW, kH, &error)) GTEST_SKIP() << "no GL display: " << error;
    // Stripes along the tube on unit 0, a soft highlight as environment map on unit 1.
    const int skin = makeTexture([](float u, float v, uint8_t* p) {
        const bool band = int(u * 8) % 2 == 0;
        p[0] = band ? 150 : 90, p[1] = band ? 110 : 60, p[2] = uint8_t(200 + 55 * v);
    });
    const int env = makeTexture([](float u, float v, uint8_t* p) {
        const float d = std::sqrt((u - 0.4f) * (u - 0.4f) + (v - 0.4f) * (v - 0.4f));
        const uint8_t level = uint8_t(255 * std::fmax(0.35f, 1 - d));
        p[0] = p[1] = p[2] = level;
    });

    auto field = std::make_unique<TentacleField>();
    field->init();
    field->setScreen(800, 600, 32);
    MeshVertex corner[4] = {};
    const float xy[4][2] = {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}};
    for (int k = 0; k < 4; ++k) {
        corner[k].sx = xy[k][0], corner[k].sy = xy[k][1];
        corner[k].r = 0.9453125f, corner[k].g = 0.7109375f, corner[k].b = 0.02734375f;
        corner[k].a = 1;
    }

    // Three seconds of show at 60 frames a second; a few frames are kept as pictures.
    const int kept[] = {1, 60, 120, 180};
    std::vector<std::vector<uint8_t>> frames;
    for (int frame = 1; frame <= 180; ++frame) {
        gRenderer->setState(GLS_TEXTURE_UNITS, GLS_UNITS01);
        gRenderer->setBlendMode(GLS_UNTEXTURED);
        gRenderer->bindTexture0(0);
        gRenderer->bindTexture1(0);
        gRenderer->drawQuad(&corner[0], &corner[1], &corner[2], &corner[3]);
        gRenderer->setState(GLS_DEPTH_TEST, GLS_ON);
        gRenderer->setBlendMode(GLS_UNIT0_BLEND_ALPHA_COLOR);
        gRenderer->setState(GLS_TEXTURE_UNITS, GLS_UNITS01);
        gRenderer->bindTexture1(env);
        gRenderer->bindTexture0(skin);
        field->render(0, frame / 60.0f * 0.03f);
        for (int k : kept)
            if (k == frame) {
                frames.push_back(readFrame(kW, kH));
                saveFramePng(std::string(SHOW_BINARY_DIR) + "/tentacles_frame_" +
                                 std::to_string(frame) + ".png",
                             kW, kH);
            }
        gRenderer->present();
        gRenderer->clear();
    }

    // The tubes cover a good part of the picture, and they sway from frame to frame.
    for (const auto& f : frames) {
        size_t covered = 0;
        for (size_t i = 0; i < f.size(); i += 4)
            if (std::abs(f[i] - 241) + std::abs(f[i + 2] - 7) > 24) ++covered;  // not gold
        EXPECT_GT(covered, size_t(kW * kH / 50));
        EXPECT_LT(covered, size_t(kW * kH * 4 / 5));
    }
    size_t changed = 0;
    for (size_t i = 0; i < frames[1].size(); ++i) changed += frames[1][i] != frames[3][i];
    EXPECT_GT(changed, size_t(kW * kH / 100));
}

TEST_F(TentacleTest, ResetReplaysTheSimulationFromItsStartWithoutAllocating) {
    NullRenderer null;
    gRenderer = &null;
    auto field = std::make_unique<TentacleField>();
    field->init();
    field->setScreen(800, 600, 32);
    auto run = [&] {
        std::vector<float> state;
        for (int f = 0; f < 30; ++f) field->render(0, f * 0.02f);
        for (int t = 0; t < field->tentacleCount; ++t)
            for (int i = 0; i < 10; ++i) {
                const TentaclePoint& p = field->tentacles[t]->points[i];
                state.insert(state.end(), {p.pos.x, p.pos.y, p.pos.z, p.velocity.y});
            }
        return state;
    };
    const std::vector<float> first = run();
    const uint64_t before = heapAllocations();
    field->reset();
    EXPECT_EQ(heapAllocations(), before);
    EXPECT_EQ(lastTime, -1.0f);
    EXPECT_EQ(run(), first);  // the same chains, velocities and steps, to the bit
}

TEST_F(TentacleTest, FramesAllocateNothing) {
    NullRenderer null;
    gRenderer = &null;
    auto field = std::make_unique<TentacleField>();
    field->init();
    field->setScreen(800, 600, 32);
    field->render(0, 0);
    const uint64_t before = heapAllocations();
    for (int i = 1; i <= 50; ++i) field->render(0, i * 0.02f);
    EXPECT_EQ(heapAllocations(), before);
}

// The asset table hands init's text to the driver, which shows it and ends the show.
TEST_F(TentacleTest, OutOfMemoryDuringInitReturnsAMessage) {
    auto field = std::make_unique<TentacleField>();
    failOneHeapAllocation(20);  // part way through the tentacles
    const std::string error = field->init();
    failOneHeapAllocation(-1);
    EXPECT_EQ(error, "tentacle field: out of memory while building the tentacles");
    EXPECT_EQ(field->tentacleCount, 0);
    EXPECT_EQ(field->world.objectCount, 0);

    EXPECT_EQ(field->init(), "");  // nothing left over stands in the way of a second build
    EXPECT_EQ(field->tentacleCount, 16);
    EXPECT_EQ(field->world.objectCount, 16);
}

}  // namespace
