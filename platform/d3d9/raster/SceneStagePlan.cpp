// The scene span's per-draw answers, worked out when the draw is planned.
#include "d3d9/raster/FastSpanParts.h"
#include "d3d9/raster/SceneSpans.h"

namespace raster::fast {

namespace {

// The eight-pixel shading's setup for 32-bit texels that wrap by mask, the
// plain case; the span adds the filter and the processor's AVX2.
bool VectorShadeFor(const PixelState& ps, D3DFORMAT format, bool mip, SceneShadeSetup& out) {
    const SceneStagePlan& plan = ps.fastStage.scene;
    if ((format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8) || !plan.wraps || !plan.plain) return false;
    const SamplerSetup& sampler = ps.stages[0].sampler;
    const uint32_t count = mip ? sampler.texture->levelCount : 1;
    for (uint32_t l = 0; l < count && l < uint32_t(kMaxMipLevels); ++l) {
        const SurfaceView& level = mip ? sampler.texture->levels[l] : *ps.fastStage.surface;
        out.levels[l] = ShadeLevel{level.bits, level.pitch, int32_t(level.width) - 1, int32_t(level.height) - 1};
    }
    out.mip = mip;
    out.opaqueTexels = format == D3DFMT_X8R8G8B8;
    out.xTarget = ps.target.format == D3DFMT_X8R8G8B8;
    const PixelState::FastStage& fs = ps.fastStage;
    out.colourMode = fs.colourMode;
    out.alphaMode = fs.alphaMode;
    out.colourScale = fs.colourMode == kProduct ? fs.colourScale : 1;
    out.alphaScale = fs.alphaMode == kProduct ? fs.alphaScale : 1;
    // As SceneFor maps the depth formats to its spans.
    const D3DFORMAT depth = ps.depth.format;
    const bool shifted = depth == D3DFMT_D24S8 || depth == D3DFMT_D24X8 || depth == D3DFMT_D24X4S4;
    const bool write = ps.depthTest && ps.depthWrite && (shifted || depth == D3DFMT_D16 || depth == D3DFMT_D32);
    out.depthBytes = !write ? 0 : (depth == D3DFMT_D16 ? 2 : 4);
    out.depthShifted = shifted;
    return true;
}

}  // namespace

void PlanSceneStage(PixelState& ps, D3DFORMAT format, bool mip) {
    PixelState::FastStage& fs = ps.fastStage;
    SceneStagePlan& plan = fs.scene;
    const SamplerSetup& sampler = ps.stages[0].sampler;
    plan.wraps = mip ? EveryLevelWrapsByMask(sampler) : WrapsByMask(*fs.surface, sampler);
    plan.plain = !fs.alphaTested && fs.blendMode == kOpaqueBlend;
    plan.scaled = (fs.colourMode == kProduct && fs.colourScale > 1) || (fs.alphaMode == kProduct && fs.alphaScale > 1);
    plan.depthTest = DepthMaskOf(ps.depthFunc);
    plan.factorChannels = FactorChannels(fs);
    plan.vectorShade = SceneShadeSetup{};
    plan.vectorShades = VectorShadeFor(ps, format, mip, plan.vectorShade);
}

}  // namespace raster::fast
