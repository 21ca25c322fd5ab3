// Spans that read no texture: one colour for the whole span, or colours
// that change across it.
#include <algorithm>

#include "d3d9/raster/FastSpanParts.h"
#include "d3d9/raster/RowKernels.h"

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
        // The colour as a run of source pixels for the row kernels.
        uint32_t colours[kRunPixels];
        std::fill(colours, colours + std::clamp(x1 - x0, 0, kRunPixels), colour);
        const BlendRowFn blend = ActiveRowKernels().blend[Mode][XTarget];
        for (int x = x0; x < x1; x += kRunPixels) blend(row + x, colours, std::min(kRunPixels, x1 - x));
    }
}

// A diffuse (and specular) colour that changes across the triangle, as in
// gradients: each pixel's inputs and stages worked out as the general span
// does, a run at a time, then blended and alpha-tested by the row kernels.
// PassDiffuse: the stages select the diffuse colour as it is.
template <int Mode, bool XTarget, bool PassDiffuse>
void GouraudSpan(const PixelState& ps, const Gradients& g, int y, int x0, int x1) {
    const double fy = double(y);
    double diffuseRows[4], specularRows[4];
    for (int c = 0; c < 4; ++c) {
        diffuseRows[c] = g.attr[kDiffuseR + c].Row(fy);
        specularRows[c] = g.attr[kSpecularR + c].Row(fy);
    }
    auto colourAt = [&](int first, const double* rows, double fx) __attribute__((always_inline)) {
        auto channel = [&](int c) {
            const int a = first + c;
            return ColorChannel(IsConstant(g, a) ? g.attr[a].c : Plane::At(rows[c], g.attr[a].dx, fx));
        };
        return Rgba{channel(0), channel(1), channel(2), channel(3)};
    };
    uint32_t* row = reinterpret_cast<uint32_t*>(ps.target.bits + ptrdiff_t(y) * ps.target.pitch);
    const RunWriter writer = WriterFor(ps, Mode, XTarget, FlatShade{});
    uint32_t colours[kRunPixels];
    for (int x = x0; x < x1; x += kRunPixels) {
        const int n = std::min(kRunPixels, x1 - x);
        for (int i = 0; i < n; ++i) {
            const double fx = double(x + i);
            FragmentInputs in;
            in.diffuse = colourAt(kDiffuseR, diffuseRows, fx);
            if constexpr (PassDiffuse) {
                const Rgba& d = in.diffuse;
                colours[i] = uint32_t(d.a) << 24 | uint32_t(d.r) << 16 | uint32_t(d.g) << 8 | uint32_t(d.b);
                continue;
            }
            if (ps.needsSpecular) in.specular = colourAt(kSpecularR, specularRows, fx);
            colours[i] = CombineStages(ps, in);
        }
        writer.Write(row + x, colours, n);
    }
}

template <int Mode, bool XTarget>
ConstantSpans ConstantFor(bool passDiffuse) {
    return {&ConstantSpan<Mode, XTarget>,
            passDiffuse ? &GouraudSpan<Mode, XTarget, true> : &GouraudSpan<Mode, XTarget, false>};
}

template <int Mode>
ConstantSpans ConstantFor(bool xTarget, bool passDiffuse) {
    return xTarget ? ConstantFor<Mode, true>(passDiffuse) : ConstantFor<Mode, false>(passDiffuse);
}

}  // namespace

ConstantSpans ConstantSpansFor(int mode, bool xTarget, bool passDiffuse) {
    switch (mode) {
        case kSourceAlphaBlend: return ConstantFor<kSourceAlphaBlend>(xTarget, passDiffuse);
        case kAdditiveBlend: return ConstantFor<kAdditiveBlend>(xTarget, passDiffuse);
        case kAdditiveAlphaBlend: return ConstantFor<kAdditiveAlphaBlend>(xTarget, passDiffuse);
        case kMultiplyBlend: return ConstantFor<kMultiplyBlend>(xTarget, passDiffuse);
        default: return ConstantFor<kOpaqueBlend>(xTarget, passDiffuse);
    }
}

}  // namespace raster::fast
