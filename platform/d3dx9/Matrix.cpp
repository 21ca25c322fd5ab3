// 4 x 4 matrices: products, inverse and the usual transforms.
#include "d3dx9math.h"

D3DXMATRIX::D3DXMATRIX(const float* f) {
    for (int i = 0; i < 16; ++i) m[i / 4][i % 4] = f[i];
}

D3DXMATRIX::D3DXMATRIX(float f11, float f12, float f13, float f14, float f21, float f22, float f23, float f24,
                       float f31, float f32, float f33, float f34, float f41, float f42, float f43, float f44) {
    _11 = f11;
    _12 = f12;
    _13 = f13;
    _14 = f14;
    _21 = f21;
    _22 = f22;
    _23 = f23;
    _24 = f24;
    _31 = f31;
    _32 = f32;
    _33 = f33;
    _34 = f34;
    _41 = f41;
    _42 = f42;
    _43 = f43;
    _44 = f44;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& mat) {
    D3DXMatrixMultiply(this, this, &mat);
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator+=(const D3DXMATRIX& mat) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] += mat.m[r][c];
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator-=(const D3DXMATRIX& mat) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] -= mat.m[r][c];
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator*=(float s) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] *= s;
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator/=(float s) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] /= s;
    return *this;
}

D3DXMATRIX D3DXMATRIX::operator-() const { return *this * -1.0f; }

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& mat) const {
    D3DXMATRIX r;
    D3DXMatrixMultiply(&r, this, &mat);
    return r;
}

D3DXMATRIX D3DXMATRIX::operator+(const D3DXMATRIX& mat) const {
    D3DXMATRIX r = *this;
    return r += mat;
}

D3DXMATRIX D3DXMATRIX::operator-(const D3DXMATRIX& mat) const {
    D3DXMATRIX r = *this;
    return r -= mat;
}

D3DXMATRIX D3DXMATRIX::operator*(float s) const {
    D3DXMATRIX r = *this;
    return r *= s;
}

D3DXMATRIX D3DXMATRIX::operator/(float s) const {
    D3DXMATRIX r = *this;
    return r /= s;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& mat) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m[r][c] != mat.m[r][c]) return false;
    return true;
}

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
    *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

BOOL D3DXMatrixIsIdentity(const D3DXMATRIX* m) {
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    return *m == identity;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    D3DXMATRIX r;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            r.m[row][col] = a->m[row][0] * b->m[0][col] + a->m[row][1] * b->m[1][col] + a->m[row][2] * b->m[2][col] +
                            a->m[row][3] * b->m[3][col];
        }
    }
    *out = r;
    return out;
}

D3DXMATRIX* D3DXMatrixMultiplyTranspose(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, a, b);
    return D3DXMatrixTranspose(out, &product);
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m) {
    D3DXMATRIX r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) r.m[row][col] = m->m[col][row];
    *out = r;
    return out;
}

namespace {

// The 2 x 2 minors of the lower and upper row pairs, shared by the
// determinant and the inverse.
struct PairMinors {
    float s[6];  // rows 0 and 1
    float c[6];  // rows 2 and 3
};

PairMinors ComputePairMinors(const D3DXMATRIX& a) {
    PairMinors p;
    p.s[0] = a._11 * a._22 - a._21 * a._12;
    p.s[1] = a._11 * a._23 - a._21 * a._13;
    p.s[2] = a._11 * a._24 - a._21 * a._14;
    p.s[3] = a._12 * a._23 - a._22 * a._13;
    p.s[4] = a._12 * a._24 - a._22 * a._14;
    p.s[5] = a._13 * a._24 - a._23 * a._14;
    p.c[5] = a._33 * a._44 - a._43 * a._34;
    p.c[4] = a._32 * a._44 - a._42 * a._34;
    p.c[3] = a._32 * a._43 - a._42 * a._33;
    p.c[2] = a._31 * a._44 - a._41 * a._34;
    p.c[1] = a._31 * a._43 - a._41 * a._33;
    p.c[0] = a._31 * a._42 - a._41 * a._32;
    return p;
}

float DeterminantOf(const PairMinors& p) {
    return p.s[0] * p.c[5] - p.s[1] * p.c[4] + p.s[2] * p.c[3] + p.s[3] * p.c[2] - p.s[4] * p.c[1] + p.s[5] * p.c[0];
}

}  // namespace

float D3DXMatrixDeterminant(const D3DXMATRIX* m) { return DeterminantOf(ComputePairMinors(*m)); }

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m) {
    const D3DXMATRIX& a = *m;
    PairMinors p = ComputePairMinors(a);
    float det = DeterminantOf(p);
    if (determinant) *determinant = det;
    float inv = 1.0f / det;
    if (det == 0.0f || !std::isfinite(inv)) return nullptr;
    const float* s = p.s;
    const float* c = p.c;
    D3DXMATRIX r;
    r._11 = (a._22 * c[5] - a._23 * c[4] + a._24 * c[3]) * inv;
    r._12 = (-a._12 * c[5] + a._13 * c[4] - a._14 * c[3]) * inv;
    r._13 = (a._42 * s[5] - a._43 * s[4] + a._44 * s[3]) * inv;
    r._14 = (-a._32 * s[5] + a._33 * s[4] - a._34 * s[3]) * inv;
    r._21 = (-a._21 * c[5] + a._23 * c[2] - a._24 * c[1]) * inv;
    r._22 = (a._11 * c[5] - a._13 * c[2] + a._14 * c[1]) * inv;
    r._23 = (-a._41 * s[5] + a._43 * s[2] - a._44 * s[1]) * inv;
    r._24 = (a._31 * s[5] - a._33 * s[2] + a._34 * s[1]) * inv;
    r._31 = (a._21 * c[4] - a._22 * c[2] + a._24 * c[0]) * inv;
    r._32 = (-a._11 * c[4] + a._12 * c[2] - a._14 * c[0]) * inv;
    r._33 = (a._41 * s[4] - a._42 * s[2] + a._44 * s[0]) * inv;
    r._34 = (-a._31 * s[4] + a._32 * s[2] - a._34 * s[0]) * inv;
    r._41 = (-a._21 * c[3] + a._22 * c[1] - a._23 * c[0]) * inv;
    r._42 = (a._11 * c[3] - a._12 * c[1] + a._13 * c[0]) * inv;
    r._43 = (-a._41 * s[3] + a._42 * s[1] - a._43 * s[0]) * inv;
    r._44 = (a._31 * s[3] - a._32 * s[1] + a._33 * s[0]) * inv;
    *out = r;
    return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
    D3DXMatrixIdentity(out);
    out->_41 = x;
    out->_42 = y;
    out->_43 = z;
    return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
    D3DXMatrixIdentity(out);
    out->_11 = sx;
    out->_22 = sy;
    out->_33 = sz;
    return out;
}

