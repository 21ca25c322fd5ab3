// The scene span: stage 0 texture with perspective, Gouraud diffuse, the
// depth test and mip levels, a template over texture format, filter, depth
// format and level picking; each format group instantiates it in its own
// file.
#pragma once

#include <algorithm>
#include <type_traits>

#include "d3d9/raster/FastSpanParts.h"
#include "d3d9/raster/SceneFilter.h"
#include "d3d9/raster/RowKernels.h"
#include "d3d9/raster/SceneRun.h"
#include "d3d9/raster/SceneRunFloat.h"
#include "d3d9/raster/SceneShade.h"
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
// fixed. With `wrap` the level's sides are powers of two and both
// addresses WRAP: a mask replaces the address modes.
// The four texels a linear sample at (fu, fv) mixes, wrapped by the mask,
// and the weights toward the second column and row.
struct Taps {
    uint32_t t00, t10, t01, t11, fx, fy;
};

template <D3DFORMAT Format>
LUMIVA_HOT Taps WrappedTaps(const SurfaceView& level, int32_t fu, int32_t fv) {
    const int wm = int(level.width) - 1, hm = int(level.height) - 1;
    const int tx = fu >> 8, ty = fv >> 8;
    const int x0 = tx & wm, y0 = ty & hm, x1 = (tx + 1) & wm, y1 = (ty + 1) & hm;
    return Taps{FetchTexel<Format>(level, x0, y0), FetchTexel<Format>(level, x1, y0), FetchTexel<Format>(level, x0, y1),
                FetchTexel<Format>(level, x1, y1), uint32_t(fu & 255),           uint32_t(fv & 255)};
}

template <D3DFORMAT Format, bool Linear>
LUMIVA_HOT uint32_t SampleFixed(const SurfaceView& level, const SamplerSetup& s, bool wrap, int32_t fu, int32_t fv) {
    const int tx = fu >> 8, ty = fv >> 8;
    const uint32_t fx = uint32_t(fu & 255), fy = uint32_t(fv & 255);
    if (wrap) {
        if constexpr (!Linear) {
            return FetchTexel<Format>(level, tx & int(level.width - 1), ty & int(level.height - 1));
        } else {
            const Taps t = WrappedTaps<Format>(level, fu, fv);
            return Bilinear(t.t00, t.t10, t.t01, t.t11, t.fx, t.fy);
        }
    }
    auto fetch = [](const SurfaceView& l, int x, int y) { return FetchTexel<Format>(l, x, y); };
    const uint32_t t00 = TexelOrBorder(level, fetch, tx, ty, s);
    if constexpr (!Linear) {
        return t00;
    } else {
        if (fx == 0 && fy == 0) return t00;
        return Bilinear(t00, TexelOrBorder(level, fetch, tx + 1, ty, s), TexelOrBorder(level, fetch, tx, ty + 1, s),
                        TexelOrBorder(level, fetch, tx + 1, ty + 1, s), fx, fy);
    }
}

#if defined(__SSE2__)
template <D3DFORMAT Format, bool Linear>
LUMIVA_HOT __m128i SampleLanes(const SurfaceView& level, const SamplerSetup& s, bool wrap, int32_t fu, int32_t fv) {
    if constexpr (Linear) {
        if (wrap) {
            const Taps t = WrappedTaps<Format>(level, fu, fv);
            return BilinearLanes(t.t00, t.t10, t.t01, t.t11, t.fx, t.fy);
        }
    }
    return Lanes(SampleFixed<Format, Linear>(level, s, wrap, fu, fv));
}

// Stage 0 on four channel lanes: which lanes take the texture, the diffuse
// or their product (MODULATE), and which products are scaled by 2 or 4
// (MODULATE2X, MODULATE4X).
struct StageLanes {
    bool scaled = false;
    __m128i texture, diffuse, product;
    __m128i doubled, quadrupled;
};

inline StageLanes StageLanesOf(const PixelState::FastStage& fs) {
    StageLanes l;
    auto mask = [&](bool colour, bool alpha) {
        const int c = colour ? -1 : 0, a = alpha ? -1 : 0;
        return _mm_setr_epi32(c, c, c, a);
    };
    l.texture = mask(fs.colourMode == kTextureOnly, fs.alphaMode == kTextureOnly);
    l.diffuse = mask(fs.colourMode == kDiffuseOnly, fs.alphaMode == kDiffuseOnly);
    l.product = mask(fs.colourMode == kProduct, fs.alphaMode == kProduct);
    const bool colourScaled = fs.colourMode == kProduct && fs.colourScale > 1;
    const bool alphaScaled = fs.alphaMode == kProduct && fs.alphaScale > 1;
    l.scaled = colourScaled || alphaScaled;
    l.doubled = mask(colourScaled, alphaScaled);
    l.quadrupled = mask(colourScaled && fs.colourScale == 4, alphaScaled && fs.alphaScale == 4);
    return l;
}

