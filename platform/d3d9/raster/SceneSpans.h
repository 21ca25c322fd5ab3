// The scene span: stage 0 texture with perspective, Gouraud diffuse, the
// depth test and mip levels, a template over texture format, filter, depth
// format and level picking; each format group instantiates it in its own
// file.
#pragma once

#include <algorithm>

#include "d3d9/raster/FastSpanParts.h"
#include "d3d9/raster/SceneRun.h"
#include "d3d9/raster/TexelFormats.h"
#include "d3d9/raster/TextureSampler.h"

namespace raster::fast {

// Depth as the format keeps it, the format fixed at compile time; UNKNOWN
// stands for no depth test.
template <D3DFORMAT Depth>
struct DepthAccess {
    static constexpr bool kTested = Depth != D3DFMT_UNKNOWN;
    static constexpr int kBytes = Depth == D3DFMT_D16 ? 2 : 4;
    static uint32_t Read(const uint8_t* p) { return ReadDepth(Depth, p); }
    static void Write(uint8_t* p, uint32_t depth) { WriteDepth(Depth, p, depth); }
};

// The texel at (fu, fv) in 1/256 texel of one level (less 128 for linear
// filtering), as SamplePoint and SampleLinear read it with the format
// fixed; both addresses WRAP on power-of-two sizes by a mask instead of the
// address modes.
template <D3DFORMAT Format, bool Linear>
LUMIVA_HOT uint32_t SampleFixed(const SurfaceView& level, const SamplerSetup& s, bool wrap, int32_t fu, int32_t fv) {
    const int w = int(level.width), h = int(level.height);
    auto fetch = [](const SurfaceView& l, int tx, int ty) { return FetchTexel<Format>(l, tx, ty); };
    auto tap = [&](int tx, int ty) __attribute__((always_inline)) {
        return wrap ? FetchTexel<Format>(level, tx & (w - 1), ty & (h - 1)) : TexelOrBorder(level, fetch, tx, ty, s);
    };
    const int tx = fu >> 8, ty = fv >> 8;
    if constexpr (!Linear) {
        return tap(tx, ty);
    } else {
        const uint32_t fx = uint32_t(fu & 255), fy = uint32_t(fv & 255);
        const uint32_t t00 = tap(tx, ty);
        if (fx == 0 && fy == 0) return t00;
        return BilinearMix(t00, tap(tx + 1, ty), tap(tx, ty + 1), tap(tx + 1, ty + 1), fx, fy);
    }
}

inline bool WrapsByMask(const SurfaceView& level, const SamplerSetup& s) {
    const uint32_t w = level.width, h = level.height;
    return s.addressU == D3DTADDRESS_WRAP && s.addressV == D3DTADDRESS_WRAP && (w & (w - 1)) == 0 &&
           (h & (h - 1)) == 0;
}

template <D3DFORMAT Format, bool Linear>
LUMIVA_HOT uint32_t SampleLevel(const SurfaceView& level, const SamplerSetup& s, double u, double v) {
    const int32_t bias = Linear ? 128 : 0;
    return SampleFixed<Format, Linear>(level, s, WrapsByMask(level, s), TexelFixed(u * double(level.width)) - bias,
                                       TexelFixed(v * double(level.height)) - bias);
}

// Stage 0 texture in the scene: perspective, Gouraud diffuse and the depth
// test allowed, decided per pixel as the general span decides them. The
// interpolated values come a run at a time from ComputeSceneRun. With Mip
// the level of detail is worked out per pixel as the general span does and
// picks the level; the filter is then the same for every level.
template <D3DFORMAT Format, bool Linear, D3DFORMAT Depth, bool Mip>
void SceneTexturedSpan(const PixelState& ps, const Gradients& g, int y, int x0, int x1) {
    using Z = DepthAccess<Depth>;
    const SamplerSetup& sampler = ps.stages[0].sampler;
    const SurfaceView& surface = *ps.fastStage.surface;
    const PixelState::FastStage& fs = ps.fastStage;
    SceneRunSetup setup = SceneRunFor(g, double(y));
    setup.colourVaries = !fs.colourFromFactor;
    setup.alphaVaries = !fs.alphaFromFactor;
    setup.depth = Depth;
    if constexpr (!Mip) {
        setup.width = double(surface.width);
        setup.height = double(surface.height);
        setup.bias = Linear ? 128 : 0;
    }
    const bool wrap = WrapsByMask(surface, sampler);
    const bool xTarget = ps.target.format == D3DFMT_X8R8G8B8;
    const int blendMode = fs.blendMode;
    uint32_t* row = reinterpret_cast<uint32_t*>(ps.target.bits + ptrdiff_t(y) * ps.target.pitch);
    uint8_t* depthRow = Z::kTested ? ps.depth.bits + ptrdiff_t(y) * ps.depth.pitch : nullptr;
    const bool depthWrite = Z::kTested && ps.depthWrite;
    const CompareMask depthTest = CompareMaskOf(ps.depthFunc);
    const int ua = kTexcoord0, va = kTexcoord0 + 1;
    // d(A/Q) = (dA - (A/Q) dQ) / Q with Q = 1 / w; constants do not change.
    auto slope = [&](int a, double value, double dA, double dQ, double w) __attribute__((always_inline)) {
        if (IsConstant(g, a)) return 0.0;
        return g.perspective ? (dA - value * dQ) * w : dA;
    };

    SceneRun run;
    for (int start = x0; start < x1; start += kScenePixels) {
        const int n = std::min(kScenePixels, x1 - start);
        ComputeSceneRun(setup, start, n, run);
        for (int i = 0; i < n; ++i) {
            const int x = start + i;
            uint8_t* depthPixel = nullptr;
            const uint32_t depth = Z::kTested ? run.depth[i] : 0;
            if constexpr (Z::kTested) {
                depthPixel = depthRow + x * Z::kBytes;
                if (!depthTest.Passes(depth, Z::Read(depthPixel))) continue;
            }
            const int32_t dr = setup.colourVaries ? run.colour[0][i] : fs.factor.r;
            const int32_t dg = setup.colourVaries ? run.colour[1][i] : fs.factor.g;
            const int32_t db = setup.colourVaries ? run.colour[2][i] : fs.factor.b;
            const int32_t da = setup.alphaVaries ? run.colour[3][i] : fs.factor.a;
            uint32_t texel;
            if constexpr (Mip) {
                const double u = run.u[i], v = run.v[i], w = run.w[i];
                TexelDerivatives d;
                d.dudx = slope(ua, u, g.attr[ua].dx, g.q.dx, w);
                d.dudy = slope(ua, u, g.attr[ua].dy, g.q.dy, w);
                d.dvdx = slope(va, v, g.attr[va].dx, g.q.dx, w);
                d.dvdy = slope(va, v, g.attr[va].dy, g.q.dy, w);
                const MipPick pick = PickMip(sampler, SamplerLod(sampler, d));
                texel = SampleLevel<Format, Linear>(sampler.texture->levels[pick.level], sampler, u, v);
                if (pick.weight != 0) {
                    const uint32_t far =
                        SampleLevel<Format, Linear>(sampler.texture->levels[pick.level + 1], sampler, u, v);
                    texel = BilinearMix(texel, far, texel, far, pick.weight, 0);
                }
            } else {
                texel = SampleFixed<Format, Linear>(surface, sampler, wrap, run.fu[i], run.fv[i]);
            }
            const uint32_t r = uint32_t(StageChannel(fs.colourMode, fs.colourScale, int32_t((texel >> 16) & 255), dr));
            const uint32_t gg = uint32_t(StageChannel(fs.colourMode, fs.colourScale, int32_t((texel >> 8) & 255), dg));
            const uint32_t b = uint32_t(StageChannel(fs.colourMode, fs.colourScale, int32_t(texel & 255), db));
            const uint32_t a = uint32_t(StageChannel(fs.alphaMode, fs.alphaScale, int32_t(texel >> 24), da));
            if (ps.alphaTest && !CompareFunc(ps.alphaFunc, a, uint32_t(ps.alphaRef))) continue;
            if (depthWrite) Z::Write(depthPixel, depth);
            uint32_t colour = (a << 24) | (r << 16) | (gg << 8) | b;
            if (blendMode != kOpaqueBlend)
                colour = BlendWithMode(blendMode, colour, xTarget ? (row[x] | 0xFF000000u) : row[x]);
            row[x] = xTarget ? (colour | 0xFF000000u) : colour;
        }
    }
}

template <D3DFORMAT Format, D3DFORMAT Depth>
SpanFn SceneFor(bool linear, bool mip) {
    if (mip) return linear ? &SceneTexturedSpan<Format, true, Depth, true> : &SceneTexturedSpan<Format, false, Depth, true>;
    return linear ? &SceneTexturedSpan<Format, true, Depth, false> : &SceneTexturedSpan<Format, false, Depth, false>;
}

// Null for a depth format without its own span.
template <D3DFORMAT Format>
SpanFn SceneFor(bool linear, bool mip, bool depthTest, D3DFORMAT depth) {
    if (!depthTest) return SceneFor<Format, D3DFMT_UNKNOWN>(linear, mip);
    switch (depth) {
        case D3DFMT_D16: return SceneFor<Format, D3DFMT_D16>(linear, mip);
        case D3DFMT_D24S8:
        case D3DFMT_D24X8:
        case D3DFMT_D24X4S4: return SceneFor<Format, D3DFMT_D24X8>(linear, mip);  // one layout
        case D3DFMT_D32: return SceneFor<Format, D3DFMT_D32>(linear, mip);
        default: return nullptr;
    }
}


}  // namespace raster::fast
