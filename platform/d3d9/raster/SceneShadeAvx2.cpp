// The scene run's shading on AVX2. Built with -mavx2 (see CMakeLists.txt)
// and reached only when the processor reports AVX2. Eight pixels a step:
// each pixel's texel pairs (t00, t10) and (t01, t11) come with one 64-bit
// load each; every channel then lies in a 32-bit lane, a 128-bit half
// holding one pixel, and the sums are BilinearMix's. The loops over the
// pairs are unrolled so that the spreads take immediate lanes and the
// samples stay in registers.
#include "d3d9/raster/SceneShade.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <cstddef>

#include "d3d9/raster/FastSpanParts.h"

namespace raster::fast {

namespace {

using V = __m256i;

#define SHADE_INLINE inline __attribute__((always_inline))

SHADE_INLINE V Splat(int32_t v) { return _mm256_set1_epi32(v); }

// The lanes of the bits set in `bits`, all ones.
SHADE_INLINE V LiveLanes(uint32_t bits) {
    const V bit = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
    return _mm256_cmpeq_epi32(_mm256_and_si256(Splat(int32_t(bits)), bit), bit);
}

SHADE_INLINE uint32_t BitsOf(V mask) { return uint32_t(_mm256_movemask_ps(_mm256_castsi256_ps(mask))); }

// Four 32-bit lanes (of half `high`) widened to 64 bits, sign kept.
SHADE_INLINE V Wide(V v, int high) {
    return _mm256_cvtepi32_epi64(high ? _mm256_extracti128_si256(v, 1) : _mm256_castsi256_si128(v));
}

// The level of each of eight pixels as the loads want it: the start of
// its rows (four 64-bit addresses a half) and its pitch and masks.
struct LevelLanes {
    V bits[2];
    V pitch, widthMask, heightMask;
    const uint8_t* uniform;  // every lane's level, or null
};

SHADE_INLINE LevelLanes UniformLevel(const ShadeLevel& l) {
    const V bits = _mm256_set1_epi64x(int64_t(reinterpret_cast<uintptr_t>(l.bits)));
    return LevelLanes{{bits, bits}, Splat(l.pitch), Splat(l.widthMask), Splat(l.heightMask), l.bits};
}

// Each live lane's level from the table; dead lanes read level 0.
SHADE_INLINE LevelLanes LevelsOf(const SceneShadeSetup& s, const int32_t* level, V live) {
    const uint32_t liveBits = BitsOf(live);
    const int32_t first = level[__builtin_ctz(liveBits)];
    const V index = _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const V*>(level)), live);
    if ((BitsOf(_mm256_cmpeq_epi32(index, Splat(first))) & liveBits) == liveBits) return UniformLevel(s.levels[first]);
    const V offset = _mm256_mullo_epi32(index, Splat(int32_t(sizeof(ShadeLevel))));
    const auto* bytes = reinterpret_cast<const uint8_t*>(s.levels);
    auto field = [&](const void* first) { return _mm256_i32gather_epi32(static_cast<const int*>(first), offset, 1); };
    LevelLanes l;
    l.uniform = nullptr;
    for (int half = 0; half < 2; ++half)
        l.bits[half] = _mm256_i32gather_epi64(reinterpret_cast<const long long*>(bytes + offsetof(ShadeLevel, bits)),
                                              half ? _mm256_extracti128_si256(offset, 1) : _mm256_castsi256_si128(offset), 1);
    l.pitch = field(bytes + offsetof(ShadeLevel, pitch));
    l.widthMask = field(bytes + offsetof(ShadeLevel, widthMask));
    l.heightMask = field(bytes + offsetof(ShadeLevel, heightMask));
    return l;
}

