// Drawing one debug mesh record, turned by the shared angle.
#include <d3dx9math.h>

#include "effects/KDebugMeshSet.h"
#include "shell/ComRelease.h"

namespace {

constexpr float kQuarterTurn = 1.5707964f;
constexpr float kTurnPerMesh = 0.005f;

D3DXMATRIX TurnedWorld(int x, int y) {
    g_DebugMeshAngle += kTurnPerMesh;
    if (g_DebugMeshAngle >= 360.0f) g_DebugMeshAngle = 0.0f;
    D3DXMATRIX world, upright, turn, scale;
    D3DXMatrixIdentity(&world);
    D3DXMatrixRotationX(&upright, kQuarterTurn);
    D3DXMatrixRotationZ(&turn, g_DebugMeshAngle);
    D3DXMatrixScaling(&scale, 1.0f, 1.0f, 1.0f);
    world = world * upright * turn * scale;
    world._41 = float(x);
    world._42 = float(y);
    world._43 = 0.0f;
    return world;
}

}  // namespace

HRESULT KDebugMeshSet::DrawMesh(KDebugMesh* record, int x, int y, IDirect3DVertexDeclaration9* declaration,
                                IDirect3DVertexShader9* shader) {
    if (!m_device || !record) return E_FAIL;
    IDirect3DDevice9* device = m_device;
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    D3DXMATRIX savedWorld;
    device->GetTransform(D3DTS_WORLD, &savedWorld);
    const D3DXMATRIX world = TurnedWorld(x, y);
    device->SetTransform(D3DTS_WORLD, &world);
    if (!record->mesh || record->attributes.empty()) return 0;

    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    if (FAILED(record->mesh->GetVertexBuffer(&vertices)) || FAILED(record->mesh->GetIndexBuffer(&indices))) {
        ReleaseAndNull(vertices);
        ReleaseAndNull(indices);
        return E_FAIL;
    }
    HRESULT result = 0;
    for (const D3DXATTRIBUTERANGE& range : record->attributes) {
        // Only what the file gave: an attribute past the materials has none.
        const DWORD a = range.AttribId;
        if (a < record->materialCount && a < record->textures.size()) device->SetTexture(0, record->textures[a]);
        if (a < record->materialCount && a < record->materials.size()) device->SetMaterial(&record->materials[a]);
        if (!declaration) {
            device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
            device->SetFVF(record->mesh->GetFVF());
            device->SetVertexDeclaration(record->declaration);
            device->SetVertexShader(nullptr);
            device->SetPixelShader(nullptr);
        } else {
            device->SetFVF(0);
            device->SetVertexDeclaration(declaration);
            device->SetVertexShader(shader);
        }
        DWORD fillMode = D3DFILL_SOLID;
        device->GetRenderState(D3DRS_FILLMODE, &fillMode);
        device->SetStreamSource(0, vertices, 0, record->mesh->GetNumBytesPerVertex());
        device->SetIndices(indices);
        if (FAILED(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, record->mesh->GetNumVertices(),
                                                range.FaceStart * 3, range.FaceCount))) {
            result = E_FAIL;
            break;
        }
        device->SetRenderState(D3DRS_FILLMODE, fillMode);
    }
    if (result == 0) device->SetTransform(D3DTS_WORLD, &savedWorld);
    ReleaseAndNull(vertices);
    ReleaseAndNull(indices);
    return result;
}
