// Display-mode changes: window styles and placement on the desktop, the
// device reset, and switching between windowed and full screen.
#include <algorithm>
#include <cstring>

#include "lumiva/basrel/DebugLog.h"
#include "shell/D3DDevice.h"
#include "shell/D3DShell.h"
#include "shell/KDrawShell.h"
#include "shell/ShellGlobals.h"

namespace {

constexpr DWORD kFullScreenStyle = WS_POPUP;
constexpr DWORD kFullScreenExStyle = WS_EX_APPWINDOW | WS_EX_TOPMOST;
constexpr DWORD kWindowedStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowedExStyle = WS_EX_APPWINDOW;

bool IsModeThirtyTwoBit(D3DFORMAT format) { return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8; }

RECT AdjustedRect(int width, int height, DWORD style, DWORD exStyle) {
    RECT rect{0, 0, width, height};
    AdjustWindowRectEx(&rect, style, GetMenu(g_MainWindow) != nullptr, exStyle);
    return rect;
}

}  // namespace

void KDrawShell::PlaceMainWindow(bool fullScreen, int width, int height, bool showInBothModes) {
    HWND window = g_MainWindow;
    if (fullScreen) {
        const RECT rect = AdjustedRect(width, height, kFullScreenStyle, kFullScreenExStyle);
        const bool show = showInBothModes || IsWindowVisible(window);
        SetWindowPos(window, HWND_TOPMOST, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                     show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
        return;
    }
    const RECT rect = AdjustedRect(width, height, WS_VISIBLE | kWindowedStyle, kWindowedExStyle);
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    const int x = (desktop.right - desktop.left - width) / 2;
    const int y = (desktop.bottom - desktop.top - height) / 2;
    SetWindowPos(window, HWND_NOTOPMOST, x, y, rect.right - rect.left, rect.bottom - rect.top,
                 showInBothModes ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
}

bool KDrawShell::ChangeDisplayMode(int width, int height, BYTE fullScreen, BYTE keepHidden) {
    if (backBufferSurface) {
        backBufferSurface->Release();
        backBufferSurface = nullptr;
    }
    ReleaseDynamicVertexBuffer();

    g_Windowed = fullScreen ? 0 : 1;
    width = largeScreen ? 1024 : 800;
    height = largeScreen ? 768 : 600;
    g_ScreenWidth = width;
    g_ScreenHeight = height;

    DWORD style = fullScreen ? kFullScreenStyle : kWindowedStyle;
    const DWORD exStyle = fullScreen ? kFullScreenExStyle : kWindowedExStyle;
    if (!keepHidden) style |= WS_VISIBLE;
    const RECT rect = AdjustedRect(width, height, style, exStyle);
    SetWindowLongA(g_MainWindow, GWL_STYLE, static_cast<LONG>(style));
    SetWindowLongA(g_MainWindow, GWL_EXSTYLE, static_cast<LONG>(exStyle));
    if (!fullScreen && (rect.left < 0 || rect.top < 0)) {
        MoveWindow(g_MainWindow, rect.left + std::max<LONG>(0, -rect.left), rect.top + std::max<LONG>(0, -rect.top),
                   rect.right - rect.left, rect.bottom - rect.top, TRUE);
    }

    D3DDISPLAYMODE current{};
    KD3DModeInfo* mode = nullptr;
    if (g_D3DShell.d3d && g_D3DDevice.deviceInfo) {
        g_D3DShell.d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &current);
        mode = g_D3DShell.FindDisplayMode(g_D3DDevice.deviceInfo, IsModeThirtyTwoBit(current.Format) ? 32 : 16);
    }
    if (!mode) {
        RestoreGammaAndRelease();
        g_DebugLog("[D3DRender]Can't find an appropriate display mode!");
        return false;
    }
    // A failed reset keeps the device: the frame loop tries again.
    if (!g_D3DDevice.ResetDevice(mode)) {
        g_DebugLog("[D3DRender]Can't find an appropriate display mode!");
        return false;
    }

    g_SixteenBitFormat = mode->Format == D3DFMT_X1R5G5B5 ? D3DFMT_X1R5G5B5 : D3DFMT_R5G6B5;
    g_D3DDevice.SetDeviceRenderStates();
    if (FAILED(g_D3DDevice.device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBufferSurface)))
        backBufferSurface = nullptr;
    adapterMode = current;
    std::fill(captureBuffers.large.begin(), captureBuffers.large.end(), uint8_t{0});
    std::fill(captureBuffers.small.begin(), captureBuffers.small.end(), uint8_t{0});
    captureBuffers.largeCount = 0;
    captureBuffers.smallCount = 0;
    occlusionSamples = KOcclusionSamples{};
    ApplyBrightness(50);
    return true;
}

bool KDrawShell::ToggleWindowMode() {
    if (FAILED(InvalidateDeviceObjects())) return false;
    if (!ChangeDisplayMode(g_ScreenWidth, g_ScreenHeight, static_cast<BYTE>(g_Windowed), 0)) return false;
    if (FAILED(RestoreDeviceObjects())) return false;
    deviceLost = 0;
    PlaceMainWindow(g_Windowed == 0, g_ScreenWidth, g_ScreenHeight, true);
    return true;
}
