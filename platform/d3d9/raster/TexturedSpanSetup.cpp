// The per-triangle work of the 2D textured span: its stage as one row shade.
#include "d3d9/raster/TexturedSpans.h"

namespace raster::fast {

// Stage 0 with one colour for the whole span as a row shade.
FlatShade FlatShadeFor(int colourMode, int colourScale, int alphaMode, int alphaScale, const Rgba& d, int32_t da) {
    FlatShade out;
    auto channel = [&](int mode, int scale, int shift, int32_t value) {
        const uint32_t bits = 0xFFu << shift;
        if (mode == kDiffuseOnly) {
            out.keep &= ~bits;
            out.constant |= uint32_t(value) << shift;
        } else if (mode == kProduct) {
            out.factor = (out.factor & ~bits) | (uint32_t(value) << shift);
            if (scale >= 2) out.doubled |= bits;
            if (scale == 4) out.quadrupled |= bits;
        }
    };
    channel(colourMode, colourScale, 16, d.r);
    channel(colourMode, colourScale, 8, d.g);
    channel(colourMode, colourScale, 0, d.b);
    channel(alphaMode, alphaScale, 24, da);
    return out;
}

// The stage as one row shade for the whole triangle, worked out at its
// first row: a diffuse colour constant over the triangle.
namespace {

// A plane scaled by 2^24 as whole numbers small enough that every row's
// value c + dy * y (y below 2^16) is exact in doubles; false otherwise.
bool WholePlane(const Gradients& g, int a, int64_t& row, int64_t& dy, int64_t& dx) {
    const bool constant = IsConstant(g, a);
    const double c = g.attr[a].c * kTexelScale, sy = constant ? 0.0 : g.attr[a].dy * kTexelScale,
                 sx = constant ? 0.0 : g.attr[a].dx * kTexelScale;
    if (!(std::fabs(c) < kScaledRowLimit) || !(std::fabs(sy) < kScaledStepLimit) ||
        !(std::fabs(sx) < kScaledStepLimit))
        return false;
    row = int64_t(c);
    dy = int64_t(sy);
    dx = int64_t(sx);
    return double(row) == c && double(dy) == sy && double(dx) == sx;
}

}  // namespace

bool WholeTexelPlanes(const Gradients& g) {
    int64_t row, dy, dx;
    return WholePlane(g, kTexcoord0, row, dy, dx) && WholePlane(g, kTexcoord0 + 1, row, dy, dx);
}

const SpanMemo& StageMemo(const PixelState& ps, const Gradients& g) {
    SpanMemo& m = g.memo;
    if (m.ready) return m;
    m.ready = true;
    const PixelState::FastStage& fs = ps.fastStage;
    const uint32_t diffuseBits = 0xFu << kDiffuseR;
    if ((g.constantMask & diffuseBits) != diffuseBits) return m;
    const Rgba diffuse = ConstantColor(g, kDiffuseR);
    const Rgba d = fs.colourFromFactor ? fs.factor : diffuse;
    const int32_t da = fs.alphaFromFactor ? fs.factor.a : diffuse.a;
    const FlatShade shade = FlatShadeFor(fs.colourMode, fs.colourScale, fs.alphaMode, fs.alphaScale, d, da);
    m.rowShade = true;
    m.shadeFactor = shade.factor;
    m.shadeKeep = shade.keep;
    m.shadeConstant = shade.constant;
    m.shadeDoubled = shade.doubled;
    m.shadeQuadrupled = shade.quadrupled;
    m.wholePlanes = m.rowShade && WholePlane(g, kTexcoord0, m.scaledRow[0], m.scaledDy[0], m.scaledDx[0]) &&
                    WholePlane(g, kTexcoord0 + 1, m.scaledRow[1], m.scaledDy[1], m.scaledDx[1]);
    return m;
}


}  // namespace raster::fast
