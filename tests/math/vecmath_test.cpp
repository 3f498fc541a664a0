// Tests of the vector and matrix library: product order, in-place rotations, inverse and LU solve.
#include <gtest/gtest.h>

#include <cmath>

#include "math/vecmath.h"

namespace {

const float kPi = 3.14159265358979f;

// A matrix with no zero and no repeated element, so that mixed-up indices show.
Matrix34 sample() {
    return Matrix34{{0.9f, -0.2f, 0.3f, 4.0f, 0.1f, 1.1f, -0.4f, -5.0f, 0.25f, 0.35f, 0.8f, 6.0f}};
}

void expectMatrixNear(const Matrix34& a, const Matrix34& b, float tolerance = 1e-5f) {
    for (int i = 0; i < 12; ++i) EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "element " << i;
}

void expectPoint(const Matrix34& m, Vector3 p, Vector3 want) {
    Vector3 out;
    matrixTransformPoint(m, p, out);
    EXPECT_NEAR(out.x, want.x, 1e-6f);
    EXPECT_NEAR(out.y, want.y, 1e-6f);
    EXPECT_NEAR(out.z, want.z, 1e-6f);
}

Matrix34 rotationX(float angle) {
    Matrix34 r = kIdentityMatrix;
    matrixRotateWorldX(angle, r);
    return r;
}

Matrix34 rotationY(float angle) {
    Matrix34 r = kIdentityMatrix;
    matrixRotateWorldY(angle, r);
    return r;
}

}  // namespace

TEST(MatrixProduct, IdentityAndCompositionOrder) {
    Matrix34 a = sample(), out;
    matrixMultiply(a, kIdentityMatrix, out);
    expectMatrixNear(out, a, 0);
    matrixMultiply(kIdentityMatrix, a, out);
    expectMatrixNear(out, a, 0);

    // a b applies b first: transforming by the product equals transforming twice.
    Matrix34 b = rotationX(0.7f);
    matrixTranslateWorld(1, -2, 3, b);
    matrixMultiply(a, b, out);
    Vector3 p{0.5f, -1.5f, 2.5f}, viaB, twice;
    matrixTransformPoint(b, p, viaB);
    matrixTransformPoint(a, viaB, twice);
    expectPoint(out, p, twice);
    // Its translation is a's linear part times b's translation plus a's translation.
    Vector3 bt{b.m[3], b.m[7], b.m[11]}, moved;
    matrixTransformPoint(a, bt, moved);
    EXPECT_NEAR(out.m[3], moved.x, 1e-5f);
    EXPECT_NEAR(out.m[7], moved.y, 1e-5f);
    EXPECT_NEAR(out.m[11], moved.z, 1e-5f);
}

TEST(MatrixProduct, DirectionIgnoresTranslationAndCrossIsRightHanded) {
    Matrix34 m = kIdentityMatrix;
    matrixTranslateWorld(10, 20, 30, m);
    Vector3 out;
    matrixTransformDirection(m, Vector3{1, 2, 3}, out);
    EXPECT_FLOAT_EQ(out.x, 1);
    EXPECT_FLOAT_EQ(out.y, 2);
    EXPECT_FLOAT_EQ(out.z, 3);

    vectorCross(Vector3{1, 0, 0}, Vector3{0, 1, 0}, out);
    EXPECT_FLOAT_EQ(out.z, 1);
    vectorCross(Vector3{2, 3, 4}, Vector3{5, 6, 7}, out);
    EXPECT_FLOAT_EQ(out.x, 3 * 7 - 4 * 6);
    EXPECT_FLOAT_EQ(out.y, 4 * 5 - 2 * 7);
    EXPECT_FLOAT_EQ(out.z, 2 * 6 - 3 * 5);
}

TEST(MatrixRotation, WorldAxesTurnCounterClockwise) {
    Matrix34 m = kIdentityMatrix;
    matrixRotateWorldZ(kPi / 2, m);
    expectPoint(m, {1, 0, 0}, {0, 1, 0});
    expectPoint(rotationX(kPi / 2), {0, 1, 0}, {0, 0, 1});
    expectPoint(rotationY(kPi / 2), {0, 0, 1}, {1, 0, 0});
}

// Each in-place rotation must equal the product with the rotation matrix; using an already
// updated element on the right-hand side breaks this on a general matrix.
TEST(MatrixRotation, InPlaceRotationsEqualProducts) {
    const float angle = 0.6f;
    Matrix34 rz = kIdentityMatrix;
    matrixRotateWorldZ(angle, rz);
    struct Case {
        void (*rotate)(float, Matrix34&);
        Matrix34 r;
        bool world;
    } cases[] = {{matrixRotateWorldX, rotationX(angle), true},
                 {matrixRotateWorldY, rotationY(angle), true},
                 {matrixRotateWorldZ, rz, true},
                 {matrixRotateLocalX, rotationX(angle), false},
                 {matrixRotateLocalY, rotationY(angle), false}};
    for (const Case& c : cases) {
        Matrix34 m = sample(), want;
        c.rotate(angle, m);
        if (c.world)
            matrixMultiply(c.r, sample(), want);
        else
            matrixMultiply(sample(), c.r, want);
        expectMatrixNear(m, want);
    }
}