// The texel pairs of four pixels (half `high` of eight) from rows at
// `offset`; a pixel whose x wraps reads its second texel from the row's
// start. Dead lanes read nothing and hold zeros.
SHADE_INLINE V TexelPairs(const LevelLanes& l, V offset, V x0, V live, V wraps, int high) {
    const V address = _mm256_add_epi64(l.bits[high], Wide(offset, high));
    const V whole = Wide(_mm256_andnot_si256(wraps, live), high);
    // Loads one by one outrun a gather on some processors; lanes that read
    // nothing read a zero pair instead.
    static const uint64_t kNothing = 0;
    const V safe = _mm256_blendv_epi8(_mm256_set1_epi64x(int64_t(reinterpret_cast<uintptr_t>(&kNothing))), address, whole);
    alignas(32) uint64_t at[4];
    _mm256_store_si256(reinterpret_cast<V*>(at), safe);
    auto load = [](uint64_t a) {
        uint64_t v;
        __builtin_memcpy(&v, reinterpret_cast<const void*>(a), 8);
        return int64_t(v);
    };
    const uint32_t wrapping = uint32_t(_mm256_movemask_pd(_mm256_castsi256_pd(Wide(_mm256_and_si256(wraps, live), high))));
    if (wrapping == 0) return _mm256_setr_epi64x(load(at[0]), load(at[1]), load(at[2]), load(at[3]));
    // The wrapping lanes one texel at a time: a 64-bit read past a row's end
    // could leave the level. Small levels wrap often, and a gather costs more
    // than these loads.
    alignas(32) uint64_t texel[4], rowStart[4];
    _mm256_store_si256(reinterpret_cast<V*>(texel), address);
    _mm256_store_si256(reinterpret_cast<V*>(rowStart), _mm256_sub_epi64(address, Wide(_mm256_slli_epi32(x0, 2), high)));
    auto load32 = [](uint64_t a) {
        uint32_t v;
        __builtin_memcpy(&v, reinterpret_cast<const void*>(a), 4);
        return uint64_t(v);
    };
    int64_t pair[4];
    for (int j = 0; j < 4; ++j)
        pair[j] = (wrapping >> j & 1) ? int64_t(load32(texel[j]) | load32(rowStart[j]) << 32) : load(at[j]);
    return _mm256_setr_epi64x(pair[0], pair[1], pair[2], pair[3]);
}

// The texel pairs at four byte offsets into a level.
SHADE_INLINE V DirectPairs(const uint8_t* bits, const int32_t* at) {
    auto two = [&](int j) {
        const __m128i first = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bits + at[j]));
        return _mm_castpd_si128(_mm_loadh_pd(_mm_castsi128_pd(first), reinterpret_cast<const double*>(bits + at[j + 1])));
    };
    return _mm256_inserti128_si256(_mm256_castsi128_si256(two(0)), two(2), 1);
}

// Eight pixels are shaded as four pairs, (0, 2), (1, 3), (4, 6) and (5, 7):
// pair k is the first or `second` pixel of each half of the gathers' k / 2.
// A per-pixel value is put in pair order once, pixels 0, 1, 4, 5 in the low
// half and 2, 3, 6, 7 in the high; lane k of each half then spreads over the
// half for pair k (its first pixel's value low, the other's high) by an
// in-lane shuffle.
SHADE_INLINE V PairOrder(V perPixel) {
    return _mm256_permutevar8x32_epi32(perPixel, _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7));
}

SHADE_INLINE V Spread(V paired, int k) {
    switch (k) {
    case 0: return _mm256_shuffle_epi32(paired, 0x00);
    case 1: return _mm256_shuffle_epi32(paired, 0x55);
    case 2: return _mm256_shuffle_epi32(paired, 0xAA);
    default: return _mm256_shuffle_epi32(paired, 0xFF);
    }
}

// From two texels a 64-bit lane (the first or second lane of each half),
// the channels of that half's pixel as (first, second) 16-bit pairs for
// madd: b, g, r, a.
#define SHADE_PAIR_ORDER(o)                                                                                          \
    o, -1, o + 4, -1, o + 1, -1, o + 5, -1, o + 2, -1, o + 6, -1, o + 3, -1, o + 7, -1, o, -1, o + 4, -1, o + 1, -1, \
        o + 5, -1, o + 2, -1, o + 6, -1, o + 3, -1, o + 7, -1
alignas(32) constexpr int8_t kChannelPairOrder[2][32] = {{SHADE_PAIR_ORDER(0)}, {SHADE_PAIR_ORDER(8)}};
#undef SHADE_PAIR_ORDER

SHADE_INLINE V ChannelPairs(V pairs, int second) {
    return _mm256_shuffle_epi8(pairs, _mm256_load_si256(reinterpret_cast<const V*>(kChannelPairOrder[second])));
}

