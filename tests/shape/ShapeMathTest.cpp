// Packed quaternions, quaternion matrices, the cheap interpolation and the
// matrix helpers.
#include <gtest/gtest.h>

#include <cmath>

#include "shape/ShapeMath.h"

namespace shape_math_test {
namespace {

void ExpectMatrixNear(const float* got, const std::array<float, 16>& want, float tolerance = 1e-6f) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(got[i], want[i], tolerance) << "element " << i;
}

const std::array<float, 16> kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

TEST(ShapeMath, PackAndUnpackQuaternions) {
    const KShapeQuat16 p = PackQuat({0, 0, 0, 1});
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.w, 32767);
    EXPECT_EQ(UnpackQuat(p).w, 1.0f);
    // Truncated toward zero; out-of-range components stay in 16 bits.
    const KShapeQuat16 q = PackQuat({0.5f, -0.5f, 2.0f, -2.0f});
    EXPECT_EQ(q.x, 16383);
    EXPECT_EQ(q.y, -16383);
    EXPECT_EQ(q.z, 32767);
    EXPECT_EQ(q.w, -32768);
    EXPECT_FLOAT_EQ(UnpackQuat({-32767, 16383, 0, 0}).x, -1.0f);
}

TEST(ShapeMath, QuatToMatrixRotatesAndTreatsTinyAxesAsIdentity) {
    float m[16];
    QuatToMatrix({0, 0, 0, 1}, m);
    ExpectMatrixNear(m, kIdentity);
    QuatToMatrix({std::sqrt(1e-20f), 0, 0, 0.5f}, m);
    ExpectMatrixNear(m, kIdentity, 0.0f);
    // 90 degrees about z: row (1 - 2(y² + z²), 2(xy + zw), 2(xz - yw)) ...
    const float h = std::sqrt(0.5f);
    QuatToMatrix({0, 0, h, h}, m);
    ExpectMatrixNear(m, {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
}

TEST(ShapeMath, QuatLerpRenormalisesWithoutASquareRoot) {
    const KShapeQuat q{0, 0, 0, 1};
    const KShapeQuat start = QuatLerp(q, q, 0.0f);
    EXPECT_FLOAT_EQ(start.w, 1.000037f);  // k(1.0)
    for (float t : {0.0f, 0.3f, 1.0f}) {
        const KShapeQuat r = QuatLerp({-0.6f, 0, 0, -0.8f}, {0.6f, 0, 0, 0.8f}, t);
        EXPECT_NEAR(r.x, 0.6f, 1e-3f) << t;  // a is negated first
        EXPECT_NEAR(r.w, 0.8f, 1e-3f) << t;
    }
    // Half way between two perpendicular unit quaternions: l = 0.5 takes the
    // lower fit, close to 1 / sqrt(0.5).
    const KShapeQuat mid = QuatLerp({1, 0, 0, 0}, {0, 1, 0, 0}, 0.5f);
    EXPECT_NEAR(mid.x, 0.5f * ((0.699368f * 0.5f - 1.819985f) * 0.5f + 2.126369f), 1e-6f);
    EXPECT_NEAR(mid.x * mid.x + mid.y * mid.y, 1.0f, 0.05f);  // roughly unit
}

TEST(ShapeMath, MultiplyIsRowByColumn) {
    const float a[16] = {1, 2, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float b[16] = {1, 0, 0, 5, 0, 1, 0, 6, 0, 0, 1, 7, 0, 0, 0, 1};
    float out[16];
    MatrixMultiply(a, b, out);
    ExpectMatrixNear(out, {1, 2, 0, 17, 0, 1, 0, 6, 0, 0, 1, 7, 0, 0, 0, 1});
    float alias[16];
    std::copy(a, a + 16, alias);
    MatrixMultiply(alias, b, alias);
    ExpectMatrixNear(alias, {1, 2, 0, 17, 0, 1, 0, 6, 0, 0, 1, 7, 0, 0, 0, 1});
}

TEST(ShapeMath, InverseAffineUndoesTheTransformAndLeavesASingularMatrix) {
    float m[16];
    QuatToMatrix({0, 0, std::sqrt(0.5f), std::sqrt(0.5f)}, m);
    MatrixScale(m, {2, 3, 4});
    m[3] = 5;
    m[7] = -6;
    m[11] = 7;
    EXPECT_NEAR(MatrixDeterminant3(m), 24.0f, 1e-5f);
    float inverse[16], product[16];
    std::copy(m, m + 16, inverse);
    MatrixInverseAffine(inverse);
    MatrixMultiply(m, inverse, product);
    ExpectMatrixNear(product, kIdentity, 1e-5f);

    float flat[16] = {1, 2, 3, 9, 2, 4, 6, 9, 0, 0, 1, 9, 0, 0, 0, 1};
    const std::array<float, 16> before = {1, 2, 3, 9, 2, 4, 6, 9, 0, 0, 1, 9, 0, 0, 0, 1};
    EXPECT_EQ(MatrixDeterminant3(flat), 0.0f);
    MatrixInverseAffine(flat);
    ExpectMatrixNear(flat, before, 0.0f);
}

TEST(ShapeMath, ScalesMultiplyColumns) {
    float m[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 0, 0, 1};
    MatrixScale(m, {2, 3, 4});
    ExpectMatrixNear(m, {2, 6, 12, 4, 10, 18, 28, 8, 18, 30, 44, 12, 0, 0, 0, 1});
    MatrixScaleUniform(m, 0.5f);
    ExpectMatrixNear(m, {1, 3, 6, 4, 5, 9, 14, 8, 9, 15, 22, 12, 0, 0, 0, 1});
}

TEST(ShapeMath, ArbitraryScaleStretchesAlongTheTurnedAxes) {
    // Scale x by 2 in a frame turned 90 degrees about z: the stretch lands
    // on the world's y axis.
    float m[16];
    MatrixIdentity(m);
    const float h = std::sqrt(0.5f);
    ArbitraryScaleMatrix({0, 0, h, h}, {2, 1, 1}, m);
    ExpectMatrixNear(m, {1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, 1e-5f);
    // With no turn it is a plain scale.
    MatrixIdentity(m);
    ArbitraryScaleMatrix({0, 0, 0, 1}, {2, 3, 4}, m);
    ExpectMatrixNear(m, {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1});
}

}  // namespace
}  // namespace shape_math_test
