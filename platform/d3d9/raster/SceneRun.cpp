#include "d3d9/raster/SceneRun.h"

#include <algorithm>
#include <cmath>

#include "d3d9/raster/PixelState.h"
#include "d3d9/raster/TexelFormats.h"
#include "d3d9/raster/TextureSampler.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace raster::fast {

namespace {

RowLine LineOf(const Gradients& g, int a, double fy) {
    if (IsConstant(g, a)) return RowLine{g.attr[a].c, 0.0, false};
    return RowLine{g.attr[a].Row(fy), g.attr[a].dx, g.perspective};
}

bool WideDepth(D3DFORMAT depth) { return depth == D3DFMT_D32; }  // past int32: converted one by one

// 2 / (k ln 2) for k = 1, 3, 5, 7, 9: log2 m = 2 atanh(t) / ln 2 with
// t = (m - 1) / (m + 1), |t| <= 0.172 for m in [sqrt(1/2), sqrt(2)].
constexpr double kLog2Series[5] = {2.8853900817779268, 0.96179669392597561, 0.57707801635558537,
                                   0.41219858311113238, 0.32059889797532518};

#if !defined(__SSE2__)
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
#if !defined(__SSE2__)
    for (int i = 0; i < n; ++i) {
        out.fu[i] = TexelFixed(out.u[i] * s.levelWidth[out.level[i]]) - s.bias;
        out.fv[i] = TexelFixed(out.v[i] * s.levelHeight[out.level[i]]) - s.bias;
        out.fuNext[i] = TexelFixed(out.u[i] * s.levelWidth[out.nextLevel[i]]) - s.bias;
        out.fvNext[i] = TexelFixed(out.v[i] * s.levelHeight[out.nextLevel[i]]) - s.bias;
    }
#endif
}

#if defined(__SSE2__)

using D2 = __m128d;

D2 Splat(double v) { return _mm_set1_pd(v); }
void StorePair(int32_t* out, __m128i v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(out), v); }

// The low 32 bits of each 64-bit lane mask, as two int32 lanes.
__m128i LaneMask(D2 mask) { return _mm_shuffle_epi32(_mm_castpd_si128(mask), _MM_SHUFFLE(2, 0, 2, 0)); }

// ColorChannel: NaN and v <= 0 give 0, v >= 255 gives 255, else
// trunc(v + 0.5). maxpd keeps its second operand for NaN.
__m128i ColorChannels(D2 v) {
    const D2 clamped = _mm_min_pd(_mm_max_pd(v, _mm_setzero_pd()), Splat(255.0));
    return _mm_cvttpd_epi32(_mm_add_pd(clamped, Splat(0.5)));
}

// TexelFixed: clamped to +-2^30 (NaN to -2^30), then the floor.
__m128i TexelFixeds(D2 coord) {
    D2 t = _mm_add_pd(_mm_mul_pd(coord, Splat(256.0)), Splat(0.5));
    t = _mm_min_pd(_mm_max_pd(t, Splat(-1073741824.0)), Splat(1073741824.0));
    const __m128i i = _mm_cvttpd_epi32(t);
    return _mm_add_epi32(i, LaneMask(_mm_cmpgt_pd(_mm_cvtepi32_pd(i), t)));  // one down where truncation rose
}

// QuantizeDepth for scales below 2^31: NaN and z <= 0 give 0, z >= 1 the
// scale, else trunc(z * scale + 0.5).
__m128i Depths(D2 z, double scale) {
    const D2 clamped = _mm_min_pd(_mm_max_pd(z, _mm_setzero_pd()), Splat(1.0));
    return _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(clamped, Splat(scale)), Splat(0.5)));
}

D2 LineAt(const RowLine& l, D2 fx, D2 w) {
    const D2 value = _mm_add_pd(Splat(l.row), _mm_mul_pd(Splat(l.dx), fx));
    return l.divided ? _mm_mul_pd(value, w) : value;
}

D2 Select(D2 mask, D2 yes, D2 no) { return _mm_or_pd(_mm_and_pd(mask, yes), _mm_andnot_pd(mask, no)); }

