// D3DX math: vectors, matrices, planes, quaternions and colours.
// Row vectors, left-handed; A * B applies A first, then B.
#pragma once

#include <cfloat>
#include <cmath>

#include "d3d9types.h"
#include "windows.h"

#define D3DX_PI 3.141592654f
#define D3DX_1BYPI 0.318309886f
#define D3DXToRadian(degree) ((degree) * (D3DX_PI / 180.0f))
#define D3DXToDegree(radian) ((radian) * (180.0f / D3DX_PI))

struct D3DXMATRIX;

struct D3DXVECTOR2 {
    float x, y;

    D3DXVECTOR2() = default;
    D3DXVECTOR2(float fx, float fy) : x(fx), y(fy) {}
    explicit D3DXVECTOR2(const float* f) : x(f[0]), y(f[1]) {}

    operator float*() { return &x; }
    operator const float*() const { return &x; }

    D3DXVECTOR2& operator+=(const D3DXVECTOR2& v) {
        x += v.x;
        y += v.y;
        return *this;
    }
    D3DXVECTOR2& operator-=(const D3DXVECTOR2& v) {
        x -= v.x;
        y -= v.y;
        return *this;
    }
    D3DXVECTOR2& operator*=(float s) {
        x *= s;
        y *= s;
        return *this;
    }
    D3DXVECTOR2& operator/=(float s) {
        x /= s;
        y /= s;
        return *this;
    }
    D3DXVECTOR2 operator+() const { return *this; }
    D3DXVECTOR2 operator-() const { return {-x, -y}; }
    D3DXVECTOR2 operator+(const D3DXVECTOR2& v) const { return {x + v.x, y + v.y}; }
    D3DXVECTOR2 operator-(const D3DXVECTOR2& v) const { return {x - v.x, y - v.y}; }
    D3DXVECTOR2 operator*(float s) const { return {x * s, y * s}; }
    D3DXVECTOR2 operator/(float s) const { return {x / s, y / s}; }
    friend D3DXVECTOR2 operator*(float s, const D3DXVECTOR2& v) { return v * s; }
    bool operator==(const D3DXVECTOR2& v) const { return x == v.x && y == v.y; }
    bool operator!=(const D3DXVECTOR2& v) const { return !(*this == v); }
};

struct D3DXVECTOR3 : public D3DVECTOR {
    D3DXVECTOR3() = default;
    D3DXVECTOR3(float fx, float fy, float fz) {
        x = fx;
        y = fy;
        z = fz;
    }
    D3DXVECTOR3(const D3DVECTOR& v) : D3DVECTOR(v) {}
    explicit D3DXVECTOR3(const float* f) {
        x = f[0];
        y = f[1];
        z = f[2];
    }

    operator float*() { return &x; }
    operator const float*() const { return &x; }

    D3DXVECTOR3& operator+=(const D3DXVECTOR3& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    D3DXVECTOR3& operator-=(const D3DXVECTOR3& v) {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }
    D3DXVECTOR3& operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    D3DXVECTOR3& operator/=(float s) {
        x /= s;
        y /= s;
        z /= s;
        return *this;
    }
    D3DXVECTOR3 operator+() const { return *this; }
    D3DXVECTOR3 operator-() const { return {-x, -y, -z}; }
    D3DXVECTOR3 operator+(const D3DXVECTOR3& v) const { return {x + v.x, y + v.y, z + v.z}; }
    D3DXVECTOR3 operator-(const D3DXVECTOR3& v) const { return {x - v.x, y - v.y, z - v.z}; }
    D3DXVECTOR3 operator*(float s) const { return {x * s, y * s, z * s}; }
    D3DXVECTOR3 operator/(float s) const { return {x / s, y / s, z / s}; }
    friend D3DXVECTOR3 operator*(float s, const D3DXVECTOR3& v) { return v * s; }
    bool operator==(const D3DXVECTOR3& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(const D3DXVECTOR3& v) const { return !(*this == v); }
};

struct D3DXVECTOR4 {
    float x, y, z, w;

    D3DXVECTOR4() = default;
    D3DXVECTOR4(float fx, float fy, float fz, float fw) : x(fx), y(fy), z(fz), w(fw) {}
    D3DXVECTOR4(const D3DVECTOR& v, float fw) : x(v.x), y(v.y), z(v.z), w(fw) {}
    explicit D3DXVECTOR4(const float* f) : x(f[0]), y(f[1]), z(f[2]), w(f[3]) {}

    operator float*() { return &x; }
    operator const float*() const { return &x; }

    D3DXVECTOR4& operator+=(const D3DXVECTOR4& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        w += v.w;
        return *this;
    }
    D3DXVECTOR4& operator-=(const D3DXVECTOR4& v) {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        w -= v.w;
        return *this;
    }
    D3DXVECTOR4& operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
        w *= s;
        return *this;
    }
    D3DXVECTOR4& operator/=(float s) {
        x /= s;
        y /= s;
        z /= s;
        w /= s;
        return *this;
    }
    D3DXVECTOR4 operator+() const { return *this; }
    D3DXVECTOR4 operator-() const { return {-x, -y, -z, -w}; }
    D3DXVECTOR4 operator+(const D3DXVECTOR4& v) const { return {x + v.x, y + v.y, z + v.z, w + v.w}; }
    D3DXVECTOR4 operator-(const D3DXVECTOR4& v) const { return {x - v.x, y - v.y, z - v.z, w - v.w}; }
    D3DXVECTOR4 operator*(float s) const { return {x * s, y * s, z * s, w * s}; }
    D3DXVECTOR4 operator/(float s) const { return {x / s, y / s, z / s, w / s}; }
    friend D3DXVECTOR4 operator*(float s, const D3DXVECTOR4& v) { return v * s; }
    bool operator==(const D3DXVECTOR4& v) const { return x == v.x && y == v.y && z == v.z && w == v.w; }
    bool operator!=(const D3DXVECTOR4& v) const { return !(*this == v); }
};

struct D3DXMATRIX : public D3DMATRIX {
    D3DXMATRIX() = default;
    D3DXMATRIX(const D3DMATRIX& mat) : D3DMATRIX(mat) {}
    explicit D3DXMATRIX(const float* f);
    D3DXMATRIX(float f11, float f12, float f13, float f14, float f21, float f22, float f23, float f24, float f31,
               float f32, float f33, float f34, float f41, float f42, float f43, float f44);

