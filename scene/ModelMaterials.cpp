// What the model changes in its shared material set: the texture factor
// that tints every stage (set again each frame by the model's handle) and
// the overlay picture laid over it.
#include <algorithm>

#include "basrel/HostIntegers.h"

#include "scene/KMaterial.h"
#include "scene/KMesh.h"
#include "scene/KModel.h"
#include "textures/ImageCache.h"
#include "textures/KImageTexture.h"

namespace {

constexpr D3DCOLOR kUntintedColour = 0xFFFFFFFF;
constexpr int kUntintedLevel = 127;

int ClampByte(int value) { return std::clamp(value, 0, 255); }

// Converted after the clamp, so no alpha (not a number included) overflows.
int AlphaByte(float alpha) {
    const double scaled = double(alpha) * 255.0;
    if (!(scaled > 0.0)) return 0;
    return scaled >= 255.0 ? 255 : int(scaled);
}

// Half of the mesh colour's channels plus the offset; an untinted mesh
// gives mid grey plus the offset, wrapped as a byte. Alpha is clamped too:
// a model alpha above 1 used to wrap to a faint one.
D3DCOLOR TintFactor(D3DCOLOR meshColour, int offset, float alpha) {
    const int a = AlphaByte(alpha);
    int r, g, b;
    if (meshColour == kUntintedColour) {
        r = g = b = host_int::Add(offset, kUntintedLevel) & 255;
    } else {
        r = ClampByte(host_int::Add(int((meshColour >> 16) & 255) / 2, offset));
        g = ClampByte(host_int::Add(int((meshColour >> 8) & 255) / 2, offset));
        b = ClampByte(host_int::Add(int(meshColour & 255) / 2, offset));
    }
    return D3DCOLOR_ARGB(a, r, g, b);
}

void TintStage(KStageStatesOption& states, const D3DCOLOR* factor) {
    states.colorOp = D3DTOP_MODULATE2X;
    states.colorArg1 = D3DTA_TEXTURE;
    states.colorArg2 = D3DTA_TFACTOR;
    states.alphaArg1 = D3DTA_TEXTURE;
    states.alphaArg2 = D3DTA_TFACTOR;
    if (factor) states.textureFactor = *factor;
}

// The stage's own states: its first stage-states option.
KStageStatesOption* StageStates(KMaterialRecord& record, int stage) {
    for (KMaterialOption& option : record.stageOptions[stage])
        if (KStageStatesOption* states = option.StageStates()) return states;
    return nullptr;
}

}  // namespace

void KModel::RecolorMaterials(int offset) {
    if (!material) return;
    D3DCOLOR factor = 0;
    if (mesh) factor = TintFactor(mesh->colour, offset, alpha);
    for (KMaterialRecord& record : material->records) {
        for (int stage = 0; stage < kMaterialStages && !record.stageTextureNames[stage].empty(); ++stage)
            if (KStageStatesOption* states = StageStates(record, stage)) TintStage(*states, mesh ? &factor : nullptr);
    }
}

void KModel::SetMaterialTexture(const char* name, int value) {
    if (!material) return;
    if (!name || !*name) {
        material->overlayName.clear();
        return;
    }
    material->overlayName = name;
    material->overlayMode = value;
    KFrameTimer& clock = material->overlayClock;
    KImageTexture* picture = nullptr;
    if (g_pImageCache) {
        int16_t hint = int16_t(clock.indexHint);
        picture = g_pImageCache->GetImage(name, &clock.pictureId, &hint, 0, kImageSprite, 0, 1, 0, 0);
        clock.indexHint = WORD(hint);
    }
    if (!picture) {
        material->overlayName.clear();
        return;
    }
    clock.frameCount = picture->GetFrameCount();
    clock.frameInterval = picture->GetHeaderWord18();  // a sprite's ms a frame
}
