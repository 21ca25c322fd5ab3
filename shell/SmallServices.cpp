// Small shell services: clear-and-present outside the frame loop, texture
// memory queries and releases, colour conversion and stored values.
#include <cmath>

#include "shell/ColorConversion.h"
#include "shell/D3DDevice.h"
#include "shell/FrameState.h"
#include "shell/KDrawShell.h"
#include "shell/NeighbourServices.h"
#include "shell/VideoPolicy.h"

namespace {

constexpr int kPictureFrameCountIndex = 0;
constexpr int kImageInfoValues = 7;
constexpr float kSmallestUiScaleTaken = 1.0f / 64;
constexpr float kLargestUiScaleTaken = 16.0f;

KImageTexture* LoadSpriteFrame(KImageCache& cache, const char* fileName, int frame) {
    DWORD fileId = 0;
    int16_t indexHint = 0;
    return cache.GetImage(fileName, &fileId, &indexHint, frame, 1, 1, 1, 0, 0);
}

}  // namespace

void KDrawShell::SetPresentWindow(DWORD, DWORD, HWND window) { g_PresentWindow = window; }

bool KDrawShell::ClearScreen() {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return false;
    g_D3DDevice.BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    return true;
}

bool KDrawShell::PresentRect(int width, int height) {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return false;
    g_D3DDevice.EndScene();
    const RECT rect{0, 0, width, height};
    device->Present(&rect, &rect, g_PresentWindow, nullptr);
    return true;
}

void KDrawShell::SetTextureRelease(int mode) {
    neighbours::TextureManagerFreeTextureMemory(mode);
    if (mode == 0) imageCache.PurgeIdle();
    if (mode == -1) imageCache.PurgeAll();
}

bool KDrawShell::EnableBackRefresh(BYTE on) {
    const DWORD megabytes = GetAvailableTextureMem() >> 20;
    if (static_cast<int64_t>(megabytes) < g_VideoPolicy.BackRefresh) return false;
    backRefresh = on;
    return true;
}

DWORD KDrawShell::Color565To8888(WORD colour) { return Rgb565ToArgb(colour); }

DWORD KDrawShell::PreloadPictureFrames(const char* fileName) {
    int16_t info[kImageInfoValues] = {};
    if (!fileName || !GetImageInfo(fileName, info, 1)) return 0;
    KImageTexture* picture = nullptr;
    for (int frame = 0; frame < info[kPictureFrameCountIndex]; ++frame)
        picture = LoadSpriteFrame(imageCache, fileName, frame);
    return neighbours::PictureCost(picture);
}

DWORD KDrawShell::GetPictureFrameCost(const char* fileName, int frame) {
    if (!fileName) return 0;
    return neighbours::PictureCost(LoadSpriteFrame(imageCache, fileName, frame));
}

DWORD KDrawShell::MeasureObjectMemory(const char* fileName) {
    const DWORD before = GetAvailableTextureMem();
    IK3DEffectNode* node = CreateEffectNode(fileName, 0);
    const DWORD after = GetAvailableTextureMem();
    if (node) ReleaseEffectNode(node);
    // Memory that other work gave back meanwhile is no negative cost.
    return after < before ? before - after : 0;
}

// Pictures are sized by the scale: a scale that is not finite, or one no
// picture could be made at, is refused and the old one stays.
void KDrawShell::SetUiScale(float scale) {
    if (std::isfinite(scale) && scale >= kSmallestUiScaleTaken && scale <= kLargestUiScaleTaken) uiScale = scale;
}

void KDrawShell::SetGlobalAlpha(float alpha) { globalAlpha = alpha; }
