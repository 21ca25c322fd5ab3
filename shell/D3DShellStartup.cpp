#include "shell/D3DShellStartup.h"

#include "lumiva/basrel/DebugLog.h"
#include "lumiva/basrel/HostGlobals.h"
#include "lumiva/basrel/KStringMap.h"
#include "shell/D3DDevice.h"
#include "shell/D3DShell.h"
#include "shell/SystemSurveyCpu.h"
#include "shell/VideoPolicy.h"

namespace {

constexpr int kStartupCaptionText = 44;
constexpr int kStartupNoDeviceText = 25;
constexpr int kNoDisplayModeText = 26;
constexpr int kNoD3DDeviceText = 27;

bool FailStartup(const char* logLine, int text) {
    RestoreGammaAndReleaseDirect3D();
    g_DebugLog("%s", logLine);
    MessageBoxA(nullptr, g_cStringMap.GetString(text), g_cStringMap.GetString(kStartupCaptionText), MB_OK);
    return false;
}

bool IsThirtyTwoBitDesktop(D3DFORMAT format) { return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8; }

}  // namespace

bool CreateDirect3D(int width, int height, bool fullScreen) {
    if (!g_D3DShell.Create()) return false;
    g_DebugLog("[D3DRender]g_D3DShell create ok!");

    g_MainWindow = g_GetMainHWnd();
    if (!g_MainWindow) return false;
    g_ScreenWidth = width;
    g_ScreenHeight = height;
    g_Windowed = fullScreen ? 0 : 1;

    KD3DAdapterInfo* adapter = nullptr;
    KD3DDeviceInfo* device = g_D3DShell.FindDevice(&adapter);
    if (!device) return FailStartup("[D3DRender]Can't find any d3d devices to use!", kStartupNoDeviceText);

    D3DDISPLAYMODE current{};
    g_D3DShell.d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &current);
    KD3DModeInfo* mode = g_D3DShell.FindDisplayMode(device, IsThirtyTwoBitDesktop(current.Format) ? 32 : 16);
    if (!mode) return FailStartup("[D3DRender]Can't find an appropriate display mode!", kNoDisplayModeText);

    if (!g_D3DDevice.CreateDevice(adapter, device, mode))
        return FailStartup("[D3DRender]Couldn't create D3D Device!", kNoD3DDeviceText);
    return true;
}

void RestoreGammaAndReleaseDirect3D() {
    g_D3DDevice.PrepareReset();
    g_D3DDevice.RestoreGammaRamp();
    g_D3DDevice.Teardown();
    g_D3DShell.Release();
}

void ResetDirect3DForTests() {
    g_D3DDevice.Teardown();
    g_D3DDevice.behaviorFlags = 0;
    g_D3DShell.Release();
    g_D3DShell.desktopMode = D3DDISPLAYMODE{};
    ResetVideoPolicy();
    ResetScreenSettingsForTests();
    SetCpuSourceForTests(nullptr);
}
