#include "shape/ShapeMath.h"

#include <cmath>
#include <cstring>

namespace {

int16_t PackComponent(float v) {
    const float scaled = v * 32767.0f;
    if (!(scaled > -32768.0f)) return scaled < 0.0f ? int16_t(-32768) : int16_t(0);  // also NaN
    if (scaled >= 32767.0f) return 32767;
    return int16_t(scaled);  // truncates toward zero
}

}  // namespace

KShapeQuat16 PackQuat(const KShapeQuat& q) {
    return {PackComponent(q.x), PackComponent(q.y), PackComponent(q.z), PackComponent(q.w)};
}

KShapeQuat UnpackQuat(const KShapeQuat16& p) {
    constexpr float k = 3.051851e-5f;
    return {p.x * k, p.y * k, p.z * k, p.w * k};
}

void QuatToMatrix(const KShapeQuat& q, float* m) {
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    if (x * x + y * y + z * z < 1e-19f) {
        MatrixIdentity(m);
        return;
    }
    const float r[16] = {
        1 - 2 * (y * y + z * z), 2 * (x * y + z * w),     2 * (x * z - y * w),     0,
        2 * (x * y - z * w),     1 - 2 * (x * x + z * z), 2 * (y * z + x * w),     0,
        2 * (x * z + y * w),     2 * (y * z - x * w),     1 - 2 * (x * x + y * y), 0,
        0,                       0,                       0,                       1,
    };
    std::memcpy(m, r, sizeof r);
}

KShapeQuat QuatLerp(KShapeQuat a, const KShapeQuat& b, float t) {
    if (a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w < 0.0f) a = {-a.x, -a.y, -a.z, -a.w};
    const KShapeQuat r{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t, a.w + (b.w - a.w) * t};
    const float l = r.x * r.x + r.y * r.y + r.z * r.z + r.w * r.w;
    // Two quadratic fits of 1 / sqrt(l), either side of 0.857.
    const float k = l >= 0.857f ? (0.454012f * l - 1.403517f) * l + 1.949542f
                                : (0.699368f * l - 1.819985f) * l + 2.126369f;
    return {r.x * k, r.y * k, r.z * k, r.w * k};
}

void MatrixIdentity(float* m) {
    std::memset(m, 0, 16 * sizeof(float));
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

void MatrixTranspose(const float* m, float* out) {
    float t[16];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) t[4 * c + r] = m[4 * r + c];
    std::memcpy(out, t, sizeof t);
}

void MatrixMultiply(const float* a, const float* b, float* out) {
    float t[16];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            t[4 * i + j] = a[4 * i] * b[j] + a[4 * i + 1] * b[4 + j] + a[4 * i + 2] * b[8 + j] + a[4 * i + 3] * b[12 + j];
    std::memcpy(out, t, sizeof t);
}

float MatrixDeterminant3(const float* m) {
    return m[0] * (m[5] * m[10] - m[6] * m[9]) - m[1] * (m[4] * m[10] - m[6] * m[8]) +
           m[2] * (m[4] * m[9] - m[5] * m[8]);
}

void MatrixInverseAffine(float* m) {
    const float det = MatrixDeterminant3(m);
    if (det == 0.0f || !std::isfinite(1.0f / det)) return;
    const float k = 1.0f / det;
    const float r[9] = {
        (m[5] * m[10] - m[6] * m[9]) * k, (m[2] * m[9] - m[1] * m[10]) * k, (m[1] * m[6] - m[2] * m[5]) * k,
        (m[6] * m[8] - m[4] * m[10]) * k, (m[0] * m[10] - m[2] * m[8]) * k, (m[2] * m[4] - m[0] * m[6]) * k,
        (m[4] * m[9] - m[5] * m[8]) * k,  (m[1] * m[8] - m[0] * m[9]) * k,  (m[0] * m[5] - m[1] * m[4]) * k,
    };
    const float tx = m[3], ty = m[7], tz = m[11];
    for (int row = 0; row < 3; ++row) {
        m[4 * row] = r[3 * row];
        m[4 * row + 1] = r[3 * row + 1];
        m[4 * row + 2] = r[3 * row + 2];
        m[4 * row + 3] = -(r[3 * row] * tx + r[3 * row + 1] * ty + r[3 * row + 2] * tz);
    }
}

void MatrixScale(float* m, const KShapeVec3& s) {
    for (int row = 0; row < 4; ++row) {
        m[4 * row] *= s.x;
        m[4 * row + 1] *= s.y;
        m[4 * row + 2] *= s.z;
    }
}

void MatrixScaleUniform(float* m, float s) { MatrixScale(m, {s, s, s}); }

void ArbitraryScaleMatrix(const KShapeQuat& q, const KShapeVec3& s, float* m) {
    float rotation[16], inverse[16];
    QuatToMatrix(q, rotation);
    std::memcpy(inverse, rotation, sizeof inverse);
    MatrixInverseAffine(inverse);
    MatrixScale(rotation, s);
    MatrixMultiply(rotation, inverse, rotation);
    MatrixMultiply(m, rotation, m);
}
