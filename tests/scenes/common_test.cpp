// Tests of the shared scene helpers: screen rectangles, depth lists, ray fans, frame allocations.
#include <gtest/gtest.h>

#include <cmath>

#include "app/assets.h"
#include "scenes/common.h"
#include "support/scene_script.h"

namespace {

// Draws one rectangle through a fresh recorder and returns the quads it drew.
std::vector<RecordedCall> rect(float x0, float y0, float x1, float y1, float u0 = 0.0f,
                               float v0 = 0.0f, float u1 = 1.0f, float v1 = 1.0f) {
    SceneScript script;
    MeshVertex quad[4];
    drawScreenRect(quad, x0, y0, x1, y1, u0, v0, u1, v1, 0.5f);
    return script.recorder.named("drawQuad");
}

}  // namespace

TEST(DrawScreenRect, RectanglesWhollyOffScreenDrawNothing) {
    EXPECT_TRUE(rect(1.01f, 0.5f, 1.5f, 0.0f).empty());     // right
    EXPECT_TRUE(rect(-1.5f, 0.5f, -1.01f, 0.0f).empty());   // left
    EXPECT_TRUE(rect(-0.5f, 1.5f, 0.5f, 1.01f).empty());    // above
    EXPECT_TRUE(rect(-0.5f, -1.01f, 0.5f, -1.5f).empty());  // below
}

TEST(DrawScreenRect, InsideRectangleKeepsCornersTextureAndColour) {
    auto quads = rect(-0.9f, -0.12f, -0.7f, -0.22f, 0.1f, 0.2f, 0.3f, 0.4f);
    ASSERT_EQ(quads.size(), 1u);
    const auto& v = quads[0].verts;
    const float sx[4] = {-0.9f, -0.7f, -0.7f, -0.9f}, sy[4] = {-0.12f, -0.12f, -0.22f, -0.22f};
    const float u[4] = {0.1f, 0.3f, 0.3f, 0.1f}, t[4] = {0.2f, 0.2f, 0.4f, 0.4f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(v[i].sx, sx[i]) << i;
        EXPECT_FLOAT_EQ(v[i].sy, sy[i]) << i;
        EXPECT_FLOAT_EQ(v[i].u0, u[i]) << i;
        EXPECT_FLOAT_EQ(v[i].v0, t[i]) << i;
        EXPECT_EQ(v[i].u1, v[i].u0);
        EXPECT_EQ(v[i].v1, v[i].v0);
        EXPECT_EQ(v[i].r, 0.5f);
        EXPECT_EQ(v[i].b, 0.5f);
        EXPECT_EQ(v[i].a, 1.0f);
    }
}

TEST(DrawScreenRect, CrossingRectanglesAreCutWithTheirTexture) {
    // Crossing the left edge: only -1 .. -0.9 remains, the texture starting at 0.8.
    auto left = rect(-1.4f, 0.9f, -0.9f, 0.4f);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_FLOAT_EQ(left[0].verts[0].sx, -1.0f);
    EXPECT_FLOAT_EQ(left[0].verts[1].sx, -0.9f);
    EXPECT_NEAR(left[0].verts[0].u0, 0.8f, 1e-6);
    EXPECT_FLOAT_EQ(left[0].verts[1].u0, 1.0f);

    // Crossing the right edge: u1 falls with the cut.
    auto right = rect(0.8f, 0.5f, 1.3f, 0.0f);
    ASSERT_EQ(right.size(), 1u);
    EXPECT_FLOAT_EQ(right[0].verts[1].sx, 1.0f);
    EXPECT_NEAR(right[0].verts[1].u0, 0.4f, 1e-6);
    EXPECT_FLOAT_EQ(right[0].verts[0].u0, 0.0f);

    // Crossing both side edges at once.
    auto wide = rect(-2.0f, 0.5f, 2.0f, 0.0f);
    ASSERT_EQ(wide.size(), 1u);
    EXPECT_NEAR(wide[0].verts[0].u0, 0.25f, 1e-6);
    EXPECT_NEAR(wide[0].verts[1].u0, 0.75f, 1e-6);
}

TEST(DrawScreenRect, TopFirstRectanglesCrossingTopOrBottomAreCutNotLost) {
    // Callers give the top edge first; a picture reaching past the top is still drawn, cut at 1.
    auto top = rect(-0.5f, 1.2f, 0.0f, 0.7f);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_FLOAT_EQ(top[0].verts[0].sy, 1.0f);
    EXPECT_NEAR(top[0].verts[0].v0, 0.4f, 1e-6);
    EXPECT_FLOAT_EQ(top[0].verts[2].sy, 0.7f);
    EXPECT_FLOAT_EQ(top[0].verts[2].v0, 1.0f);

    auto bottom = rect(-0.5f, -0.7f, 0.0f, -1.2f);
    ASSERT_EQ(bottom.size(), 1u);
    EXPECT_FLOAT_EQ(bottom[0].verts[3].sy, -1.0f);
    EXPECT_NEAR(bottom[0].verts[3].v0, 0.6f, 1e-6);
}

