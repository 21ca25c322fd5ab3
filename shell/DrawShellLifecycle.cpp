// Start-up for the host's main window or a given window, adopting a device
// made elsewhere, and shutdown.
#include <windows.h>

#include "lumiva/basrel/DebugLog.h"
#include "scene/KModelManager.h"
#include "shell/D3DDevice.h"
#include "shell/D3DShell.h"
#include "shell/D3DShellStartup.h"
#include "shell/KDrawShell.h"
#include "shell/PreviewRender.h"
#include "shell/ShellGlobals.h"

namespace {

constexpr int kPreloadStopWaitMs = 5000;

bool IsFormatThirtyTwoBit(D3DFORMAT format) { return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8; }

// The pak preload thread answers 0 with 2. A thread that never answers must
// not hang the host's shutdown.
void StopPakPreloadThread() {
    if (!neighbours::StopPakPreloadThread(kPreloadStopWaitMs))
        g_DebugLog("[D3DRender]Pak preload thread did not stop in %d ms.", kPreloadStopWaitMs);
}

}  // namespace

bool KDrawShell::StartDevice(IDirect3DDevice9* device) {
    neighbours::TextureManagerInit(device, false, false);
    return g_pModelManager->SetDevice(device) >= 0;
}

// Gamma ramp saved, identity ramp applied, GDI+ started.
void KDrawShell::FinishStartup() {
    IDirect3DDevice9* device = g_D3DDevice.device;
    device->SetDialogBoxMode(TRUE);
    g_D3DDevice.SaveGammaRamp();
    savedGammaRamp = g_D3DDevice.savedGammaRamp;
    ApplyBrightness(50);
    StartGdiplusSession();
}

bool KDrawShell::Create(int width, int height, BYTE fullScreen, DWORD, DWORD) {
    if (!CreateDirect3D(width, height, fullScreen != 0)) return false;
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!StartDevice(device)) return false;

    if (!ChangeDisplayMode(width, height, fullScreen, 1)) {
        // A device that never reached its display mode is of no use.
        RestoreGammaAndRelease();
        return false;
    }
    g_DebugLog("[D3DRender]Device reset ok!");
    if (RestoreDeviceObjects() != 0) return false;
    g_DebugLog("[D3DRender]RestoreDeviceObjects ok!");
    if (InitDeviceObjects() != 0) return false;
    g_DebugLog("[D3DRender]InitDeviceObjects ok!");

    FinishStartup();
    DWORD clearFlags = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER;
    if (g_D3DDevice.depth32) clearFlags |= D3DCLEAR_STENCIL;
    device->Clear(0, nullptr, clearFlags, 0xFFFFFFFF, 1.0f, 0);
    if (screenTargetEnabled && CreateScreenTarget(width, height) != 0) screenTargetEnabled = 0;
    lightGlow.Init();
    PlaceMainWindow(fullScreen != 0, width, height, false);
    LoadDebugAndBrightness();
    neighbours::DebugMeshSetDevice(device);
    return true;
}

bool KDrawShell::CreateWindowed(int width, int height, HWND window) {
    if (!g_D3DShell.Create()) return false;
    g_DebugLog("[D3DRender]g_D3DShell create ok!");
    g_MainWindow = window;
    if (!window) return false;
    g_ScreenWidth = width;
    g_ScreenHeight = height;
    g_Windowed = 1;

    IDirect3D9* d3d = g_D3DShell.d3d;
    d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &adapterMode);
    // Later mode changes and resets read the device and mode chosen here.
    KD3DAdapterInfo* adapter = nullptr;
    KD3DDeviceInfo* deviceInfo = g_D3DShell.FindDevice(&adapter);
    g_D3DDevice.adapterInfo = adapter;
    g_D3DDevice.deviceInfo = deviceInfo;
    g_D3DDevice.displayMode =
        deviceInfo ? g_D3DShell.FindDisplayMode(deviceInfo, IsFormatThirtyTwoBit(adapterMode.Format) ? 32 : 16) : nullptr;

    windowedPresentParams = D3DPRESENT_PARAMETERS{};
    windowedPresentParams.BackBufferWidth = static_cast<UINT>(width);
    windowedPresentParams.BackBufferHeight = static_cast<UINT>(height);
    windowedPresentParams.BackBufferFormat = adapterMode.Format;
    windowedPresentParams.BackBufferCount = 1;
    windowedPresentParams.MultiSampleType = D3DMULTISAMPLE_NONE;
    windowedPresentParams.SwapEffect = D3DSWAPEFFECT_DISCARD;
    windowedPresentParams.hDeviceWindow = window;
    windowedPresentParams.Windowed = TRUE;
    windowedPresentParams.EnableAutoDepthStencil = TRUE;
    windowedPresentParams.AutoDepthStencilFormat = D3DFMT_D16;
    windowedPresentParams.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;

    D3DPRESENT_PARAMETERS params = windowedPresentParams;
    if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_MIXED_VERTEXPROCESSING, &params,
                                 &g_D3DDevice.device)))
        return false;
    g_D3DDevice.presentParams = params;
    if (!StartDevice(g_D3DDevice.device)) return false;

    if (!ResizeBackBuffer(width, height, window)) return false;
    g_DebugLog("[D3DRender]Device reset ok!");
    if (FAILED(RestoreDeviceObjects())) return false;
    g_DebugLog("[D3DRender]RestoreDeviceObjects ok!");
    if (FAILED(InitDeviceObjects())) return false;
    g_DebugLog("[D3DRender]InitDeviceObjects ok!");
    FinishStartup();
    return true;
}

bool KDrawShell::ResizeBackBuffer(int width, int height, HWND) {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return false;
    windowedPresentParams.BackBufferWidth = static_cast<UINT>(width);
    windowedPresentParams.BackBufferHeight = static_cast<UINT>(height);
    // Default-pool objects of the shell would make the reset fail.
    if (backBufferSurface) {
        backBufferSurface->Release();
        backBufferSurface = nullptr;
    }
    ReleaseDynamicVertexBuffer();
    D3DPRESENT_PARAMETERS params = windowedPresentParams;
    const HRESULT reset = device->Reset(&params);
    if (SUCCEEDED(reset)) g_D3DDevice.presentParams = params;
    SetDefaultRenderStates();
    return SUCCEEDED(reset);
}

void KDrawShell::AttachDevice(IDirect3DDevice9* device) {
    if (!device) return;
    g_D3DDevice.ReleaseDevice();
    g_D3DDevice.device = device;
    if (StartDevice(device) && InitDeviceObjects() == 0) g_DebugLog("[D3DRender]InitDeviceObjects ok!");
}

void KDrawShell::RestoreGammaAndRelease() { RestoreGammaAndReleaseDirect3D(); }

void KDrawShell::Release() {
    neighbours::ReleaseRibbons();
    DeleteDeviceObjects();
    lightGlow.Reset();
    neighbours::ReleaseRibbons();
    DeleteDeviceObjects();
    // Definitions the host never unloaded hold textures of this device.
    neighbours::DestroyAllLightning();
    neighbours::DebugMeshForgetDevice();
    // Everything the shell holds on the device goes before the device does.
    ReleaseSavedPreviewTarget();
    ReleaseDeviceResources();
    RestoreGammaAndRelease();
    StopGdiplusSession();
    delete this;
    StopPakPreloadThread();
}