// The packed colour of each half's pixel as four channel lanes b, g, r, a.
SHADE_INLINE V ChannelLanes(V packed) {
    const V order = _mm256_setr_epi8(0, -1, -1, -1, 1, -1, -1, -1, 2, -1, -1, -1, 3, -1, -1, -1, 0, -1, -1, -1, 1, -1,
                                     -1, -1, 2, -1, -1, -1, 3, -1, -1, -1);
    return _mm256_shuffle_epi8(packed, order);
}

// Eight pixels' bilinear samples on one level, as the four pairs.
struct PairSamples {
    V pair[4];
};

// With kPairs 2 only the first gather's pairs (pixels 0 to 3) are sampled;
// the others are left unset.
template <int kPairs>
SHADE_INLINE PairSamples SampleLevel(const SceneShadeSetup& s, const LevelLanes& l, const int32_t* fu, const int32_t* fv, V live) {
    const V u = _mm256_loadu_si256(reinterpret_cast<const V*>(fu));
    const V v = _mm256_loadu_si256(reinterpret_cast<const V*>(fv));
    const V tx = _mm256_srai_epi32(u, 8), ty = _mm256_srai_epi32(v, 8);
    const V fx = _mm256_and_si256(u, Splat(255)), fy = _mm256_and_si256(v, Splat(255));
    const V x0 = _mm256_and_si256(tx, l.widthMask);
    const V y0 = _mm256_and_si256(ty, l.heightMask);
    const V y1 = _mm256_and_si256(_mm256_add_epi32(ty, Splat(1)), l.heightMask);
    const V column = _mm256_slli_epi32(x0, 2);
    const V top = _mm256_add_epi32(_mm256_mullo_epi32(y0, l.pitch), column);
    const V bottom = _mm256_add_epi32(_mm256_mullo_epi32(y1, l.pitch), column);
    const V wraps = _mm256_cmpeq_epi32(x0, l.widthMask);
    const V wx = _mm256_or_si256(_mm256_sub_epi32(Splat(256), fx), _mm256_slli_epi32(fx, 16));
    const V wxPaired = PairOrder(wx), fyPaired = PairOrder(fy);
    // With one level and no lane at a row's end, every lane (dead ones too:
    // their coordinates are masked as well) reads its pairs straight from
    // the level by 32-bit offsets.
    const bool direct = l.uniform != nullptr && _mm256_testz_si256(wraps, wraps);
    alignas(32) int32_t topAt[8], bottomAt[8];
    if (direct) {
        _mm256_store_si256(reinterpret_cast<V*>(topAt), top);
        _mm256_store_si256(reinterpret_cast<V*>(bottomAt), bottom);
    }
    PairSamples out;
    _Pragma("GCC unroll 4") for (int high = 0; high < kPairs / 2; ++high) {
        V rowTop, rowBottom;
        if (direct) {
            rowTop = DirectPairs(l.uniform, topAt + 4 * high);
            rowBottom = DirectPairs(l.uniform, bottomAt + 4 * high);
        } else {
            rowTop = TexelPairs(l, top, x0, live, wraps, high);
            rowBottom = TexelPairs(l, bottom, x0, live, wraps, high);
        }
        if (s.opaqueTexels) {
            rowTop = _mm256_or_si256(rowTop, Splat(int32_t(0xFF000000u)));
            rowBottom = _mm256_or_si256(rowBottom, Splat(int32_t(0xFF000000u)));
        }
        _Pragma("GCC unroll 4") for (int second = 0; second < 2; ++second) {
            const int k = 2 * high + second;
            const V w = Spread(wxPaired, k);
            const V sumTop = _mm256_madd_epi16(ChannelPairs(rowTop, second), w);
            const V sumBottom = _mm256_madd_epi16(ChannelPairs(rowBottom, second), w);
            // top * (256 - fy) + bottom * fy with one product.
            const V sum = _mm256_add_epi32(
                _mm256_add_epi32(_mm256_slli_epi32(sumTop, 8), _mm256_mullo_epi32(_mm256_sub_epi32(sumBottom, sumTop), Spread(fyPaired, k))),
                Splat(32768));
            out.pair[k] = _mm256_srli_epi32(sum, 16);
        }
    }
    return out;
}

