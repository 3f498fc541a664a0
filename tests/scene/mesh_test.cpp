// Tests of mesh building (3DS objects, tubes), deformation, projection and the face-drawing rule.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "effects/clipper.h"
#include "effects/depthsort.h"
#include "effects/envmap.h"
#include "effects/screenfill.h"
#include "scene/mesh.h"
#include "support/recording_renderer.h"
#include "support/scene_script.h"

namespace {

// Writes a 3DS file with one object `name` holding the given vertices, mapping and faces.
std::string write3ds(const char* file, const char* name, const std::vector<float>& xyz,
                     const std::vector<float>& uv, const std::vector<uint16_t>& abc) {
    auto u16 = [](std::string& s, uint32_t v) { s += char(v & 255), s += char(v >> 8 & 255); };
    auto u32 = [&](std::string& s, uint32_t v) { u16(s, v & 0xFFFF), u16(s, v >> 16); };
    auto f32 = [&](std::string& s, float f) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        u32(s, bits);
    };
    auto chunk = [&](uint16_t id, const std::string& body) {
        std::string s;
        u16(s, id), u32(s, uint32_t(body.size() + 6));
        return s + body;
    };
    std::string verts, map, faces;
    u16(verts, uint32_t(xyz.size() / 3));
    for (float f : xyz) f32(verts, f);
    u16(map, uint32_t(uv.size() / 2));
    for (float f : uv) f32(map, f);
    u16(faces, uint32_t(abc.size() / 3));
    for (size_t k = 0; k < abc.size(); k += 3)
        u16(faces, abc[k]), u16(faces, abc[k + 1]), u16(faces, abc[k + 2]), u16(faces, 0);
    std::string mesh = chunk(0x4110, verts) + chunk(0x4140, map) + chunk(0x4120, faces);
    std::string object = chunk(0x4000, std::string(name) + '\0' + chunk(0x4100, mesh));
    std::string all = chunk(0x4D4D, chunk(0x3D3D, object));
    std::string path = std::string(SHOW_BINARY_DIR) + "/" + file;
    FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(all.data(), 1, all.size(), out);
    std::fclose(out);
    return path;
}

Matrix44 identityView() {
    Matrix44 m{};
    m.m[0] = m.m[5] = m.m[10] = m.m[15] = 1.0f;
    return m;
}

Camera unitCamera() {
    Camera c{};
    c.projScaleX = c.projScaleY = 1.0f;
    return c;
}

}  // namespace

TEST(MeshLoad, MapsFileAxesAndTextureAndBuildsFaces) {
    std::string path = write3ds("mesh_test_one.3ds", "Box", {1, 2, 3, 4, 5, 6, 7, 8, 9},
                                {0.25f, 0.75f, 0, 0, 1, 1}, {0, 1, 2, 2, 1, 0});
    Mesh mesh;
    ASSERT_EQ(mesh.load3ds(path.c_str(), "Box"), "");
    ASSERT_EQ(mesh.vertices.count, 3);
    ASSERT_EQ(mesh.restVertices.count, 3);
    ASSERT_EQ(mesh.faces.count, 2);
    const Vector3 p = mesh.vertices.positions[0];
    EXPECT_EQ(p.x, -1.0f);
    EXPECT_EQ(p.y, 3.0f);
    EXPECT_EQ(p.z, 2.0f);
    EXPECT_EQ(mesh.restVertices.positions[0].y, 3.0f);
    const MeshVertex& v = mesh.vertices.verts[0];
    EXPECT_EQ(v.u0, 0.25f);
    EXPECT_EQ(v.v0, -0.75f);
    EXPECT_EQ(v.u1, 0.0f);
    EXPECT_EQ(v.v1, 0.0f);
    EXPECT_EQ(v.r + v.g + v.b + v.a, 4.0f);
    const MeshFace& f = mesh.faces.faces[1];
    EXPECT_EQ(f.corners[0], &mesh.vertices.verts[2]);
    EXPECT_EQ(f.corners[2], &mesh.vertices.verts[0]);
    EXPECT_EQ(f.indices[0], 2);
    EXPECT_EQ(f.indices[2], 0);
}

