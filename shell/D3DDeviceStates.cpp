// Fixed device states, the viewport and the scene brackets.
#include "lumiva/basrel/DebugLog.h"
#include "lumiva/basrel/KStringMap.h"
#include "shell/D3DDevice.h"

namespace {

constexpr int kStatesNoDeviceText = 17;
constexpr int kNoDeviceCaption = 16;

struct KStateValue {
    D3DRENDERSTATETYPE state;
    DWORD value;
};

constexpr KStateValue kFixedRenderStates[] = {
    {D3DRS_FOGVERTEXMODE, 0},
    {D3DRS_FOGTABLEMODE, 0},
    {D3DRS_FOGENABLE, FALSE},
    {D3DRS_MULTISAMPLEANTIALIAS, FALSE},
    {D3DRS_CULLMODE, D3DCULL_NONE},
    {D3DRS_ZENABLE, FALSE},
    {D3DRS_ZWRITEENABLE, FALSE},
    {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
    {D3DRS_SPECULARENABLE, FALSE},
    {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
    {D3DRS_DITHERENABLE, FALSE},
    {D3DRS_FILLMODE, D3DFILL_SOLID},
    {D3DRS_ALPHABLENDENABLE, TRUE},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
    {D3DRS_COLORVERTEX, FALSE},
    {D3DRS_NORMALIZENORMALS, FALSE},
    {D3DRS_CLIPPING, FALSE},
    {D3DRS_LIGHTING, FALSE},
    {D3DRS_AMBIENT, 0xFFFFFFFF},
    {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
    {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL},
    {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
    {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL},
};

}  // namespace

void KD3DDevice::SetDeviceRenderStates() {
    if (!device) return;
    for (const KStateValue& s : kFixedRenderStates) device->SetRenderState(s.state, s.value);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, 0);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device->SetTexture(0, nullptr);
}

void KD3DDevice::SetViewportRect(int left, int right, int top, int bottom, float minZ, float maxZ) {
    if (left == viewportRect.left && right == viewportRect.right && top == viewportRect.top &&
        bottom == viewportRect.bottom)
        return;
    if (!device) {
        // Nothing stored: the same rectangle must still reach a later device.
        g_DebugLog("[D3DRender]IDirect3DDevice::SetCurrentViewport failed.");
        return;
    }
    viewportRect = {left, top, right, bottom};
    viewport.X = static_cast<DWORD>(left);
    viewport.Y = static_cast<DWORD>(top);
    viewport.Width = static_cast<DWORD>(right - left);
    viewport.Height = static_cast<DWORD>(bottom - top);
    viewport.MinZ = minZ;
    viewport.MaxZ = maxZ;
    if (FAILED(device->SetViewport(&viewport))) g_DebugLog("[D3DRender]IDirect3DDevice::SetCurrentViewport failed.");
}

bool KD3DDevice::BeginScene() {
    if (!device) {
        MessageBoxA(nullptr, g_cStringMap.GetString(kStatesNoDeviceText), g_cStringMap.GetString(kNoDeviceCaption), MB_OK);
        // The runtime's exit(1); returns only under a test hook.
        ExitProcess(1);
        return false;
    }
    if (inScene) return false;
    if (FAILED(device->BeginScene())) return false;
    inScene = true;
    return true;
}

bool KD3DDevice::EndScene() {
    if (!inScene || !device) return false;
    inScene = false;
    return SUCCEEDED(device->EndScene());
}
