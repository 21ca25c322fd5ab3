// The fast-path plan: which specialised span family a draw's pixel state
// allows, and per triangle which span of it runs.
#include <algorithm>
#include <atomic>

#include "d3d9/raster/FastSpanParts.h"
#include "d3d9/raster/FastSpans.h"
#include "d3d9/raster/TextureSampler.h"

namespace raster::fast {

namespace {

std::atomic<bool> g_fastPaths{true};

bool IsPlainArgument(uint32_t arg, uint32_t selector) { return arg == selector; }

// The colour a stage-0 operation combines the texture with: the diffuse
// colour (DIFFUSE or CURRENT) or the texture factor.
bool ColourArgument(uint32_t arg, bool& fromFactor) {
    if (arg == D3DTA_DIFFUSE || arg == D3DTA_CURRENT) {
        fromFactor = false;
        return true;
    }
    if (arg == D3DTA_TFACTOR) {
        fromFactor = true;
        return true;
    }
    return false;
}

bool ClassifyOp(uint32_t op, uint32_t arg1, uint32_t arg2, int& mode, int& scale, bool& fromFactor) {
    scale = 1;
    fromFactor = false;
    switch (op) {
        case D3DTOP_SELECTARG1:
        case D3DTOP_SELECTARG2: {
            const uint32_t arg = op == D3DTOP_SELECTARG1 ? arg1 : arg2;
            if (IsPlainArgument(arg, D3DTA_TEXTURE)) mode = kTextureOnly;
            else if (ColourArgument(arg, fromFactor)) mode = kDiffuseOnly;
            else return false;
            return true;
        }
        case D3DTOP_MODULATE:
        case D3DTOP_MODULATE2X:
        case D3DTOP_MODULATE4X:
            scale = op == D3DTOP_MODULATE ? 1 : (op == D3DTOP_MODULATE2X ? 2 : 4);
            mode = kProduct;
            return (IsPlainArgument(arg1, D3DTA_TEXTURE) && ColourArgument(arg2, fromFactor)) ||
                   (IsPlainArgument(arg2, D3DTA_TEXTURE) && ColourArgument(arg1, fromFactor));
        default: return false;
    }
}
// POINT or LINEAR (ANISOTROPIC samples as LINEAR); NONE and others go the
// general way.
bool IsFastFilter(uint32_t filter, bool& linear) {
    linear = filter == D3DTEXF_LINEAR || filter == D3DTEXF_ANISOTROPIC;
    return linear || filter == D3DTEXF_POINT;
}

// The blend as one of the fast modes; kOpaqueBlend when it is none of them.
int FastBlendMode(const PixelState& ps) {
    if (ps.blendOp != D3DBLENDOP_ADD) return kOpaqueBlend;
    const uint32_t src = ps.srcBlend, dst = ps.destBlend;
    if ((src == D3DBLEND_SRCALPHA && dst == D3DBLEND_INVSRCALPHA) || src == D3DBLEND_BOTHSRCALPHA)
        return kSourceAlphaBlend;
    if (src == D3DBLEND_ONE && dst == D3DBLEND_ONE) return kAdditiveBlend;
    if (src == D3DBLEND_SRCALPHA && dst == D3DBLEND_ONE) return kAdditiveAlphaBlend;
    if ((src == D3DBLEND_ZERO && dst == D3DBLEND_SRCCOLOR) || (src == D3DBLEND_DESTCOLOR && dst == D3DBLEND_ZERO))
        return kMultiplyBlend;
    return kOpaqueBlend;
}

bool AnyStageSamples(const PixelState& ps) {
    for (int s = 0; s < ps.stageCount; ++s)
        if (ps.stages[s].readsTexture && ps.stages[s].hasTexture) return true;
    return false;
}

// One stage that selects the diffuse colour in colour and alpha.
bool PassesDiffuse(const PixelState& ps) {
    if (ps.stageCount != 1 || ps.stages[0].resultToTemp) return false;
    const StageSetup& st = ps.stages[0];
    int mode = 0, scale = 1;
    bool fromFactor = false;
    if (!ClassifyOp(st.colorOp, st.colorArg1, st.colorArg2, mode, scale, fromFactor) || mode != kDiffuseOnly ||
        fromFactor)
        return false;
    if (st.alphaOp == D3DTOP_DISABLE) return true;  // alpha passes CURRENT, the diffuse on stage 0
    return ClassifyOp(st.alphaOp, st.alphaArg1, st.alphaArg2, mode, scale, fromFactor) && mode == kDiffuseOnly &&
           !fromFactor;
}

// The alpha test as masks for the row kernels; off where it passes every
// alpha (ALWAYS, or a function CompareFunc takes as ALWAYS).
void PlanAlphaTest(const PixelState& ps, PixelState::FastStage& fs) {
    fs.alphaTest = ps.alphaTest ? AlphaTestMasksOf(ps.alphaFunc, ps.alphaRef) : AlphaTestMasks{};
    fs.alphaTested = !fs.alphaTest.PassesAll();
}

// Formats in groups, each group's spans built in its own file.
SpanFn FromGroups(SpanFn a, SpanFn b, SpanFn c, SpanFn d) { return a ? a : (b ? b : (c ? c : d)); }

}  // namespace

TexturedKernel TexturedSpanFor(D3DFORMAT format, bool linear, int mode, bool xTarget) {
    for (TexturedKernel k : {TexturedSpanFor32(format, linear, mode, xTarget), TexturedSpanFor16(format, linear, mode, xTarget),
                             TexturedSpanFor15(format, linear, mode, xTarget), TexturedSpanForDxt(format, linear, mode, xTarget)})
        if (k.span) return k;
    return {};
}

SpanFn SceneSpanFor(D3DFORMAT format, bool linear, bool mip, bool depthTest, D3DFORMAT depth) {
    return FromGroups(SceneSpanFor32(format, linear, mip, depthTest, depth), SceneSpanFor16(format, linear, mip, depthTest, depth),
                      SceneSpanFor15(format, linear, mip, depthTest, depth), SceneSpanForDxt(format, linear, mip, depthTest, depth));
}

}  // namespace raster::fast

