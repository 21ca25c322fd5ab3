// Conversions between view (map) points, scene points and screen pixels,
// on the camera matrices and viewport of the current frame.
#include <cmath>
#include <cstdint>

#include <d3dx9.h>

#include "shell/D3DShell.h"
#include "shell/KDrawShell.h"
#include "shell/ScreenProjector.h"
#include "shell/ShellGlobals.h"

namespace {

constexpr int kHeightToScreen = 887;  // / 1024: a unit of height in screen rows

// Toward zero; values beyond int (or NaN) saturate rather than wrap.
int Truncate(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return 2147483647;
    if (value <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(value);
}

}  // namespace

D3DXVECTOR3 KDrawShell::ProjectToScreen(const D3DXVECTOR3& point) const {
    return KScreenProjector(*this).Project(point);
}

void KDrawShell::ViewToScreen(int* x, int* y) {
    *x = Truncate(static_cast<float>(*x) - viewOrigin[0] + static_cast<float>(g_ScreenWidth / 2));
    *y = Truncate(static_cast<float>(*y) - viewOrigin[1] + static_cast<float>(g_ScreenHeight / 2));
}

void KDrawShell::ScreenToView(int* x, int* y) {
    *x = Truncate(static_cast<float>(int64_t{*x} - g_ScreenWidth / 2) + viewOrigin[0]);
    *y = Truncate(static_cast<float>((int64_t{*y} - g_ScreenHeight / 2) * 2) + viewOrigin[1]);
}

void KDrawShell::ScreenToMap(int* x, int* y, int height) {
    if (g_ProjectionMode != 2) {
        // Arithmetic shift: negative heights round toward minus infinity.
        const int64_t lift = (int64_t{height} * kHeightToScreen) >> 10;
        *x = static_cast<int>(int64_t{*x} + screenOffset[0]);
        *y = static_cast<int>((int64_t{*y} + screenOffset[1] + lift) * 2);
        return;
    }
    const D3DXMATRIX& p = projectionMatrix;
    const float width = static_cast<float>(viewport.Width);
    const float rows = static_cast<float>(viewport.Height);
    if (width <= 0.0f || rows <= 0.0f || p._11 == 0.0f || p._22 == 0.0f) return;
    const D3DXVECTOR3 v((2.0f * static_cast<float>(*x) / width - 1.0f) / p._11,
                        (1.0f - 2.0f * static_cast<float>(*y) / rows) / p._22, 1.0f);
    const D3DXMATRIX& inv = inverseViewMatrix;
    const D3DXVECTOR3 d(v.x * inv._11 + v.y * inv._21 + v.z * inv._31, v.x * inv._12 + v.y * inv._22 + v.z * inv._32,
                        v.x * inv._13 + v.y * inv._23 + v.z * inv._33);
    const D3DXVECTOR3 o(inv._41, inv._42, inv._43);
    // A ray parallel to the ground never meets it.
    if (d.z == 0.0f) return;
    const float t = (o.z - static_cast<float>(height)) / d.z;
    *x = Truncate(o.x - d.x * t);
    *y = Truncate(o.y - d.y * t);
}

void KDrawShell::ProjectPoint(int* x, int* y, int z) { KScreenProjector(*this).ProjectPoint(x, y, z); }

void KDrawShell::ProjectPointF(float* x, float* y, float z) { KScreenProjector(*this).ProjectPointF(x, y, z); }

void KDrawShell::ProjectPointOffsetF(float* outX, float* outY, float x, float y, float z) {
    D3DXVECTOR3 point(x, y, z);
    if (worldOffsetSet) point += D3DXVECTOR3(worldOffset[0], worldOffset[1], worldOffset[2]);
    const D3DXVECTOR3 screen = ProjectToScreen(point);
    *outX = screen.x;
    *outY = screen.y;
}

void KDrawShell::ProjectPointOffset(int* outX, int* outY, int x, int y, int z) {
    float fx = 0.0f, fy = 0.0f;
    ProjectPointOffsetF(&fx, &fy, static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    *outX = Truncate(fx);
    *outY = Truncate(fy);
}