TEST(MeshLoad, MissingOrCorruptObjectLeavesAnEmptyMeshThatFramesHandle) {
    std::string path = write3ds("mesh_test_bad.3ds", "Bad", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {},
                                {0, 1, 3});  // face names vertex 3 of 3
    Mesh missing, corrupt, absentFile;
    EXPECT_EQ(missing.load3ds(path.c_str(), "Other"), "not found");
    EXPECT_EQ(corrupt.load3ds(path.c_str(), "Bad"), "a face refers to a missing vertex");
    EXPECT_EQ(absentFile.load3ds((path + ".absent").c_str(), "Bad"), "cannot open file");
    for (Mesh* m : {&missing, &corrupt, &absentFile}) {
        EXPECT_EQ(m->vertices.count, 0);
        EXPECT_EQ(m->faces.count, 0);
        m->scaleRadial(nullptr);
        m->vertices.transformVertices(identityView());
        m->vertices.projectVertices(unitCamera());
        fillDepthList(nullptr, *m);
        RecordingRenderer recorder;
        gRenderer = &recorder;
        drawFaces(nullptr, m->faces.count, true);
        EXPECT_TRUE(recorder.calls.empty());
    }
}

TEST(MeshTube, VerticesFacesAndSeam) {
    Mesh tube;
    ASSERT_TRUE(tube.makeTube(80.0f, 20.0f, 30, 40));
    ASSERT_EQ(tube.vertices.count, 1200);
    ASSERT_EQ(tube.faces.count, 2320);
    const Vector3* p = tube.vertices.positions;
    EXPECT_NEAR(p[0].x, 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(p[0].y, -40.0f);
    EXPECT_FLOAT_EQ(p[0].z, 10.0f);
    EXPECT_FLOAT_EQ(p[29].y, 80.0f * 29 / 30 - 40);
    EXPECT_FLOAT_EQ(tube.vertices.verts[29].u0, 29.0f / 30);
    EXPECT_EQ(tube.vertices.verts[29].v0, 0.0f);
    EXPECT_FLOAT_EQ(p[30].x, 10 * std::sin(2 * M_PI / 40));
    EXPECT_FLOAT_EQ(p[30].z, 10 * std::cos(2 * M_PI / 40));
    EXPECT_FLOAT_EQ(tube.vertices.verts[30].v1, 1.0f / 40);
    // The last quad of segment 39 closes onto segment 0; indices agree with the pointers.
    const MeshFace& a = tube.faces.faces[2318];
    const MeshFace& b = tube.faces.faces[2319];
    const MeshVertex* v = tube.vertices.verts;
    EXPECT_EQ(a.corners[0], &v[39 * 30 + 28]);
    EXPECT_EQ(a.corners[1], &v[39 * 30 + 29]);
    EXPECT_EQ(a.corners[2], &v[28]);
    EXPECT_EQ(b.corners[0], &v[39 * 30 + 29]);
    EXPECT_EQ(b.corners[1], &v[29]);
    EXPECT_EQ(b.corners[2], &v[28]);
    for (int k = 0; k < tube.faces.count; ++k)
        for (int c = 0; c < 3; ++c)
            ASSERT_EQ(tube.faces.faces[k].corners[c], &v[tube.faces.faces[k].indices[c]]);
    Mesh bad;
    EXPECT_FALSE(bad.makeTube(1, 1, 0, 4));
    EXPECT_EQ(bad.vertices.count, 0);
}

TEST(MeshTube, DeformationsStartFromTheRestShape) {
    Mesh tube;
    ASSERT_TRUE(tube.makeTube(80.0f, 20.0f, 30, 40));
    std::vector<float> two(1200, 2.0f);
    tube.scaleXZ(two.data());
    tube.scaleXZ(two.data());
    for (int i = 0; i < 1200; ++i) {
        const Vector3& p = tube.vertices.positions[i];
        ASSERT_NEAR(std::hypot(p.x, p.z), 20.0f, 1e-4);
        ASSERT_EQ(p.y, tube.restVertices.positions[i].y);
    }
    tube.scaleRadial(two.data());
    EXPECT_FLOAT_EQ(tube.vertices.positions[0].y, -80.0f);
    EXPECT_FLOAT_EQ(tube.vertices.positions[0].z, 20.0f);
    EXPECT_FLOAT_EQ(tube.restVertices.positions[0].z, 10.0f);
}

TEST(MeshPipeline, TransformAndClipCodes) {
    Mesh tube;
    ASSERT_TRUE(tube.makeTube(1.0f, 1.0f, 2, 2));
    const Vector3 points[4] = {{5, 0, 4}, {0, 0, 5000}, {1, 1, -2}, {3, 0, -2}};
    for (int i = 0; i < 4; ++i) tube.vertices.positions[i] = points[i];
    Matrix44 view = identityView();
    view.at(0, 3) = 1.0f;  // shifts x by one; row 3 is never read
    view.at(3, 0) = NAN;
    tube.vertices.transformVertices(view);
    Camera camera = unitCamera();
    camera.projScaleX = 2.0f;
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(tube.vertices.verts[i].x, points[i].x + 1.0f);
        tube.vertices.verts[i].x -= 1.0f;
    }
    tube.vertices.projectVertices(camera);
    const MeshVertex* v = tube.vertices.verts;
    EXPECT_EQ(v[0].clipFlags, 1u);
    EXPECT_FLOAT_EQ(v[0].sx, 1.25f * 2.0f);
    EXPECT_EQ(v[1].clipFlags, 32u);
    EXPECT_EQ(v[2].clipFlags, 31u);
    EXPECT_EQ(v[3].clipFlags, 29u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(v[i].z, points[i].z);
    // The clipper's own flag computation agrees.
    MeshVertex w = v[3];
    computeClipFlags(w);
    EXPECT_EQ(w.clipFlags, 29u);
}

TEST(MeshPipeline, DepthListsAndTheDrawingRule) {
    Mesh tube;
    ASSERT_TRUE(tube.makeTube(1.0f, 1.0f, 2, 2));  // two segments: four faces
    MeshVertex* v = tube.vertices.verts;
    for (int i = 0; i < 4; ++i) {
        v[i].x = 0, v[i].y = 0, v[i].z = float(i + 1), v[i].clipFlags = 0;
    }
    std::vector<DepthEntry> list(4);
    fillDepthList(list.data(), tube);
    setFaceDepths(list.data(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(list[i].face, &tube.faces.faces[i]);
    EXPECT_EQ(list[0].depth, 1.0f + 2.0f + 3.0f);  // face (0, 1, 2)

    RecordingRenderer recorder;
    gRenderer = &recorder;
    setProjection(0, 0, 1, 1);
    v[3].x = 100.0f;  // far right of the pyramid
    v[3].clipFlags = kClipRight;
    drawFaces(list.data(), 4, false);
    // Face 0 misses vertex 3 and goes straight through; faces 1 to 3 reach the clipper, which
    // draws only their parts inside the pyramid.
    EXPECT_EQ(recorder.count("drawTriangleDual"), 0u);
    const auto drawn = recorder.named("drawTriangle");
    ASSERT_GE(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].verts[2].z, v[2].z);
    for (const auto& call : drawn)
        for (const MeshVertex& d : call.verts) EXPECT_LT(d.x, d.z + 1e-4f);
    recorder.calls.clear();
    drawFaces(list.data(), 1, true);
    EXPECT_EQ(recorder.count("drawTriangleDual"), 1u);
}

TEST(MeshPipeline, FramesAllocateNothing) {
    Mesh tube;
    ASSERT_TRUE(tube.makeTube(80.0f, 20.0f, 30, 40));
    std::vector<DepthEntry> list(size_t(tube.faces.count));
    Camera camera;
    setupSceneCamera(camera, 61.0f, 1.0f, kHalfAngle61);
    camera.eye = {1, 2, 0.5f};  // inside the tube: plenty of clipping
    camera.target = {3, 20, 40};
    NullRenderer renderer;
    gRenderer = &renderer;
    std::vector<float> factors(1200, 1.5f);
    const uint64_t before = heapAllocations();
    for (int frame = 0; frame < 3; ++frame) {
        camera.roll = 30.0f * frame;
        Matrix44 view;
        buildViewMatrix(view, camera);
        tube.scaleXZ(factors.data());
        tube.vertices.transformVertices(view);
        tube.vertices.projectVertices(camera);
        fillDepthList(list.data(), tube);
        setFaceDepths(list.data(), tube.faces.count);
        depthSortList = list.data();
        sortDepthList(0, tube.faces.count - 1);
        gridEnvMap(tube.vertices.verts, 30, 40);
        vertexNormalsEnvMap(tube.vertices.verts, tube.faces.faces, 1200, tube.faces.count);
        drawFaces(list.data(), tube.faces.count, frame % 2 == 0);
        fillScreen(0, 0, 0);
    }
    EXPECT_EQ(heapAllocations(), before);
    ::operator delete(::operator new(4));  // the count is live, so the check above means something
    EXPECT_EQ(heapAllocations(), before + 1);
}