TEST(MatrixRotation, WorldMovesTranslationLocalKeepsIt) {
    Matrix34 m = kIdentityMatrix;
    matrixTranslateWorld(1, 0, 0, m);
    matrixRotateWorldZ(kPi / 2, m);
    EXPECT_NEAR(m.m[3], 0, 1e-6f);
    EXPECT_NEAR(m.m[7], 1, 1e-6f);

    Matrix34 n = kIdentityMatrix;
    matrixTranslateWorld(1, 2, 3, n);
    matrixRotateLocalX(0.4f, n);
    matrixRotateLocalY(0.9f, n);
    EXPECT_EQ(n.m[3], 1);
    EXPECT_EQ(n.m[7], 2);
    EXPECT_EQ(n.m[11], 3);
}

TEST(MatrixScale, ScalesTranslationToo) {
    Matrix34 m = kIdentityMatrix;
    matrixTranslateWorld(1, 2, 3, m);
    matrixScaleWorld(2, 2, 2, m);
    EXPECT_FLOAT_EQ(m.m[3], 2);
    EXPECT_FLOAT_EQ(m.m[7], 4);
    EXPECT_FLOAT_EQ(m.m[11], 6);
    matrixScaleWorld(1, 3, 1, m);
    EXPECT_FLOAT_EQ(m.m[5], 6);
    EXPECT_FLOAT_EQ(m.m[0], 2);
}

TEST(VectorNormalize, ZeroIsRefusedOthersBecomeUnit) {
    Vector3 zero{0, 0, 0};
    EXPECT_EQ(vectorNormalize(zero), 0);
    EXPECT_EQ(zero.x, 0);
    EXPECT_EQ(zero.y, 0);
    EXPECT_EQ(zero.z, 0);

    Vector3 v{3, 0, 4};
    EXPECT_EQ(vectorNormalize(v), 1);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0);
    EXPECT_FLOAT_EQ(v.z, 0.8f);

    // No epsilon: a tiny vector is still normalised.
    Vector3 tiny{1e-18f, 0, 0};
    EXPECT_EQ(vectorNormalize(tiny), 1);
    EXPECT_FLOAT_EQ(tiny.x, 1);
}

TEST(VectorNormalize, AnyFiniteLengthWorksAndNoneOtherIsTouched) {
    Vector3 huge{3e30f, 0, -4e30f};  // its squares overflow single precision
    EXPECT_EQ(vectorNormalize(huge), 1);
    EXPECT_FLOAT_EQ(huge.x, 0.6f);
    EXPECT_FLOAT_EQ(huge.z, -0.8f);
    Vector3 subnormal{0, 3e-40f, 4e-40f};  // its squares vanish
    EXPECT_EQ(vectorNormalize(subnormal), 1);
    EXPECT_NEAR(subnormal.y, 0.6f, 1e-5f);
    EXPECT_NEAR(subnormal.z, 0.8f, 1e-5f);
    for (float bad : {INFINITY, NAN}) {
        Vector3 v{bad, 1, 0};
        EXPECT_EQ(vectorNormalize(v), 0);
        EXPECT_EQ(v.y, 1);
    }
}

TEST(MatrixInverse, RigidTransformGivesTransposeAndBackTranslation) {
    Matrix34 m = rotationY(0.3f);
    matrixTranslateWorld(1, 2, 3, m);
    Matrix34 inv;
    ASSERT_EQ(matrixInverse(m, inv), 1);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(inv.at(r, c), m.at(c, r), 1e-6f);
    for (int r = 0; r < 3; ++r) {
        float want = -(m.at(0, r) * 1 + m.at(1, r) * 2 + m.at(2, r) * 3);
        EXPECT_NEAR(inv.at(r, 3), want, 1e-5f);
    }
}

TEST(MatrixInverse, GeneralMatricesIncludingPivotingRoundTrip) {
    // A scaled, sheared matrix, and one with a zero leading element that needs a row swap.
    Matrix34 swap{{0, 2, 0, 1, 3, 0, 0, 2, 0, 0, -1, 3}};
    Matrix34 scaled = sample();
    matrixScaleWorld(2, 0.5f, 3, scaled);
    for (const Matrix34& m : {sample(), scaled, swap}) {
        Matrix34 inv, product;
        ASSERT_EQ(matrixInverse(m, inv), 1);
        matrixMultiply(m, inv, product);
        expectMatrixNear(product, kIdentityMatrix);
        matrixMultiply(inv, m, product);
        expectMatrixNear(product, kIdentityMatrix);
    }
}

TEST(MatrixInverse, ZeroRowFailsAndLeavesOutputAlone) {
    Matrix34 m = sample();
    for (int c = 0; c < 4; ++c) m.at(0, c) = 0;
    Matrix34 out = sample();
    EXPECT_EQ(matrixInverse(m, out), 0);
    expectMatrixNear(out, sample(), 0);
}

TEST(LuDecomposition, SolvesSystemAndTracksRowSwaps) {
    // Solution (1, 2, 3, 4); the first column forces a pivot away from row 0.
    float a[4][4] = {{0, 1, 2, 3}, {4, 0, 1, 2}, {2, 3, 0, 1}, {1, 2, 3, 0}};
    float b[4] = {20, 15, 12, 14};
    int index[4];
    float parity = 0;
    ASSERT_EQ(luDecompose4(a, index, parity), 1);
    EXPECT_TRUE(parity == 1 || parity == -1);
    EXPECT_EQ(index[0], 1);
    luBackSubstitute4(a, index, b);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(b[i], i + 1, 1e-5f);

    // One swap of two rows gives odd parity.
    float p[4][4] = {{0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    ASSERT_EQ(luDecompose4(p, index, parity), 1);
    EXPECT_EQ(parity, -1);

    float z[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 1}};
    EXPECT_EQ(luDecompose4(z, index, parity), 0);
}