namespace raster {

using namespace fast;

void SetFastPathsEnabled(bool enabled) { g_fastPaths.store(enabled, std::memory_order_relaxed); }
bool FastPathsEnabled() { return g_fastPaths.load(std::memory_order_relaxed); }

FastPathPlan PlanFastPath(PixelState& ps) {
    FastPathPlan plan;
    if (!FastPathsEnabled()) return plan;
    const D3DFORMAT target = ps.target.format;
    if (target != D3DFMT_A8R8G8B8 && target != D3DFMT_X8R8G8B8) return plan;
    if (ps.stencil || ps.colorWriteMask != 0xF || ps.specularAdd) return plan;
    if (ps.blend) {
        plan.blendMode = FastBlendMode(ps);
        if (plan.blendMode == kOpaqueBlend) return plan;
    }
    const bool xTarget = target == D3DFMT_X8R8G8B8;
    if (!AnyStageSamples(ps)) {
        if (ps.depthTest) return plan;
        PlanAlphaTest(ps, ps.fastStage);
        plan.kind = FastKind::kConstant;
        const ConstantSpans spans = ConstantSpansFor(plan.blendMode, xTarget, PassesDiffuse(ps));
        plan.constantSpan = spans.flat;
        plan.gouraudSpan = spans.gouraud;
        return plan;
    }
    if (ps.stageCount != 1) return plan;
    const StageSetup& st = ps.stages[0];
    if (st.resultToTemp) return plan;
    // Several levels in use: the scene span picks the level per pixel, when
    // one filter class serves both magnification and minification.
    const bool mip = st.sampler.needsLod && !LodPicksFilterOnly(st.sampler);
    PixelState::FastStage fs;
    if (!ClassifyOp(st.colorOp, st.colorArg1, st.colorArg2, fs.colourMode, fs.colourScale, fs.colourFromFactor))
        return plan;
    if (st.alphaOp == D3DTOP_DISABLE) {
        fs.alphaMode = kDiffuseOnly;  // alpha passes CURRENT, the diffuse on stage 0
    } else if (!ClassifyOp(st.alphaOp, st.alphaArg1, st.alphaArg2, fs.alphaMode, fs.alphaScale, fs.alphaFromFactor)) {
        return plan;
    }
    fs.factor = Unpack(ps.textureFactor);
    fs.blendMode = plan.blendMode;
    PlanAlphaTest(ps, fs);
    bool magLinear, minLinear;
    if (!IsFastFilter(st.sampler.magFilter, magLinear) || !IsFastFilter(st.sampler.minFilter, minLinear)) return plan;
    if (mip && magLinear != minLinear) return plan;
    plan.mipmapped = mip;
    plan.filterPerTriangle = st.sampler.needsLod;
    plan.magLinear = magLinear;
    plan.minLinear = plan.filterPerTriangle ? minLinear : magLinear;
    const int level = std::min(st.sampler.baseLevel, int(st.sampler.texture->levelCount) - 1);
    fs.surface = &st.sampler.texture->levels[level];
    ps.fastStage = fs;
    const D3DFORMAT format = st.sampler.texture->levels[level].format;
    PlanSceneStage(ps, format, mip);
    for (int linear = 0; linear < 2; ++linear) {
        plan.sceneSpan[linear] = SceneSpanFor(format, linear, mip, ps.depthTest, ps.depth.format);
        if (!ps.depthTest && !mip) {
            const TexturedKernel k = TexturedSpanFor(format, linear, plan.blendMode, xTarget);
            plan.texturedSpan[linear] = k.span;
            plan.texturedRectangle[linear] = k.rectangle;
        }
    }
    if (plan.sceneSpan[0]) plan.kind = FastKind::kTextured;
    return plan;
}

SpanFn SelectSpan(const RasterContext& ctx, const Gradients& g) {
    const FastPathPlan* plan = ctx.fast;
    if (!plan || plan->kind == FastKind::kNone) return &ShadeSpanGeneral;
    const uint32_t diffuseBits = 0xFu << kDiffuseR, specularBits = 0xFu << kSpecularR;
    const bool flatDiffuse = (g.constantMask & diffuseBits) == diffuseBits;
    if (plan->kind == FastKind::kConstant) {
        const bool flatSpecular = !ctx.pixels->needsSpecular || (g.constantMask & specularBits) == specularBits;
        if (flatDiffuse && flatSpecular) return plan->constantSpan;
        return g.perspective ? &ShadeSpanGeneral : plan->gouraudSpan;
    }
    bool linear = plan->magLinear;
    if (plan->mipmapped) return plan->sceneSpan[linear];
    if (plan->filterPerTriangle) {
        // The general span's per-pixel choice, made once: the derivatives of
        // an affine triangle are the same at every pixel.
        if (g.perspective) return &ShadeSpanGeneral;
        const int ua = kTexcoord0, va = kTexcoord0 + 1;
        const TexelDerivatives d{IsConstant(g, ua) ? 0.0 : g.attr[ua].dx, IsConstant(g, va) ? 0.0 : g.attr[va].dx,
                                 IsConstant(g, ua) ? 0.0 : g.attr[ua].dy, IsConstant(g, va) ? 0.0 : g.attr[va].dy};
        linear = SamplerLod(ctx.pixels->stages[0].sampler, d) <= 0.0 ? plan->magLinear : plan->minLinear;
    }
    // The 2D span steps its texel coordinates exactly where their planes are
    // whole (sprites) and shades whole rows with one diffuse colour. A
    // diffuse that varies, or coordinates it cannot step, it would work out
    // a pixel at a time in doubles: the scene span gives the same values a
    // run at a time.
    if (plan->texturedSpan[linear] && !g.perspective && flatDiffuse && WholeTexelPlanes(g))
        return plan->texturedSpan[linear];
    return plan->sceneSpan[linear];
}

RectangleFn RectangleFor(const RasterContext& ctx, SpanFn span) {
    const FastPathPlan* plan = ctx.fast;
    if (!plan || !span) return nullptr;
    for (int linear = 0; linear < 2; ++linear)
        if (span == plan->texturedSpan[linear]) return plan->texturedRectangle[linear];
    return nullptr;
}

}  // namespace raster
