#include "draw2d/lists/GreySurface.h"

#include <d3dx9.h>

uint32_t GreyTexel(uint8_t grey) {
    const uint32_t alpha = grey == 255 ? 0u : 255u;
    return alpha << 24 | uint32_t(grey) << 16 | uint32_t(grey) << 8 | grey;
}

void FillGreySurfaceTexels(uint8_t* bits, int pitch, int surfaceWidth, int surfaceHeight, const uint8_t* grey,
                           int greyWidth, int greyHeight) {
    for (int y = 0; y < surfaceHeight; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(bits + size_t(y) * size_t(pitch));
        for (int x = 0; x < surfaceWidth; ++x) {
            const bool inImage = x < greyWidth && y < greyHeight;
            row[x] = GreyTexel(inImage ? grey[size_t(y) * size_t(greyWidth) + size_t(x)] : 255);
        }
    }
}

void RebuildGreySurfaceTexture(IDirect3DDevice9* device, IDirect3DTexture9** texture, const uint8_t* grey, int width,
                               int height) {
    if (*texture) {
        (*texture)->Release();
        *texture = nullptr;
    }
    if (device == nullptr || grey == nullptr || width <= 0 || height <= 0) return;
    IDirect3DTexture9* made = nullptr;
    if (FAILED(D3DXCreateTexture(device, UINT(width), UINT(height), 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8,
                                 D3DPOOL_DEFAULT, &made)))
        return;
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT locked{};
    if (FAILED(made->GetLevelDesc(0, &desc)) || FAILED(made->LockRect(0, &locked, nullptr, 0))) {
        made->Release();
        return;
    }
    FillGreySurfaceTexels(static_cast<uint8_t*>(locked.pBits), locked.Pitch, int(desc.Width), int(desc.Height), grey,
                          width, height);
    made->UnlockRect(0);
    *texture = made;
}
