// The scene run's vector arithmetic, written once over a lane width: V is
// SSE2's two doubles a register or AVX2's four. Every function here is a
// template, so a file built for AVX2 shares no code with the others.
#pragma once

#include <cstdint>

#include "d3d9/raster/SceneRun.h"

namespace raster::fast {

// 2 / (k ln 2) for k = 1, 3, 5, 7, 9: log2 m = 2 atanh(t) / ln 2 with
// t = (m - 1) / (m + 1), |t| <= 0.172 for m in [sqrt(1/2), sqrt(2)].
inline constexpr double kLog2Series[5] = {2.8853900817779268, 0.96179669392597561, 0.57707801635558537,
                                          0.41219858311113238, 0.32059889797532518};

}  // namespace raster::fast

#if defined(__x86_64__)
#include <immintrin.h>

namespace raster::fast {

template <class V>
struct RunLanes {
    using D = typename V::D;

    // ColorChannel: NaN and v <= 0 give 0, v >= 255 gives 255, else
    // trunc(v + 0.5). max keeps its second operand for NaN.
    static __m128i ColorChannels(D v) {
        const D clamped = V::Min(V::Max(v, V::Splat(0.0)), V::Splat(255.0));
        return V::Trunc(V::Add(clamped, V::Splat(0.5)));
    }

    // TexelFixed: clamped to +-2^30 (NaN to -2^30), then the floor.
    static __m128i TexelFixeds(D coord) {
        D t = V::Add(V::Mul(coord, V::Splat(256.0)), V::Splat(0.5));
        t = V::Min(V::Max(t, V::Splat(-1073741824.0)), V::Splat(1073741824.0));
        const __m128i i = V::Trunc(t);
        return _mm_add_epi32(i, V::MaskLanes(V::CmpGt(V::FromInt(i), t)));  // one down where truncation rose
    }

    // QuantizeDepth for scales below 2^31: NaN and z <= 0 give 0, z >= 1
    // the scale, else trunc(z * scale + 0.5).
    static __m128i Depths(D z, double scale) {
        const D clamped = V::Min(V::Max(z, V::Splat(0.0)), V::Splat(1.0));
        return V::Trunc(V::Add(V::Mul(clamped, V::Splat(scale)), V::Splat(0.5)));
    }

    static D LineAt(const RowLine& l, D fx, D w) {
        const D value = V::Add(V::Splat(l.row), V::Mul(V::Splat(l.dx), fx));
        return l.divided ? V::Mul(value, w) : value;
    }

    static D Select(D mask, D yes, D no) { return V::Or(V::And(mask, yes), V::AndNot(mask, no)); }

    // log2 within 1e-9 for normal numbers.
    static D ApproxLog2s(D x) {
        const __m128i high = V::HighWords(x);
        D exponent = V::FromInt(_mm_sub_epi32(_mm_srli_epi32(high, 20), _mm_set1_epi32(1023)));
        D m = V::Or(V::And(x, V::SplatBits(0x000FFFFFFFFFFFFFull)), V::Splat(1.0));
        const D above = V::CmpGt(m, V::Splat(1.4142135623730951));
        m = Select(above, V::Mul(m, V::Splat(0.5)), m);
        exponent = V::Add(exponent, V::And(above, V::Splat(1.0)));
        const D t = V::Div(V::Sub(m, V::Splat(1.0)), V::Add(m, V::Splat(1.0)));
        const D t2 = V::Mul(t, t);
        D p = V::Splat(kLog2Series[4]);
        for (int k = 3; k >= 0; --k) p = V::Add(V::Splat(kLog2Series[k]), V::Mul(t2, p));
        return V::Add(exponent, V::Mul(t, p));
    }

    // The squared texel footprint LevelOfDetail takes the logarithm of, with
    // the general span's slopes: d(A/Q) = (dA - (A/Q) dQ) / Q.
    static D Footprints(const SceneMipSetup& s, bool perspective, D u, D v, D w) {
        auto slope = [&](bool varies, double dA, double dQ, D value) {
            if (!varies) return V::Splat(0.0);
            if (!perspective) return V::Splat(dA);
            return V::Mul(V::Sub(V::Splat(dA), V::Mul(value, V::Splat(dQ))), w);
        };
        const D dudx = V::Mul(slope(s.uVaries, s.uDx, s.qDx, u), V::Splat(s.topWidth));
        const D dvdx = V::Mul(slope(s.vVaries, s.vDx, s.qDx, v), V::Splat(s.topHeight));
        const D dudy = V::Mul(slope(s.uVaries, s.uDy, s.qDy, u), V::Splat(s.topWidth));
        const D dvdy = V::Mul(slope(s.vVaries, s.vDy, s.qDy, v), V::Splat(s.topHeight));
        const D x = V::Add(V::Mul(dudx, dudx), V::Mul(dvdx, dvdx));
        const D y = V::Add(V::Mul(dudy, dudy), V::Mul(dvdy, dvdy));
        return V::Max(y, x);  // std::max(x, y): x unless x < y, NaN included
    }

