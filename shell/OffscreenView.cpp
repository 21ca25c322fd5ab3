// A few models drawn into a small render-target texture, then pasted on
// screen: PrepareOffscreenView sets the target and camera, the host draws
// the models, RenderOffscreenView puts everything back and draws the quad.
#include <d3dx9.h>

#include <cstring>

#include "shell/ComRelease.h"
#include "shell/D3DDevice.h"
#include "shell/FrameState.h"
#include "shell/KDrawShell.h"
#include "shell/NeighbourServices.h"
#include "shell/VideoPolicy.h"

namespace {

constexpr UINT kOffscreenSize = 128;
constexpr size_t kModelRecordSize = 32;
constexpr size_t kModelHandleOffset = 24;
constexpr DWORD kAlphaReference = 10;

KModelProxy* RecordModel(const void* records, int index) {
    KModelProxy* model = nullptr;
    std::memcpy(&model, static_cast<const uint8_t*>(records) + static_cast<size_t>(index) * kModelRecordSize +
                            kModelHandleOffset,
                sizeof model);
    return model;
}

HRESULT CreateOffscreenTexture(IDirect3DDevice9* device, IDirect3DTexture9** texture) {
    return D3DXCreateTexture(device, kOffscreenSize, kOffscreenSize, 1, D3DUSAGE_RENDERTARGET, g_RenderTextureFormat,
                             D3DPOOL_DEFAULT, texture);
}

}  // namespace

void KDrawShell::ReleaseOffscreenView() {
    UnbindTexture(offscreenTexture);
    ReleaseAndNull(offscreenTexture);
    ReleaseAndNull(offscreenSavedTarget);
    offscreenPrepared = false;
}

void KDrawShell::RestoreOffscreenKeptState(IDirect3DDevice9* device) {
    device->SetTransform(D3DTS_VIEW, &savedView);
    device->SetTransform(D3DTS_WORLD, &savedWorld);
    device->SetTransform(D3DTS_PROJECTION, &savedProjection);
    if (offscreenSavedTarget) {
        device->SetRenderTarget(0, offscreenSavedTarget);
        offscreenSavedTarget->Release();
        offscreenSavedTarget = nullptr;
    }
}

bool KDrawShell::PrepareOffscreenView(void* records, int count, int width, int height) {
    IDirect3DDevice9* device = g_D3DDevice.device;
    offscreenPrepared = false;
    if (!device || (count > 0 && !records)) return false;
    if (!offscreenTexture || width != offscreenWidth || height != offscreenHeight) {
        UnbindTexture(offscreenTexture);
        ReleaseAndNull(offscreenTexture);
        HRESULT result = CreateOffscreenTexture(device, &offscreenTexture);
        if (result == D3DERR_OUTOFVIDEOMEMORY) {
            imageCache.PurgeIdle();
            result = CreateOffscreenTexture(device, &offscreenTexture);
        }
        if (FAILED(result)) {
            offscreenTexture = nullptr;
            return false;
        }
        offscreenWidth = width;
        offscreenHeight = height;
    }

    IDirect3DSurface9* level = nullptr;
    if (FAILED(offscreenTexture->GetSurfaceLevel(0, &level))) return false;
    // One reference to the kept target, however often a pass is begun.
    if (!offscreenSavedTarget && FAILED(device->GetRenderTarget(0, &offscreenSavedTarget)))
        offscreenSavedTarget = nullptr;
    device->SetRenderTarget(0, level);
    level->Release();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);

    device->GetTransform(D3DTS_VIEW, &savedView);
    device->GetTransform(D3DTS_WORLD, &savedWorld);
    device->GetTransform(D3DTS_PROJECTION, &savedProjection);
    const float middle = static_cast<float>(height) * 0.5f;
    const D3DXVECTOR3 eye(0.0f, cameraDistance, middle), at(0.0f, 0.0f, middle), up(0.0f, 0.0f, 1.0f);
    D3DXMATRIX view, world;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixIdentity(&world);
    D3DXMatrixOrthoLH(&projectionMatrix, static_cast<float>(width), static_cast<float>(height), 200.0f, 20000.0f);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTransform(D3DTS_PROJECTION, &projectionMatrix);

    // Every record is checked before any mesh is switched, so a refused
    // pass leaves every model as it was.
    for (int i = 0; i < count; ++i) {
        if (!neighbours::ModelHasSceneMesh(RecordModel(records, i))) {
            RestoreOffscreenKeptState(device);
            return false;
        }
    }
    for (int i = 0; i < count; ++i) neighbours::ModelMeshEnterOffscreen(RecordModel(records, i));
    offscreenPrepared = true;
    return true;
}

void KDrawShell::RenderOffscreenView(void* records, int count, int x, int y) {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device || !offscreenPrepared) return;
    offscreenPrepared = false;
    RestoreOffscreenKeptState(device);

    const float left = static_cast<float>(x), top = static_cast<float>(y);
    const float right = left + static_cast<float>(offscreenWidth) + 0.5f;
    const float bottom = top + static_cast<float>(offscreenHeight) + 0.5f;
    const KScreenVertex quad[4] = {
        {left, top, 1.0f, 1.0f, 0xFFFFFFFF, 0.0f, 0.0f},
        {right, top, 1.0f, 1.0f, 0xFFFFFFFF, 1.0f, 0.0f},
        {left, bottom, 1.0f, 1.0f, 0xFFFFFFFF, 0.0f, 1.0f},
        {right, bottom, 1.0f, 1.0f, 0xFFFFFFFF, 1.0f, 1.0f},
    };
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    device->SetRenderState(D3DRS_ALPHAREF, kAlphaReference);
    device->SetTexture(0, offscreenTexture);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(KScreenVertex));

    if (count > 0 && !records) return;
    for (int i = 0; i < count; ++i) neighbours::ModelMeshLeaveOffscreen(RecordModel(records, i));
}