namespace {

// A rotation that turns axis `from` towards axis `to` (row vectors, left-handed).
D3DXMATRIX* PlaneRotation(D3DXMATRIX* out, float angle, int from, int to) {
    float c = std::cos(angle), s = std::sin(angle);
    D3DXMatrixIdentity(out);
    out->m[from][from] = c;
    out->m[from][to] = s;
    out->m[to][from] = -s;
    out->m[to][to] = c;
    return out;
}

}  // namespace

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle) { return PlaneRotation(out, angle, 1, 2); }

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle) { return PlaneRotation(out, angle, 2, 0); }

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) { return PlaneRotation(out, angle, 0, 1); }

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle) {
    D3DXVECTOR3 v;
    D3DXVec3Normalize(&v, axis);
    float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    D3DXMatrixIdentity(out);
    out->_11 = t * v.x * v.x + c;
    out->_12 = t * v.x * v.y + s * v.z;
    out->_13 = t * v.x * v.z - s * v.y;
    out->_21 = t * v.x * v.y - s * v.z;
    out->_22 = t * v.y * v.y + c;
    out->_23 = t * v.y * v.z + s * v.x;
    out->_31 = t * v.x * v.z + s * v.y;
    out->_32 = t * v.y * v.z - s * v.x;
    out->_33 = t * v.z * v.z + c;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q) {
    float x = q->x, y = q->y, z = q->z, w = q->w;
    D3DXMatrixIdentity(out);
    out->_11 = 1.0f - 2.0f * (y * y + z * z);
    out->_12 = 2.0f * (x * y + z * w);
    out->_13 = 2.0f * (x * z - y * w);
    out->_21 = 2.0f * (x * y - z * w);
    out->_22 = 1.0f - 2.0f * (x * x + z * z);
    out->_23 = 2.0f * (y * z + x * w);
    out->_31 = 2.0f * (x * z + y * w);
    out->_32 = 2.0f * (y * z - x * w);
    out->_33 = 1.0f - 2.0f * (x * x + y * y);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch, float roll) {
    D3DXMATRIX rollM, pitchM, yawM;
    D3DXMatrixRotationZ(&rollM, roll);
    D3DXMatrixRotationX(&pitchM, pitch);
    D3DXMatrixRotationY(&yawM, yaw);
    D3DXMatrixMultiply(out, &rollM, &pitchM);
    return D3DXMatrixMultiply(out, out, &yawM);
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at, const D3DXVECTOR3* up) {
    D3DXVECTOR3 zAxis = *at - *eye;
    D3DXVec3Normalize(&zAxis, &zAxis);
    D3DXVECTOR3 xAxis;
    D3DXVec3Cross(&xAxis, up, &zAxis);
    D3DXVec3Normalize(&xAxis, &xAxis);
    D3DXVECTOR3 yAxis;
    D3DXVec3Cross(&yAxis, &zAxis, &xAxis);
    *out = D3DXMATRIX(xAxis.x, yAxis.x, zAxis.x, 0.0f, xAxis.y, yAxis.y, zAxis.y, 0.0f, xAxis.z, yAxis.z, zAxis.z, 0.0f,
                      -D3DXVec3Dot(&xAxis, eye), -D3DXVec3Dot(&yAxis, eye), -D3DXVec3Dot(&zAxis, eye), 1.0f);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zNear, float zFar) {
    float yScale = 1.0f / std::tan(fovY * 0.5f);
    float xScale = yScale / aspect;
    float q = zFar / (zFar - zNear);
    *out = D3DXMATRIX(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, q, 1, 0, 0, -zNear * q, 0);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveLH(D3DXMATRIX* out, float width, float height, float zNear, float zFar) {
    float q = zFar / (zFar - zNear);
    *out = D3DXMATRIX(2.0f * zNear / width, 0, 0, 0, 0, 2.0f * zNear / height, 0, 0, 0, 0, q, 1, 0, 0, -zNear * q, 0);
    return out;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float width, float height, float zNear, float zFar) {
    *out = D3DXMATRIX(2.0f / width, 0, 0, 0, 0, 2.0f / height, 0, 0, 0, 0, 1.0f / (zFar - zNear), 0, 0, 0,
                      zNear / (zNear - zFar), 1);
    return out;
}

D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* out, float left, float right, float bottom, float top, float zNear,
                                       float zFar) {
    *out = D3DXMATRIX(2.0f / (right - left), 0, 0, 0, 0, 2.0f / (top - bottom), 0, 0, 0, 0, 1.0f / (zFar - zNear), 0,
                      (left + right) / (left - right), (top + bottom) / (bottom - top), zNear / (zNear - zFar), 1);
    return out;
}
