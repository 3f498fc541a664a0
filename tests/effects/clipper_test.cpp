// Tests of the view-pyramid clipper: what it draws, in which corner order, and its plane points.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "effects/clipper.h"
#include "support/recording_renderer.h"

namespace {

MeshVertex vertex(float x, float y, float z, float u = 0.0f) {
    MeshVertex v{};
    v.x = x, v.y = y, v.z = z;
    v.r = u, v.g = 2 * u, v.b = 3 * u, v.a = 4 * u;
    v.u0 = u, v.v0 = -u, v.u1 = u + 1, v.v1 = u - 1;
    computeClipFlags(v);
    return v;
}

void expectSameVertex(const MeshVertex& a, const MeshVertex& b) {
    EXPECT_FLOAT_EQ(a.x, b.x);
    EXPECT_FLOAT_EQ(a.y, b.y);
    EXPECT_FLOAT_EQ(a.z, b.z);
    EXPECT_FLOAT_EQ(a.u0, b.u0);
    EXPECT_FLOAT_EQ(a.v1, b.v1);
    EXPECT_FLOAT_EQ(a.a, b.a);
}

MeshVertex cut(const MeshVertex& p, const MeshVertex& q, int plane) {
    MeshVertex out{};
    clipEdge(p, q, out, plane);
    return out;
}

class Clipper : public ::testing::Test {
  protected:
    RecordingRenderer recorder;
    void SetUp() override {
        gRenderer = &recorder;
        setProjection(0, 0, 1, 1);
    }
};

}  // namespace

TEST_F(Clipper, DiscardsTrianglesOutsideOneSideOrBehindTheEye) {
    MeshVertex a = vertex(5, 0, 4), b = vertex(6, 1, 5), c = vertex(9, -1, 3);
    drawClippedTriangle(&a, &b, &c, 1);
    MeshVertex d = vertex(0, 0, -5), e = vertex(1, 0, -4), f = vertex(0, 1, -3);
    EXPECT_EQ(d.clipFlags, 31u);
    drawClippedTriangleDual(&d, &e, &f, 1);
    // Through the eye point itself: the piece that keeps the eye vertex is dropped.
    MeshVertex g = vertex(0, 0, 0), h = vertex(1, 0, 5), i = vertex(-1, 1, 5);
    drawClippedTriangle(&g, &h, &i, 1);
    for (const auto& call : recorder.calls)
        for (const MeshVertex& v : call.verts) EXPECT_GT(v.z, 0.0f);
    EXPECT_EQ(recorder.count("drawTriangleDual"), 0u);
}

TEST_F(Clipper, FarOnlyTriangleIsProjectedAndDrawnAsItIs) {
    setProjection(0.5f, 0.25f, 2.0f, 3.0f);
    MeshVertex a = vertex(10, 20, 5000, 1), b = vertex(-10, 0, 4600, 2), c = vertex(0, 0, 5000, 3);
    EXPECT_EQ(a.clipFlags, 32u);
    drawClippedTriangleDual(&a, &b, &c, 1);
    const auto drawn = recorder.named("drawTriangleDual");
    ASSERT_EQ(drawn.size(), 1u);
    expectSameVertex(drawn[0].verts[0], a);
    expectSameVertex(drawn[0].verts[2], c);
    EXPECT_FLOAT_EQ(a.sx, 0.5f + 2.0f * 10 / 5000);
    EXPECT_FLOAT_EQ(a.sy, 0.25f - 3.0f * 20 / 5000);
    EXPECT_FLOAT_EQ(drawn[0].verts[1].sx, b.sx);
}

