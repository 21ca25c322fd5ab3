// Drawing the mesh: subset by subset with its material set, or by the
// skinning mode for a mesh with bones.
#include "scene/KMaterial.h"
#include "scene/KMesh.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

HRESULT KMesh::Render(KMaterial* material, float alpha, IDirect3DBaseTexture9* texture, BYTE depthWrite) {
    if (!built || !device) return E_FAIL;
    D3DMATRIX world{};
    device->GetTransform(D3DTS_WORLD, &world);
    if (!(flags & kMeshHasSkeleton) || boneCount == 0) {
        RenderPlain(material, alpha);
    } else if (skinningMode == 2) {
        DrawShaderSkinned(material, alpha, texture, depthWrite);
    } else if (skinningMode == 1) {
        DrawIndexedSkinned(material, alpha, texture, depthWrite);
    } else {
        DrawBlendedSkinned(material, alpha, texture, depthWrite);
    }
    device->SetTransform(D3DTS_WORLD, &world);
    if (KShellServices* shell = ShellServices()) shell->SetDefaultRenderStates();
    return 0;
}

void KMesh::RenderPlain(KMaterial* material, float alpha) {
    if (!material) return;
    for (DWORD i = 0; i < subsetCount; ++i) {
        if (FAILED(material->Apply(colour, i, alpha, 0))) continue;
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        DrawSourceSubset(i);
        material->Restore(i);
    }
}
