// Numbers of the shape runtime. Matrices are 16 floats in memory order with
// element (row r, column c) at 4r + c; node matrices keep their translation
// in elements 3, 7 and 11 (column vectors), and the device transforms made
// from them are their transposes. Quaternions are x, y, z, w.
#pragma once

#include <cstdint>

struct KShapeVec2 {
    float x, y;
};
struct KShapeVec3 {
    float x, y, z;
};
struct KShapeQuat {
    float x, y, z, w;
};
// A rotation as stored: each component times 32767.
struct KShapeQuat16 {
    int16_t x, y, z, w;
};
static_assert(sizeof(KShapeVec3) == 12 && sizeof(KShapeQuat16) == 8);

KShapeQuat16 PackQuat(const KShapeQuat& q);
KShapeQuat UnpackQuat(const KShapeQuat16& p);
void QuatToMatrix(const KShapeQuat& q, float* m);
// Linear blend with a cheap renormalisation (no square root, no division).
KShapeQuat QuatLerp(KShapeQuat a, const KShapeQuat& b, float t);

void MatrixIdentity(float* m);
void MatrixTranspose(const float* m, float* out);
// out = a x b; out may be a or b.
void MatrixMultiply(const float* a, const float* b, float* out);
// In place for an affine matrix (last row 0, 0, 0, 1); a singular matrix is
// left as it is.
void MatrixInverseAffine(float* m);
float MatrixDeterminant3(const float* m);
// m x diag(s.x, s.y, s.z, 1).
void MatrixScale(float* m, const KShapeVec3& s);
void MatrixScaleUniform(float* m, float s);
// m becomes m x ((R scaled by s) x inverse of R), R the matrix of q.
void ArbitraryScaleMatrix(const KShapeQuat& q, const KShapeVec3& s, float* m);