TEST_F(Clipper, OneCornerOutsideGivesTwoTrianglesInTableOrder) {
    for (int k = 0; k < 3; ++k) {
        recorder.calls.clear();
        MeshVertex v[3] = {vertex(0, 0, 10, 0), vertex(1, 2, 10, 1), vertex(-2, 1, 10, 2)};
        v[k] = vertex(30, 1, 10, 5);  // beyond x = z only
        const MeshVertex& out = v[k];
        const MeshVertex &n1 = v[(k + 1) % 3], &n2 = v[(k + 2) % 3];
        const MeshVertex a = cut(out, n2, 1), b = cut(out, n1, 1);
        drawClippedTriangle(&v[0], &v[1], &v[2], 1);
        const auto drawn = recorder.named("drawTriangle");
        ASSERT_EQ(drawn.size(), 2u) << k;
        expectSameVertex(drawn[0].verts[0], a);
        expectSameVertex(drawn[0].verts[1], n1);
        expectSameVertex(drawn[0].verts[2], n2);
        expectSameVertex(drawn[1].verts[0], a);
        expectSameVertex(drawn[1].verts[1], n1);
        expectSameVertex(drawn[1].verts[2], b);
        EXPECT_FLOAT_EQ(drawn[0].verts[0].sx, 1.0f);
        EXPECT_FLOAT_EQ(drawn[1].verts[2].sx, 1.0f);
    }
}

TEST_F(Clipper, TwoCornersOutsideGiveOneTriangleInTableOrder) {
    for (int k = 0; k < 3; ++k) {
        recorder.calls.clear();
        MeshVertex v[3] = {vertex(0, 50, 10, 0), vertex(1, 40, 10, 1), vertex(-2, 30, 10, 2)};
        v[k] = vertex(1, 2, 10, 5);  // the one corner below y = z
        const MeshVertex& in = v[k];
        const int first[3] = {1, 0, 0}, second[3] = {2, 2, 1};  // the table's edge order
        const MeshVertex a = cut(in, v[first[k]], 4), b = cut(in, v[second[k]], 4);
        drawClippedTriangleDual(&v[0], &v[1], &v[2], 1);
        const auto drawn = recorder.named("drawTriangleDual");
        ASSERT_EQ(drawn.size(), 1u) << k;
        expectSameVertex(drawn[0].verts[0], in);
        expectSameVertex(drawn[0].verts[1], a);
        expectSameVertex(drawn[0].verts[2], b);
        EXPECT_FLOAT_EQ(drawn[0].verts[1].sy, -1.0f);
    }
}

TEST(ClipEdge, PointsLieOnThePlaneWithInterpolatedAttributes) {
    // t = 0: p itself lies on the plane; t = -1: q does.
    const MeshVertex onPlane = vertex(2, 1, 2, 7), inside = vertex(0, 0, 3, 3);
    const MeshVertex atP = cut(onPlane, inside, 1), atQ = cut(inside, onPlane, 1);
    expectSameVertex(atP, onPlane);
    expectSameVertex(atQ, onPlane);
    EXPECT_FLOAT_EQ(atP.g, onPlane.g);
    EXPECT_FLOAT_EQ(atQ.v0, onPlane.v0);

    // An edge with no change in x meets x = z all the same.
    const MeshVertex up = cut(vertex(1, -1, 0.5f), vertex(1, 1, 2), 1);
    EXPECT_NEAR(up.x, 1.0f, 1e-5);
    EXPECT_NEAR(up.z, 1.0f, 1e-5);
    EXPECT_NEAR(up.y, -1.0f / 3, 1e-5);

    // An edge at constant depth is interpolated along the bounded coordinate.
    const MeshVertex flat = cut(vertex(-2, 0, 1, 0), vertex(0, 4, 1, 1), 2);
    EXPECT_FLOAT_EQ(flat.x, -1.0f);
    EXPECT_FLOAT_EQ(flat.y, 2.0f);
    EXPECT_FLOAT_EQ(flat.u0, 0.5f);

    // Every plane: the point is on the plane and on the segment.
    const MeshVertex p = vertex(3, -4, 2, 0), q = vertex(-5, 2, 4, 1);
    const int planes[4] = {1, 2, 4, 8};
    for (int plane : planes) {
        const MeshVertex o = cut(p, q, plane);
        const float bounded = plane <= 2 ? o.x : o.y;
        EXPECT_NEAR(plane == 1 || plane == 4 ? bounded : -bounded, o.z, 1e-5) << plane;
        const float s = (o.z - p.z) / (q.z - p.z);
        EXPECT_NEAR(o.x, p.x + s * (q.x - p.x), 1e-4) << plane;
        EXPECT_NEAR(o.y, p.y + s * (q.y - p.y), 1e-4) << plane;
        EXPECT_NEAR(o.u1, p.u1 + s * (q.u1 - p.u1), 1e-4) << plane;
    }
}