    static __m128i PackedDiffuse(const __m128i channels[4], uint32_t fixed) {
        __m128i packed = _mm_set1_epi32(int32_t(fixed));
        packed = _mm_or_si128(packed, _mm_slli_epi32(channels[0], 16));  // r
        packed = _mm_or_si128(packed, _mm_slli_epi32(channels[1], 8));   // g
        packed = _mm_or_si128(packed, channels[2]);                      // b
        return _mm_or_si128(packed, _mm_slli_epi32(channels[3], 24));    // a
    }

    // Depths of a format whose largest value is below 2^31.
    static void ComputeDepths(const SceneRunSetup& s, int start, int n, uint32_t* out, double scale) {
        for (int i = 0; i < n; i += V::kLanes) {
            const D z = V::Add(V::Splat(s.zRow), V::Mul(V::Splat(s.zdx), V::Iota(start + i)));
            V::StoreInts(reinterpret_cast<int32_t*>(out + i), Depths(z, scale));
        }
    }

    // Everything but the depths and the level picks; with mip the
    // footprints and their approximate logarithms for PickLevels.
    static void Compute(const SceneRunSetup& s, const SceneMipSetup* mip, int start, int n, SceneRun& out,
                        double* rho2, double* approxLog2) {
        const bool texels = s.width > 0;
        const __m128i bias = _mm_set1_epi32(s.bias);
        for (int i = 0; i < n; i += V::kLanes) {
            const D fx = V::Iota(start + i);
            const D w = s.perspective ? V::Div(V::Splat(1.0), V::Add(V::Splat(s.qRow), V::Mul(V::Splat(s.qdx), fx)))
                                      : V::Splat(1.0);
            __m128i channels[4];
            for (int c = 0; c < 4; ++c) {
                if (c < 3 ? !s.colourVaries : !s.alphaVaries) channels[c] = _mm_setzero_si128();
                else channels[c] = ColorChannels(LineAt(s.colour[c], fx, w));
            }
            V::StoreInts(reinterpret_cast<int32_t*>(out.diffuse + i), PackedDiffuse(channels, s.fixedDiffuse));
            const D u = LineAt(s.u, fx, w), v = LineAt(s.v, fx, w);
            V::Store(out.u + i, u);
            V::Store(out.v + i, v);
            if (mip) {
                const D footprint = Footprints(*mip, s.perspective, u, v, w);
                V::Store(rho2 + i, footprint);
                V::Store(approxLog2 + i, ApproxLog2s(footprint));
            }
            if (texels) {
                V::StoreInts(out.fu + i, _mm_sub_epi32(TexelFixeds(V::Mul(u, V::Splat(s.width))), bias));
                V::StoreInts(out.fv + i, _mm_sub_epi32(TexelFixeds(V::Mul(v, V::Splat(s.height))), bias));
            }
            if (s.nextWidth > 0) {
                V::StoreInts(out.fuNext + i, _mm_sub_epi32(TexelFixeds(V::Mul(u, V::Splat(s.nextWidth))), bias));
                V::StoreInts(out.fvNext + i, _mm_sub_epi32(TexelFixeds(V::Mul(v, V::Splat(s.nextHeight))), bias));
            }
        }
    }

    static __m128i MinInts(__m128i a, __m128i b) {
        const __m128i greater = _mm_cmpgt_epi32(a, b);
        return _mm_or_si128(_mm_and_si128(greater, b), _mm_andnot_si128(greater, a));
    }

