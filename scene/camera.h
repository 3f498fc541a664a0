// The scenes' camera record and the view matrix built from it (eye, target, roll, field of view).
#pragma once
#include "math/vecmath.h"

// Sixteen floats, element (r, c) at index 4r + c. Rows 0 to 2 are an affine 3 x 4 matrix in
// the column-vector convention; row 3 is carried along but never read.
struct Matrix44 {
    float m[16];
    float& at(int r, int c) { return m[4 * r + c]; }
    float at(int r, int c) const { return m[4 * r + c]; }
};

// What a scene looks through. Angles are in degrees.
struct Camera {
    Vector3 eye;
    Vector3 target;
    float roll;                      // about the viewing axis
    float fov;                       // recorded only; the view scales carry its effect
    float aspect;                    // takes effect through viewScaleY
    float projScaleX, projScaleY;    // applied to x / z and y / z by the projection
    float viewScaleX, viewScaleY;    // folded into the first two rows of the view matrix
    float tanHalfFovX, tanHalfFovY;  // recorded only
};

// Half angles of the scenes' fields of view, in radians (30.5 and 45.5 degrees).
constexpr double kHalfAngle61 = 0.5323254366715749475;
constexpr double kHalfAngle91 = 0.794124831755956051;

// m = the rotation yaw about y first, then pitch about x, then roll about z; zero translation.
void rotationFromAngles(Matrix44& m, float yaw, float pitch, float roll);
// m = the camera's view matrix: a point p maps to R (p - eye), the target onto +z.
void lookAt(Matrix44& m, const Camera& camera);
// m = diag(s.x, s.y, s.z) m; row 3 becomes zero.
void scaleRows(Matrix44& m, const Vector3& s);
// m = m translation(v); the 3 x 3 part is unchanged.
void translateBy(Matrix44& m, const Vector3& v);
// m = m b as affine 3 x 4 matrices; row 3 becomes zero.
void multiplyBy(Matrix44& m, const Matrix44& b);

// Fills the camera as every scene does (view scales 1/tan and aspect/tan of halfAngle); eye zeroed.
void setupSceneCamera(Camera& camera, float fov, float aspect, double halfAngle);
// m = the camera's view matrix with the field of view folded in (lookAt, then scaleRows).
void buildViewMatrix(Matrix44& m, const Camera& camera);
