// Screenshots: the render target as "ScreenShot.DDS", and the front buffer
// within the client area as a BMP or JPEG file.
#include <windows.h>
#include <d3d9.h>
#include <d3dx9tex.h>

#include <algorithm>

#include "lumiva/basrel/KBmpFile24.h"
#include "shell/ComRelease.h"
#include "shell/D3DDevice.h"
#include "shell/D3DShell.h"
#include "shell/GdiplusJpeg.h"
#include "shell/KDrawShell.h"

namespace {

// Where the screenshot's pixels lie on the front buffer, and the size of the
// surface the front buffer is read into.
struct CaptureArea {
    RECT area;
    UINT surfaceWidth;
    UINT surfaceHeight;
};

// The main window's client area on the desktop, clipped to the desktop.
// False when it lies wholly outside.
bool ClientAreaOnDesktop(RECT* area) {
    RECT client{};
    if (!g_MainWindow || !GetClientRect(g_MainWindow, &client)) return false;
    POINT topLeft{client.left, client.top}, bottomRight{client.right, client.bottom};
    if (!ClientToScreen(g_MainWindow, &topLeft) || !ClientToScreen(g_MainWindow, &bottomRight)) return false;
    const LONG desktopWidth = GetSystemMetrics(SM_CXSCREEN), desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    if (topLeft.x >= desktopWidth || topLeft.y >= desktopHeight || bottomRight.x < 1 || bottomRight.y < 1)
        return false;
    // The right and bottom edges are exclusive: a client area reaching past
    // the desktop keeps the desktop's last column and row.
    area->left = std::max<LONG>(topLeft.x, 0);
    area->top = std::max<LONG>(topLeft.y, 0);
    area->right = std::min(bottomRight.x, desktopWidth);
    area->bottom = std::min(bottomRight.y, desktopHeight);
    return true;
}

bool FindCaptureArea(IDirect3DDevice9* device, CaptureArea* out) {
    if (!g_Windowed) {
        out->area = RECT{0, 0, g_ScreenWidth, g_ScreenHeight};
        out->surfaceWidth = UINT(std::max(g_ScreenWidth, 0));
        out->surfaceHeight = UINT(std::max(g_ScreenHeight, 0));
    } else {
        D3DDISPLAYMODE mode{};
        if (!ClientAreaOnDesktop(&out->area) || FAILED(device->GetDisplayMode(0, &mode))) return false;
        out->surfaceWidth = mode.Width;
        out->surfaceHeight = mode.Height;
    }
    // Never read past the surface the front buffer lands in.
    RECT& a = out->area;
    a.right = std::min<LONG>(a.right, LONG(out->surfaceWidth));
    a.bottom = std::min<LONG>(a.bottom, LONG(out->surfaceHeight));
    return a.right > a.left && a.bottom > a.top;
}

bool WriteScreenshot(const char* path, const BYTE* pixels, int pitch, int width, int height, int jpeg, int quality) {
    if (!jpeg) return KBmpFile24::SaveBuffer32(path, pixels, pitch, width, height);
    return SaveJpegFromPixels(path, pixels, pitch, width, height, quality);
}

}  // namespace

void KDrawShell::SaveScreenShotDDS() {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device || deviceLost) return;
    IDirect3DSurface9* target = nullptr;
    IDirect3DTexture9* texture = nullptr;
    IDirect3DSurface9* level = nullptr;
    D3DSURFACE_DESC desc{};
    // The target's own size: the screen's for the back buffer.
    if (SUCCEEDED(device->GetRenderTarget(0, &target)) && target && SUCCEEDED(target->GetDesc(&desc)) &&
        SUCCEEDED(D3DXCreateTexture(device, desc.Width, desc.Height, 1, 0, D3DFMT_DXT5, D3DPOOL_SYSTEMMEM,
                                    &texture)) &&
        texture && SUCCEEDED(texture->GetSurfaceLevel(0, &level)) && level &&
        SUCCEEDED(D3DXLoadSurfaceFromSurface(level, nullptr, nullptr, target, nullptr, nullptr, D3DX_FILTER_NONE, 0)))
        D3DXSaveTextureToFileA("ScreenShot.DDS", D3DXIFF_DDS, texture, nullptr);
    ReleaseAndNull(level);
    ReleaseAndNull(texture);
    ReleaseAndNull(target);
}

bool KDrawShell::SaveScreenShot(const char* path, int jpeg, int quality) {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!path || !*path || deviceLost || !device) return false;
    CaptureArea capture{};
    if (!FindCaptureArea(device, &capture)) return false;

    IDirect3DSurface9* surface = nullptr;
    if (FAILED(device->CreateOffscreenPlainSurface(capture.surfaceWidth, capture.surfaceHeight, D3DFMT_A8R8G8B8,
                                                   D3DPOOL_SYSTEMMEM, &surface, nullptr)) ||
        !surface)
        return false;
    bool saved = false;
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(device->GetFrontBufferData(0, surface)) &&
        SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        const RECT& a = capture.area;
        const BYTE* first = static_cast<const BYTE*>(locked.pBits) + size_t(a.top) * size_t(locked.Pitch) +
                            size_t(a.left) * 4;
        saved = WriteScreenshot(path, first, locked.Pitch, a.right - a.left, a.bottom - a.top, jpeg, quality);
        surface->UnlockRect();
    }
    surface->Release();
    return saved;
}