// near toward far by weight / 256, as MixLanes.
SHADE_INLINE V MixPairs(V near, V far, V weights) {
    const V sum = _mm256_madd_epi16(_mm256_or_si256(near, _mm256_slli_epi32(far, 16)), weights);
    return _mm256_srli_epi32(_mm256_add_epi32(sum, Splat(128)), 8);
}

// round(t * d / 255) a lane, as ProductLanes.
SHADE_INLINE V ProductPairs(V t, V d) {
    const V x = _mm256_add_epi32(_mm256_madd_epi16(t, d), Splat(128));
    return _mm256_srli_epi32(_mm256_add_epi32(x, _mm256_srli_epi32(x, 8)), 8);
}

// ScaledProductLanes on pairs: t d doubled where `doubled` is set and again
// where `quadrupled` is, held at 65152, then rounded / 255.
SHADE_INLINE V ScaledProductPairs(V t, V d, V doubled, V quadrupled) {
    V x = _mm256_madd_epi16(t, d);
    x = _mm256_add_epi32(x, _mm256_and_si256(x, doubled));
    x = _mm256_add_epi32(x, _mm256_and_si256(x, quadrupled));
    x = _mm256_add_epi32(_mm256_min_epi32(x, Splat(65152)), Splat(128));
    return _mm256_srli_epi32(_mm256_add_epi32(x, _mm256_srli_epi32(x, 8)), 8);
}

SHADE_INLINE V ChannelMask(bool colour, bool alpha) {
    const int c = colour ? -1 : 0, a = alpha ? -1 : 0;
    return _mm256_setr_epi32(c, c, c, a, c, c, c, a);
}

SHADE_INLINE V ModeMask(const SceneShadeSetup& s, int mode) {
    const int c = s.colourMode == mode ? -1 : 0, a = s.alphaMode == mode ? -1 : 0;
    return _mm256_setr_epi32(c, c, c, a, c, c, c, a);
}

// The four pairs packed back into eight pixels in order.
SHADE_INLINE V PackPairs(const V pair[4]) {
    const V low = _mm256_packus_epi32(pair[0], pair[1]);   // 0, 1 | 2, 3
    const V high = _mm256_packus_epi32(pair[2], pair[3]);  // 4, 5 | 6, 7
    return _mm256_permutevar8x32_epi32(_mm256_packus_epi16(low, high), _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7));
}

SHADE_INLINE void WriteDepths(const SceneShadeSetup& s, const uint32_t* depth, uint8_t* out, V live, uint32_t bits) {
    const V z = _mm256_loadu_si256(reinterpret_cast<const V*>(depth));
    if (s.depthBytes == 4) {
        int* p = reinterpret_cast<int*>(out);
        V value = z;
        if (s.depthShifted) {
            const V kept = _mm256_and_si256(_mm256_maskload_epi32(p, live), Splat(0xFF));
            value = _mm256_or_si256(_mm256_slli_epi32(z, 8), kept);
        }
        _mm256_maskstore_epi32(p, live, value);
        return;
    }
    for (; bits != 0; bits &= bits - 1) {
        const int i = __builtin_ctz(bits);
        const uint16_t value = uint16_t(depth[i]);
        __builtin_memcpy(out + 2 * i, &value, 2);
    }
}

