// Vectors and 3 x 4 affine matrices: free functions on caller-owned storage, column-vector
// convention.
#pragma once

struct Vector3 {
    float x, y, z;
};

// Three rows of four floats; element (r, c) at index 4r + c, translation in column 3.
// The fourth row is always (0, 0, 0, 1) and is not stored.
struct Matrix34 {
    float m[12];
    float& at(int r, int c) { return m[4 * r + c]; }
    float at(int r, int c) const { return m[4 * r + c]; }
};

extern const Matrix34 kIdentityMatrix;

// out = a b (b applied first). out must be distinct from a and b.
void matrixMultiply(const Matrix34& a, const Matrix34& b, Matrix34& out);
// out = m (p, 1). out must not alias p.
void matrixTransformPoint(const Matrix34& m, const Vector3& p, Vector3& out);
// out = linear part of m times v. out must not alias v.
void matrixTransformDirection(const Matrix34& m, const Vector3& v, Vector3& out);
// out = a x b.
void vectorCross(const Vector3& a, const Vector3& b, Vector3& out);
// Scales v to unit length and returns 1; returns 0 and leaves v alone when its length is exactly 0
// or not finite (an infinite or NaN component). Any finite length works, however large or small.
int vectorNormalize(Vector3& v);
// m = T(x, y, z) m.
void matrixTranslateWorld(float x, float y, float z, Matrix34& m);
// m = S(x, y, z) m; the translation is scaled too.
void matrixScaleWorld(float x, float y, float z, Matrix34& m);
// m = R(angle) m about a world axis; rotates the translation too.
void matrixRotateWorldX(float angle, Matrix34& m);
void matrixRotateWorldY(float angle, Matrix34& m);
void matrixRotateWorldZ(float angle, Matrix34& m);
// m = m R(angle) about the matrix's own axis; the translation is untouched.
void matrixRotateLocalX(float angle, Matrix34& m);
void matrixRotateLocalY(float angle, Matrix34& m);
// General inverse; returns 1 with out written, or 0 (a zero row) with out untouched.
int matrixInverse(const Matrix34& m, Matrix34& out);
// Crout LU decomposition with implicit partial pivoting; returns 0 when a row is all zero.
int luDecompose4(float a[4][4], int index[4], float& parity);
// Solves a x = b in place, with a and index from luDecompose4.
void luBackSubstitute4(const float a[4][4], const int index[4], float b[4]);
