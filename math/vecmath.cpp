// Vector and 3 x 4 affine matrix operations; straight-line arithmetic, no allocation, no state.
#include "math/vecmath.h"

#include <cfloat>
#include <cmath>

const Matrix34 kIdentityMatrix = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0}};

void matrixMultiply(const Matrix34& a, const Matrix34& b, Matrix34& out) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            out.at(r, c) =
                a.at(r, 0) * b.at(0, c) + a.at(r, 1) * b.at(1, c) + a.at(r, 2) * b.at(2, c);
        out.at(r, 3) = a.at(r, 0) * b.at(0, 3) + a.at(r, 1) * b.at(1, 3) + a.at(r, 2) * b.at(2, 3) +
                       a.at(r, 3);
    }
}

void matrixTransformPoint(const Matrix34& m, const Vector3& p, Vector3& out) {
    out.x = m.m[0] * p.x + m.m[1] * p.y + m.m[2] * p.z + m.m[3];
    out.y = m.m[4] * p.x + m.m[5] * p.y + m.m[6] * p.z + m.m[7];
    out.z = m.m[8] * p.x + m.m[9] * p.y + m.m[10] * p.z + m.m[11];
}

void matrixTransformDirection(const Matrix34& m, const Vector3& v, Vector3& out) {
    out.x = m.m[0] * v.x + m.m[1] * v.y + m.m[2] * v.z;
    out.y = m.m[4] * v.x + m.m[5] * v.y + m.m[6] * v.z;
    out.z = m.m[8] * v.x + m.m[9] * v.y + m.m[10] * v.z;
}

void vectorCross(const Vector3& a, const Vector3& b, Vector3& out) {
    out.x = a.y * b.z - a.z * b.y;
    out.y = a.z * b.x - a.x * b.z;
    out.z = a.x * b.y - a.y * b.x;
}

int vectorNormalize(Vector3& v) {
    float x = v.x, y = v.y, z = v.z;
    float squared = x * x + y * y + z * z;
    if (!(squared >= FLT_MIN && squared <= FLT_MAX)) {
        // The squares overflowed, lost their precision below the normal range, or met a NaN:
        // divide by the largest component first, which brings the sum into [1, 3].
        const float largest = std::fmax(std::fabs(x), std::fmax(std::fabs(y), std::fabs(z)));
        if (largest == 0.0f) return 0;
        if (!(largest <= FLT_MAX) || std::isnan(x + y + z)) return 0;  // no length to divide by
        x /= largest;
        y /= largest;
        z /= largest;
        squared = x * x + y * y + z * z;
    }
    const float inv = 1.0f / std::sqrt(squared);
    v.x = x * inv;
    v.y = y * inv;
    v.z = z * inv;
    return 1;
}

void matrixTranslateWorld(float x, float y, float z, Matrix34& m) {
    m.m[3] += x;
    m.m[7] += y;
    m.m[11] += z;
}

void matrixScaleWorld(float x, float y, float z, Matrix34& m) {
    for (int c = 0; c < 4; ++c) {
        m.at(0, c) *= x;
        m.at(1, c) *= y;
        m.at(2, c) *= z;
    }
}

// World rotations mix two rows; each new value is built from the old pair, so both are read
// before either is written.
void matrixRotateWorldX(float angle, Matrix34& m) {
    float c = std::cos(angle), s = std::sin(angle);
    for (int col = 0; col < 4; ++col) {
        float r1 = m.at(1, col), r2 = m.at(2, col);
        m.at(1, col) = c * r1 - s * r2;
        m.at(2, col) = c * r2 + s * r1;
    }
}

void matrixRotateWorldY(float angle, Matrix34& m) {
    float c = std::cos(angle), s = std::sin(angle);
    for (int col = 0; col < 4; ++col) {
        float r0 = m.at(0, col), r2 = m.at(2, col);
        m.at(0, col) = c * r0 + s * r2;
        m.at(2, col) = c * r2 - s * r0;
    }
}

