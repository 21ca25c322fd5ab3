#include "draw2d/scene/TintedPicture.h"

#include <vector>

#include "draw2d/scene/QuadStrip.h"
#include "draw2d/scene/StageStates.h"
#include "shell/ShellServices.h"
#include "textures/KJpgImage.h"

namespace {

struct TexelExtent {
    float uMax, vMax, hu, hv;
};

// Null without a texture, or with a texture size that gives no extent.
IDirect3DTexture9* PictureTexture(const KJpgImage& picture, TexelExtent* extent) {
    const KSprTile& tile = picture.GetFrame().tiles[0];
    if (!tile.texture || tile.textureWidth <= 0 || tile.textureHeight <= 0) return nullptr;
    const float tw = static_cast<float>(tile.textureWidth), th = static_cast<float>(tile.textureHeight);
    *extent = {static_cast<float>(picture.GetWidth()) / tw, static_cast<float>(picture.GetHeight()) / th, 0.5f / tw,
               0.5f / th};
    return tile.texture;
}

KSceneVertex Corner(const float* corners, int index, float u, float v) {
    const float* p = corners + index * 3;
    return {p[0], p[1], p[2], kOpaqueWhite, u, v};
}

}  // namespace

void DrawTintedPicture(KShellServices& shell, const float* corners, KJpgImage* picture, float brightness) {
    IDirect3DDevice9* device = shell.GetDevice();
    if (!device || !corners || !picture) return;
    TexelExtent e{0, 0, 0, 0};
    IDirect3DTexture9* texture = PictureTexture(*picture, &e);
    int first = 0;
    IDirect3DVertexBuffer9* buffer = nullptr;
    auto* out = static_cast<KSceneVertex*>(shell.LockDynamicVertices(4, sizeof(KSceneVertex), &first, &buffer));
    if (!out) return;
    out[0] = Corner(corners, 0, e.hu, e.hv);
    out[1] = Corner(corners, 1, e.uMax - e.hu, e.hv);
    out[2] = Corner(corners, 3, e.hu, e.vMax - e.hv);
    out[3] = Corner(corners, 2, e.uMax - e.hu, e.vMax - e.hv);
    shell.UnlockDynamicVertices();
    device->SetStreamSource(0, buffer, 0, sizeof(KSceneVertex));
    if (!texture) return;

    device->SetTexture(0, texture);
    SetSampler0Filters(device, D3DTEXF_LINEAR);
    const bool tinted = DarkensPicture(brightness);
    KSavedTint saved(device);
    if (tinted) SetGreyTint(device, brightness);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, static_cast<UINT>(first), 2);
    if (tinted) saved.Restore();
    SetSampler0Filters(device, D3DTEXF_POINT);
}

void DrawTintedPictureSplit(KShellServices& shell, const float* corners, KJpgImage* picture) {
    IDirect3DDevice9* device = shell.GetDevice();
    if (!device || !corners || !picture) return;
    TexelExtent e{0, 0, 0, 0};
    IDirect3DTexture9* texture = PictureTexture(*picture, &e);
    const KSceneVertex quad[4] = {Corner(corners, 0, e.hu, e.hv), Corner(corners, 1, e.uMax - e.hu, e.hv),
                                  Corner(corners, 2, e.uMax - e.hu, e.vMax - e.hv),
                                  Corner(corners, 3, e.hu, e.vMax - e.hv)};
    // Cut first, then take exactly the run the strip needs.
    std::vector<KSceneVertex> strip(kStripCapacity);
    const int n = SplitQuadIntoStrip(shell, quad, strip.data(), kStripCapacity, kOpaqueWhite);
    if (n <= 2) return;
    int first = 0;
    if (!UploadStrips(shell, device, strip.data(), n, &first)) return;
    if (!texture) return;
    device->SetTexture(0, texture);
    SetSampler0Filters(device, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE4X);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, static_cast<UINT>(first), static_cast<UINT>(n - 2));
    SetSampler0Filters(device, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
}
