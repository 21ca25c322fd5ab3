// 2D, 3D and 4D vector operations and viewport projection.
#include "d3dx9math.h"

float D3DXVec2Length(const D3DXVECTOR2* v) { return std::sqrt(v->x * v->x + v->y * v->y); }

float D3DXVec2Dot(const D3DXVECTOR2* a, const D3DXVECTOR2* b) { return a->x * b->x + a->y * b->y; }

D3DXVECTOR2* D3DXVec2Normalize(D3DXVECTOR2* out, const D3DXVECTOR2* v) {
    float length = D3DXVec2Length(v);
    if (length == 0.0f) {
        *out = D3DXVECTOR2(0.0f, 0.0f);
    } else {
        *out = D3DXVECTOR2(v->x / length, v->y / length);
    }
    return out;
}

float D3DXVec3LengthSq(const D3DXVECTOR3* v) { return v->x * v->x + v->y * v->y + v->z * v->z; }

float D3DXVec3Length(const D3DXVECTOR3* v) { return std::sqrt(D3DXVec3LengthSq(v)); }

float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    // Computed into a temporary: out may alias a or b.
    D3DXVECTOR3 r(a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x);
    *out = r;
    return out;
}

D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    *out = *a + *b;
    return out;
}

D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    *out = *a - *b;
    return out;
}

D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* out, const D3DXVECTOR3* v, float s) {
    *out = *v * s;
    return out;
}

D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b, float t) {
    *out = D3DXVECTOR3(a->x + t * (b->x - a->x), a->y + t * (b->y - a->y), a->z + t * (b->z - a->z));
    return out;
}

D3DXVECTOR3* D3DXVec3Minimize(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    *out = D3DXVECTOR3(std::fmin(a->x, b->x), std::fmin(a->y, b->y), std::fmin(a->z, b->z));
    return out;
}

D3DXVECTOR3* D3DXVec3Maximize(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    *out = D3DXVECTOR3(std::fmax(a->x, b->x), std::fmax(a->y, b->y), std::fmax(a->z, b->z));
    return out;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
    float length = D3DXVec3Length(v);
    if (length == 0.0f) {
        *out = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    } else {
        *out = D3DXVECTOR3(v->x / length, v->y / length, v->z / length);
    }
    return out;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    D3DXVECTOR4 r(
        v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + m->_41, v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + m->_42,
        v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + m->_43, v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + m->_44);
    *out = r;
    return out;
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    D3DXVECTOR4 r;
    D3DXVec3Transform(&r, v, m);
    *out = D3DXVECTOR3(r.x / r.w, r.y / r.w, r.z / r.w);
    return out;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    D3DXVECTOR3 r(v->x * m->_11 + v->y * m->_21 + v->z * m->_31, v->x * m->_12 + v->y * m->_22 + v->z * m->_32,
                  v->x * m->_13 + v->y * m->_23 + v->z * m->_33);
    *out = r;
    return out;
}

namespace {

// world * view * projection, skipping the null ones.
D3DXMATRIX CombineToClip(const D3DXMATRIX* projection, const D3DXMATRIX* view, const D3DXMATRIX* world) {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    if (world) m = *world;
    if (view) D3DXMatrixMultiply(&m, &m, view);
    if (projection) D3DXMatrixMultiply(&m, &m, projection);
    return m;
}

}  // namespace

D3DXVECTOR3* D3DXVec3Project(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DVIEWPORT9* viewport,
                             const D3DXMATRIX* projection, const D3DXMATRIX* view, const D3DXMATRIX* world) {
    D3DXMATRIX m = CombineToClip(projection, view, world);
    D3DXVECTOR3 clip;
    D3DXVec3TransformCoord(&clip, v, &m);
    if (viewport) {
        float halfWidth = float(viewport->Width) * 0.5f;
        float halfHeight = float(viewport->Height) * 0.5f;
        clip.x = float(viewport->X) + (1.0f + clip.x) * halfWidth;
        clip.y = float(viewport->Y) + (1.0f - clip.y) * halfHeight;
        clip.z = viewport->MinZ + clip.z * (viewport->MaxZ - viewport->MinZ);
    }
    *out = clip;
    return out;
}

D3DXVECTOR3* D3DXVec3Unproject(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DVIEWPORT9* viewport,
                               const D3DXMATRIX* projection, const D3DXMATRIX* view, const D3DXMATRIX* world) {
    D3DXMATRIX m = CombineToClip(projection, view, world);
    D3DXMATRIX inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &m)) return nullptr;
    D3DXVECTOR3 clip = *v;
    if (viewport) {
        clip.x = 2.0f * (clip.x - float(viewport->X)) / float(viewport->Width) - 1.0f;
        clip.y = 1.0f - 2.0f * (clip.y - float(viewport->Y)) / float(viewport->Height);
        float depth = viewport->MaxZ - viewport->MinZ;
        clip.z = depth == 0.0f ? 0.0f : (clip.z - viewport->MinZ) / depth;
    }
    return D3DXVec3TransformCoord(out, &clip, &inverse);
}

float D3DXVec4Length(const D3DXVECTOR4* v) { return std::sqrt(D3DXVec4Dot(v, v)); }

float D3DXVec4Dot(const D3DXVECTOR4* a, const D3DXVECTOR4* b) {
    return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v, const D3DXMATRIX* m) {
    D3DXVECTOR4 r(v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + v->w * m->_41,
                  v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + v->w * m->_42,
                  v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + v->w * m->_43,
                  v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + v->w * m->_44);
    *out = r;
    return out;
}
