#include "shell/PreviewRender.h"

#include <algorithm>
#include <cstring>

#include "shell/CapturePixels.h"
#include "shell/ComRelease.h"
#include "shell/D3DDevice.h"
#include "shell/KDrawShell.h"
#include "shell/PreviewSources.h"
#include "textures/NamedTexturePool.h"

namespace {

// The mask value under which the back buffer keeps its own pixel.
constexpr uint32_t kMaskKeep = 0x00FFFFFF;

KPrimPicture* g_PreviewObject = nullptr;
IDirect3DSurface9* g_PreviewSavedTarget = nullptr;

// The three surfaces CapturePreview touches, locked.
struct LockedSurface {
    IDirect3DSurface9* surface = nullptr;
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT bits{};
    bool locked = false;

    bool Lock(IDirect3DSurface9* s, DWORD flags) {
        surface = s;
        locked = s && SUCCEEDED(s->GetDesc(&desc)) && SUCCEEDED(s->LockRect(&bits, nullptr, flags));
        return locked;
    }
    void Unlock() {
        if (locked) surface->UnlockRect();
        locked = false;
    }
    uint8_t* At(int x, int y, int bytes) const {
        return static_cast<uint8_t*>(bits.pBits) + int64_t(y) * bits.Pitch + int64_t(x) * bytes;
    }
};

bool HasFourBytePixels(D3DFORMAT format) { return CapturePixelBytes(format) == 4; }

// Copies picture pixel (r, c) to back-buffer pixel (x + c, y + r) wherever
// the mask's pixel (r, c) is not the keep colour. The rectangle is clipped to
// all three surfaces; pixels are converted when the formats differ.
void CompositeThroughMask(const LockedSurface& picture, const LockedSurface& mask, const LockedSurface& back, int x,
                          int y, int width, int height) {
    const D3DFORMAT from = picture.desc.Format, to = back.desc.Format;
    const int fromBytes = CapturePixelBytes(from), toBytes = CapturePixelBytes(to);
    width = std::min({width, int(picture.desc.Width), int(mask.desc.Width)});
    height = std::min({height, int(picture.desc.Height), int(mask.desc.Height)});
    const CaptureSpan columns = ClipCaptureSpan(x, width, int(back.desc.Width));
    const CaptureSpan rows = ClipCaptureSpan(y, height, int(back.desc.Height));
    if (columns.Empty() || rows.Empty()) return;
    for (int r = rows.first; r < rows.last; ++r) {
        for (int c = columns.first; c < columns.last; ++c) {
            uint32_t maskPixel;
            std::memcpy(&maskPixel, mask.At(c, r, 4), 4);
            if (maskPixel == kMaskKeep) continue;
            const uint8_t* in = picture.At(c, r, fromBytes);
            uint8_t* out = back.At(x + c, y + r, toBytes);
            if (from == to)
                std::memcpy(out, in, size_t(toBytes));
            else
                WriteCapturePixel(out, to, ReadCapturePixel(in, from));
        }
    }
}

void CompositeOntoBackBuffer(IDirect3DSurface9* pictureCopy, IDirect3DTexture9* maskTexture,
                             IDirect3DSurface9* backBuffer, int x, int y, int width, int height) {
    IDirect3DSurface9* maskLevel = nullptr;
    if (FAILED(maskTexture->GetSurfaceLevel(0, &maskLevel)) || !maskLevel) return;
    LockedSurface picture, mask, back;
    if (picture.Lock(pictureCopy, D3DLOCK_READONLY) && mask.Lock(maskLevel, D3DLOCK_READONLY) &&
        back.Lock(backBuffer, D3DLOCK_NOSYSLOCK) && CapturePixelBytes(picture.desc.Format) != 0 &&
        HasFourBytePixels(mask.desc.Format) && CapturePixelBytes(back.desc.Format) != 0)
        CompositeThroughMask(picture, mask, back, x, y, width, height);
    back.Unlock();
    mask.Unlock();
    picture.Unlock();
    maskLevel->Release();
}

// Level 0 of the picture's texture read back into its system-memory copy;
// the copy's level 0 (one reference for the caller), or null.
IDirect3DSurface9* ReadBackPicture(IDirect3DDevice9* device, const KPreviewPicture& picture) {
    IDirect3DSurface9* source = nullptr;
    IDirect3DSurface9* copy = nullptr;
    bool read = SUCCEEDED(picture.texture->GetSurfaceLevel(0, &source)) && source &&
                SUCCEEDED(picture.systemCopy->GetSurfaceLevel(0, &copy)) && copy &&
                SUCCEEDED(device->GetRenderTargetData(source, copy));
    if (source) source->Release();
    if (!read && copy) {
        copy->Release();
        copy = nullptr;
    }
    return copy;
}

}  // namespace

KPrimPicture* PreviewObject() { return g_PreviewObject; }
IDirect3DSurface9* SavedPreviewTarget() { return g_PreviewSavedTarget; }

void ReleaseSavedPreviewTarget() { ReleaseAndNull(g_PreviewSavedTarget); }

// The pool's textures were made on the shell's device.
void KDrawShell::ReleasePreviewMask() {
    previewMask = nullptr;
    NamedTexturePool().Clear();
}

void ResetPreviewForTests() {
    g_PreviewObject = nullptr;
    g_PreviewSavedTarget = nullptr;
}

void KDrawShell::SetPreviewObject(KPrimPicture* record) { g_PreviewObject = record; }

void KDrawShell::BeginPreviewRender() {
    if (!g_PreviewObject) return;
    IDirect3DSurface9* previous = preview_sources::SetPictureAsRenderTarget(this, g_PreviewObject);
    if (!previous) return;
    // A second begin keeps the target of the first, which End must restore.
    if (g_PreviewSavedTarget)
        previous->Release();
    else
        g_PreviewSavedTarget = previous;
}

void KDrawShell::EndPreviewRender() {
    // Restores whatever Begin saved, even when the preview object changed since.
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!g_PreviewSavedTarget || !device) return;
    IDirect3DSurface9* current = nullptr;
    if (SUCCEEDED(device->GetRenderTarget(0, &current)) && current) current->Release();
    device->SetRenderTarget(0, g_PreviewSavedTarget);
    g_PreviewSavedTarget->Release();
    g_PreviewSavedTarget = nullptr;
}

void KDrawShell::CapturePreview(const char* maskName, int x, int y, int width, int height) {
    IDirect3DDevice9* device = g_D3DDevice.device;
    KPrimPicture* record = g_PreviewObject;
    if (deviceLost || !device || !record) return;
    KPreviewPicture picture;
    if (!preview_sources::GetPreviewPicture(this, record, &picture) || !picture.texture || !picture.systemCopy) return;
    IDirect3DSurface9* copy = ReadBackPicture(device, picture);
    if (!copy) return;
    if (backBufferSurface) {
        // The first mask stays in use until the device objects go.
        if (!previewMask && maskName && *maskName)
            previewMask = NamedTexturePool().Load(maskName, D3DPOOL_SYSTEMMEM);
        if (previewMask) CompositeOntoBackBuffer(copy, previewMask, backBufferSurface, x, y, width, height);
    }
    copy->Release();
}