TEST(DepthList, IsSizedFromTheMeshWithTheByteSizeAsFloor) {
    Mesh small, large;
    small.makeTube(10.0f, 10.0f, 2, 3);    // 6 faces
    large.makeTube(80.0f, 20.0f, 30, 40);  // 2320 faces
    DepthList list;
    ASSERT_TRUE(list.prepare(small, 1000));
    EXPECT_EQ(list.count(), 6);
    EXPECT_GE(list.capacity() * sizeof(DepthEntry), 1000u);

    // A mesh larger than the floor gets every face, in file order.
    ASSERT_TRUE(list.prepare(large, 80));
    ASSERT_EQ(list.count(), 2320);
    EXPECT_GE(list.capacity(), 2320);
    for (int i = 0; i < list.count(); ++i)
        ASSERT_EQ(list.entries()[i].face, &large.faces.faces[i]) << i;

    // Preparing again for a mesh that fits reuses the storage without allocating.
    const DepthEntry* storage = list.entries();
    const uint64_t before = heapAllocations();
    ASSERT_TRUE(list.prepare(small, 1000));
    EXPECT_EQ(heapAllocations(), before);
    EXPECT_EQ(list.entries(), storage);
    EXPECT_EQ(list.count(), 6);
}

TEST(DepthList, SortsFarthestFirstFromFileOrderEveryTime) {
    Mesh mesh;
    makeTestMesh(mesh, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 2, 0}},
                 {{0, 1, 2}, {1, 3, 2}, {2, 3, 4}});
    const float z[5] = {1, 2, 3, 10, 20};
    for (int i = 0; i < 5; ++i) mesh.vertices.verts[i].z = z[i];
    DepthList list;
    ASSERT_TRUE(list.prepare(mesh, 0));
    list.sortByDepth(mesh);
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.entries()[0].face, &mesh.faces.faces[2]);  // 3 + 10 + 20
    EXPECT_EQ(list.entries()[1].face, &mesh.faces.faces[1]);  // 2 + 10 + 3
    EXPECT_EQ(list.entries()[2].face, &mesh.faces.faces[0]);  // 1 + 2 + 3
    EXPECT_FLOAT_EQ(list.entries()[0].depth, 33.0f);

    // The next frame starts again from file order, so a reversed depth order is found too.
    for (int i = 0; i < 5; ++i) mesh.vertices.verts[i].z = 30.0f - z[i];
    list.sortByDepth(mesh);
    EXPECT_EQ(list.entries()[0].face, &mesh.faces.faces[0]);
    EXPECT_EQ(list.entries()[2].face, &mesh.faces.faces[2]);
}

TEST(RayFan, RaysTurnWithThePhaseAndLeaveGaps) {
    SceneScript script;
    drawRayFan(12, 0.26179166666666664, 0.5f, 0.1f, 0.2f, 0.3f);
    drawSixRayFan(0.0f);
    auto tris = script.recorder.named("drawTriangle");
    ASSERT_EQ(tris.size(), 18u);
    // Triangle k spans ray vertices 2k + 2 and 2k + 3 around the centre.
    for (int k = 0; k < 12; ++k) {
        const auto& v = tris[k].verts;
        EXPECT_EQ(v[0].sx, 0.0f);
        EXPECT_EQ(v[0].sy, 0.0f);
        EXPECT_EQ(v[0].u0, 0.0f);
        const double a = (2 * k + 2) * 0.26179166666666664 + 0.5;
        EXPECT_NEAR(v[1].sx, 2 * std::sin(a), 1e-5);
        EXPECT_NEAR(v[1].sy, 2 * std::cos(a), 1e-5);
        EXPECT_NEAR(v[2].sx, 2 * std::sin(a + 0.26179166666666664), 1e-5);
        EXPECT_NEAR(v[1].u0, (2 * k + 2) * 0.05, 1e-6);
        for (const MeshVertex& m : v) {
            EXPECT_EQ(m.z, -1.0f);
            EXPECT_EQ(m.g, 0.2f);
        }
    }
    // The orange six-ray fan: a ray is 30 degrees wide, 60 degrees apart.
    const auto& six = tris[12].verts;
    EXPECT_NEAR(six[1].sx, 2 * std::sin(2 * 0.5235833333333333), 1e-5);
    EXPECT_EQ(six[0].r, 0.84765625f);
    EXPECT_EQ(six[0].g, 0.640625f);
    EXPECT_EQ(six[0].b, 0.078125f);
    EXPECT_NEAR(tris[13].verts[1].sx, 2 * std::sin(4 * 0.5235833333333333), 1e-5);
}

// Frames after the first allocate nothing, whatever the music does.
TEST(SceneFrames, AllocateNothingOnceRunning) {
    installTestAssets();
    for (SceneFunction scene : {runTitleScene, runBlobScene, runWaveScene}) {
        SceneScript script(false);
        uint64_t atSecondFrame = 0, atLastFrame = 0;
        const int orders[3] = {1, 6, 13};  // words, sliding picture, columns and flashes
        const int order = orders[scene == runTitleScene ? 0 : scene == runBlobScene ? 1 : 2];
        script.setMusic(order, 0);
        script.onFrame = [&](int frame) {
            script.setClock(20 * (frame + 1));
            script.setMusic(order, (frame * 3) % 128);
            if (frame == 1) atSecondFrame = heapAllocations();
            if (frame == 60) {
                atLastFrame = heapAllocations();
                script.setMusic(40, 0);
            }
        };
        EXPECT_EQ(script.run(scene), 0);
        EXPECT_EQ(script.frames(), 61);
        EXPECT_EQ(atLastFrame, atSecondFrame) << "scene for order " << order;
    }
}
