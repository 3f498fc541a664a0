// Tests of depth sorting, the screen fill, face normals and environment-map coordinates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "effects/depthsort.h"
#include "effects/envmap.h"
#include "effects/screenfill.h"
#include "scene/mesh.h"
#include "support/recording_renderer.h"

namespace {

MeshVertex at(float x, float y, float z) {
    MeshVertex v{};
    v.x = x, v.y = y, v.z = z;
    return v;
}

MeshFace face(MeshVertex* verts, int a, int b, int c) {
    return {{&verts[a], &verts[b], &verts[c]}, {a, b, c}, 0};
}

}  // namespace

TEST(DepthSort, OrdersFarthestFirstAndCarriesTheFaces) {
    MeshFace faces[3] = {};
    std::vector<DepthEntry> list = {{&faces[0], 1}, {&faces[1], 5}, {&faces[2], 3}};
    depthSortList = list.data();
    sortDepthList(0, 2);
    EXPECT_EQ(list[0].depth, 5);
    EXPECT_EQ(list[0].face, &faces[1]);
    EXPECT_EQ(list[1].face, &faces[2]);
    EXPECT_EQ(list[2].face, &faces[0]);
    sortDepthList(1, 1);
    sortDepthList(2, 0);
    EXPECT_EQ(list[1].face, &faces[2]);

    // Random lists with many ties against a reference sort; every face survives exactly once.
    std::mt19937 random(11);
    for (int size : {2, 3, 7, 64, 1000, 2320}) {
        for (int spread : {3, 1000}) {
            std::vector<MeshFace> owners(size);
            std::vector<DepthEntry> entries(size);
            for (int i = 0; i < size; ++i)
                entries[i] = {&owners[i], float(int(random() % spread)) - spread / 2};
            std::vector<DepthEntry> expected = entries;
            std::stable_sort(expected.begin(), expected.end(),
                             [](auto& a, auto& b) { return a.depth > b.depth; });
            depthSortList = entries.data();
            sortDepthList(0, size - 1);
            for (int i = 0; i < size; ++i) ASSERT_EQ(entries[i].depth, expected[i].depth) << i;
            std::vector<MeshFace*> seen;
            for (auto& e : entries) seen.push_back(e.face);
            std::sort(seen.begin(), seen.end());
            EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
        }
    }
}

TEST(ScreenFill, UnbindsUnitZeroAndCoversTheScreen) {
    RecordingRenderer recorder;
    gRenderer = &recorder;
    fillScreen(0.25f, 0.5f, 0.75f);
    ASSERT_EQ(recorder.calls.size(), 3u);
    EXPECT_EQ(recorder.calls[0].op, "bindTexture0");
    EXPECT_EQ(recorder.calls[0].args[0], 0);
    const auto drawn = recorder.named("drawTriangle");
    ASSERT_EQ(drawn.size(), 2u);
    const float corners[2][3][2] = {{{-1, -1}, {1, -1}, {1, 1}}, {{-1, -1}, {1, 1}, {-1, 1}}};
    for (int t = 0; t < 2; ++t)
        for (int k = 0; k < 3; ++k) {
            const MeshVertex& v = drawn[t].verts[k];
            EXPECT_EQ(v.sx, corners[t][k][0]);
            EXPECT_EQ(v.sy, corners[t][k][1]);
            EXPECT_EQ(v.z, -1.0f);
            EXPECT_EQ(v.g, 0.5f);
            EXPECT_EQ(v.u0 + v.v0 + v.u1 + v.v1, 0.0f);
        }
}

TEST(EnvMap, FaceNormalsIncludingDegenerateTriangles) {
    float x, y, z;
    EXPECT_TRUE(faceNormal(x, y, z, at(0, 0, 0), at(2, 0, 0), at(0, 3, 0)));
    EXPECT_FLOAT_EQ(z, 1.0f);
    EXPECT_EQ(x, 0.0f);
    EXPECT_FALSE(faceNormal(x, y, z, at(1, 1, 1), at(2, 2, 2), at(3, 3, 3)));
    EXPECT_EQ(x + y + z, 0.0f);
    EXPECT_FALSE(faceNormal(x, y, z, at(1, 1, 1), at(1, 1, 1), at(NAN, 0, 0)));
    EXPECT_EQ(x + y + z, 0.0f);
}

