#include "effects/BindRotation.h"

BYTE g_UseBindRotation = 0;
D3DXMATRIX g_BindRotation(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);

void ResetBindRotationForTests() {
    g_UseBindRotation = 0;
    D3DXMatrixIdentity(&g_BindRotation);
}
