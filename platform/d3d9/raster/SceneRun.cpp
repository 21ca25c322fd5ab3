#include "d3d9/raster/SceneRun.h"

#include <algorithm>
#include <cmath>

#include "d3d9/raster/PixelState.h"
#include "d3d9/raster/TexelFormats.h"
#include "d3d9/raster/TextureSampler.h"

#include "d3d9/raster/RowKernels.h"
#include "d3d9/raster/SceneRunFloat.h"
#include "d3d9/raster/SceneRunLanes.h"

namespace raster::fast {

namespace {

RowLine LineOf(const Gradients& g, int a, double fy) {
    if (IsConstant(g, a)) return RowLine{g.attr[a].c, 0.0, false};
    return RowLine{g.attr[a].Row(fy), g.attr[a].dx, g.perspective};
}

bool WideDepth(D3DFORMAT depth) { return depth == D3DFMT_D32; }  // past int32: converted one by one

#if !defined(__x86_64__)
double ApproxLog2(double x) {
    int exponent = 0;
    double m = std::frexp(x, &exponent) * 2.0;  // [1, 2)
    --exponent;
    if (m > 1.4142135623730951) {
        m *= 0.5;
        ++exponent;
    }
    const double t = (m - 1.0) / (m + 1.0), t2 = t * t;
    double p = kLog2Series[4];
    for (int k = 3; k >= 0; --k) p = kLog2Series[k] + t2 * p;
    return double(exponent) + t * p;
}

double Footprint(const SceneMipSetup& s, bool perspective, double u, double v, double w) {
    auto slope = [&](bool varies, double dA, double dQ, double value) {
        if (!varies) return 0.0;
        return perspective ? (dA - value * dQ) * w : dA;
    };
    const double dudx = slope(s.uVaries, s.uDx, s.qDx, u) * s.topWidth;
    const double dvdx = slope(s.vVaries, s.vDx, s.qDx, v) * s.topHeight;
    const double dudy = slope(s.uVaries, s.uDy, s.qDy, u) * s.topWidth;
    const double dvdy = slope(s.vVaries, s.vDy, s.qDy, v) * s.topHeight;
    return std::max(dudx * dudx + dvdx * dvdx, dudy * dudy + dvdy * dvdy);
}
#endif

// The series is within 1e-9 of log2 for normal numbers; far from them the
// library's logarithm serves.
bool SeriesServes(double rho2) { return rho2 > 0x1p-1000 && rho2 < 0x1p1000; }

// The sampler's level of detail from the squared footprint, as SamplerLod
// computes it. PickMip decides at multiples of 1/512 (0, the half levels,
// the weight steps); where the series' value lies within 2e-6 of one the
// library's logarithm decides.
double LodOf(double rho2, double approxLog2, double bias) {
    if (!(rho2 > 0.0)) return -100.0 + bias;
    if (SeriesServes(rho2)) {
        const double lod = 0.5 * approxLog2 + bias;
        const double steps = lod * 512.0;
        const double nearest = (steps + 0x1.8p52) - 0x1.8p52;  // rounded to a whole number
        if (std::fabs(steps - nearest) > 1e-3) return lod;
    }
    return 0.5 * std::log2(rho2) + bias;
}

void PickLevels(const SceneMipSetup& s, int n, const double* rho2, const double* approxLog2, SceneRun& out) {
    const SamplerSetup& sampler = *s.sampler;
    for (int i = 0; i < n; ++i) {
        const MipPick pick = PickMip(sampler, LodOf(rho2[i], approxLog2[i], sampler.lodBias));
        out.level[i] = pick.level;
        out.weight[i] = pick.weight;
        out.nextLevel[i] = pick.weight != 0 ? pick.level + 1 : pick.level;
    }
#if !defined(__x86_64__)
    for (int i = 0; i < n; ++i) {
        out.fu[i] = TexelFixed(out.u[i] * s.levelWidth[out.level[i]]) - s.bias;
        out.fv[i] = TexelFixed(out.v[i] * s.levelHeight[out.level[i]]) - s.bias;
        out.fuNext[i] = TexelFixed(out.u[i] * s.levelWidth[out.nextLevel[i]]) - s.bias;
        out.fvNext[i] = TexelFixed(out.v[i] * s.levelHeight[out.nextLevel[i]]) - s.bias;
    }
#endif
}

#if defined(__x86_64__)

struct Sse2 {
    using D = __m128d;
    static constexpr int kLanes = 2;
    static D Splat(double v) { return _mm_set1_pd(v); }
    static D SplatBits(uint64_t bits) { return _mm_castsi128_pd(_mm_set1_epi64x(int64_t(bits))); }
    static D Iota(int start) { return _mm_set_pd(double(start + 1), double(start)); }
    static D Add(D a, D b) { return _mm_add_pd(a, b); }
    static D Sub(D a, D b) { return _mm_sub_pd(a, b); }
    static D Mul(D a, D b) { return _mm_mul_pd(a, b); }
    static D Div(D a, D b) { return _mm_div_pd(a, b); }
    static D Min(D a, D b) { return _mm_min_pd(a, b); }
    static D Max(D a, D b) { return _mm_max_pd(a, b); }
    static D And(D a, D b) { return _mm_and_pd(a, b); }
    static D Or(D a, D b) { return _mm_or_pd(a, b); }
    static D AndNot(D mask, D b) { return _mm_andnot_pd(mask, b); }
    static D CmpGt(D a, D b) { return _mm_cmpgt_pd(a, b); }
    static int MoveMask(D mask) { return _mm_movemask_pd(mask); }
    static D Load(const double* p) { return _mm_loadu_pd(p); }
    static void Store(double* p, D v) { _mm_storeu_pd(p, v); }
    static D Gather(const double* table, const int32_t* index) { return _mm_set_pd(table[index[1]], table[index[0]]); }
    static __m128i Trunc(D v) { return _mm_cvttpd_epi32(v); }
    static D FromInt(__m128i v) { return _mm_cvtepi32_pd(v); }
    static __m128i MaskLanes(D mask) { return _mm_shuffle_epi32(_mm_castpd_si128(mask), _MM_SHUFFLE(2, 0, 2, 0)); }
    static __m128i HighWords(D v) { return _mm_shuffle_epi32(_mm_castpd_si128(v), _MM_SHUFFLE(3, 1, 3, 1)); }
    static void StoreInts(int32_t* p, __m128i v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v); }
};

// The processor's widest lanes, as the row kernels chose them.
bool UseAvx2() { return ActiveSimdLevel() == SimdLevel::kAvx2; }

#endif

}  // namespace

