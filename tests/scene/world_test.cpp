// Tests of the object world: camera, culling, smooth normals, frustum clipping and the draw limit.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "scene/world.h"
#include "scene/worldclip.h"
#include "support/recording_renderer.h"

namespace {

// A world whose camera sits at the origin looking along +z, so view space equals world space.
class WorldTest : public ::testing::Test {
  protected:
    RecordingRenderer recorder;
    World world;
    WorldCamera camera;
    std::vector<std::unique_ptr<WorldObject>> objects;

    void SetUp() override {
        gRenderer = &recorder;
        closingFade = 1.0f;
        worldProjection = 173.20508f;  // the pyramid's sides fall on the screen edges
        camera.eye = {0, 0, 0};
        camera.target = {0, 0, 10};
        camera.fov = 60;
        world.setCamera(&camera);
    }

    // One unculled triangle with texture coordinates (0,0), (1,0), (0,1) at its corners.
    WorldObject& addTriangle(Vector3 a, Vector3 b, Vector3 c) {
        objects.push_back(std::make_unique<WorldObject>(3, 1));
        WorldObject& o = *objects.back();
        const Vector3 p[3] = {a, b, c};
        const float uv[3][2] = {{0, 0}, {1, 0}, {0, 1}};
        for (int k = 0; k < 3; ++k) {
            o.vertices[k].position = p[k];
            o.vertices[k].texCoords[0] = uv[k][0];
            o.vertices[k].texCoords[1] = uv[k][1];
            o.faces[0].corners[k] = &o.vertices[k];
        }
        o.setBackfaceCulling(false);
        world.addObject(&o);
        return o;
    }

