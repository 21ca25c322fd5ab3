// The per-triangle work of the 2D textured span: its stage as one row shade.
#include "d3d9/raster/TexturedSpans.h"

namespace raster::fast {

// Stage 0 with one colour for the whole span as a row shade; false when a
// channel is scaled (MODULATE2X, MODULATE4X), which the row shade lacks.
bool FlatShadeFor(int colourMode, int colourScale, int alphaMode, int alphaScale, const Rgba& d, int32_t da,
                  FlatShade& out) {
    out = FlatShade{};
    auto channel = [&](int mode, int scale, int shift, int32_t value) {
        const uint32_t bits = 0xFFu << shift;
        if (mode == kDiffuseOnly) {
            out.keep &= ~bits;
            out.constant |= uint32_t(value) << shift;
        } else if (mode == kProduct) {
            if (scale != 1) return false;
            out.factor = (out.factor & ~bits) | (uint32_t(value) << shift);
        }
        return true;
    };
    return channel(colourMode, colourScale, 16, d.r) && channel(colourMode, colourScale, 8, d.g) &&
           channel(colourMode, colourScale, 0, d.b) && channel(alphaMode, alphaScale, 24, da);
}

// The stage as one row shade for the whole triangle, worked out at its
// first row: a diffuse colour constant over the triangle, no alpha test, no
// scaled product.
const SpanMemo& StageMemo(const PixelState& ps, const Gradients& g) {
    SpanMemo& m = g.memo;
    if (m.ready) return m;
    m.ready = true;
    const PixelState::FastStage& fs = ps.fastStage;
    const uint32_t diffuseBits = 0xFu << kDiffuseR;
    if ((g.constantMask & diffuseBits) != diffuseBits || ps.alphaTest) return m;
    const Rgba diffuse = ConstantColor(g, kDiffuseR);
    const Rgba d = fs.colourFromFactor ? fs.factor : diffuse;
    const int32_t da = fs.alphaFromFactor ? fs.factor.a : diffuse.a;
    FlatShade shade;
    m.rowShade = FlatShadeFor(fs.colourMode, fs.colourScale, fs.alphaMode, fs.alphaScale, d, da, shade);
    m.shadeFactor = shade.factor;
    m.shadeKeep = shade.keep;
    m.shadeConstant = shade.constant;
    return m;
}


}  // namespace raster::fast
