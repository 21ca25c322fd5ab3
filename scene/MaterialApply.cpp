// Setting up the device for one subset, the overlay stage, and putting the
// options' states back.
#include <d3dx9math.h>

#include "scene/KMaterial.h"
#include "textures/ImageCache.h"
#include "textures/KJpgImage.h"
#include "textures/KSprImage.h"
#include "textures/TextureManager.h"

namespace {

constexpr float kByteToUnit = 0.00392f;
constexpr int kOverlayPictureType = kImageSprite;

// The texture of a frame's first tile; null for a frame the picture lacks.
IDirect3DTexture9* FirstTileTexture(KImageTexture* picture, int frame) {
    if (auto* sprite = dynamic_cast<KSprImage*>(picture)) return sprite->GetTileTexture(frame, 0);
    if (auto* jpeg = dynamic_cast<KJpgImage*>(picture)) return frame == 0 ? jpeg->GetTexture() : nullptr;
    return nullptr;
}

DWORD OverlayTexCoordIndex(int32_t mode) {
    switch (mode) {
        case 2: return D3DTSS_TCI_CAMERASPACENORMAL;
        case 3: return D3DTSS_TCI_CAMERASPACEPOSITION;
        case 4: return D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR;
        default: return 0;
    }
}

// Twice the clock as a float, taken modulo 2^32 so it always fits.
DWORD TextureTime() { return DWORD(uint64_t(2.0f * float(timeGetTime()))); }

}  // namespace

HRESULT KMaterial::Apply(D3DCOLOR colour, DWORD index, float alpha, BYTE depthWrite) {
    if (index >= recordCount || index >= records.size()) return 0;
    KMaterialRecord& record = records[index];
    if (record.flags & kMaterialNotDrawn) return E_FAIL;
    if (!device) return 0;
    SetMaterialColours(record, colour, alpha);
    SetBlendAndDepth(alpha, depthWrite);
    for (KMaterialOption& option : record.options) ApplyOption(0, option);

    const DWORD textureTime = TextureTime();
    bool overlayPlaced = false;
    for (DWORD s = 0; s < kMaterialStages; ++s) {
        if (record.stageTextures[s]) {
            ApplyTexturedStage(s, record, textureTime);
        } else if (!overlayName.empty() && !overlayPlaced) {
            ApplyOverlayStage(s);
            overlayPlaced = true;
        } else {
            DisableStage(s);
            break;
        }
    }
    return 0;
}

// Options were applied one over another: give them back in the reverse
// order, so what the device had before Apply is what stays.
HRESULT KMaterial::Restore(DWORD index) {
    if (index >= recordCount || index >= records.size()) return 0;
    KMaterialRecord& record = records[index];
    for (DWORD s = kMaterialStages; s-- > 0;) {
        if (!record.stageTextures[s]) continue;
        auto& options = record.stageOptions[s];
        for (auto it = options.rbegin(); it != options.rend(); ++it) RestoreOption(s, *it);
    }
    for (auto it = record.options.rbegin(); it != record.options.rend(); ++it) RestoreOption(0, *it);
    return 0;
}

void KMaterial::SetMaterialColours(const KMaterialRecord& record, D3DCOLOR colour, float alpha) {
    D3DMATERIAL9 material = record.material;
    material.Diffuse.a = material.Ambient.a = material.Specular.a = alpha;
    material.Ambient.r = float((colour >> 16) & 0xFF) * kByteToUnit;
    material.Ambient.g = float((colour >> 8) & 0xFF) * kByteToUnit;
    material.Ambient.b = float(colour & 0xFF) * kByteToUnit;
    device->SetMaterial(&material);
}

void KMaterial::SetBlendAndDepth(float alpha, BYTE depthWrite) {
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, g_AdditiveBlend ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    device->SetRenderState(D3DRS_ZWRITEENABLE, alpha >= 1.0f ? TRUE : FALSE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, kMaterialAlphaRef);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    if (depthWrite) device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}

void KMaterial::SetStageFilters(DWORD stage) {
    device->SetSamplerState(stage, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(stage, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(stage, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
}

void KMaterial::ApplyTexturedStage(DWORD stage, KMaterialRecord& record, DWORD textureTime) {
    device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
    device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    SetStageFilters(stage);
    for (KMaterialOption& option : record.stageOptions[stage]) ApplyOption(stage, option);
    if (g_pTextureManager) g_pTextureManager->SetTexture(stage, record.stageTextures[stage], textureTime);
}

void KMaterial::ApplyOverlayStage(DWORD stage) {
    const int frame = overlayClock.Advance(0, 1.0f);
    KImageTexture* picture = nullptr;
    if (g_pImageCache) {
        int16_t hint = int16_t(overlayClock.indexHint);
        picture = g_pImageCache->GetImage(overlayName.c_str(), &overlayClock.pictureId, &hint, frame,
                                          kOverlayPictureType, 0, 1, 0, 0);
        overlayClock.indexHint = WORD(hint);
    }
    device->SetTexture(stage, picture ? FirstTileTexture(picture, frame) : nullptr);
    SetStageFilters(stage);
    device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
    device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, OverlayTexCoordIndex(overlayMode));
    device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
}

void KMaterial::DisableStage(DWORD stage) {
    device->SetTexture(stage, nullptr);
    device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}