void matrixRotateWorldZ(float angle, Matrix34& m) {
    float c = std::cos(angle), s = std::sin(angle);
    for (int col = 0; col < 4; ++col) {
        float r0 = m.at(0, col), r1 = m.at(1, col);
        m.at(0, col) = c * r0 - s * r1;
        m.at(1, col) = c * r1 + s * r0;
    }
}

// Local rotations mix two columns of each row; the translation column stays as it is.
void matrixRotateLocalX(float angle, Matrix34& m) {
    float c = std::cos(angle), s = std::sin(angle);
    for (int r = 0; r < 3; ++r) {
        float c1 = m.at(r, 1), c2 = m.at(r, 2);
        m.at(r, 1) = c * c1 + s * c2;
        m.at(r, 2) = c * c2 - s * c1;
    }
}

void matrixRotateLocalY(float angle, Matrix34& m) {
    float c = std::cos(angle), s = std::sin(angle);
    for (int r = 0; r < 3; ++r) {
        float c0 = m.at(r, 0), c2 = m.at(r, 2);
        m.at(r, 0) = c * c0 - s * c2;
        m.at(r, 2) = c * c2 + s * c0;
    }
}

int matrixInverse(const Matrix34& m, Matrix34& out) {
    float a[4][4] = {{m.m[0], m.m[1], m.m[2], m.m[3]},
                     {m.m[4], m.m[5], m.m[6], m.m[7]},
                     {m.m[8], m.m[9], m.m[10], m.m[11]},
                     {0, 0, 0, 1}};
    int index[4];
    float parity;
    if (!luDecompose4(a, index, parity)) return 0;
    float inv[4][4];
    for (int i = 0; i < 4; ++i) {
        float b[4] = {0, 0, 0, 0};
        b[i] = 1;
        luBackSubstitute4(a, index, b);
        for (int r = 0; r < 4; ++r) inv[r][i] = b[r];
    }
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) out.at(r, c) = inv[r][c];
    return 1;
}

int luDecompose4(float a[4][4], int index[4], float& parity) {
    float scale[4];
    parity = 1;
    for (int i = 0; i < 4; ++i) {
        float big = 0;
        for (int j = 0; j < 4; ++j)
            if (std::fabs(a[i][j]) > big) big = std::fabs(a[i][j]);
        if (big == 0) return 0;
        scale[i] = 1 / big;
    }
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < j; ++i) {
            float sum = a[i][j];
            for (int k = 0; k < i; ++k) sum -= a[i][k] * a[k][j];
            a[i][j] = sum;
        }
        float big = 0;
        int pivot = j;
        for (int i = j; i < 4; ++i) {
            float sum = a[i][j];
            for (int k = 0; k < j; ++k) sum -= a[i][k] * a[k][j];
            a[i][j] = sum;
            // ">=" lets the later row win a tie, which fixes the pivot choice exactly.
            if (scale[i] * std::fabs(sum) >= big) {
                big = scale[i] * std::fabs(sum);
                pivot = i;
            }
        }
        if (pivot != j) {
            for (int k = 0; k < 4; ++k) {
                float t = a[pivot][k];
                a[pivot][k] = a[j][k];
                a[j][k] = t;
            }
            parity = -parity;
            scale[pivot] = scale[j];
        }
        index[j] = pivot;
        // A zero pivot is tolerated: the scaling is skipped and the solve later yields infinities.
        if (j < 3 && a[j][j] != 0) {
            float inv = 1 / a[j][j];
            for (int i = j + 1; i < 4; ++i) a[i][j] *= inv;
        }
    }
    return 1;
}

void luBackSubstitute4(const float a[4][4], const int index[4], float b[4]) {
    int first = -1;
    for (int i = 0; i < 4; ++i) {
        int p = index[i];
        float sum = b[p];
        b[p] = b[i];
        if (first >= 0) {
            for (int k = first; k < i; ++k) sum -= a[i][k] * b[k];
        } else if (sum != 0) {
            first = i;
        }
        b[i] = sum;
    }
    for (int i = 3; i >= 0; --i) {
        float sum = b[i];
        for (int k = i + 1; k < 4; ++k) sum -= a[i][k] * b[k];
        b[i] = sum / a[i][i];
    }
}