    std::vector<RecordedCall> drawn() const { return recorder.named("drawTriangleDual"); }
};

// Every drawn corner must lie inside the 60-degree pyramid, in front of the eye.
void expectInsideFrustum(const MeshVertex& v) {
    EXPECT_GT(v.z, 0);
    EXPECT_LE(std::fabs(v.sx), 1.0f);
    EXPECT_LE(std::fabs(v.sy), 1.0f);
}

TEST_F(WorldTest, FaceWhollyInsideIsDrawnOnceWithItsOwnCorners) {
    addTriangle({0, 0, 10}, {2, 0, 10}, {0, 4, 20});
    closingFade = 0.25f;
    world.render();
    auto calls = drawn();
    ASSERT_EQ(calls.size(), 1u);
    const MeshVertex* v = calls[0].verts.data();
    EXPECT_FLOAT_EQ(v[0].z, 10);
    const float k = worldProjection * 0.01f;
    EXPECT_FLOAT_EQ(v[1].sx, k * 0.2f);
    EXPECT_FLOAT_EQ(v[1].sy, 0);
    EXPECT_FLOAT_EQ(v[2].sy, -k * 0.2f);  // y up in view space becomes negative sy
    EXPECT_FLOAT_EQ(v[1].u0, 1);
    EXPECT_FLOAT_EQ(v[2].v0, 1);
    for (int k = 0; k < 3; ++k) {
        EXPECT_FLOAT_EQ(v[k].r, 0.25f);
        EXPECT_FLOAT_EQ(v[k].g, 0.25f);
        EXPECT_FLOAT_EQ(v[k].b, 0.25f);
    }
    EXPECT_EQ(world.drawCount, 1);
}

TEST_F(WorldTest, FacesBehindTheEyeOrTouchingItDrawNothing) {
    addTriangle({0, 0, -5}, {2, 0, -5}, {0, 2, -6});
    world.render();
    EXPECT_EQ(recorder.triangles(), 0u);

    // A corner exactly at the eye lies on every plane, so it survives clipping; its depth of 0
    // must not reach the renderer.
    recorder.calls.clear();
    objects.clear();
    world.clear();
    world.setCamera(&camera);
    addTriangle({0, 0, 0}, {2, 0, 10}, {0, 2, 10});
    world.render();
    EXPECT_EQ(world.drawCount, 1);
    EXPECT_EQ(recorder.triangles(), 0u);
}

TEST_F(WorldTest, SidePlanesCutCornersIntoAFan) {
    // Corner 1 lies far right of the pyramid: the clipped face is a quadrilateral.
    addTriangle({0, 0, 10}, {40, 0, 10}, {0, 2, 10});
    world.render();
    auto calls = drawn();
    ASSERT_EQ(calls.size(), 2u);
    // Both fan triangles start at the same polygon vertex.
    EXPECT_FLOAT_EQ(calls[0].verts[0].sx, calls[1].verts[0].sx);
    EXPECT_FLOAT_EQ(calls[0].verts[0].sy, calls[1].verts[0].sy);
    for (const auto& c : calls)
        for (const auto& v : c.verts) expectInsideFrustum(v);
    // New corners carry texture coordinates interpolated along the cut edge.
    bool sawCut = false;
    for (const auto& c : calls)
        for (const auto& v : c.verts)
            if (v.u0 > 0 && v.u0 < 1) {
                sawCut = true;
                // On the right side plane, tilted in from the screen edge by the 0.001.
                EXPECT_NEAR(v.sx, 1.7320508 * 0.5 / (std::cos(M_PI / 6) + 0.001), 1e-4);
            }
    EXPECT_TRUE(sawCut);

    // Two corners outside the same plane leave a triangle.
    recorder.calls.clear();
    objects.clear();
    world.clear();
    world.setCamera(&camera);
    addTriangle({0, 0, 10}, {40, 0, 10}, {40, 2, 10});
    world.render();
    calls = drawn();
    ASSERT_EQ(calls.size(), 1u);
    for (const auto& v : calls[0].verts) expectInsideFrustum(v);
}

TEST_F(WorldTest, ClipPlanesForSixtyDegrees) {
    buildClipPlanes(camera);
    const float c = float(std::cos(M_PI / 6) + 0.001), s = 0.5f, len = std::sqrt(c * c + s * s);
    EXPECT_NEAR(worldClipPlanes[0][0], c / len, 1e-6);
    EXPECT_NEAR(worldClipPlanes[0][2], s / len, 1e-6);
    EXPECT_NEAR(worldClipPlanes[1][0], -c / len, 1e-6);
    EXPECT_NEAR(worldClipPlanes[2][1], c / len, 1e-6);
    EXPECT_NEAR(worldClipPlanes[3][1], -c / len, 1e-6);
    EXPECT_FLOAT_EQ(worldClipPlanes[4][2], 1);
    EXPECT_FLOAT_EQ(worldClipPlanes[4][3], 0.0001f);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(worldClipPlanes[i][3], 0);
}

TEST_F(WorldTest, DrawListHoldsAtMostFourThousandFacesInListOrder) {
    WorldObject& first = addTriangle({0, 0, 10}, {1, 0, 10}, {0, 1, 10});
    first.vertices[0].texCoords[0] = 7;  // marks the face added first, which is drawn last
    objects.push_back(std::make_unique<WorldObject>(3, World::kMaxDrawnFaces));
    WorldObject& big = *objects.back();
    for (int k = 0; k < 3; ++k) big.vertices[k] = first.vertices[k];
    big.vertices[0].texCoords[0] = 0;
    for (int i = 0; i < big.faceCount; ++i)
        for (int k = 0; k < 3; ++k) big.faces[i].corners[k] = &big.vertices[k];
    big.setBackfaceCulling(false);
    world.addObject(&big);
    EXPECT_EQ(world.objectCount, 2);

    world.render();
    EXPECT_EQ(world.drawCount, World::kMaxDrawnFaces);
    EXPECT_EQ(recorder.triangles(), size_t(World::kMaxDrawnFaces));
    for (const auto& c : drawn()) EXPECT_NE(c.verts[0].u0, 7);
}

TEST_F(WorldTest, WithoutCameraNothingHappens) {
    addTriangle({0, 0, 10}, {1, 0, 10}, {0, 1, 10});
    world.render();
    ASSERT_EQ(world.drawCount, 1);
    recorder.calls.clear();
    world.setCamera(nullptr);
    world.render();
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(world.drawCount, 1);
}

TEST_F(WorldTest, CullingAndVisibilityFlags) {
    WorldObject& towards = addTriangle({0, 0, 10}, {1, 0, 10}, {0, 1, 10});
    WorldObject& away = addTriangle({0, 0, 10}, {0, 1, 10}, {1, 0, 10});
    towards.setBackfaceCulling(true);
    away.setBackfaceCulling(true);
    world.render();
    EXPECT_EQ(world.drawCount, 1);
    EXPECT_EQ(world.drawList[0], &towards.faces[0]);
    EXPECT_FLOAT_EQ(towards.faces[0].depthKey, 30);

    away.setBackfaceCulling(false);
    world.render();
    EXPECT_EQ(world.drawCount, 2);

    towards.setVisible(false);
    away.setVisible(false);
    world.render();
    EXPECT_EQ(world.drawCount, 0);
}

TEST_F(WorldTest, ViewMatrixPutsTargetAheadOnTheAxis) {
    const Vector3 eyes[] = {{0, 0, -100}, {30, -20, 5}, {-7, 40, 60}};
    const Vector3 targets[] = {{0, 0, 0}, {-10, 5, 50}, {3, -2, 1}};
    for (int i = 0; i < 3; ++i) {
        WorldCamera cam;
        cam.eye = eyes[i];
        cam.target = targets[i];
        cam.roll = 0.3f * i;
        buildWorldViewMatrix(cam);
        Vector3 t, e;
        matrixTransformPoint(cam.viewMatrix, cam.target, t);
        matrixTransformPoint(cam.viewMatrix, cam.eye, e);
        EXPECT_NEAR(t.x, 0, 1e-3);
        EXPECT_NEAR(t.y, 0, 1e-3);
        EXPECT_NEAR(t.z, cam.distance, 1e-3);
        EXPECT_NEAR(e.x * e.x + e.y * e.y + e.z * e.z, 0, 1e-6);
    }
    WorldCamera still;
    still.eye = still.target = {1, 2, 3};
    buildWorldViewMatrix(still);
    EXPECT_FLOAT_EQ(still.distance, 0.1f);
    Vector3 p;
    matrixTransformPoint(still.viewMatrix, {1, 2, 13}, p);
    EXPECT_NEAR(p.z, 10, 1e-5);
}

TEST_F(WorldTest, NormalsAdjacencyAndEnvironmentCoordinates) {
    // Two faces meeting at a right angle along the edge v0-v1; v4 is used by no face.
    objects.push_back(std::make_unique<WorldObject>(5, 2));
    WorldObject& o = *objects.back();
    const Vector3 p[5] = {{0, 0, 10}, {0, 1, 10}, {1, 0, 10}, {0, 0, 11}, {5, 5, 5}};
    for (int k = 0; k < 5; ++k) o.vertices[k].position = p[k];
    const int corners[2][3] = {{0, 2, 1}, {0, 1, 3}};
    for (int f = 0; f < 2; ++f)
        for (int k = 0; k < 3; ++k) o.faces[f].corners[k] = &o.vertices[corners[f][k]];

    o.computeNormals();
    EXPECT_FLOAT_EQ(o.faces[0].normal.z, 1);
    EXPECT_FLOAT_EQ(o.faces[1].normal.x, 1);
    const float r = std::sqrt(0.5f);
    EXPECT_FLOAT_EQ(o.vertices[0].normal.x, r);
    EXPECT_FLOAT_EQ(o.vertices[0].normal.z, r);
    EXPECT_FLOAT_EQ(o.vertices[4].normal.x, 0);

    o.buildAdjacency();
    EXPECT_TRUE(o.flags & kObjectSmoothNormals);
    EXPECT_EQ(o.vertices[0].adjacentCount, 2);
    EXPECT_EQ(o.vertices[2].adjacentCount, 1);
    EXPECT_EQ(o.vertices[4].adjacentCount, 0);
    EXPECT_EQ(o.vertices[1].adjacentNormals[0], &o.faces[0].normal);
    EXPECT_EQ(o.vertices[1].adjacentNormals[1], &o.faces[1].normal);

    // Rendering takes environment coordinates from the current normals, then averages (without
    // normalising) the adjacent face normals for the next frame.
    o.setBackfaceCulling(false);
    world.addObject(&o);
    world.render();
    EXPECT_NEAR(o.vertices[0].envCoords[0], (1 + r) * 0.5f, 1e-6);
    EXPECT_NEAR(o.vertices[2].envCoords[0], 0.5f, 1e-6);
    EXPECT_FLOAT_EQ(o.vertices[0].normal.x, 0.5f);
    EXPECT_FLOAT_EQ(o.vertices[0].normal.z, 0.5f);
    EXPECT_FLOAT_EQ(o.vertices[4].normal.x, 0);

    // A turned object turns its normals into view space.
    o.setRotation(0, float(M_PI / 2), 0);
    world.render();
    EXPECT_NEAR(o.vertices[2].viewNormal.x, 1, 1e-5);  // (0, 0, 1) turned about y
    EXPECT_NEAR(o.vertices[2].envCoords[0], 1, 1e-5);
}

TEST_F(WorldTest, ModeSettersKeepTheirMasksOnObjectAndFaces) {
    WorldObject o(3, 4);
    EXPECT_EQ(o.flags, kObjectCullBackFaces | kObjectVisible);
    // The tube's set-up sequence ends at 6; values are not masked to their bits.
    o.setModeBits3to4(0);
    o.setModeBits1to2(4);
    o.setModeBit0(0);
    o.setModeBits1to2(6);
    EXPECT_EQ(o.modeBits, 6);
    o.setModeBits3to4(0x18);
    o.setModeBit0(0x21);
    EXPECT_EQ(o.modeBits, 0x3F);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(o.faces[i].modeBits, 0x3F);
}

}  // namespace
