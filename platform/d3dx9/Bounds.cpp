// Bounding volumes of strided vertex positions.
#include <cstring>

#include "d3d9.h"
#include "d3dx9math.h"

namespace {

D3DXVECTOR3 PositionAt(const D3DXVECTOR3* first, DWORD index, DWORD stride) {
    // Vertex data need not be float-aligned at every stride.
    D3DXVECTOR3 v;
    std::memcpy(&v, reinterpret_cast<const BYTE*>(first) + size_t(index) * stride, sizeof(v));
    return v;
}

}  // namespace

HRESULT D3DXComputeBoundingBox(const D3DXVECTOR3* firstPosition, DWORD count, DWORD stride, D3DXVECTOR3* outMin,
                               D3DXVECTOR3* outMax) {
    if (!firstPosition || !outMin || !outMax) return D3DERR_INVALIDCALL;
    if (count == 0) {
        *outMin = *outMax = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        return S_OK;
    }
    D3DXVECTOR3 lo = PositionAt(firstPosition, 0, stride), hi = lo;
    for (DWORD i = 1; i < count; ++i) {
        D3DXVECTOR3 p = PositionAt(firstPosition, i, stride);
        D3DXVec3Minimize(&lo, &lo, &p);
        D3DXVec3Maximize(&hi, &hi, &p);
    }
    *outMin = lo;
    *outMax = hi;
    return S_OK;
}

HRESULT D3DXComputeBoundingSphere(const D3DXVECTOR3* firstPosition, DWORD count, DWORD stride, D3DXVECTOR3* outCenter,
                                  float* outRadius) {
    if (!firstPosition || !outCenter || !outRadius) return D3DERR_INVALIDCALL;
    D3DXVECTOR3 sum(0.0f, 0.0f, 0.0f);
    for (DWORD i = 0; i < count; ++i) sum += PositionAt(firstPosition, i, stride);
    D3DXVECTOR3 center = count ? sum / float(count) : sum;
    float radius = 0.0f;
    for (DWORD i = 0; i < count; ++i) {
        D3DXVECTOR3 d = PositionAt(firstPosition, i, stride) - center;
        radius = std::fmax(radius, D3DXVec3Length(&d));
    }
    *outCenter = center;
    *outRadius = radius;
    return S_OK;
}
