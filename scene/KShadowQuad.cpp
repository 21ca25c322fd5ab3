#include "scene/KShadowQuad.h"

#include <cstring>

#include "shell/ComRelease.h"
#include "shell/D3DDevice.h"
#include "textures/TextureManager.h"

KShadowQuad::~KShadowQuad() {
    if (texture && g_pTextureManager) g_pTextureManager->ReleaseTexture(texture);
    texture = nullptr;
    ReleaseAndNull(vertexBuffer);
}

bool KShadowQuad::BuildBuffer(IDirect3DDevice9* device) {
    const float left = centreX - halfWidth, right = centreX + halfWidth;
    const float nearZ = centreZ - halfDepth, farZ = centreZ + halfDepth;
    const DWORD colour = DWORD(alpha) << 24 | 0xFFFFFF;
    auto corner = [&](float x, float z, float u, float v) {
        return KShadowVertex{origin.x + x, origin.y, origin.z + z, colour, u, v};
    };
    const KShadowVertex c0 = corner(left, nearZ, 0, 0), c1 = corner(right, nearZ, 1, 0);
    const KShadowVertex c2 = corner(right, farZ, 1, 1), c3 = corner(left, farZ, 0, 1);
    const KShadowVertex quad[6] = {c0, c1, c3, c3, c1, c2};

    if (FAILED(device->CreateVertexBuffer(sizeof quad, 0, kShadowVertexFormat, D3DPOOL_MANAGED, &vertexBuffer,
                                          nullptr)))
        return false;
    void* bytes = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &bytes, 0))) {
        ReleaseAndNull(vertexBuffer);
        return false;
    }
    std::memcpy(bytes, quad, sizeof quad);
    vertexBuffer->Unlock();
    return true;
}

void KShadowQuad::Draw() {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return;
    if (!vertexBuffer && !BuildBuffer(device)) return;

    DWORD blend = 0, depth = 0, depthWrite = 0;
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    device->GetRenderState(D3DRS_ZENABLE, &depth);
    device->GetRenderState(D3DRS_ZWRITEENABLE, &depthWrite);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);

    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    device->SetRenderState(D3DRS_ALPHAREF, kShadowAlphaRef);
    if (g_pTextureManager) g_pTextureManager->SetTexture(0, texture, 0);

    device->SetStreamSource(0, vertexBuffer, 0, sizeof(KShadowVertex));
    device->SetFVF(kShadowVertexFormat);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);

    device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
    device->SetRenderState(D3DRS_ZENABLE, depth);
    device->SetRenderState(D3DRS_ZWRITEENABLE, depthWrite);
}
