// The frame's present: whole, around the window's exclusion rectangle, or
// in the four bands around the rectangle of slot 0.
#include "shell/D3DShell.h"
#include "shell/FrameState.h"
#include "shell/KDrawShell.h"

namespace {

void PresentRects(IDirect3DDevice9* device, const RECT* rects, int count) {
    for (int i = 0; i < count; ++i) device->Present(&rects[i], &rects[i], nullptr, nullptr);
}

int BandRects(RECT rects[4]) {
    const int32_t* r = g_PresentBandsRect;
    rects[0] = RECT{0, 0, g_ScreenWidth, r[1]};
    rects[1] = RECT{0, r[1], r[0], r[3]};
    rects[2] = RECT{r[2], r[1], g_ScreenWidth, r[3]};
    rects[3] = RECT{0, r[3], g_ScreenWidth, g_ScreenHeight};
    return 4;
}

}  // namespace

int GetBorderRects(HWND window, const D3DVIEWPORT9& area, RECT rects[4]) {
    RECT client{};
    if (!GetClientRect(window, &client)) return 0;
    const LONG left = client.left + static_cast<LONG>(area.X);
    const LONG top = client.top + static_cast<LONG>(area.Y);
    const LONG right = left + static_cast<LONG>(area.Width);
    const LONG bottom = top + static_cast<LONG>(area.Height);
    int count = 0;
    if (left > client.left) rects[count++] = RECT{client.left, client.top, left, client.bottom};
    if (top > client.top) rects[count++] = RECT{left, client.top, right, top};
    if (bottom < client.bottom) rects[count++] = RECT{left, bottom, right, client.bottom};
    if (right < client.right) rects[count++] = RECT{right, client.top, client.right, client.bottom};
    return count;
}

void PresentFrame(KDrawShell& shell) {
    IDirect3DDevice9* device = shell.GetDevice();
    RECT rects[4];
    if (shell.presentExclusion.enabled) {
        const int32_t* r = shell.presentExclusion.rect;
        D3DVIEWPORT9 area{};
        area.X = static_cast<DWORD>(r[0]);
        area.Y = static_cast<DWORD>(r[1]);
        area.Width = static_cast<DWORD>(r[2] - r[0]);
        area.Height = static_cast<DWORD>(r[3] - r[1]);
        PresentRects(device, rects, GetBorderRects(g_MainWindow, area, rects));
    } else if (g_PresentBandsOn) {
        PresentRects(device, rects, BandRects(rects));
    } else {
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
}