TEST(EnvMap, VertexNormalsBecomeCoordinatesOnBothUnits) {
    // Vertices 0-2 face +x; vertex 3 also sits on a degenerate face; vertex 4 is unused.
    std::vector<MeshVertex> v = {at(0, 0, 0), at(0, 1, 0), at(0, 0, 1), at(0, 2, 2), at(9, 9, 9)};
    std::vector<MeshFace> faces = {face(v.data(), 0, 1, 2), face(v.data(), 1, 3, 2),
                                   face(v.data(), 0, 0, 3)};
    for (int pass = 0; pass < 2; ++pass) {  // the tables are clean again after each call
        ASSERT_TRUE(vertexNormalsEnvMap(v.data(), faces.data(), 5, 3));
        for (int i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(v[i].u1, 1.0f) << i;
            EXPECT_FLOAT_EQ(v[i].v1, 0.5f) << i;
            EXPECT_FLOAT_EQ(v[i].u0, 0.5f) << i;
            EXPECT_FLOAT_EQ(v[i].v0, 1.0f) << i;
        }
        EXPECT_EQ(v[4].u1, 0.5f);
        EXPECT_EQ(v[4].v0, 0.5f);
    }
    // Facing the viewer gives the centre of the map.
    std::vector<MeshVertex> flat = {at(0, 0, 5), at(1, 0, 5), at(0, 1, 5)};
    MeshFace front = face(flat.data(), 0, 1, 2);
    ASSERT_TRUE(vertexNormalsEnvMap(flat.data(), &front, 3, 1));
    EXPECT_FLOAT_EQ(flat[2].u1, 0.5f);
    EXPECT_FLOAT_EQ(flat[2].v0, 0.5f);
    // An index outside the mesh is ignored rather than written past the tables.
    MeshFace wild = face(flat.data(), 0, 1, 2);
    wild.indices[2] = 1 << 30;
    flat[0].u1 = 7;
    ASSERT_TRUE(vertexNormalsEnvMap(flat.data(), &wild, 3, 1));
    EXPECT_EQ(flat[0].u1, 0.5f);
}

TEST(EnvMap, MeshesBeyondTheTablesAreRefusedUntilReserved) {
    const int count = kEnvMapDefaultVertices + 10;
    std::vector<MeshVertex> v(count, at(0, 0, 0));
    v[count - 1] = at(0, 1, 0), v[count - 2] = at(0, 0, 1), v[count - 3] = at(0, 0, 0);
    MeshFace last = face(v.data(), count - 3, count - 1, count - 2);
    v[count - 1].u1 = 42;
    EXPECT_FALSE(vertexNormalsEnvMap(v.data(), &last, count, 1));
    EXPECT_EQ(v[count - 1].u1, 42.0f);
    ASSERT_TRUE(reserveEnvMapTables(count));
    EXPECT_TRUE(vertexNormalsEnvMap(v.data(), &last, count, 1));
    EXPECT_FLOAT_EQ(v[count - 1].u1, 1.0f);  // normal (1, 0, 0)
}

TEST(EnvMap, GridWrapsRowsAndKeepsTheLastVertexInsideTheArray) {
    // 2 x 2 grid; the last vertex pairs with its own row's first vertex and row 0 below it.
    std::vector<MeshVertex> v = {at(5, 5, 5), at(0, 1, 0), at(0, 0, 1), at(0, 0, 0)};
    gridEnvMap(v.data(), 2, 2);
    EXPECT_FLOAT_EQ(v[3].u1, 0.0f);
    EXPECT_FLOAT_EQ(v[3].v1, 0.5f);

    Mesh tube;
    ASSERT_TRUE(tube.makeTube(80, 20, 30, 40));
    for (int i = 0; i < tube.vertices.count; ++i) {
        const Vector3& p = tube.vertices.positions[i];
        tube.vertices.verts[i].x = p.x, tube.vertices.verts[i].y = p.y;
        tube.vertices.verts[i].z = p.z + 100;
        tube.vertices.verts[i].u0 = 3;
    }
    gridEnvMap(tube.vertices.verts, 30, 40);
    for (int i = 0; i < tube.vertices.count; ++i) {
        const MeshVertex& t = tube.vertices.verts[i];
        ASSERT_TRUE(t.u1 >= 0 && t.u1 <= 1 && t.v1 >= 0 && t.v1 <= 1) << i;
        ASSERT_EQ(t.u0, 3.0f);
    }
    // The grid's normals point into the tube: a vertex on +x maps to the left edge.
    EXPECT_NEAR(tube.vertices.verts[10 * 30 + 5].u1, 0.0f, 0.05);
}
