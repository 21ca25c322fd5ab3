#include "shell/D3DDevice.h"

#include <cstring>

#include "lumiva/basrel/DebugLog.h"
#include "lumiva/basrel/KStringMap.h"
#include "shell/VideoPolicy.h"

KD3DDevice g_D3DDevice;

namespace {

constexpr int kDeviceCaptionText = 44;
constexpr int kPow2WarningText = 1;
constexpr int kDeviceOutOfMemoryText = 2;
constexpr int kCreateFailedText = 3;
constexpr int kDesktopDepthText = 5;
constexpr int kConfigureSaveText = 14;

void ShowMessage(HWND owner, int text, int caption = kDeviceCaptionText) {
    MessageBoxA(owner, g_cStringMap.GetString(text), g_cStringMap.GetString(caption), MB_OK);
}

}  // namespace

KD3DDevice::KD3DDevice()
    : device(nullptr),
      presentParams{},
      adapterInfo(nullptr),
      deviceInfo(nullptr),
      displayMode(nullptr),
      viewportRect{},
      caps{},
      viewport{},
      availableTextureMem(0),
      inScene(false),
      depth32(false),
      behaviorFlags(0),
      skinShaders{},
      savedGammaRamp{},
      gammaSaved(false) {
    Clear();
}

KD3DDevice::~KD3DDevice() { Teardown(); }

void KD3DDevice::Teardown() {
    ReleaseSkinningShaders();
    ReleaseDevice();
    viewportRect = KViewportRect{};
}

void KD3DDevice::Clear() {
    device = nullptr;
    adapterInfo = nullptr;
    deviceInfo = nullptr;
    displayMode = nullptr;
    availableTextureMem = 0;
    inScene = false;
    depth32 = false;
}

void KD3DDevice::ReleaseDevice() {
    if (device) device->Release();
    Clear();
    gammaSaved = false;
}

bool KD3DDevice::CreateDevice(KD3DAdapterInfo* adapter, KD3DDeviceInfo* deviceType, KD3DModeInfo* mode) {
    IDirect3D9* d3d = g_D3DShell.d3d;
    if (!d3d || !adapter || !deviceType || !mode) return false;

    const DWORD textureCaps = deviceType->Caps.TextureCaps;
    if ((textureCaps & D3DPTEXTURECAPS_POW2) && !(textureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL))
        ShowMessage(nullptr, kPow2WarningText);

    ReleaseDevice();
    adapterInfo = adapter;
    deviceInfo = deviceType;
    displayMode = mode;

    behaviorFlags = D3DCREATE_MULTITHREADED;
    behaviorFlags |= (deviceType->Caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) ? D3DCREATE_MIXED_VERTEXPROCESSING
                                                                                 : D3DCREATE_SOFTWARE_VERTEXPROCESSING;

    BuildPresentParams(&presentParams, mode);
    WritePresentParamsLog(presentParams);

    IDirect3DDevice9* created = nullptr;
    const HRESULT hr = d3d->CreateDevice(adapter->Ordinal, deviceType->DeviceType, g_MainWindow, behaviorFlags,
                                         &presentParams, &created);
    if (hr != D3D_OK || !created) {
        if (created) created->Release();
        ShowMessage(nullptr, hr == D3DERR_OUTOFVIDEOMEMORY ? kDeviceOutOfMemoryText : kCreateFailedText);
        g_DebugLog("[D3DRender]Warning: Device create failed.");
        return false;
    }
    device = created;

    if (FAILED(device->GetDeviceCaps(&caps))) {
        Teardown();
        return false;
    }
    SetDeviceRenderStates();
    return ApplyVideoPolicy();
}

bool KD3DDevice::CheckTextureFormat(D3DFORMAT adapterFormat, DWORD usage, D3DFORMAT format) const {
    return SUCCEEDED(g_D3DShell.d3d->CheckDeviceFormat(adapterInfo->Ordinal, deviceInfo->DeviceType, adapterFormat,
                                                       usage, D3DRTYPE_TEXTURE, format));
}

// Runs after the device exists; on a false result the device stays and the
// shell decides what to release.
bool KD3DDevice::ApplyVideoPolicy() {
    availableTextureMem = device->GetAvailableTextureMem();
    g_VideoPolicy.VideoMemory = static_cast<int32_t>(availableTextureMem >> 20);
    ApplyVideoPolicyFile(availableTextureMem);
    g_VideoPolicy.VideoCardType = DetectVideoCardType(adapterInfo->Identifier.Description);

    const int bytesPerPixel = DesktopBytesPerPixel(g_D3DShell.desktopMode.Format);
    if (bytesPerPixel != 4 && bytesPerPixel != 2) {
        ShowMessage(g_MainWindow, kDesktopDepthText);
        return false;
    }
    const bool desktop32 = bytesPerPixel == 4;
    g_VideoPolicy.IsDesktop32BitColor = desktop32 ? 1 : 0;

    const D3DFORMAT adapterFormat = desktop32 ? D3DFMT_X8R8G8B8 : D3DFMT_R5G6B5;
    KTextureFormatSupport support{};
    support.r5g6b5 = CheckTextureFormat(adapterFormat, D3DUSAGE_RENDERTARGET, D3DFMT_R5G6B5);
    support.a8r8g8b8 = CheckTextureFormat(adapterFormat, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8);
    support.x8r8g8b8 = CheckTextureFormat(adapterFormat, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8);
    support.a4r4g4b4 = CheckTextureFormat(adapterFormat, D3DUSAGE_RENDERTARGET, D3DFMT_A4R4G4B4);
    const KTextureFormatChoice choice = ChooseTextureFormats(support, desktop32);
    if (choice.renderTargetWarning) ShowMessage(g_MainWindow, choice.renderTargetWarning);
    if (choice.renderTarget == D3DFMT_UNKNOWN) {
        ShowMessage(g_MainWindow, NoRenderTargetFormatText(desktop32));
        return false;
    }
    g_RenderTextureFormat = choice.renderTarget;
    g_VideoPolicy.RenderTargetAlpha = choice.renderTargetAlpha ? 1 : 0;
    if (choice.picture == D3DFMT_UNKNOWN) {
        ShowMessage(g_MainWindow, NoPictureFormatText(desktop32));
        return false;
    }
    g_PictureTextureFormat = choice.picture;

    if (!LoadOrWriteConfigureFile(g_VideoPolicy)) {
        ShowMessage(g_MainWindow, kConfigureSaveText);
        return false;
    }

    const bool dxt1 = CheckTextureFormat(adapterFormat, 0, D3DFMT_DXT1);
    g_VideoPolicy.SupportDXT = (dxt1 && CheckTextureFormat(adapterFormat, 0, D3DFMT_DXT5)) ? 1 : 0;

    CreateSkinningShaders();
    return true;
}

bool KD3DDevice::ResetDevice(KD3DModeInfo* mode) {
    if (!device || !mode) return false;
    BuildPresentParams(&presentParams, mode);
    if (FAILED(device->Reset(&presentParams))) return false;
    displayMode = mode;
    viewportRect = KViewportRect{};
    return true;
}

void KD3DDevice::SaveGammaRamp() {
    if (!device) return;
    device->GetGammaRamp(0, &savedGammaRamp);
    gammaSaved = true;
}

void KD3DDevice::RestoreGammaRamp() {
    if (!device || !gammaSaved) return;
    device->SetGammaRamp(0, D3DSGR_CALIBRATE, &savedGammaRamp);
}