// ScaledProduct of each lane where the masks scale it, MulRound elsewhere:
// t d doubled once or twice, held at 65152 (above which the result is 255
// anyway), then round(x / 255) as ProductLanes takes it, exact up to there.
inline __attribute__((always_inline)) __m128i ScaledProductLanes(__m128i t, __m128i d, const StageLanes& stage) {
    __m128i x = _mm_madd_epi16(t, d);
    x = _mm_add_epi32(x, _mm_and_si128(x, stage.doubled));
    x = _mm_add_epi32(x, _mm_and_si128(x, stage.quadrupled));
    const __m128i limit = _mm_set1_epi32(65152);
    const __m128i over = _mm_cmpgt_epi32(x, limit);
    x = _mm_add_epi32(_mm_or_si128(_mm_and_si128(over, limit), _mm_andnot_si128(over, x)), _mm_set1_epi32(128));
    return _mm_srli_epi32(_mm_add_epi32(x, _mm_srli_epi32(x, 8)), 8);
}
#endif

inline bool WrapsByMask(const SurfaceView& level, const SamplerSetup& s) {
    const uint32_t w = level.width, h = level.height;
    return s.addressU == D3DTADDRESS_WRAP && s.addressV == D3DTADDRESS_WRAP && (w & (w - 1)) == 0 &&
           (h & (h - 1)) == 0;
}

inline bool EveryLevelWrapsByMask(const SamplerSetup& s) {
    for (uint32_t l = 0; l < s.texture->levelCount; ++l)
        if (!WrapsByMask(s.texture->levels[l], s)) return false;
    return true;
}

// CompareMaskOf by a table: it is asked once a row.
inline CompareMask DepthMaskOf(uint32_t func) {
    static constexpr CompareMask kMasks[9] = {{true, true, true},   {false, false, false}, {true, false, false},
                                              {false, true, false}, {true, true, false},   {false, false, true},
                                              {true, false, true},  {false, true, true},   {true, true, true}};
    return func < 9 ? kMasks[func] : CompareMask{true, true, true};
}

// The diffuse channels that come from the texture factor, packed.
inline uint32_t FactorChannels(const PixelState::FastStage& fs) {
    uint32_t packed = 0;
    if (fs.colourFromFactor) packed |= (uint32_t(fs.factor.r) << 16) | (uint32_t(fs.factor.g) << 8) | uint32_t(fs.factor.b);
    if (fs.alphaFromFactor) packed |= uint32_t(fs.factor.a) << 24;
    return packed;
}

// The texel of pixel i of a run: on its level, mixed toward the next
// level's by the run's weight with Mip.
template <D3DFORMAT Format, bool Linear, bool Mip>
LUMIVA_HOT uint32_t RunTexel(const SamplerSetup& sampler, const SurfaceView& surface, bool wrap, const SceneRun& run, int i) {
    if constexpr (!Mip) {
        return SampleFixed<Format, Linear>(surface, sampler, wrap, run.fu[i], run.fv[i]);
    } else {
        const SurfaceView* levels = sampler.texture->levels;
        const uint32_t near = SampleFixed<Format, Linear>(levels[run.level[i]], sampler, wrap, run.fu[i], run.fv[i]);
        if (run.weight[i] == 0) return near;
        const uint32_t far =
            SampleFixed<Format, Linear>(levels[run.nextLevel[i]], sampler, wrap, run.fuNext[i], run.fvNext[i]);
        return BilinearMix(near, far, near, far, run.weight[i], 0);
    }
}

// Stage 0 of pixel i of a run, one channel at a time.
template <D3DFORMAT Format, bool Linear, bool Mip>
LUMIVA_HOT uint32_t StageByChannel(const PixelState::FastStage& fs, const SamplerSetup& sampler, const SurfaceView& surface,
                                   bool wrap, const SceneRun& run, int i) {
    const uint32_t texel = RunTexel<Format, Linear, Mip>(sampler, surface, wrap, run, i), diffuse = run.diffuse[i];
    auto channel = [](uint32_t packed, int shift) { return int32_t((packed >> shift) & 255); };
    const uint32_t r = uint32_t(StageChannel(fs.colourMode, fs.colourScale, channel(texel, 16), channel(diffuse, 16)));
    const uint32_t g = uint32_t(StageChannel(fs.colourMode, fs.colourScale, channel(texel, 8), channel(diffuse, 8)));
    const uint32_t b = uint32_t(StageChannel(fs.colourMode, fs.colourScale, channel(texel, 0), channel(diffuse, 0)));
    const uint32_t a = uint32_t(StageChannel(fs.alphaMode, fs.alphaScale, channel(texel, 24), channel(diffuse, 24)));
    return (a << 24) | (r << 16) | (g << 8) | b;
}

