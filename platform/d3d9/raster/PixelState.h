// The per-draw pixel pipeline: states folded once per draw into what the
// spans read, so no span looks a state up by number.
#pragma once

#include <cstdint>

#include "d3d9/raster/Combiner.h"
#include "d3d9/raster/Interpolation.h"
#include "d3d9/raster/RasterTypes.h"
#include "d3d9/raster/SceneShade.h"
#include "d3d9/raster/TextureSampler.h"

namespace raster {

// Blends the fast spans perform: none, SRCALPHA / INVSRCALPHA, ONE / ONE,
// SRCALPHA / ONE and the multiply (ZERO / SRCCOLOR or DESTCOLOR / ZERO), all
// with BLENDOP ADD.
enum FastBlend : int { kOpaqueBlend, kSourceAlphaBlend, kAdditiveBlend, kAdditiveAlphaBlend, kMultiplyBlend };

// The alpha test as the row kernels run it: each outcome of comparing a
// pixel's alpha with `reference` (less, equal, greater) as a mask of all
// ones where the test passes it, else zero; CompareFunc's answers.
struct AlphaTestMasks {
    uint32_t reference = 0;
    uint32_t less = ~0u, equal = ~0u, greater = ~0u;
    bool PassesAll() const { return less && equal && greater; }
    bool Passes(uint32_t alpha) const {
        return ((alpha < reference ? less : 0) | (alpha == reference ? equal : 0) | (alpha > reference ? greater : 0)) != 0;
    }
};

// A comparison function as the outcomes it passes, for loops that compare
// per pixel under one function: the same answers as CompareFunc.
struct CompareMask {
    bool less, equal, greater;
    bool Passes(uint32_t value, uint32_t reference) const {
        return (less & (value < reference)) | (equal & (value == reference)) | (greater & (value > reference));
    }
};

// What the scene span (SceneSpans.h) asks of a draw, answered when the draw
// is planned instead of on every span.
struct SceneStagePlan {
    bool wraps = false;   // every level it samples wraps by mask
    bool plain = false;   // opaque and no alpha test
    bool scaled = false;  // a product doubled (MODULATE2X, MODULATE4X)
    CompareMask depthTest{true, true, true};
    uint32_t factorChannels = 0;  // the diffuse channels the texture factor gives, packed
    // The eight-pixel shading's setup, where it serves a linear filter on a
    // processor with AVX2.
    bool vectorShades = false;
    fast::SceneShadeSetup vectorShade{};
};

struct StageSetup {
    uint32_t colorOp = D3DTOP_DISABLE;
    uint32_t colorArg1 = D3DTA_TEXTURE, colorArg2 = D3DTA_CURRENT, colorArg0 = D3DTA_CURRENT;
    uint32_t alphaOp = D3DTOP_DISABLE;
    uint32_t alphaArg1 = D3DTA_TEXTURE, alphaArg2 = D3DTA_CURRENT, alphaArg0 = D3DTA_CURRENT;
    bool resultToTemp = false;
    int texcoordSet = 0;
    bool readsTexture = false;  // some argument or op uses the texture (only when one is bound)
    bool hasTexture = false;    // a texture is bound (else no op reads TEXTURE)
    SamplerSetup sampler;
};

struct PixelState {
    int stageCount = 0;  // stages before the first disabled one
    StageSetup stages[kMaxStages];
    uint32_t textureFactor = 0xFFFFFFFFu;
    bool specularAdd = false;
    bool needsSpecular = false;  // added, or read by a stage; else specular stays black

    bool alphaTest = false;
    uint32_t alphaFunc = D3DCMP_ALWAYS;
    int32_t alphaRef = 0;

    bool depthTest = false;
    bool depthWrite = false;
    uint32_t depthFunc = D3DCMP_LESSEQUAL;

    bool stencil = false;
    uint32_t stencilFunc = D3DCMP_ALWAYS, stencilRef = 0, stencilMask = 0xFFFFFFFFu, stencilWriteMask = 0xFFFFFFFFu;
    uint32_t stencilFail = 1, stencilDepthFail = 1, stencilPass = 1;

    bool blend = false;
    uint32_t srcBlend = D3DBLEND_ONE, destBlend = D3DBLEND_ZERO, blendOp = D3DBLENDOP_ADD;
    uint32_t colorWriteMask = 0xF;

    SurfaceView target;
    SurfaceView depth;  // bits null: no depth buffer

    uint32_t attributeMask = 0;  // attributes some stage or output reads

    // Stage 0 as the textured fast span reads it, filled when it is planned.
    struct FastStage {
        int colourMode = 0, colourScale = 1, alphaMode = 0, alphaScale = 1;
        bool colourFromFactor = false, alphaFromFactor = false;  // TFACTOR instead of diffuse
        Rgba factor;
        int blendMode = kOpaqueBlend;
        const SurfaceView* surface = nullptr;
        // The alpha test when it can drop a pixel (ALWAYS cannot).
        bool alphaTested = false;
        AlphaTestMasks alphaTest;
        SceneStagePlan scene;
    } fastStage;
};

// Folds the state block into a pixel state. False when the target cannot be
// drawn into (unknown format).
bool BuildPixelState(const DrawCommand& draw, PixelState& out);

// Shading inputs of one pixel.
struct FragmentInputs {
    Rgba diffuse, specular;
    double u[kMaxStages], v[kMaxStages];  // per texture coordinate set
    TexelDerivatives derivatives[kMaxStages];
};

// The combined colour of a fragment through the texture stages.
uint32_t CombineStages(const PixelState& ps, const FragmentInputs& in);

inline bool CompareFunc(uint32_t func, uint32_t value, uint32_t reference) {
    switch (func) {
        case D3DCMP_NEVER: return false;
        case D3DCMP_LESS: return value < reference;
        case D3DCMP_EQUAL: return value == reference;
        case D3DCMP_LESSEQUAL: return value <= reference;
        case D3DCMP_GREATER: return value > reference;
        case D3DCMP_NOTEQUAL: return value != reference;
        case D3DCMP_GREATEREQUAL: return value >= reference;
        default: return true;
    }
}


inline CompareMask CompareMaskOf(uint32_t func) {
    return CompareMask{CompareFunc(func, 0, 1), CompareFunc(func, 1, 1), CompareFunc(func, 1, 0)};
}

inline AlphaTestMasks AlphaTestMasksOf(uint32_t func, int32_t reference) {
    const CompareMask m = CompareMaskOf(func);
    auto all = [](bool pass) { return pass ? ~0u : 0u; };
    return AlphaTestMasks{uint32_t(reference), all(m.less), all(m.equal), all(m.greater)};
}

// Stencil test, then depth test, with the stencil operations each outcome
// asks for; writes depth when both pass and depth writes are on. True when
// the pixel goes on to be written.
bool StencilAndDepth(const PixelState& ps, uint8_t* depthPixel, uint32_t depth);

// Blends and writes one pixel; source and result as ARGB.
uint32_t BlendPixel(const PixelState& ps, uint32_t source, uint32_t dest);

// Evaluates, shades, tests and writes every pixel of one span [x0, x1) of
// row y. The general path: any state the pixel state can hold.
void ShadeSpanGeneral(const PixelState& ps, const Gradients& g, int y, int x0, int x1);

inline int32_t ColorChannel(double v) {
    if (!(v > 0.0)) return 0;
    if (v >= 255.0) return 255;
    return int32_t(v + 0.5);
}

}  // namespace raster
