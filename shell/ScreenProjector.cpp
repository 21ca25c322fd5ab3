#include "shell/ScreenProjector.h"

#include "basrel/HostIntegers.h"
#include "shell/KDrawShell.h"

KScreenProjector::KScreenProjector(const KDrawShell& shell)
    : KScreenProjector(shell.viewport, shell.projectionMatrix, shell.viewMatrix) {}

KScreenProjector::KScreenProjector(const D3DVIEWPORT9& viewport, const D3DXMATRIX& projection,
                                   const D3DXMATRIX& view)
    : m_viewport(viewport) {
    // No world matrix: identity, then view, then projection.
    D3DXMatrixIdentity(&m_toClip);
    D3DXMatrixMultiply(&m_toClip, &m_toClip, &view);
    D3DXMatrixMultiply(&m_toClip, &m_toClip, &projection);
}

D3DXVECTOR3 KScreenProjector::Project(const D3DXVECTOR3& point) const {
    D3DXVECTOR3 clip;
    D3DXVec3TransformCoord(&clip, &point, &m_toClip);
    const float halfWidth = float(m_viewport.Width) * 0.5f;
    const float halfHeight = float(m_viewport.Height) * 0.5f;
    clip.x = float(m_viewport.X) + (1.0f + clip.x) * halfWidth;
    clip.y = float(m_viewport.Y) + (1.0f - clip.y) * halfHeight;
    clip.z = m_viewport.MinZ + clip.z * (m_viewport.MaxZ - m_viewport.MinZ);
    return clip;
}

void KScreenProjector::ProjectPoint(int* x, int* y, int z) const {
    const D3DXVECTOR3 screen = Project(D3DXVECTOR3(float(*x), float(*y), float(z)));
    *x = host_int::Truncate(screen.x);
    *y = host_int::Truncate(screen.y);
}

void KScreenProjector::ProjectPointF(float* x, float* y, float z) const {
    const D3DXVECTOR3 screen = Project(D3DXVECTOR3(*x, *y, z));
    *x = screen.x;
    *y = screen.y;
}
