// The device-object protocol: create once the device exists, release the
// default pool before a reset, re-create after it, release all at shutdown.
#include <cstring>

#include "lumiva/basrel/DebugLog.h"
#include "effects/EffectDeviceObjects.h"
#include "scene/KModelManager.h"
#include "shell/ComRelease.h"
#include "shell/D3DDevice.h"
#include "shell/KDrawShell.h"
#include "shell/ShellGlobals.h"

namespace {

constexpr char kPlaceMapTargetName[] = "_*PlaceMapTarget*_";
constexpr UINT kComposeSmall = 128;
constexpr UINT kComposeLarge = 256;

HRESULT CreateComposeTexture(IDirect3DDevice9* device, UINT size, IDirect3DTexture9** texture) {
    ReleaseAndNull(*texture);
    return device->CreateTexture(size, size, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, texture, nullptr);
}

}  // namespace

HRESULT KDrawShell::InitDeviceObjects() {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return E_FAIL;
    // Entries a host filled before a second Init are released, not dropped.
    ReleaseQuadTable();
    if (FAILED(CreateComposeTexture(device, kComposeSmall, &composeTextureSmall))) return E_FAIL;
    if (FAILED(CreateComposeTexture(device, kComposeLarge, &composeTextureLarge))) return E_FAIL;
    LoadCoolSettings();

    KPlaceMapTarget& target = g_PlaceMapTarget;
    target.blendMode = 0;
    target.imageType =
        adapterMode.Format == D3DFMT_A8R8G8B8 || adapterMode.Format == D3DFMT_X8R8G8B8 ? uint16_t{2} : uint16_t{0};
    std::memset(target.pointA, 0, sizeof target.pointA);
    target.pointB[0] = 127;
    target.pointB[1] = 127;
    target.pointB[2] = 0;
    std::memset(target.fileName, 0, sizeof target.fileName);
    std::memcpy(target.fileName, kPlaceMapTargetName, sizeof kPlaceMapTargetName);
    target.fileId = g_pDrawShell ? g_pDrawShell->CreateImage(target.fileName, 128, 128, target.imageType, 1) : 0;
    return 0;
}

void KDrawShell::ReleaseDeviceResources() {
    for (KTargetRecord& record : targetRecords) ReleaseAndNull(record.resource);
    ReleaseAndNull(extraResource);
    ReleaseQuadTable();
    ReleaseDynamicVertexBuffer();
    ReleaseScreenTarget();
    ReleaseOffscreenView();
    ReleaseAndNull(backBufferSurface);
    ReleaseAndNull(surfaceTexture);
    lightGlow.InvalidateDeviceObjects();
}

HRESULT KDrawShell::InvalidateDeviceObjects() {
    lightGlow.InvalidateDeviceObjects();
    neighbours::ReleaseRibbons();
    InvalidateEffectDeviceObjects();
    neighbours::DebugMeshInvalidateDeviceObjects();
    if (!imageCache.InvalidateDeviceObjects()) return E_FAIL;
    if (!neighbours::TextureManagerInvalidateDeviceObjects()) return E_FAIL;
    fonts.InvalidateDeviceObjects();
    // A strict device refuses to reset while any of these lives.
    ReleaseDeviceResources();
    return 0;
}

HRESULT KDrawShell::RestoreDeviceObjects() {
    if (deviceLost) return E_FAIL;
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return E_FAIL;
    // A glow or a font short of memory is restored again with the rest on the next try.
    const bool glowRestored = SUCCEEDED(lightGlow.RestoreDeviceObjects());
    neighbours::RecreateRibbonBuffers();
    RestoreEffectDeviceObjects();
    neighbours::DebugMeshRestoreDeviceObjects();
    const bool fontsRestored = fonts.RestoreDeviceObjects();
    if (!neighbours::TextureManagerRestoreDeviceObjects()) return E_FAIL;
    if (!imageCache.RestoreDeviceObjects()) return E_FAIL;
    if (!glowRestored || !fontsRestored) return E_FAIL;

    SetDefaultRenderStates();
    g_D3DDevice.SetViewportRect(0, g_ScreenWidth, 0, g_ScreenHeight, 0.0f, 1.0f);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    SetProjection();
    device->SetPixelShader(nullptr);

    if (!backBufferSurface && FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBufferSurface)))
        backBufferSurface = nullptr;
    if (screenTargetEnabled && !screenTarget && CreateScreenTarget(g_ScreenWidth, g_ScreenHeight) != 0)
        screenTargetEnabled = 0;

    if (IScenePlaceHost* host = neighbours::ScenePlaceHost()) host->OnDeviceRestored();
    return 0;
}

HRESULT KDrawShell::DeleteDeviceObjects() {
    lightGlow.DeleteDeviceObjects();
    g_pModelManager->CollectGarbage();
    ReleaseAndNull(composeTextureSmall);
    ReleaseAndNull(composeTextureLarge);
    ReleaseCoolTexture();
    imageCache.ReleaseAll();
    neighbours::DebugMeshDeleteDeviceObjects();
    ReleasePreviewMask();
    return 0;
}

void KDrawShell::SetDefaultRenderStates() {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return;
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
    device->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
    device->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    device->SetRenderState(D3DRS_AMBIENT, 0);
    device->LightEnable(0, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}
