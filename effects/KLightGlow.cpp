#include "effects/KLightGlow.h"

#include <d3dx9tex.h>

#include <algorithm>
#include <cmath>

#include "effects/ArgbColour.h"
#include "shell/ComRelease.h"
#include "shell/D3DDevice.h"
#include "shell/D3DShell.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace {

constexpr DWORD kOpaqueWhite = 0xFFFFFFFF;

void SetSpriteStages(IDirect3DDevice9* device) {
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

void SetBlend(IDirect3DDevice9* device, D3DBLEND source, D3DBLEND destination) {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, source);
    device->SetRenderState(D3DRS_DESTBLEND, destination);
}

// Grey level of a spot pixel: 1 at the centre, 0 from the radius out.
DWORD SpotLevel(UINT x, UINT y) {
    const float half = kGlowSpriteSize / 2.0f;
    const float dx = (float(x) + 0.5f - half) / half, dy = (float(y) + 0.5f - half) / half;
    const float level = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
    return ArgbChannel(level);
}

}  // namespace

HRESULT CreateGlowSprite(IDirect3DDevice9* device, IDirect3DTexture9** sprite) {
    *sprite = nullptr;
    HRESULT hr = device->CreateTexture(kGlowSpriteSize, kGlowSpriteSize, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                       sprite, nullptr);
    if (FAILED(hr)) return *sprite = nullptr, hr;
    D3DLOCKED_RECT locked{};
    if (FAILED(hr = (*sprite)->LockRect(0, &locked, nullptr, 0))) return ReleaseAndNull(*sprite), hr;
    for (UINT y = 0; y < kGlowSpriteSize; ++y) {
        auto* row = reinterpret_cast<DWORD*>(static_cast<uint8_t*>(locked.pBits) + size_t(y) * UINT(locked.Pitch));
        for (UINT x = 0; x < kGlowSpriteSize; ++x) row[x] = 0xFF000000 | SpotLevel(x, y) * 0x010101;
    }
    (*sprite)->UnlockRect(0);
    return D3D_OK;
}

KLightGlow::~KLightGlow() { InvalidateDeviceObjects(); }

void KLightGlow::Reset() {
    glowOn = 1;
    gridFlag = 1;
    clearColour = kOpaqueWhite;
}

HRESULT KLightGlow::RestoreDeviceObjects() {
    InvalidateDeviceObjects();
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return E_FAIL;
    const HRESULT hr = D3DXCreateTexture(device, kGlowTargetSize, kGlowTargetSize, 1, D3DUSAGE_RENDERTARGET,
                                         D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target);
    if (FAILED(hr)) {
        target = nullptr;
        return hr;
    }
    // A spot lost to a short memory is made again with the rest on the next try.
    return CreateGlowSprite(device, &sprite);
}

void KLightGlow::InvalidateDeviceObjects() {
    ReleaseAndNull(target);
    ReleaseAndNull(sprite);
}

void KLightGlow::DrawSprites(IDirect3DDevice9* device) {
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    for (const D3DLIGHT9& light : glowLights) {
        const float ambient[4] = {light.Ambient.r, light.Ambient.g, light.Ambient.b, light.Ambient.a};
        DrawGlowSprite(light.Position.x, light.Position.y, light.Position.z, light.Range,
                       ArgbFromColourValue(ambient));
    }
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
}

void KLightGlow::Render() {
    IDirect3DDevice9* device = g_D3DDevice.device;
    IDirect3DSurface9* surface = nullptr;
    IDirect3DSurface9* kept = nullptr;
    if (device && target && SUCCEEDED(target->GetSurfaceLevel(0, &surface)) &&
        SUCCEEDED(device->GetRenderTarget(0, &kept)) && SUCCEEDED(device->SetRenderTarget(0, surface)) &&
        SUCCEEDED(device->Clear(0, nullptr, D3DCLEAR_TARGET, clearColour, 0.0f, 0)))
        DrawSprites(device);
    glowLights.clear();
    if (kept) device->SetRenderTarget(0, kept);
    ReleaseAndNull(kept);
    ReleaseAndNull(surface);
}

void KLightGlow::DrawGlowSprite(float x, float y, float z, float r, DWORD colour) {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!sprite || !device || !ShellServices()) return;
    device->SetTexture(0, sprite);
    SetBlend(device, D3DBLEND_SRCCOLOR, D3DBLEND_ONE);
    SetSpriteStages(device);
    const float a[3] = {x - r, y - r, z + kGlowSpriteLift}, b[3] = {x + r, y + r, z + kGlowSpriteLift};
    ShellServices()->DrawQuad3D(a, b, colour);
}

void KLightGlow::Draw() {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!target || !device || !ShellServices()) return;
    device->SetTexture(0, target);
    SetBlend(device, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR);
    SetSpriteStages(device);
    ShellServices()->DrawTexturedRect(0.0f, 0.0f, float(g_ScreenWidth), float(g_ScreenHeight), kOpaqueWhite,
                                   kOpaqueWhite, kOpaqueWhite, kOpaqueWhite);
    device->SetTexture(0, nullptr);
}
