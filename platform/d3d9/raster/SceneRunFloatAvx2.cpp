// The single-precision scene run on AVX2. Built with -mavx2 (see
// CMakeLists.txt) and reached only when the processor reports AVX2.
// Each eight-pixel block starts from the lines' values at its first pixel
// taken in double precision, so the single-precision steps add at most
// seven slopes: the error stays a few units of the last place of the
// value, not of the row's start.
#include "d3d9/raster/SceneRunFloat.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include "d3d9/raster/SceneRunLanes.h"

namespace raster::fast {

namespace {

using F = __m256;
using I = __m256i;

#define FLOAT_RUN_INLINE inline __attribute__((always_inline))

FLOAT_RUN_INLINE F SplatF(double v) { return _mm256_set1_ps(float(v)); }
FLOAT_RUN_INLINE I SplatI(int32_t v) { return _mm256_set1_epi32(v); }

// A line's value at the block's pixels 0 .. 7 from the block's first pixel.
FLOAT_RUN_INLINE F LineFrom(double row, double dx, double x, F steps) {
    return _mm256_add_ps(SplatF(row + dx * x), _mm256_mul_ps(SplatF(dx), steps));
}

FLOAT_RUN_INLINE F ValueOf(const RowLine& l, double x, F steps, F w) {
    const F value = LineFrom(l.row, l.dx, x, steps);
    return l.divided ? _mm256_mul_ps(value, w) : value;
}

// ColorChannel: NaN and v <= 0 give 0 (max keeps its second operand for
// NaN), v >= 255 gives 255, else trunc(v + 0.5).
FLOAT_RUN_INLINE I ColourChannels(F v) {
    const F clamped = _mm256_min_ps(_mm256_max_ps(v, _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
    return _mm256_cvttps_epi32(_mm256_add_ps(clamped, _mm256_set1_ps(0.5f)));
}

// TexelFixed of coord * size: floor(coord * size * 256 + 0.5), clamped to
// +-2^30 (NaN to -2^30).
FLOAT_RUN_INLINE I TexelFixeds(F coord, F size, I bias) {
    F t = _mm256_add_ps(_mm256_mul_ps(_mm256_mul_ps(coord, size), _mm256_set1_ps(256.0f)), _mm256_set1_ps(0.5f));
    t = _mm256_min_ps(_mm256_max_ps(t, _mm256_set1_ps(-1073741824.0f)), _mm256_set1_ps(1073741824.0f));
    return _mm256_sub_epi32(_mm256_cvttps_epi32(_mm256_floor_ps(t)), bias);
}

// log2 x for positive normal x within 1e-7; denormals read as tiny and
// infinity as 128, both past every decision.
FLOAT_RUN_INLINE F Log2s(F x) {
    const I bits = _mm256_castps_si256(x);
    F exponent = _mm256_cvtepi32_ps(_mm256_sub_epi32(_mm256_srli_epi32(bits, 23), SplatI(127)));
    F m = _mm256_castsi256_ps(_mm256_or_si256(_mm256_and_si256(bits, SplatI(0x007FFFFF)), SplatI(0x3F800000)));
    const F above = _mm256_cmp_ps(m, _mm256_set1_ps(1.41421356f), _CMP_GT_OQ);
    m = _mm256_blendv_ps(m, _mm256_mul_ps(m, _mm256_set1_ps(0.5f)), above);
    exponent = _mm256_add_ps(exponent, _mm256_and_ps(above, _mm256_set1_ps(1.0f)));
    const F one = _mm256_set1_ps(1.0f);
    const F t = _mm256_div_ps(_mm256_sub_ps(m, one), _mm256_add_ps(m, one));
    const F t2 = _mm256_mul_ps(t, t);
    F p = SplatF(kLog2Series[3]);
    for (int k = 2; k >= 0; --k) p = _mm256_add_ps(SplatF(kLog2Series[k]), _mm256_mul_ps(t2, p));
    return _mm256_add_ps(exponent, _mm256_mul_ps(t, p));
}

// The squared footprint in level-0 texels, the general span's slopes:
// d(A/Q) = (dA - (A/Q) dQ) / Q.
FLOAT_RUN_INLINE F Footprints(const SceneMipSetup& s, F u, F v, F w) {
    auto slope = [&](bool varies, double dA, double dQ, F value, double size) {
        if (!varies) return _mm256_setzero_ps();
        return _mm256_mul_ps(_mm256_mul_ps(_mm256_sub_ps(SplatF(dA), _mm256_mul_ps(value, SplatF(dQ))), w), SplatF(size));
    };
    const F dudx = slope(s.uVaries, s.uDx, s.qDx, u, s.topWidth), dvdx = slope(s.vVaries, s.vDx, s.qDx, v, s.topHeight);
    const F dudy = slope(s.uVaries, s.uDy, s.qDy, u, s.topWidth), dvdy = slope(s.vVaries, s.vDy, s.qDy, v, s.topHeight);
    const F x = _mm256_add_ps(_mm256_mul_ps(dudx, dudx), _mm256_mul_ps(dvdx, dvdx));
    const F y = _mm256_add_ps(_mm256_mul_ps(dudy, dudy), _mm256_mul_ps(dvdy, dvdy));
    return _mm256_max_ps(x, y);
}

struct Picks {
    I level, weight, next;
};

// PickMip with a linear mip filter: past level 0 the level below the level
// of detail, mixed toward the next by its fraction, unless it is the last.
FLOAT_RUN_INLINE Picks PickLevels(const SceneMipSetup& s, F rho2) {
    const I base = SplatI(s.base);
    if (s.firstOnly) return Picks{base, _mm256_setzero_si256(), base};
    const F lod = _mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(0.5f), Log2s(rho2)), SplatF(s.lodBias));
    // Neither a zero nor a NaN footprint minifies.
    const I minifies = _mm256_castps_si256(_mm256_and_ps(_mm256_cmp_ps(rho2, _mm256_setzero_ps(), _CMP_GT_OQ),
                                                         _mm256_cmp_ps(lod, _mm256_setzero_ps(), _CMP_GT_OQ)));
    const F clamped = _mm256_min_ps(lod, _mm256_set1_ps(64.0f));
    const I whole = _mm256_cvttps_epi32(clamped);
    I level = _mm256_min_epi32(_mm256_add_epi32(base, whole), SplatI(s.last));
    const F fraction = _mm256_sub_ps(clamped, _mm256_cvtepi32_ps(whole));
    I weight = _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(fraction, _mm256_set1_ps(256.0f)), _mm256_set1_ps(0.5f)));
    weight = _mm256_andnot_si256(_mm256_cmpeq_epi32(level, SplatI(s.last)), weight);
    level = _mm256_blendv_epi8(base, level, minifies);
    weight = _mm256_and_si256(minifies, weight);
    const I mixed = _mm256_xor_si256(_mm256_cmpeq_epi32(weight, _mm256_setzero_si256()), SplatI(-1));
    return Picks{level, weight, _mm256_sub_epi32(level, mixed)};
}