SceneRunSetup SceneRunFor(const Gradients& g, double fy) {
    SceneRunSetup s;
    for (int c = 0; c < 4; ++c) s.colour[c] = LineOf(g, kDiffuseR + c, fy);
    s.u = LineOf(g, kTexcoord0, fy);
    s.v = LineOf(g, kTexcoord0 + 1, fy);
    s.zRow = g.z.Row(fy);
    s.zdx = g.z.dx;
    s.qRow = g.q.Row(fy);
    s.qdx = g.q.dx;
    s.perspective = g.perspective;
    s.colourVaries = s.alphaVaries = true;
    s.fixedDiffuse = 0;
    s.depth = D3DFMT_UNKNOWN;
    s.width = s.height = 0;
    s.bias = 0;
    s.nextWidth = s.nextHeight = 0;
    return s;
}

void FoldFlatChannels(SceneRunSetup& s) {
    auto flat = [](const RowLine& l) { return !l.divided && l.dx == 0.0; };
    // row + 0 * x, as the pixels would compute it.
    auto channel = [&](int c) { return uint32_t(ColorChannel(s.colour[c].row + 0.0)); };
    if (s.colourVaries && flat(s.colour[0]) && flat(s.colour[1]) && flat(s.colour[2])) {
        s.fixedDiffuse |= (channel(0) << 16) | (channel(1) << 8) | channel(2);
        s.colourVaries = false;
    }
    if (s.alphaVaries && flat(s.colour[3])) {
        s.fixedDiffuse |= channel(3) << 24;
        s.alphaVaries = false;
    }
}

SceneMipSetup SceneMipFor(const Gradients& g, const SamplerSetup& sampler, int32_t bias) {
    const int ua = kTexcoord0, va = kTexcoord0 + 1;
    SceneMipSetup s;
    s.sampler = &sampler;
    s.bias = bias;
    s.uVaries = !IsConstant(g, ua);
    s.vVaries = !IsConstant(g, va);
    s.uDx = g.attr[ua].dx;
    s.uDy = g.attr[ua].dy;
    s.vDx = g.attr[va].dx;
    s.vDy = g.attr[va].dy;
    s.qDx = g.q.dx;
    s.qDy = g.q.dy;
    const TextureView& texture = *sampler.texture;
    s.last = int32_t(texture.levelCount) - 1;
    s.base = std::min(sampler.baseLevel, s.last);
    s.firstOnly = sampler.mipFilter == D3DTEXF_NONE || s.base == s.last;
    s.nearestLevel = sampler.mipFilter == D3DTEXF_POINT;
    s.lodBias = sampler.lodBias;
    s.topWidth = double(texture.levels[0].width);
    s.topHeight = double(texture.levels[0].height);
    for (uint32_t l = 0; l < texture.levelCount && l < uint32_t(kMaxMipLevels); ++l) {
        s.levelWidth[l] = double(texture.levels[l].width);
        s.levelHeight[l] = double(texture.levels[l].height);
    }
    if (!g.perspective) {
        // As SampleTexture picks it: a constant coordinate has no slope.
        const TexelDerivatives slopes{s.uVaries ? s.uDx : 0.0, s.vVaries ? s.vDx : 0.0, s.uVaries ? s.uDy : 0.0,
                                      s.vVaries ? s.vDy : 0.0};
        s.flatPick = PickMip(sampler, SamplerLod(sampler, slopes));
    }
    return s;
}

