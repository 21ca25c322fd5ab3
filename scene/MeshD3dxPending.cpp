// STAND-IN for the D3DX mesh calls of KMesh until D3DX meshes exist: no
// source mesh is made, so nothing is drawn and vertex tracks find no
// vertices. The bounding box and the quad origin come from the positions.
#include "scene/KMesh.h"

HRESULT KMesh::FillMesh() {
    D3DXComputeBoundingBox(reinterpret_cast<const D3DXVECTOR3*>(positions.data()), vertexCount, 12, &boxMin, &boxMax);
    shadowQuad.origin = D3DXVECTOR3((boxMin.x + boxMax.x) / 2, 0.0f, (boxMin.z + boxMax.z) / 2);
    return 0;
}

void KMesh::ReleaseMeshObjects() {}

BYTE* KMesh::LockSourceVertices(DWORD* count) {
    *count = 0;
    return nullptr;
}

bool KMesh::UnlockSourceVertices() { return false; }

HRESULT KMesh::DrawSourceSubset(DWORD) { return E_FAIL; }