    float& operator()(UINT row, UINT col) { return m[row][col]; }
    float operator()(UINT row, UINT col) const { return m[row][col]; }
    operator float*() { return &_11; }
    operator const float*() const { return &_11; }

    D3DXMATRIX& operator*=(const D3DXMATRIX& mat);
    D3DXMATRIX& operator+=(const D3DXMATRIX& mat);
    D3DXMATRIX& operator-=(const D3DXMATRIX& mat);
    D3DXMATRIX& operator*=(float s);
    D3DXMATRIX& operator/=(float s);
    D3DXMATRIX operator+() const { return *this; }
    D3DXMATRIX operator-() const;
    D3DXMATRIX operator*(const D3DXMATRIX& mat) const;
    D3DXMATRIX operator+(const D3DXMATRIX& mat) const;
    D3DXMATRIX operator-(const D3DXMATRIX& mat) const;
    D3DXMATRIX operator*(float s) const;
    D3DXMATRIX operator/(float s) const;
    friend D3DXMATRIX operator*(float s, const D3DXMATRIX& mat) { return mat * s; }
    bool operator==(const D3DXMATRIX& mat) const;
    bool operator!=(const D3DXMATRIX& mat) const { return !(*this == mat); }
};

struct D3DXQUATERNION {
    float x, y, z, w;

    D3DXQUATERNION() = default;
    D3DXQUATERNION(float fx, float fy, float fz, float fw) : x(fx), y(fy), z(fz), w(fw) {}
    explicit D3DXQUATERNION(const float* f) : x(f[0]), y(f[1]), z(f[2]), w(f[3]) {}

    operator float*() { return &x; }
    operator const float*() const { return &x; }

    D3DXQUATERNION& operator+=(const D3DXQUATERNION& q) {
        x += q.x;
        y += q.y;
        z += q.z;
        w += q.w;
        return *this;
    }
    D3DXQUATERNION& operator-=(const D3DXQUATERNION& q) {
        x -= q.x;
        y -= q.y;
        z -= q.z;
        w -= q.w;
        return *this;
    }
    D3DXQUATERNION& operator*=(const D3DXQUATERNION& q);
    D3DXQUATERNION& operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
        w *= s;
        return *this;
    }
    D3DXQUATERNION& operator/=(float s) {
        x /= s;
        y /= s;
        z /= s;
        w /= s;
        return *this;
    }
    D3DXQUATERNION operator+() const { return *this; }
    D3DXQUATERNION operator-() const { return {-x, -y, -z, -w}; }
    D3DXQUATERNION operator+(const D3DXQUATERNION& q) const { return {x + q.x, y + q.y, z + q.z, w + q.w}; }
    D3DXQUATERNION operator-(const D3DXQUATERNION& q) const { return {x - q.x, y - q.y, z - q.z, w - q.w}; }
    D3DXQUATERNION operator*(const D3DXQUATERNION& q) const;
    D3DXQUATERNION operator*(float s) const { return {x * s, y * s, z * s, w * s}; }
    D3DXQUATERNION operator/(float s) const { return {x / s, y / s, z / s, w / s}; }
    friend D3DXQUATERNION operator*(float s, const D3DXQUATERNION& q) { return q * s; }
    bool operator==(const D3DXQUATERNION& q) const { return x == q.x && y == q.y && z == q.z && w == q.w; }
    bool operator!=(const D3DXQUATERNION& q) const { return !(*this == q); }
};

