// Planes: construction, distances and line intersection.
#include "d3dx9math.h"

float D3DXPlaneDot(const D3DXPLANE* p, const D3DXVECTOR4* v) {
    return p->a * v->x + p->b * v->y + p->c * v->z + p->d * v->w;
}

float D3DXPlaneDotCoord(const D3DXPLANE* p, const D3DXVECTOR3* v) {
    return p->a * v->x + p->b * v->y + p->c * v->z + p->d;
}

float D3DXPlaneDotNormal(const D3DXPLANE* p, const D3DXVECTOR3* v) { return p->a * v->x + p->b * v->y + p->c * v->z; }

D3DXPLANE* D3DXPlaneNormalize(D3DXPLANE* out, const D3DXPLANE* p) {
    float length = std::sqrt(p->a * p->a + p->b * p->b + p->c * p->c);
    if (length == 0.0f) {
        *out = D3DXPLANE(0.0f, 0.0f, 0.0f, 0.0f);
    } else {
        *out = D3DXPLANE(p->a / length, p->b / length, p->c / length, p->d / length);
    }
    return out;
}

D3DXPLANE* D3DXPlaneFromPointNormal(D3DXPLANE* out, const D3DXVECTOR3* point, const D3DXVECTOR3* normal) {
    *out = D3DXPLANE(normal->x, normal->y, normal->z, -D3DXVec3Dot(point, normal));
    return out;
}

D3DXPLANE* D3DXPlaneFromPoints(D3DXPLANE* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b, const D3DXVECTOR3* c) {
    D3DXVECTOR3 ab = *b - *a, ac = *c - *a, normal;
    D3DXVec3Cross(&normal, &ab, &ac);
    D3DXVec3Normalize(&normal, &normal);
    return D3DXPlaneFromPointNormal(out, a, &normal);
}

D3DXVECTOR3* D3DXPlaneIntersectLine(D3DXVECTOR3* out, const D3DXPLANE* p, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    D3DXVECTOR3 direction = *b - *a;
    float along = D3DXPlaneDotNormal(p, &direction);
    if (along == 0.0f) return nullptr;
    float t = -D3DXPlaneDotCoord(p, a) / along;
    *out = *a + direction * t;
    return out;
}