// ApproxLog2 two lanes at a time.
D2 ApproxLog2s(D2 x) {
    const __m128i bits = _mm_castpd_si128(x);
    const __m128i high = _mm_shuffle_epi32(bits, _MM_SHUFFLE(3, 1, 3, 1));
    D2 exponent = _mm_cvtepi32_pd(_mm_sub_epi32(_mm_srli_epi32(high, 20), _mm_set1_epi32(1023)));
    const __m128i mantissaBits = _mm_set1_epi64x(int64_t(0x000FFFFFFFFFFFFFull));
    D2 m = _mm_castsi128_pd(_mm_or_si128(_mm_and_si128(bits, mantissaBits), _mm_castpd_si128(Splat(1.0))));
    const D2 above = _mm_cmpgt_pd(m, Splat(1.4142135623730951));
    m = Select(above, _mm_mul_pd(m, Splat(0.5)), m);
    exponent = _mm_add_pd(exponent, _mm_and_pd(above, Splat(1.0)));
    const D2 t = _mm_div_pd(_mm_sub_pd(m, Splat(1.0)), _mm_add_pd(m, Splat(1.0)));
    const D2 t2 = _mm_mul_pd(t, t);
    D2 p = Splat(kLog2Series[4]);
    for (int k = 3; k >= 0; --k) p = _mm_add_pd(Splat(kLog2Series[k]), _mm_mul_pd(t2, p));
    return _mm_add_pd(exponent, _mm_mul_pd(t, p));
}

// The squared texel footprint LevelOfDetail takes the logarithm of, with
// the general span's slopes: d(A/Q) = (dA - (A/Q) dQ) / Q.
D2 Footprints(const SceneMipSetup& s, bool perspective, D2 u, D2 v, D2 w) {
    auto slope = [&](bool varies, double dA, double dQ, D2 value) {
        if (!varies) return _mm_setzero_pd();
        if (!perspective) return Splat(dA);
        return _mm_mul_pd(_mm_sub_pd(Splat(dA), _mm_mul_pd(value, Splat(dQ))), w);
    };
    const D2 dudx = _mm_mul_pd(slope(s.uVaries, s.uDx, s.qDx, u), Splat(s.topWidth));
    const D2 dvdx = _mm_mul_pd(slope(s.vVaries, s.vDx, s.qDx, v), Splat(s.topHeight));
    const D2 dudy = _mm_mul_pd(slope(s.uVaries, s.uDy, s.qDy, u), Splat(s.topWidth));
    const D2 dvdy = _mm_mul_pd(slope(s.vVaries, s.vDy, s.qDy, v), Splat(s.topHeight));
    const D2 x = _mm_add_pd(_mm_mul_pd(dudx, dudx), _mm_mul_pd(dvdx, dvdx));
    const D2 y = _mm_add_pd(_mm_mul_pd(dudy, dudy), _mm_mul_pd(dvdy, dvdy));
    return _mm_max_pd(y, x);  // std::max(x, y): x unless x < y, NaN included
}

// Each pixel's texel coordinates on its level and the next, a pair at a
// time: the sizes differ by lane.
void LevelTexels(const SceneMipSetup& s, int n, SceneRun& out) {
    if (n & 1) {  // the odd last lane reads the pixel before it
        out.level[n] = out.level[n - 1];
        out.nextLevel[n] = out.nextLevel[n - 1];
    }
    const __m128i bias = _mm_set1_epi32(s.bias);
    auto sizes = [](const double* side, const int32_t* level) { return _mm_set_pd(side[level[1]], side[level[0]]); };
    for (int i = 0; i < n; i += 2) {
        const D2 u = _mm_loadu_pd(out.u + i), v = _mm_loadu_pd(out.v + i);
        StorePair(out.fu + i, _mm_sub_epi32(TexelFixeds(_mm_mul_pd(u, sizes(s.levelWidth, out.level + i))), bias));
        StorePair(out.fv + i, _mm_sub_epi32(TexelFixeds(_mm_mul_pd(v, sizes(s.levelHeight, out.level + i))), bias));
        StorePair(out.fuNext + i,
                  _mm_sub_epi32(TexelFixeds(_mm_mul_pd(u, sizes(s.levelWidth, out.nextLevel + i))), bias));
        StorePair(out.fvNext + i,
                  _mm_sub_epi32(TexelFixeds(_mm_mul_pd(v, sizes(s.levelHeight, out.nextLevel + i))), bias));
    }
}

