// The scene span: stage 0 texture with perspective, Gouraud diffuse and the
// depth test, a template over texture format, filter and depth format; each
// format group instantiates it in its own file.
#pragma once

#include "d3d9/raster/FastSpanParts.h"
#include "d3d9/raster/TexelFormats.h"

namespace raster::fast {

// Depth as the format keeps it, the format fixed at compile time; UNKNOWN
// stands for no depth test.
template <D3DFORMAT Depth>
struct DepthAccess {
    static constexpr bool kTested = Depth != D3DFMT_UNKNOWN;
    static constexpr int kBytes = Depth == D3DFMT_D16 ? 2 : 4;
    static uint32_t Quantize(double z) { return QuantizeDepth(Depth, z); }
    static uint32_t Read(const uint8_t* p) { return ReadDepth(Depth, p); }
    static void Write(uint8_t* p, uint32_t depth) { WriteDepth(Depth, p, depth); }
};

// Stage 0 texture in the scene: perspective, Gouraud diffuse and the depth
// test allowed, decided per pixel as the general span decides them.
template <D3DFORMAT Format, bool Linear, D3DFORMAT Depth>
void SceneTexturedSpan(const PixelState& ps, const Gradients& g, int y, int x0, int x1) {
    using Z = DepthAccess<Depth>;
    const SamplerSetup& sampler = ps.stages[0].sampler;
    const SurfaceView& surface = *ps.fastStage.surface;
    const PixelState::FastStage& fs = ps.fastStage;
    auto fetch = [](const SurfaceView& s, int tx, int ty) { return FetchTexel<Format>(s, tx, ty); };
    const double fy = double(y);
    double rows[kTexcoord0 + 2];
    for (int a = kDiffuseR; a < kDiffuseR + 4; ++a) rows[a] = g.attr[a].Row(fy);
    for (int a = kTexcoord0; a < kTexcoord0 + 2; ++a) rows[a] = g.attr[a].Row(fy);
    const double zRow = g.z.Row(fy), qRow = g.q.Row(fy);
    const bool xTarget = ps.target.format == D3DFMT_X8R8G8B8;
    const int blendMode = fs.blendMode;
    uint32_t* row = reinterpret_cast<uint32_t*>(ps.target.bits + ptrdiff_t(y) * ps.target.pitch);
    uint8_t* depthRow = Z::kTested ? ps.depth.bits + ptrdiff_t(y) * ps.depth.pitch : nullptr;
    const bool depthWrite = Z::kTested && ps.depthWrite;
    const bool perspective = g.perspective;
    auto attribute = [&](int a, double fx, double w) __attribute__((always_inline)) {
        if (IsConstant(g, a)) return g.attr[a].c;
        const double v = Plane::At(rows[a], g.attr[a].dx, fx);
        return perspective ? v * w : v;
    };

    for (int x = x0; x < x1; ++x) {
        const double fx = double(x);
        uint8_t* depthPixel = nullptr;
        uint32_t depth = 0;
        if constexpr (Z::kTested) {
            depthPixel = depthRow + x * Z::kBytes;
            depth = Z::Quantize(Plane::At(zRow, g.z.dx, fx));
            if (!CompareFunc(ps.depthFunc, depth, Z::Read(depthPixel))) continue;
        }
        const double w = perspective ? 1.0 / Plane::At(qRow, g.q.dx, fx) : 1.0;
        const int32_t dr = fs.colourFromFactor ? fs.factor.r : ColorChannel(attribute(kDiffuseR, fx, w));
        const int32_t dg = fs.colourFromFactor ? fs.factor.g : ColorChannel(attribute(kDiffuseR + 1, fx, w));
        const int32_t db = fs.colourFromFactor ? fs.factor.b : ColorChannel(attribute(kDiffuseR + 2, fx, w));
        const int32_t da = fs.alphaFromFactor ? fs.factor.a : ColorChannel(attribute(kDiffuseR + 3, fx, w));
        const double u = attribute(kTexcoord0, fx, w), v = attribute(kTexcoord0 + 1, fx, w);
        uint32_t texel;
        if constexpr (Linear) texel = SampleLinear(surface, fetch, u, v, sampler);
        else texel = SamplePoint(surface, fetch, u, v, sampler);
        const uint32_t r = uint32_t(StageChannel(fs.colourMode, fs.colourScale, int32_t((texel >> 16) & 255), dr));
        const uint32_t gg = uint32_t(StageChannel(fs.colourMode, fs.colourScale, int32_t((texel >> 8) & 255), dg));
        const uint32_t b = uint32_t(StageChannel(fs.colourMode, fs.colourScale, int32_t(texel & 255), db));
        const uint32_t a = uint32_t(StageChannel(fs.alphaMode, fs.alphaScale, int32_t(texel >> 24), da));
        if (ps.alphaTest && !CompareFunc(ps.alphaFunc, a, uint32_t(ps.alphaRef))) continue;
        if (depthWrite) Z::Write(depthPixel, depth);
        uint32_t colour = (a << 24) | (r << 16) | (gg << 8) | b;
        if (blendMode != kOpaqueBlend) colour = BlendWithMode(blendMode, colour, xTarget ? (row[x] | 0xFF000000u) : row[x]);
        row[x] = xTarget ? (colour | 0xFF000000u) : colour;
    }
}

template <D3DFORMAT Format, D3DFORMAT Depth>
SpanFn SceneFor(bool linear) {
    return linear ? &SceneTexturedSpan<Format, true, Depth> : &SceneTexturedSpan<Format, false, Depth>;
}

// Null for a depth format without its own span.
template <D3DFORMAT Format>
SpanFn SceneFor(bool linear, bool depthTest, D3DFORMAT depth) {
    if (!depthTest) return SceneFor<Format, D3DFMT_UNKNOWN>(linear);
    switch (depth) {
        case D3DFMT_D16: return SceneFor<Format, D3DFMT_D16>(linear);
        case D3DFMT_D24S8:
        case D3DFMT_D24X8:
        case D3DFMT_D24X4S4: return SceneFor<Format, D3DFMT_D24X8>(linear);  // one layout
        case D3DFMT_D32: return SceneFor<Format, D3DFMT_D32>(linear);
        default: return nullptr;
    }
}


}  // namespace raster::fast