// Plane a x + b y + c z + d = 0.
struct D3DXPLANE {
    float a, b, c, d;

    D3DXPLANE() = default;
    D3DXPLANE(float fa, float fb, float fc, float fd) : a(fa), b(fb), c(fc), d(fd) {}
    explicit D3DXPLANE(const float* f) : a(f[0]), b(f[1]), c(f[2]), d(f[3]) {}

    operator float*() { return &a; }
    operator const float*() const { return &a; }

    D3DXPLANE operator+() const { return *this; }
    D3DXPLANE operator-() const { return {-a, -b, -c, -d}; }
    bool operator==(const D3DXPLANE& p) const { return a == p.a && b == p.b && c == p.c && d == p.d; }
    bool operator!=(const D3DXPLANE& p) const { return !(*this == p); }
};

// Colour with float channels, 0..1 in the usual range.
struct D3DXCOLOR {
    float r, g, b, a;

    D3DXCOLOR() = default;
    D3DXCOLOR(DWORD argb);
    D3DXCOLOR(const D3DCOLORVALUE& c) : r(c.r), g(c.g), b(c.b), a(c.a) {}
    D3DXCOLOR(float fr, float fg, float fb, float fa) : r(fr), g(fg), b(fb), a(fa) {}
    explicit D3DXCOLOR(const float* f) : r(f[0]), g(f[1]), b(f[2]), a(f[3]) {}

    // Channels saturate to 0..255, rounded to nearest.
    operator DWORD() const;
    operator float*() { return &r; }
    operator const float*() const { return &r; }
    operator D3DCOLORVALUE() const { return {r, g, b, a}; }

    D3DXCOLOR& operator+=(const D3DXCOLOR& c) {
        r += c.r;
        g += c.g;
        b += c.b;
        a += c.a;
        return *this;
    }
    D3DXCOLOR& operator-=(const D3DXCOLOR& c) {
        r -= c.r;
        g -= c.g;
        b -= c.b;
        a -= c.a;
        return *this;
    }
    D3DXCOLOR& operator*=(float s) {
        r *= s;
        g *= s;
        b *= s;
        a *= s;
        return *this;
    }
    D3DXCOLOR& operator/=(float s) {
        r /= s;
        g /= s;
        b /= s;
        a /= s;
        return *this;
    }
    D3DXCOLOR operator+() const { return *this; }
    D3DXCOLOR operator-() const { return {-r, -g, -b, -a}; }
    D3DXCOLOR operator+(const D3DXCOLOR& c) const { return {r + c.r, g + c.g, b + c.b, a + c.a}; }
    D3DXCOLOR operator-(const D3DXCOLOR& c) const { return {r - c.r, g - c.g, b - c.b, a - c.a}; }
    D3DXCOLOR operator*(float s) const { return {r * s, g * s, b * s, a * s}; }
    D3DXCOLOR operator/(float s) const { return {r / s, g / s, b / s, a / s}; }
    friend D3DXCOLOR operator*(float s, const D3DXCOLOR& c) { return c * s; }
    bool operator==(const D3DXCOLOR& c) const { return r == c.r && g == c.g && b == c.b && a == c.a; }
    bool operator!=(const D3DXCOLOR& c) const { return !(*this == c); }
};
static_assert(sizeof(D3DXCOLOR) == sizeof(D3DCOLORVALUE));

// --- 2D vectors ---
float D3DXVec2Length(const D3DXVECTOR2* v);
float D3DXVec2Dot(const D3DXVECTOR2* a, const D3DXVECTOR2* b);
D3DXVECTOR2* D3DXVec2Normalize(D3DXVECTOR2* out, const D3DXVECTOR2* v);

// --- 3D vectors ---
float D3DXVec3Length(const D3DXVECTOR3* v);
float D3DXVec3LengthSq(const D3DXVECTOR3* v);
float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* out, const D3DXVECTOR3* v, float s);
D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b, float t);
D3DXVECTOR3* D3DXVec3Minimize(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* D3DXVec3Maximize(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
// A zero vector stays zero.
D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v);
// (x, y, z, 1) times m, divided by the resulting w.
D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
// (x, y, z, 0) times m.
D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
// (x, y, z, 1) times m, all four components.
D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
// Object space to viewport pixels; any matrix may be null (identity).
D3DXVECTOR3* D3DXVec3Project(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DVIEWPORT9* viewport,
                             const D3DXMATRIX* projection, const D3DXMATRIX* view, const D3DXMATRIX* world);
// Viewport pixels back to object space; null when the combined matrix is singular.
D3DXVECTOR3* D3DXVec3Unproject(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DVIEWPORT9* viewport,
                               const D3DXMATRIX* projection, const D3DXMATRIX* view, const D3DXMATRIX* world);

// --- 4D vectors ---
float D3DXVec4Length(const D3DXVECTOR4* v);
float D3DXVec4Dot(const D3DXVECTOR4* a, const D3DXVECTOR4* b);
D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v, const D3DXMATRIX* m);

