// View matrices for the mesh pipeline: rotation from angles, look-at, row scaling, products.
#include "scene/camera.h"

#include <algorithm>
#include <cmath>

namespace {
// Degrees to radians with the 3.1415-based factor the scenes' roll angles were tuned with.
constexpr float kRollToRadians = -0.017452778f;
}  // namespace

void rotationFromAngles(Matrix44& m, float yaw, float pitch, float roll) {
    for (float& e : m.m) e = 0.0f;
    m.m[0] = m.m[5] = m.m[10] = m.m[15] = 1.0f;
    const double sa = std::sin(yaw), ca = std::cos(yaw);
    const double sb = std::sin(pitch), cb = std::cos(pitch);
    const double sc = std::sin(roll), cc = std::cos(roll);
    m.at(0, 0) = float(ca * cc + sa * sb * sc);
    m.at(0, 1) = float(sc * cb);
    m.at(0, 2) = float(sa * cc - ca * sb * sc);
    m.at(1, 0) = float(sa * sb * cc - ca * sc);
    m.at(1, 1) = float(cc * cb);
    m.at(1, 2) = float(-ca * sb * cc - sa * sc);
    m.at(2, 0) = float(-sa * cb);
    m.at(2, 1) = float(sb);
    m.at(2, 2) = float(ca * cb);
}

void lookAt(Matrix44& m, const Camera& camera) {
    const double dx = double(camera.target.x) - camera.eye.x;
    const double dy = double(camera.target.y) - camera.eye.y;
    const double dz = double(camera.target.z) - camera.eye.z;
    const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    // An eye on its target has no direction; it then looks along +z instead of yielding NaNs.
    const double yaw = -std::atan2(dx, dz);
    const double pitch = length > 0.0 ? std::asin(std::clamp(dy / length, -1.0, 1.0)) : 0.0;
    rotationFromAngles(m, float(yaw), float(pitch), camera.roll * kRollToRadians);
    translateBy(m, {-camera.eye.x, -camera.eye.y, -camera.eye.z});
}

void scaleRows(Matrix44& m, const Vector3& s) {
    const float factor[3] = {s.x, s.y, s.z};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) m.at(r, c) *= factor[r];
    for (int c = 0; c < 4; ++c) m.at(3, c) = 0.0f;
}

void translateBy(Matrix44& m, const Vector3& v) {
    for (int r = 0; r < 3; ++r)
        m.at(r, 3) += m.at(r, 0) * v.x + m.at(r, 1) * v.y + m.at(r, 2) * v.z;
}

void multiplyBy(Matrix44& m, const Matrix44& b) {
    float out[12];
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c)
            out[4 * r + c] =
                m.at(r, 0) * b.at(0, c) + m.at(r, 1) * b.at(1, c) + m.at(r, 2) * b.at(2, c);
        out[4 * r + 3] += m.at(r, 3);
    }
    for (int i = 0; i < 12; ++i) m.m[i] = out[i];
    for (int c = 0; c < 4; ++c) m.at(3, c) = 0.0f;
}

void setupSceneCamera(Camera& camera, float fov, float aspect, double halfAngle) {
    const double tanHalf = std::tan(halfAngle);
    camera.eye = {0.0f, 0.0f, 0.0f};
    camera.target = {0.0f, 0.0f, 0.0f};
    camera.roll = 0.0f;
    camera.fov = fov;
    camera.aspect = aspect;
    camera.projScaleX = 1.0f;
    camera.projScaleY = 1.0f;
    camera.viewScaleX = float(1.0 / tanHalf);
    camera.viewScaleY = float(aspect / tanHalf);
    camera.tanHalfFovX = 1.0f / camera.viewScaleX;
    camera.tanHalfFovY = 1.0f / camera.viewScaleY;
}

void buildViewMatrix(Matrix44& m, const Camera& camera) {
    lookAt(m, camera);
    scaleRows(m, {camera.viewScaleX, camera.viewScaleY, 1.0f});
}
