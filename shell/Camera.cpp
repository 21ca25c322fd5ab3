// Camera services: the free camera, the band present rectangle, picks
// against projected boxes and sight lines to the camera.
#include <d3dx9.h>

#include "shell/FrameState.h"
#include "shell/KDrawShell.h"
#include "shell/NeighbourServices.h"

void KDrawShell::SetPresentExclusion(BYTE on, int left, int top, int right, int bottom) {
    g_PresentBandsOn = on;
    g_PresentBandsRect[0] = left;
    g_PresentBandsRect[1] = top;
    g_PresentBandsRect[2] = right;
    g_PresentBandsRect[3] = bottom;
}

void KDrawShell::RenderDebugMeshes(WORD id, DWORD a, DWORD b) { neighbours::DrawDebugMeshes(id, a, b); }

void KDrawShell::MoveFreeCamera(BYTE direction, WORD amount) {
    const float step = static_cast<float>(amount);
    switch (direction) {
        case 0: g_FreeCameraPoint[1] -= step; break;
        case 1: g_FreeCameraPoint[1] += step; break;
        case 2: g_FreeCameraPoint[0] -= step; break;
        case 3: g_FreeCameraPoint[0] += step; break;
        default: break;
    }
}

void KDrawShell::SetFreeCameraTarget(float x, float y, float z) {
    g_FreeCameraPoint[0] = x;
    g_FreeCameraPoint[1] = y;
    g_FreeCameraPoint[2] = z;
}

bool KDrawShell::HitTestBox(float, float, float, float x2, float y2, float z2, float x3, float y3, float z3,
                            int screenX, int screenY) {
    float ax = x2, ay = y2, bx = x3, by = y3;
    ProjectPointF(&ax, &ay, z2);
    ProjectPointF(&bx, &by, z3);
    const float x = static_cast<float>(screenX);
    const float y = static_cast<float>(screenY);
    return bx < x && x < ax && ay < y && y < by;
}

bool KDrawShell::IsInViewRange(float ax, float ay, float az, float bx, float by, float bz, float cx, float cy,
                               float cz, float, float, float, float ex, float ey, float ez) {
    const D3DXVECTOR3 a(ax, ay, az), b(bx, by, bz), c(cx, cy, cz), e(ex, ey, ez);
    const D3DXVECTOR3 camera(cameraPosition[0], cameraPosition[1], cameraPosition[2]);
    D3DXPLANE plane;
    D3DXPlaneFromPoints(&plane, &a, &b, &c);
    D3DXVECTOR3 hit;
    if (!D3DXPlaneIntersectLine(&hit, &plane, &e, &camera)) return false;
    return a.x <= hit.x && hit.x <= b.x && c.z <= hit.z && hit.z <= a.z;
}