// The sides of kMaxMipLevels levels as two registers of eight.
struct SideTable {
    F low, high;
};

// Each lane's side, by the level's low three bits from either half.
FLOAT_RUN_INLINE F SidesOf(const SideTable& sides, I level) {
    const F upper = _mm256_castsi256_ps(_mm256_slli_epi32(level, 28));  // sign set for levels 8 .. 15
    return _mm256_blendv_ps(_mm256_permutevar8x32_ps(sides.low, level), _mm256_permutevar8x32_ps(sides.high, level),
                            upper);
}

FLOAT_RUN_INLINE I PackedDiffuse(const SceneRunSetup& s, double x, F steps, F w) {
    I packed = SplatI(int32_t(s.fixedDiffuse));
    if (s.colourVaries) {
        packed = _mm256_or_si256(packed, _mm256_slli_epi32(ColourChannels(ValueOf(s.colour[0], x, steps, w)), 16));
        packed = _mm256_or_si256(packed, _mm256_slli_epi32(ColourChannels(ValueOf(s.colour[1], x, steps, w)), 8));
        packed = _mm256_or_si256(packed, ColourChannels(ValueOf(s.colour[2], x, steps, w)));
    }
    if (s.alphaVaries)
        packed = _mm256_or_si256(packed, _mm256_slli_epi32(ColourChannels(ValueOf(s.colour[3], x, steps, w)), 24));
    return packed;
}

void Store(int32_t* p, I v) { _mm256_storeu_si256(reinterpret_cast<I*>(p), v); }

}  // namespace

void ComputeSceneFloatRunAvx2(const SceneRunSetup& s, const SceneMipSetup& mip, int start, int n, SceneRun& out) {
    static_assert(kMaxMipLevels == 16, "two registers of level sides");
    alignas(32) float widthTable[kMaxMipLevels] = {}, heightTable[kMaxMipLevels] = {};
    for (int l = 0; l <= mip.last && l < kMaxMipLevels; ++l) {
        widthTable[l] = float(mip.levelWidth[l]);
        heightTable[l] = float(mip.levelHeight[l]);
    }
    const SideTable widths{_mm256_load_ps(widthTable), _mm256_load_ps(widthTable + 8)};
    const SideTable heights{_mm256_load_ps(heightTable), _mm256_load_ps(heightTable + 8)};
    const F steps = _mm256_setr_ps(0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f);
    const I bias = SplatI(mip.bias);
    for (int i = 0; i < n; i += 8) {
        const double x = double(start + i);
        const F w = _mm256_div_ps(_mm256_set1_ps(1.0f), LineFrom(s.qRow, s.qdx, x, steps));
        Store(reinterpret_cast<int32_t*>(out.diffuse + i), PackedDiffuse(s, x, steps, w));
        const F u = ValueOf(s.u, x, steps, w), v = ValueOf(s.v, x, steps, w);
        const Picks picks = PickLevels(mip, Footprints(mip, u, v, w));
        Store(out.level + i, picks.level);
        Store(reinterpret_cast<int32_t*>(out.weight + i), picks.weight);
        Store(out.nextLevel + i, picks.next);
        Store(out.fu + i, TexelFixeds(u, SidesOf(widths, picks.level), bias));
        Store(out.fv + i, TexelFixeds(v, SidesOf(heights, picks.level), bias));
        Store(out.fuNext + i, TexelFixeds(u, SidesOf(widths, picks.next), bias));
        Store(out.fvNext + i, TexelFixeds(v, SidesOf(heights, picks.next), bias));
    }
}

}  // namespace raster::fast

#endif
