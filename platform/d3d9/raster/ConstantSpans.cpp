// Spans that read no texture: one colour for the whole span.
#include "d3d9/raster/FastSpanParts.h"

namespace raster::fast {

namespace {

// One colour for the whole span: no texture is read and the inputs are
// constant over the triangle.
template <int Mode, bool XTarget>
void ConstantSpan(const PixelState& ps, const Gradients& g, int y, int x0, int x1) {
    FragmentInputs in;
    in.diffuse = ConstantColor(g, kDiffuseR);
    if (ps.needsSpecular) in.specular = ConstantColor(g, kSpecularR);
    const uint32_t colour = CombineStages(ps, in);
    if (ps.alphaTest && !CompareFunc(ps.alphaFunc, colour >> 24, uint32_t(ps.alphaRef))) return;
    uint32_t* row = reinterpret_cast<uint32_t*>(ps.target.bits + ptrdiff_t(y) * ps.target.pitch);
    if constexpr (Mode == kOpaqueBlend) {
        const uint32_t stored = XTarget ? (colour | 0xFF000000u) : colour;
        for (int x = x0; x < x1; ++x) row[x] = stored;
    } else {
        for (int x = x0; x < x1; ++x) StorePixel<Mode, XTarget>(row + x, colour);
    }
}

template <int Mode>
SpanFn ConstantFor(bool xTarget) {
    return xTarget ? &ConstantSpan<Mode, true> : &ConstantSpan<Mode, false>;
}

}  // namespace

SpanFn ConstantSpanFor(int mode, bool xTarget) {
    switch (mode) {
        case kSourceAlphaBlend: return ConstantFor<kSourceAlphaBlend>(xTarget);
        case kAdditiveBlend: return ConstantFor<kAdditiveBlend>(xTarget);
        case kAdditiveAlphaBlend: return ConstantFor<kAdditiveAlphaBlend>(xTarget);
        case kMultiplyBlend: return ConstantFor<kMultiplyBlend>(xTarget);
        default: return ConstantFor<kOpaqueBlend>(xTarget);
    }
}

}  // namespace raster::fast