// Pixels i to i + 7 of the run, those of `bits` written; with kPairs 2 the
// live pixels are among the first four, and the pairs of the other four
// are not worked out at all.
template <int kPairs>
SHADE_INLINE void ShadeEight(const SceneShadeSetup& s, const SceneRun& run, int i, uint32_t bits, uint32_t* row, uint8_t* depthRow) {
    const V live = LiveLanes(bits);
    const LevelLanes nearLevel = s.mip ? LevelsOf(s, run.level + i, live) : UniformLevel(s.levels[0]);
    PairSamples texel = SampleLevel<kPairs>(s, nearLevel, run.fu + i, run.fv + i, live);
    if (s.mip) {
        const V weight = _mm256_loadu_si256(reinterpret_cast<const V*>(run.weight + i));
        const V mixed = _mm256_and_si256(live, _mm256_xor_si256(_mm256_cmpeq_epi32(weight, _mm256_setzero_si256()), Splat(-1)));
        if (!_mm256_testz_si256(mixed, mixed)) {
            const LevelLanes farLevel = LevelsOf(s, run.nextLevel + i, live);
            const PairSamples far = SampleLevel<kPairs>(s, farLevel, run.fuNext + i, run.fvNext + i, live);
            const V weights = _mm256_or_si256(_mm256_sub_epi32(Splat(256), weight), _mm256_slli_epi32(weight, 16));
            const V weightsPaired = PairOrder(weights);
            _Pragma("GCC unroll 4") for (int k = 0; k < kPairs; ++k)
                texel.pair[k] = MixPairs(texel.pair[k], far.pair[k], Spread(weightsPaired, k));
        }
    }
    const V diffuse = _mm256_loadu_si256(reinterpret_cast<const V*>(run.diffuse + i));
    const V diffusePaired = PairOrder(diffuse);
    const V fromTexture = ModeMask(s, kTextureOnly), fromDiffuse = ModeMask(s, kDiffuseOnly),
            product = ModeMask(s, kProduct);
    const bool modulates = s.colourMode == kProduct && s.alphaMode == kProduct;  // the most common stage: no selects
    const bool scaled = s.colourScale > 1 || s.alphaScale > 1;
    const V doubled = ChannelMask(s.colourScale > 1, s.alphaScale > 1);
    const V quadrupled = ChannelMask(s.colourScale == 4, s.alphaScale == 4);
    V colour[4] = {_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256()};
    _Pragma("GCC unroll 4") for (int k = 0; k < kPairs; ++k) {
        const V t = texel.pair[k], d = ChannelLanes(Spread(diffusePaired, k));
        const V times = scaled ? ScaledProductPairs(t, d, doubled, quadrupled) : ProductPairs(t, d);
        if (modulates) colour[k] = times;
        else
            colour[k] = _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(fromTexture, t), _mm256_and_si256(fromDiffuse, d)),
                                        _mm256_and_si256(product, times));
    }
    V packed = PackPairs(colour);
    if (s.xTarget) packed = _mm256_or_si256(packed, Splat(int32_t(0xFF000000u)));
    if (s.depthBytes != 0) WriteDepths(s, run.depth + i, depthRow + i * s.depthBytes, live, bits);
    _mm256_maskstore_epi32(reinterpret_cast<int*>(row + i), live, packed);
}

}  // namespace

uint32_t DepthPassesAvx2(const uint32_t* depth, const uint8_t* stored, int n, bool shifted, bool less, bool equal,
                         bool greater) {
    const V sign = Splat(int32_t(0x80000000u));  // unsigned order by signed compares
    const V lessMask = Splat(less ? -1 : 0), equalMask = Splat(equal ? -1 : 0), greaterMask = Splat(greater ? -1 : 0);
    uint32_t passing = 0;
    for (int i = 0; i < n; i += 8) {
        const V live = LiveLanes(n - i >= 8 ? 0xFFu : (1u << (n - i)) - 1);
        V old = _mm256_maskload_epi32(reinterpret_cast<const int*>(stored + 4 * i), live);
        if (shifted) old = _mm256_srli_epi32(old, 8);
        const V value = _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const V*>(depth + i)), sign);
        old = _mm256_xor_si256(old, sign);
        const V passes = _mm256_or_si256(
            _mm256_or_si256(_mm256_and_si256(lessMask, _mm256_cmpgt_epi32(old, value)),
                            _mm256_and_si256(equalMask, _mm256_cmpeq_epi32(old, value))),
            _mm256_and_si256(greaterMask, _mm256_cmpgt_epi32(value, old)));
        passing |= (BitsOf(_mm256_and_si256(passes, live))) << i;
    }
    return passing;
}

void ShadeSceneRunAvx2(const SceneShadeSetup& setup, const SceneRun& run, int start, int n, uint32_t passing,
                       uint32_t* row, uint8_t* depthRow) {
    for (int i = 0; i < n; i += 8) {
        const uint32_t bits = (passing >> i) & 0xFF;
        if (bits == 0) continue;
        uint8_t* depth = depthRow ? depthRow + start * setup.depthBytes : nullptr;
        // Short spans, and the ends of longer ones, often have no pixel past
        // the fourth: half the work.
        if ((bits & 0xF0) == 0) ShadeEight<2>(setup, run, i, bits, row + start, depth);
        else ShadeEight<4>(setup, run, i, bits, row + start, depth);
    }
}

}  // namespace raster::fast

#endif
