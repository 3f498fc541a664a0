// Tests of the camera's view matrix: look-at, roll, field-of-view scaling and matrix products.
#include <gtest/gtest.h>

#include <cmath>

#include "scene/camera.h"

namespace {

Vector3 apply(const Matrix44& m, Vector3 p) {
    return {m.at(0, 0) * p.x + m.at(0, 1) * p.y + m.at(0, 2) * p.z + m.at(0, 3),
            m.at(1, 0) * p.x + m.at(1, 1) * p.y + m.at(1, 2) * p.z + m.at(1, 3),
            m.at(2, 0) * p.x + m.at(2, 1) * p.y + m.at(2, 2) * p.z + m.at(2, 3)};
}

void expectNear(Vector3 a, Vector3 b, float tolerance = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

Camera looking(Vector3 eye, Vector3 target, float roll = 0.0f) {
    Camera c{};
    c.eye = eye, c.target = target, c.roll = roll;
    return c;
}

}  // namespace

TEST(CameraLookAt, TargetLandsOnThePositiveZAxis) {
    Matrix44 m;
    lookAt(m, looking({0, 0, 0}, {0, 0, 100}));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(m.at(r, c), r == c ? 1.0f : 0.0f, 1e-6) << r << c;

    lookAt(m, looking({0, 0, -10}, {0, 0, 0}));
    expectNear(apply(m, {0, 0, 0}), {0, 0, 10});

    lookAt(m, looking({0, 0, 0}, {100, 0, 0}));
    expectNear(apply(m, {100, 0, 0}), {0, 0, 100});

    // Any eye and target: the target sits at its distance along +z, and the map keeps lengths.
    const Vector3 eye = {3, -7, 11}, target = {-20, 15, 40};
    lookAt(m, looking(eye, target, 33.0f));
    const float distance = std::sqrt(23.0f * 23 + 22.0f * 22 + 29.0f * 29);
    expectNear(apply(m, target), {0, 0, distance});
    const Vector3 p = apply(m, {eye.x + 1, eye.y + 2, eye.z + 2});
    EXPECT_NEAR(p.x * p.x + p.y * p.y + p.z * p.z, 9.0f, 1e-4);
}

TEST(CameraLookAt, RollAndDegenerateDirection) {
    Matrix44 m;
    lookAt(m, looking({0, 0, 0}, {0, 0, 1}, 180.0f));
    expectNear(apply(m, {2, 3, 5}), {-2, -3, 5}, 1e-3f);  // the 3.1415 factor is not exact
    lookAt(m, looking({0, 0, 0}, {0, 0, 1}, 90.0f));
    expectNear(apply(m, {1, 0, 0}), {0, 1, 0}, 1e-3f);

    lookAt(m, looking({1, 2, 3}, {1, 2, 3}, 10.0f));  // eye on the target: still a finite matrix
    for (int i = 0; i < 12; ++i) EXPECT_TRUE(std::isfinite(m.m[i])) << i;
    lookAt(m, looking({0, 0, 0}, {0, 50, 0}));  // straight up
    expectNear(apply(m, {0, 50, 0}), {0, 0, 50});
}

TEST(CameraMatrices, RotationOrderScalingAndProducts) {
    Matrix44 m;
    // Yaw turns first: +z goes to +x, which the pitch then leaves alone.
    rotationFromAngles(m, float(M_PI / 2), float(M_PI / 2), 0.0f);
    expectNear(apply(m, {0, 0, 1}), {1, 0, 0});
    EXPECT_EQ(m.at(3, 3), 1.0f);

    Camera camera{};
    setupSceneCamera(camera, 61.0f, 1.2f, kHalfAngle61);
    const float k = float(1.0 / std::tan(30.5 * M_PI / 180));
    EXPECT_FLOAT_EQ(camera.viewScaleX, k);
    EXPECT_FLOAT_EQ(camera.viewScaleY, 1.2f * k);
    EXPECT_FLOAT_EQ(camera.tanHalfFovY, 1.0f / (1.2f * k));
    EXPECT_EQ(camera.projScaleX, 1.0f);
    camera.eye = {4, 5, -60};
    camera.target = {1, -2, 9};
    camera.roll = 15.0f;
    Matrix44 plain, scaled;
    lookAt(plain, camera);
    buildViewMatrix(scaled, camera);
    const Vector3 p = apply(plain, {7, 8, 9}), q = apply(scaled, {7, 8, 9});
    expectNear(q, {p.x * k, p.y * 1.2f * k, p.z});

    // m = m b with b a translation composes as m (p + t); row 3 ends up zero.
    Matrix44 b;
    rotationFromAngles(b, 0, 0, 0);
    b.at(0, 3) = 1, b.at(1, 3) = 2, b.at(2, 3) = 3;
    Matrix44 product = plain;
    multiplyBy(product, b);
    expectNear(apply(product, {7, 8, 9}), apply(plain, {8, 10, 12}));
    EXPECT_EQ(product.at(3, 3), 0.0f);
    Matrix44 moved = plain;
    translateBy(moved, {1, 2, 3});
    expectNear(apply(moved, {7, 8, 9}), apply(plain, {8, 10, 12}));
}
