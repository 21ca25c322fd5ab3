#include "d3d9/raster/Combiner.h"

#include <d3d9.h>

namespace raster {

namespace {
enum : uint32_t {
    kModulateAlphaAddColor = 18,
    kModulateColorAddAlpha = 19,
    kModulateInvAlphaAddColor = 20,
    kModulateInvColorAddAlpha = 21,
    kMultiplyAdd = 25,
    kLerp = 26,
};
}  // namespace

// Ops that mix in another channel's alpha (18..21) are applied per channel by
// the caller with the right alpha in arg0.
int32_t CombineChannel(uint32_t op, const OpInputs& in) {
    const int32_t a1 = in.arg1, a2 = in.arg2;
    switch (op) {
        case D3DTOP_SELECTARG1: return a1;
        case D3DTOP_SELECTARG2: return a2;
        case D3DTOP_MODULATE: return MulRound(a1, a2);
        case D3DTOP_MODULATE2X: return ScaledProduct(a1, a2, 2);
        case D3DTOP_MODULATE4X: return ScaledProduct(a1, a2, 4);
        case D3DTOP_ADD: return std::min(255, a1 + a2);
        case D3DTOP_ADDSIGNED: return Saturate(a1 + a2 - 128);
        case D3DTOP_ADDSIGNED2X: return Saturate(2 * (a1 + a2 - 128));
        case D3DTOP_SUBTRACT: return std::max(0, a1 - a2);
        case D3DTOP_ADDSMOOTH: return std::min(255, a1 + MulRound(a2, 255 - a1));
        case D3DTOP_BLENDDIFFUSEALPHA: return LerpRound(a1, a2, in.diffuseAlpha);
        case D3DTOP_BLENDTEXTUREALPHA: return LerpRound(a1, a2, in.textureAlpha);
        case D3DTOP_BLENDFACTORALPHA: return LerpRound(a1, a2, in.factorAlpha);
        case D3DTOP_BLENDCURRENTALPHA: return LerpRound(a1, a2, in.currentAlpha);
        case D3DTOP_BLENDTEXTUREALPHAPM: return std::min(255, a1 + MulRound(a2, 255 - in.textureAlpha));
        case kModulateAlphaAddColor: return std::min(255, a1 + MulRound(in.arg0, a2));
        case kModulateColorAddAlpha: return std::min(255, MulRound(a1, a2) + in.arg0);
        case kModulateInvAlphaAddColor: return std::min(255, a1 + MulRound(255 - in.arg0, a2));
        case kModulateInvColorAddAlpha: return std::min(255, MulRound(255 - a1, a2) + in.arg0);
        case kMultiplyAdd: return std::min(255, in.arg0 + MulRound(a1, a2));
        case kLerp: return LerpRound(a1, a2, in.arg0);
        default: return a1;
    }
}

// PREMODULATE and the bump-mapping operations are not carried out.
uint32_t ImplementedTextureOpCaps() {
    constexpr uint32_t kOps[] = {D3DTOP_DISABLE,
                                 D3DTOP_SELECTARG1,
                                 D3DTOP_SELECTARG2,
                                 D3DTOP_MODULATE,
                                 D3DTOP_MODULATE2X,
                                 D3DTOP_MODULATE4X,
                                 D3DTOP_ADD,
                                 D3DTOP_ADDSIGNED,
                                 D3DTOP_ADDSIGNED2X,
                                 D3DTOP_SUBTRACT,
                                 D3DTOP_ADDSMOOTH,
                                 D3DTOP_BLENDDIFFUSEALPHA,
                                 D3DTOP_BLENDTEXTUREALPHA,
                                 D3DTOP_BLENDFACTORALPHA,
                                 D3DTOP_BLENDTEXTUREALPHAPM,
                                 D3DTOP_BLENDCURRENTALPHA,
                                 kModulateAlphaAddColor,
                                 kModulateColorAddAlpha,
                                 kModulateInvAlphaAddColor,
                                 kModulateInvColorAddAlpha,
                                 D3DTOP_DOTPRODUCT3,
                                 kMultiplyAdd,
                                 kLerp};
    uint32_t caps = 0;
    // D3DTEXOPCAPS_x is bit (D3DTOP_x - 1).
    for (uint32_t op : kOps) caps |= 1u << (op - 1);
    return caps;
}

}  // namespace raster