TEST_F(Clipper, NaNCornersAreOutsideAndNeverDrawn) {
    EXPECT_EQ(clipCode(NAN, 0, 5) & (kClipRight | kClipLeft), kClipRight | kClipLeft);
    EXPECT_EQ(clipCode(0, NAN, 5) & (kClipTop | kClipBottom), kClipTop | kClipBottom);
    MeshVertex a = vertex(NAN, 0, 5), b = vertex(1, 0, 5), c = vertex(0, 1, 5);
    drawClippedTriangle(&a, &b, &c, 1);
    MeshVertex d = vertex(0, 0, 5), e = vertex(1, NAN, 5), f = vertex(0, 1, 5);
    drawClippedTriangleDual(&d, &e, &f, 1);
    EXPECT_EQ(recorder.calls.size(), 0u);
}

TEST_F(Clipper, EdgeRunningInASidePlaneKeepsItsTriangle) {
    // Both ends on x = z: the crossing is taken at an end, not from 0 / 0.
    const MeshVertex p = vertex(1, 0, 1, 1), q = vertex(3, 2, 3, 2);
    expectSameVertex(cut(p, q, 1), q);
    // b lies on y = z, and in single precision a's edge to it runs exactly along that plane,
    // although a is inside: the whole triangle is inside and must be drawn, at its full size.
    MeshVertex a = vertex(-0.00005f, 0.0001f, 0.00011f), b = vertex(0, 1000, 1000),
               c = vertex(500, -500, 1000);
    auto area = [](float ax, float ay, float bx, float by, float cx, float cy) {
        return std::fabs((bx - ax) * (cy - ay) - (cx - ax) * (by - ay)) / 2;
    };
    const float whole = area(a.x / a.z, -a.y / a.z, b.x / b.z, -b.y / b.z, c.x / c.z, -c.y / c.z);
    drawClippedTriangle(&a, &b, &c, 1);
    float drawn = 0;
    for (const auto& call : recorder.calls) {
        const auto& v = call.verts;
        drawn += area(v[0].sx, v[0].sy, v[1].sx, v[1].sy, v[2].sx, v[2].sy);
    }
    EXPECT_NEAR(drawn, whole, 1e-4f);
}

TEST_F(Clipper, RandomTrianglesOnlyEverDrawInsideThePyramid) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> side(-20, 20), depth(-10, 15);
    for (int n = 0; n < 20000; ++n) {
        MeshVertex v[3];
        for (MeshVertex& c : v) c = vertex(side(random), side(random), depth(random));
        recorder.calls.clear();
        drawClippedTriangle(&v[0], &v[1], &v[2], 1);
        ASSERT_LE(recorder.calls.size(), 16u);
        for (const auto& call : recorder.calls)
            for (const MeshVertex& d : call.verts) {
                ASSERT_GT(d.z, 0.0f);
                ASSERT_LE(std::fabs(d.sx), 1.0f + 1e-3f) << n;
                ASSERT_LE(std::fabs(d.sy), 1.0f + 1e-3f) << n;
            }
    }
    // A plane argument outside 1, 2, 4, 8 clips nothing and still returns.
    MeshVertex a = vertex(0, 0, 5), b = vertex(1, 0, 5), c = vertex(0, 1, 5);
    recorder.calls.clear();
    drawClippedTriangle(&a, &b, &c, 0);
    EXPECT_EQ(recorder.triangles(), 1u);
}