#if defined(__SSE2__)
// Stage 0 of pixel i of a run on four channel lanes; the levels mixed there.
template <D3DFORMAT Format, bool Linear, bool Mip, bool Scaled>
LUMIVA_HOT uint32_t StageOnLanes(const StageLanes& stage, const SamplerSetup& sampler, const SurfaceView& surface, bool wrap,
                                 const SceneRun& run, int i) {
    __m128i t;
    if constexpr (Mip) {
        const SurfaceView* levels = sampler.texture->levels;
        t = SampleLanes<Format, Linear>(levels[run.level[i]], sampler, wrap, run.fu[i], run.fv[i]);
        if (run.weight[i] != 0)
            t = MixLanes(t, SampleLanes<Format, Linear>(levels[run.nextLevel[i]], sampler, wrap, run.fuNext[i], run.fvNext[i]),
                         run.weight[i]);
    } else {
        t = SampleLanes<Format, Linear>(surface, sampler, wrap, run.fu[i], run.fv[i]);
    }
    const __m128i d = Lanes(run.diffuse[i]);
    const __m128i product = Scaled ? ScaledProductLanes(t, d, stage) : ProductLanes(t, d);
    return Packed(_mm_or_si128(_mm_or_si128(_mm_and_si128(stage.texture, t), _mm_and_si128(stage.diffuse, d)),
                               _mm_and_si128(stage.product, product)));
}
#endif

