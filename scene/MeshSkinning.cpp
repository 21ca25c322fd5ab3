// STAND-IN for mesh skinning: the skin set-up and the three skinned draws
// come with the skinning work, which replaces this file. Until then a mesh
// with a skeleton builds without a skinned mesh and draws nothing.
#include "scene/KMesh.h"

HRESULT KMesh::SetupSkinning() { return 0; }

HRESULT KMesh::DrawShaderSkinned(KMaterial*, float, IDirect3DBaseTexture9*, BYTE) { return 0; }
HRESULT KMesh::DrawIndexedSkinned(KMaterial*, float, IDirect3DBaseTexture9*, BYTE) { return 0; }
HRESULT KMesh::DrawBlendedSkinned(KMaterial*, float, IDirect3DBaseTexture9*, BYTE) { return 0; }
