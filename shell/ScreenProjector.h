// The camera's scene-to-screen mapping with the view and projection matrices
// combined once, for drawers that project many points with one camera. Each
// point comes out bit for bit as KDrawShell::ProjectPoint gives it: the
// matrices are combined and the point transformed by the same D3DX steps,
// in the same order, and the viewport mapping is the same arithmetic.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

class KDrawShell;

class KScreenProjector {
public:
    explicit KScreenProjector(const KDrawShell& shell);
    KScreenProjector(const D3DVIEWPORT9& viewport, const D3DXMATRIX& projection, const D3DXMATRIX& view);

    D3DXVECTOR3 Project(const D3DXVECTOR3& point) const;
    // As ProjectPoint and ProjectPointF: x and y in, screen x and y out.
    void ProjectPoint(int* x, int* y, int z) const;
    void ProjectPointF(float* x, float* y, float z) const;

private:
    D3DXMATRIX m_toClip;
    D3DVIEWPORT9 m_viewport;
};
