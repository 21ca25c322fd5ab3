// How an effect node stands its elements: along its direction, turned about
// it toward the camera. Every angle comes from a dot product clamped to
// -1..1, so no NaN reaches the matrix.
#include <algorithm>
#include <cmath>

#include "effects/K3DEffectNode.h"

namespace {

constexpr float kPi = 3.1415927f;

bool IsZero(const D3DXVECTOR3& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }

float AngleOf(float cosine) { return std::acos(std::clamp(cosine, -1.0f, 1.0f)); }

D3DXVECTOR3 Normalised(const D3DXVECTOR3& v) {
    D3DXVECTOR3 out;
    D3DXVec3Normalize(&out, &v);
    return out;
}

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    D3DXVECTOR3 out;
    D3DXVec3Cross(&out, &a, &b);
    return out;
}

// Turns up onto the direction. Parallel to up there is no axis to turn
// about: the same way needs no turn, the opposite way half a turn about x.
D3DXMATRIX StandAlong(const D3DXVECTOR3& up, const D3DXVECTOR3& dir) {
    D3DXMATRIX r;
    const D3DXVECTOR3 axis = Normalised(Cross(up, dir));
    if (!IsZero(axis))
        D3DXMatrixRotationAxis(&r, &axis, AngleOf(D3DXVec3Dot(&up, &dir)));
    else if (D3DXVec3Dot(&up, &dir) < 0.0f)
        D3DXMatrixRotationX(&r, kPi);
    else
        D3DXMatrixIdentity(&r);
    return r;
}

}  // namespace

D3DXMATRIX EffectNodeOrientation(const D3DXVECTOR3& direction, const D3DXVECTOR3& toEye) {
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    const D3DXVECTOR3 dir = IsZero(direction) ? up : direction;
    D3DXMATRIX r = StandAlong(up, dir);
    // The element's front after standing it up, and the camera's side of
    // the direction, both square to the direction.
    const D3DXVECTOR3 front(0.0f, 0.0f, 1.0f);
    D3DXVECTOR4 turned;
    D3DXVec3Transform(&turned, &front, &r);
    const D3DXVECTOR3 zTurned = Normalised(D3DXVECTOR3(turned.x, turned.y, turned.z));
    const D3DXVECTOR3 w = Normalised(Cross(Cross(dir, toEye), dir));
    if (IsZero(w) || IsZero(zTurned)) return r;
    float twist = AngleOf(D3DXVec3Dot(&w, &zTurned));
    if (!(toEye.x > dir.x)) twist = -twist;
    D3DXMATRIX toCamera;
    D3DXMatrixRotationAxis(&toCamera, &dir, twist);
    return r * toCamera;
}
