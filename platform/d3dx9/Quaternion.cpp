// Rotation quaternions (x, y, z vector part, w scalar part).
#include "d3dx9math.h"

D3DXQUATERNION& D3DXQUATERNION::operator*=(const D3DXQUATERNION& q) {
    D3DXQuaternionMultiply(this, this, &q);
    return *this;
}

D3DXQUATERNION D3DXQUATERNION::operator*(const D3DXQUATERNION& q) const {
    D3DXQUATERNION r;
    D3DXQuaternionMultiply(&r, this, &q);
    return r;
}

D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* out) {
    *out = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    return out;
}

float D3DXQuaternionDot(const D3DXQUATERNION* a, const D3DXQUATERNION* b) {
    return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

float D3DXQuaternionLength(const D3DXQUATERNION* q) { return std::sqrt(D3DXQuaternionDot(q, q)); }

D3DXQUATERNION* D3DXQuaternionConjugate(D3DXQUATERNION* out, const D3DXQUATERNION* q) {
    *out = D3DXQUATERNION(-q->x, -q->y, -q->z, q->w);
    return out;
}

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q) {
    float length = D3DXQuaternionLength(q);
    if (length == 0.0f) {
        *out = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 0.0f);
    } else {
        *out = *q / length;
    }
    return out;
}

// Rotating by a and then by b is the product b a in Hamilton's order.
D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b) {
    D3DXQUATERNION r(
        b->w * a->x + b->x * a->w + b->y * a->z - b->z * a->y, b->w * a->y - b->x * a->z + b->y * a->w + b->z * a->x,
        b->w * a->z + b->x * a->y - b->y * a->x + b->z * a->w, b->w * a->w - b->x * a->x - b->y * a->y - b->z * a->z);
    *out = r;
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis, float angle) {
    D3DXVECTOR3 v;
    D3DXVec3Normalize(&v, axis);
    float s = std::sin(angle * 0.5f);
    *out = D3DXQUATERNION(v.x * s, v.y * s, v.z * s, std::cos(angle * 0.5f));
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* out, const D3DXMATRIX* m) {
    float trace = m->_11 + m->_22 + m->_33;
    D3DXQUATERNION q;
    if (trace > 0.0f) {
        float s = std::sqrt(trace + 1.0f) * 2.0f;
        q = D3DXQUATERNION((m->_23 - m->_32) / s, (m->_31 - m->_13) / s, (m->_12 - m->_21) / s, 0.25f * s);
    } else if (m->_11 > m->_22 && m->_11 > m->_33) {
        float s = std::sqrt(1.0f + m->_11 - m->_22 - m->_33) * 2.0f;
        q = D3DXQUATERNION(0.25f * s, (m->_12 + m->_21) / s, (m->_31 + m->_13) / s, (m->_23 - m->_32) / s);
    } else if (m->_22 > m->_33) {
        float s = std::sqrt(1.0f + m->_22 - m->_11 - m->_33) * 2.0f;
        q = D3DXQUATERNION((m->_12 + m->_21) / s, 0.25f * s, (m->_23 + m->_32) / s, (m->_31 - m->_13) / s);
    } else {
        float s = std::sqrt(1.0f + m->_33 - m->_11 - m->_22) * 2.0f;
        q = D3DXQUATERNION((m->_31 + m->_13) / s, (m->_23 + m->_32) / s, 0.25f * s, (m->_12 - m->_21) / s);
    }
    *out = q;
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* out, float yaw, float pitch, float roll) {
    const D3DXVECTOR3 xAxis(1, 0, 0), yAxis(0, 1, 0), zAxis(0, 0, 1);
    D3DXQUATERNION qRoll, qPitch, qYaw;
    D3DXQuaternionRotationAxis(&qRoll, &zAxis, roll);
    D3DXQuaternionRotationAxis(&qPitch, &xAxis, pitch);
    D3DXQuaternionRotationAxis(&qYaw, &yAxis, yaw);
    D3DXQuaternionMultiply(out, &qRoll, &qPitch);
    return D3DXQuaternionMultiply(out, out, &qYaw);
}

D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b, float t) {
    float cosine = D3DXQuaternionDot(a, b);
    float sign = 1.0f;
    if (cosine < 0.0f) {  // take the shorter arc
        cosine = -cosine;
        sign = -1.0f;
    }
    float wa = 1.0f - t, wb = t;
    if (cosine < 0.9999f) {
        float angle = std::acos(cosine);
        float inverseSine = 1.0f / std::sin(angle);
        wa = std::sin((1.0f - t) * angle) * inverseSine;
        wb = std::sin(t * angle) * inverseSine;
    }
    wb *= sign;
    *out = D3DXQUATERNION(wa * a->x + wb * b->x, wa * a->y + wb * b->y, wa * a->z + wb * b->z, wa * a->w + wb * b->w);
    return out;
}