    // PickMip's level and weight for pixels 0 .. n - 1 whose level of
    // detail the series decides (see LodOf in SceneRun.cpp); false, with
    // nothing written, when one of them needs the library's logarithm.
    static bool PickLevels(const SceneMipSetup& s, int n, const double* rho2, const double* approxLog2,
                           SceneRun& out) {
        for (int i = 0; i < n; i += V::kLanes) {
            const D r = V::Load(rho2 + i);
            const D lod = V::Add(V::Mul(V::Splat(0.5), V::Load(approxLog2 + i)), V::Splat(s.lodBias));
            const D steps = V::Mul(lod, V::Splat(512.0));
            const D nearest = V::Sub(V::Add(steps, V::Splat(0x1.8p52)), V::Splat(0x1.8p52));
            const D distance = V::And(V::Sub(steps, nearest), V::SplatBits(0x7FFFFFFFFFFFFFFFull));
            const D served = V::And(V::And(V::CmpGt(r, V::Splat(0x1p-1000)), V::CmpGt(V::Splat(0x1p1000), r)),
                                    V::CmpGt(distance, V::Splat(1e-3)));
            const int lanes = (1 << (n - i < V::kLanes ? n - i : V::kLanes)) - 1;  // no std::min: see above
            if ((V::MoveMask(served) & lanes) != lanes) return false;
        }
        const __m128i base = _mm_set1_epi32(s.base), last = _mm_set1_epi32(s.last);
        for (int i = 0; i < n; i += V::kLanes) {
            __m128i level = base, weight = _mm_setzero_si128();
            if (!s.firstOnly) {
                const D lod = V::Add(V::Mul(V::Splat(0.5), V::Load(approxLog2 + i)), V::Splat(s.lodBias));
                const D clamped = V::Min(lod, V::Splat(64.0));
                const __m128i minifies = V::MaskLanes(V::CmpGt(lod, V::Splat(0.0)));
                if (s.nearestLevel) {
                    level = MinInts(_mm_add_epi32(base, V::Trunc(V::Add(clamped, V::Splat(0.5)))), last);
                } else {
                    const __m128i whole = V::Trunc(clamped);
                    level = MinInts(_mm_add_epi32(base, whole), last);
                    weight = V::Trunc(V::Add(V::Mul(V::Sub(clamped, V::FromInt(whole)), V::Splat(256.0)), V::Splat(0.5)));
                    weight = _mm_andnot_si128(_mm_cmpeq_epi32(level, last), weight);
                }
                level = _mm_or_si128(_mm_and_si128(minifies, level), _mm_andnot_si128(minifies, base));
                weight = _mm_and_si128(minifies, weight);
            }
            V::StoreInts(out.level + i, level);
            V::StoreInts(reinterpret_cast<int32_t*>(out.weight + i), weight);
            const __m128i mixed = _mm_xor_si128(_mm_cmpeq_epi32(weight, _mm_setzero_si128()), _mm_set1_epi32(-1));
            V::StoreInts(out.nextLevel + i, _mm_sub_epi32(level, mixed));  // level + 1 where mixed
        }
        return true;
    }

    // Each pixel's texel coordinates on its level and the next; the sizes
    // differ by lane. Lanes past n read the last pixel's levels.
    static void LevelTexels(const SceneMipSetup& s, int n, SceneRun& out) {
        for (int i = n; i % V::kLanes != 0; ++i) {
            out.level[i] = out.level[n - 1];
            out.nextLevel[i] = out.nextLevel[n - 1];
        }
        const __m128i bias = _mm_set1_epi32(s.bias);
        for (int i = 0; i < n; i += V::kLanes) {
            const D u = V::Load(out.u + i), v = V::Load(out.v + i);
            // Most often every lane is on one level: its sides are splatted.
            auto fixed = [&](D uCoord, D vCoord, const int32_t* level, int32_t* fu, int32_t* fv) {
                bool one = true;
                for (int k = 1; k < V::kLanes; ++k) one &= level[k] == level[0];
                const D width = one ? V::Splat(s.levelWidth[level[0]]) : V::Gather(s.levelWidth, level);
                const D height = one ? V::Splat(s.levelHeight[level[0]]) : V::Gather(s.levelHeight, level);
                V::StoreInts(fu, _mm_sub_epi32(TexelFixeds(V::Mul(uCoord, width)), bias));
                V::StoreInts(fv, _mm_sub_epi32(TexelFixeds(V::Mul(vCoord, height)), bias));
            };
            fixed(u, v, out.level + i, out.fu + i, out.fv + i);
            fixed(u, v, out.nextLevel + i, out.fuNext + i, out.fvNext + i);
        }
    }
};

// The AVX2 file's entry points, for a processor that has AVX2.
void ComputeSceneDepthsAvx2(const SceneRunSetup& s, int start, int n, uint32_t* out, double scale);
void ComputeSceneRunAvx2(const SceneRunSetup& s, const SceneMipSetup* mip, int start, int n, SceneRun& out,
                         double* rho2, double* approxLog2);
bool PickLevelsAvx2(const SceneMipSetup& s, int n, const double* rho2, const double* approxLog2, SceneRun& out);
void LevelTexelsAvx2(const SceneMipSetup& s, int n, SceneRun& out);

}  // namespace raster::fast

#endif