// --- Matrices ---
D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
BOOL D3DXMatrixIsIdentity(const D3DXMATRIX* m);
float D3DXMatrixDeterminant(const D3DXMATRIX* m);
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);
// Transpose of a * b.
D3DXMATRIX* D3DXMatrixMultiplyTranspose(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);
D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m);
// Null (and out untouched) when m is singular; determinant optional.
D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m);
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z);
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz);
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle);
// The axis is normalised first.
D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle);
D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q);
// Roll about z, then pitch about x, then yaw about y.
D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch, float roll);
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at, const D3DXVECTOR3* up);
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zNear, float zFar);
D3DXMATRIX* D3DXMatrixPerspectiveLH(D3DXMATRIX* out, float width, float height, float zNear, float zFar);
D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float width, float height, float zNear, float zFar);
D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* out, float left, float right, float bottom, float top, float zNear,
                                       float zFar);

// --- Quaternions ---
D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* out);
float D3DXQuaternionLength(const D3DXQUATERNION* q);
float D3DXQuaternionDot(const D3DXQUATERNION* a, const D3DXQUATERNION* b);
D3DXQUATERNION* D3DXQuaternionConjugate(D3DXQUATERNION* out, const D3DXQUATERNION* q);
D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q);
// Rotation by a and then by b.
D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b);
D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis, float angle);
D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* out, const D3DXMATRIX* m);
D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* out, float yaw, float pitch, float roll);
D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b, float t);

// --- Planes ---
float D3DXPlaneDot(const D3DXPLANE* p, const D3DXVECTOR4* v);
float D3DXPlaneDotCoord(const D3DXPLANE* p, const D3DXVECTOR3* v);
float D3DXPlaneDotNormal(const D3DXPLANE* p, const D3DXVECTOR3* v);
D3DXPLANE* D3DXPlaneNormalize(D3DXPLANE* out, const D3DXPLANE* p);
D3DXPLANE* D3DXPlaneFromPointNormal(D3DXPLANE* out, const D3DXVECTOR3* point, const D3DXVECTOR3* normal);
// Normal is the normalised (b - a) x (c - a).
D3DXPLANE* D3DXPlaneFromPoints(D3DXPLANE* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b, const D3DXVECTOR3* c);
// Point where the line through a and b meets the plane; null when parallel.
D3DXVECTOR3* D3DXPlaneIntersectLine(D3DXVECTOR3* out, const D3DXPLANE* p, const D3DXVECTOR3* a, const D3DXVECTOR3* b);

// --- Colours ---
D3DXCOLOR* D3DXColorAdd(D3DXCOLOR* out, const D3DXCOLOR* a, const D3DXCOLOR* b);
D3DXCOLOR* D3DXColorSubtract(D3DXCOLOR* out, const D3DXCOLOR* a, const D3DXCOLOR* b);
D3DXCOLOR* D3DXColorScale(D3DXCOLOR* out, const D3DXCOLOR* c, float s);
D3DXCOLOR* D3DXColorModulate(D3DXCOLOR* out, const D3DXCOLOR* a, const D3DXCOLOR* b);
D3DXCOLOR* D3DXColorLerp(D3DXCOLOR* out, const D3DXCOLOR* a, const D3DXCOLOR* b, float t);
// 1 - r, 1 - g, 1 - b; alpha kept.
D3DXCOLOR* D3DXColorNegative(D3DXCOLOR* out, const D3DXCOLOR* c);
D3DXCOLOR* D3DXColorAdjustSaturation(D3DXCOLOR* out, const D3DXCOLOR* c, float s);
D3DXCOLOR* D3DXColorAdjustContrast(D3DXCOLOR* out, const D3DXCOLOR* c, float s);

// --- Bounding volumes ---
// Axis-aligned box of count positions, each at the start of a stride-byte vertex.
HRESULT D3DXComputeBoundingBox(const D3DXVECTOR3* firstPosition, DWORD count, DWORD stride, D3DXVECTOR3* outMin,
                               D3DXVECTOR3* outMax);
HRESULT D3DXComputeBoundingSphere(const D3DXVECTOR3* firstPosition, DWORD count, DWORD stride, D3DXVECTOR3* outCenter,
                                  float* outRadius);