__m128i PackedDiffuse(const __m128i channels[4], uint32_t fixed) {
    __m128i packed = _mm_set1_epi32(int32_t(fixed));
    for (int c = 0; c < 4; ++c) {
        const int shift = c == 3 ? 24 : 16 - 8 * c;  // r, g, b, a
        packed = _mm_or_si128(packed, _mm_slli_epi32(channels[c], shift));
    }
    return packed;
}

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
    return s;
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
    s.topWidth = double(texture.levels[0].width);
    s.topHeight = double(texture.levels[0].height);
    for (uint32_t l = 0; l < texture.levelCount && l < uint32_t(kMaxMipLevels); ++l) {
        s.levelWidth[l] = double(texture.levels[l].width);
        s.levelHeight[l] = double(texture.levels[l].height);
    }
    return s;
}

void ComputeSceneDepths(const SceneRunSetup& s, int start, int n, uint32_t* out) {
#if defined(__SSE2__)
    const double scale = double(DepthMax(s.depth));
    for (int i = 0; i < n; i += 2) {
        const D2 fx = _mm_set_pd(double(start + i + 1), double(start + i));
        const D2 z = _mm_add_pd(Splat(s.zRow), _mm_mul_pd(Splat(s.zdx), fx));
        if (WideDepth(s.depth)) {
            double zs[2];
            _mm_storeu_pd(zs, z);
            out[i] = QuantizeDepth(s.depth, zs[0]);
            out[i + 1] = QuantizeDepth(s.depth, zs[1]);
        } else {
            StorePair(reinterpret_cast<int32_t*>(out + i), Depths(z, scale));
        }
    }
#else
    for (int i = 0; i < n; ++i) out[i] = QuantizeDepth(s.depth, Plane::At(s.zRow, s.zdx, double(start + i)));
#endif
}

void ComputeSceneRun(const SceneRunSetup& s, const SceneMipSetup* mip, int start, int n, SceneRun& out) {
    const bool texels = s.width > 0;
    double rho2[kScenePixels], approxLog2[kScenePixels];
#if defined(__SSE2__)
    for (int i = 0; i < n; i += 2) {
        const D2 fx = _mm_set_pd(double(start + i + 1), double(start + i));
        const D2 w = s.perspective ? _mm_div_pd(Splat(1.0), _mm_add_pd(Splat(s.qRow), _mm_mul_pd(Splat(s.qdx), fx)))
                                   : Splat(1.0);
        _mm_storeu_pd(out.w + i, w);
        __m128i channels[4];
        for (int c = 0; c < 4; ++c) {
            if (c < 3 ? !s.colourVaries : !s.alphaVaries) channels[c] = _mm_setzero_si128();
            else channels[c] = ColorChannels(LineAt(s.colour[c], fx, w));
        }
        StorePair(reinterpret_cast<int32_t*>(out.diffuse + i), PackedDiffuse(channels, s.fixedDiffuse));
        const D2 u = LineAt(s.u, fx, w), v = LineAt(s.v, fx, w);
        _mm_storeu_pd(out.u + i, u);
        _mm_storeu_pd(out.v + i, v);
        if (mip) {
            const D2 footprint = Footprints(*mip, s.perspective, u, v, w);
            _mm_storeu_pd(rho2 + i, footprint);
            _mm_storeu_pd(approxLog2 + i, ApproxLog2s(footprint));
        }
        if (texels) {
            const __m128i bias = _mm_set1_epi32(s.bias);
            StorePair(out.fu + i, _mm_sub_epi32(TexelFixeds(_mm_mul_pd(u, Splat(s.width))), bias));
            StorePair(out.fv + i, _mm_sub_epi32(TexelFixeds(_mm_mul_pd(v, Splat(s.height))), bias));
        }
    }
#else
    auto at = [](const RowLine& l, double fx, double w) {
        const double value = Plane::At(l.row, l.dx, fx);
        return l.divided ? value * w : value;
    };
    for (int i = 0; i < n; ++i) {
        const double fx = double(start + i);
        const double w = s.perspective ? 1.0 / Plane::At(s.qRow, s.qdx, fx) : 1.0;
        out.w[i] = w;
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
        if (texels) {
            out.fu[i] = TexelFixed(out.u[i] * s.width) - s.bias;
            out.fv[i] = TexelFixed(out.v[i] * s.height) - s.bias;
        }
    }
#endif
    if (mip) {
        PickLevels(*mip, n, rho2, approxLog2, out);
#if defined(__SSE2__)
        LevelTexels(*mip, n, out);
#endif
    }
}

}  // namespace raster::fast