// Stage 0 texture in the scene: perspective, Gouraud diffuse and the depth
// test allowed, decided per pixel as the general span decides them. The
// interpolated values, and with Mip each pixel's level and weight, come a
// run at a time from ComputeSceneRun; the filter is the same for every
// level. Where the plan's vector shading serves, the run's pixels are
// shaded eight at a time, else one by one; a trilinear perspective run shaded so takes its
// values in single precision (ComputeSceneFloatRunAvx2), within a step of
// the general span's.
template <D3DFORMAT Format, bool Linear, D3DFORMAT Depth, bool Mip>
void SceneTexturedSpan(const PixelState& ps, const Gradients& g, int y, int x0, int x1) {
    using Z = DepthAccess<Depth>;
    const SamplerSetup& sampler = ps.stages[0].sampler;
    const SurfaceView& surface = *ps.fastStage.surface;
    const PixelState::FastStage& fs = ps.fastStage;
    SceneRunSetup setup = SceneRunFor(g, double(y));
    setup.colourVaries = !fs.colourFromFactor;
    setup.alphaVaries = !fs.alphaFromFactor;
    const SceneStagePlan& plan = fs.scene;
    setup.fixedDiffuse = plan.factorChannels;
    FoldFlatChannels(setup);
    setup.depth = Depth;
    const int32_t bias = Linear ? 128 : 0;
    SceneMipSetup mip;
    if constexpr (Mip) {
        mip = SceneMipFor(g, sampler, bias);
    } else {
        setup.width = double(surface.width);
        setup.height = double(surface.height);
        setup.bias = bias;
    }
    const bool wrap = plan.wraps;
    const bool xTarget = ps.target.format == D3DFMT_X8R8G8B8;
    const int blendMode = fs.blendMode;
    uint32_t* row = reinterpret_cast<uint32_t*>(ps.target.bits + ptrdiff_t(y) * ps.target.pitch);
    uint8_t* depthRow = Z::kTested ? ps.depth.bits + ptrdiff_t(y) * ps.depth.pitch : nullptr;
    // A triangle's next row most often starts near this one: its memory is
    // asked for now, while this row is shaded (a prefetch never faults).
    auto prefetchBelow = [x0](const void* rowStart, int32_t pitch, int bytes) {
        __builtin_prefetch(reinterpret_cast<const void*>(uintptr_t(rowStart) + uintptr_t(intptr_t(pitch) + x0 * bytes)));
    };
    if constexpr (Z::kTested) prefetchBelow(depthRow, ps.depth.pitch, Z::kBytes);
    prefetchBelow(row, ps.target.pitch, 4);
    const bool depthWrite = Z::kTested && ps.depthWrite;
    const CompareMask depthTest = plan.depthTest;
#if defined(__x86_64__)
    const bool avx2 = ActiveSimdLevel() == SimdLevel::kAvx2;
#else
    const bool avx2 = false;
#endif
    // Where the plan offers it, 32-bit texels filtered linearly are shaded
    // eight at a time on AVX2.
    [[maybe_unused]] const bool vector = Linear && avx2 && plan.vectorShades;
    [[maybe_unused]] const SceneShadeSetup& vectorShade = plan.vectorShade;
#if defined(__SSE2__)
    const StageLanes stage = vector ? StageLanes{} : StageLanesOf(fs);
    // Opaque, no alpha test, stage 0 on lanes: the loop without those tests.
    const bool plain = plan.plain;
    const bool scaled = plan.scaled;
#else
    const bool plain = false, scaled = false;
#endif
    const AlphaTestMasks& alphaTest = fs.alphaTest;
    // 32-bit depths are tested eight at a time where the processor has AVX2.
    [[maybe_unused]] const bool vectorDepth = Z::kTested && Z::kBytes == 4 && avx2;
    // The eight-pixel shading's levels may come in single precision: its
    // stage neither scales nor tests a channel, so a step in a texel stays
    // a step in the pixel.
    [[maybe_unused]] const bool floatRun = Mip && vector && !scaled && SceneFloatRunServes(setup, mip);
    SceneRun run;
    auto shade = [&](auto plainTag, auto scaledTag) __attribute__((always_inline)) {
        constexpr bool kPlain = decltype(plainTag)::value;
        constexpr bool kScaled = decltype(scaledTag)::value;
        for (int start = x0; start < x1; start += kScenePixels) {
            const int n = std::min(kScenePixels, x1 - start);
            // The depth test first: pixels behind what is drawn need nothing else.
            uint32_t passing = ~0u >> (32 - n);
            if constexpr (Z::kTested) {
                ComputeSceneDepths(setup, start, n, run.depth);
                passing = 0;
#if defined(__x86_64__)
                if (vectorDepth)
                    passing = DepthPassesAvx2(run.depth, depthRow + start * Z::kBytes, n, Depth == D3DFMT_D24X8,
                                              depthTest.less, depthTest.equal, depthTest.greater);
                else
#endif
                    for (int i = 0; i < n; ++i)
                        passing |= uint32_t(depthTest.Passes(run.depth[i], Z::Read(depthRow + (start + i) * Z::kBytes)))
                                   << i;
                if (passing == 0) continue;
            }
#if defined(__x86_64__)
            if (kPlain && floatRun) {
                ComputeSceneFloatRunAvx2(setup, mip, start, n, run);
                ShadeSceneRunAvx2(vectorShade, run, start, n, passing, row, depthRow);
                continue;
            }
#endif
            ComputeSceneRun(setup, Mip ? &mip : nullptr, start, n, run);
#if defined(__x86_64__)
            if (kPlain && vector) {
                ShadeSceneRunAvx2(vectorShade, run, start, n, passing, row, depthRow);
                continue;
            }
#endif
            for (; passing != 0; passing &= passing - 1) {
                const int i = __builtin_ctz(passing);
                const int x = start + i;
                uint8_t* depthPixel = Z::kTested ? depthRow + x * Z::kBytes : nullptr;
                const uint32_t depth = Z::kTested ? run.depth[i] : 0;
                uint32_t colour;
#if defined(__SSE2__)
                colour = StageOnLanes<Format, Linear, Mip, kScaled>(stage, sampler, surface, wrap, run, i);
#else
                colour = StageByChannel<Format, Linear, Mip>(fs, sampler, surface, wrap, run, i);
#endif
                if (!kPlain && !alphaTest.Passes(colour >> 24)) continue;
                if (depthWrite) Z::Write(depthPixel, depth);
                if (!kPlain && blendMode != kOpaqueBlend)
                    colour = BlendWithMode(blendMode, colour, xTarget ? (row[x] | 0xFF000000u) : row[x]);
                row[x] = xTarget ? (colour | 0xFF000000u) : colour;
            }
        }
    };
    if (plain) {
        if (scaled) shade(std::true_type{}, std::true_type{});
        else shade(std::true_type{}, std::false_type{});
    } else {
        if (scaled) shade(std::false_type{}, std::true_type{});
        else shade(std::false_type{}, std::false_type{});
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