bool SceneFloatRunServes(const SceneRunSetup& setup, const SceneMipSetup& mip) {
#if defined(__x86_64__)
    return setup.perspective && !mip.nearestLevel && UseAvx2();
#else
    (void)setup;
    (void)mip;
    return false;
#endif
}

void ComputeSceneDepths(const SceneRunSetup& s, int start, int n, uint32_t* out) {
#if defined(__x86_64__)
    if (!WideDepth(s.depth)) {
        const double scale = double(DepthMax(s.depth));
        if (UseAvx2()) return ComputeSceneDepthsAvx2(s, start, n, out, scale);
        return RunLanes<Sse2>::ComputeDepths(s, start, n, out, scale);
    }
#endif
    for (int i = 0; i < n; ++i) out[i] = QuantizeDepth(s.depth, Plane::At(s.zRow, s.zdx, double(start + i)));
}

#if defined(__x86_64__)
namespace {

// Without perspective the coordinates' slopes are the same at every pixel,
// so is the level of detail: the pick SceneMipFor made serves the run, and
// the texel coordinates on its levels come with the other values.
SceneRunSetup OnFlatPick(const SceneRunSetup& s, const SceneMipSetup& mip) {
    SceneRunSetup levels = s;
    const MipPick& pick = mip.flatPick;
    levels.width = mip.levelWidth[pick.level];
    levels.height = mip.levelHeight[pick.level];
    levels.bias = mip.bias;
    if (pick.weight != 0) {
        levels.nextWidth = mip.levelWidth[pick.level + 1];
        levels.nextHeight = mip.levelHeight[pick.level + 1];
    }
    return levels;
}

void PickOneLevel(const SceneMipSetup& s, int n, SceneRun& out) {
    const int32_t next = s.flatPick.weight != 0 ? s.flatPick.level + 1 : s.flatPick.level;
    for (int i = 0; i < n; ++i) {
        out.level[i] = s.flatPick.level;
        out.weight[i] = s.flatPick.weight;
        out.nextLevel[i] = next;
    }
}

}  // namespace
#endif

void ComputeSceneRun(const SceneRunSetup& s, const SceneMipSetup* mip, int start, int n, SceneRun& out) {
    double rho2[kScenePixels], approxLog2[kScenePixels];
#if defined(__x86_64__)
    const bool avx2 = UseAvx2();
    if (mip && !s.perspective) {
        const SceneRunSetup levels = OnFlatPick(s, *mip);
        if (avx2) ComputeSceneRunAvx2(levels, nullptr, start, n, out, rho2, approxLog2);
        else RunLanes<Sse2>::Compute(levels, nullptr, start, n, out, rho2, approxLog2);
        PickOneLevel(*mip, n, out);
        return;
    }
    if (avx2) ComputeSceneRunAvx2(s, mip, start, n, out, rho2, approxLog2);
    else RunLanes<Sse2>::Compute(s, mip, start, n, out, rho2, approxLog2);
#else
    auto at = [](const RowLine& l, double fx, double w) {
        const double value = Plane::At(l.row, l.dx, fx);
        return l.divided ? value * w : value;
    };
    for (int i = 0; i < n; ++i) {
        const double fx = double(start + i);
        const double w = s.perspective ? 1.0 / Plane::At(s.qRow, s.qdx, fx) : 1.0;
        uint32_t diffuse = s.fixedDiffuse;
        for (int c = 0; c < 4; ++c)
            if (c < 3 ? s.colourVaries : s.alphaVaries)
                diffuse |= uint32_t(ColorChannel(at(s.colour[c], fx, w))) << (c == 3 ? 24 : 16 - 8 * c);
        out.diffuse[i] = diffuse;
        out.u[i] = at(s.u, fx, w);
        out.v[i] = at(s.v, fx, w);
        if (mip) {
            rho2[i] = Footprint(*mip, s.perspective, out.u[i], out.v[i], w);
            approxLog2[i] = SeriesServes(rho2[i]) ? ApproxLog2(rho2[i]) : 0.0;
        }
        if (s.width > 0) {
            out.fu[i] = TexelFixed(out.u[i] * s.width) - s.bias;
            out.fv[i] = TexelFixed(out.v[i] * s.height) - s.bias;
        }
    }
#endif
    if (mip) {
#if defined(__x86_64__)
        const bool picked = avx2 ? PickLevelsAvx2(*mip, n, rho2, approxLog2, out)
                                 : RunLanes<Sse2>::PickLevels(*mip, n, rho2, approxLog2, out);
        if (!picked) PickLevels(*mip, n, rho2, approxLog2, out);
        if (avx2) LevelTexelsAvx2(*mip, n, out);
        else RunLanes<Sse2>::LevelTexels(*mip, n, out);
#else
        PickLevels(*mip, n, rho2, approxLog2, out);
#endif
    }
}

}  // namespace raster::fast
