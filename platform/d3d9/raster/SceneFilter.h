// Bilinear filtering of four texels for the scene spans, in vector
// registers where the machine has them. The result is BilinearMix's to the
// bit: each channel round(sum(texel * weight) / 65536).
#pragma once

#include <cstdint>

#include "d3d9/raster/TextureSampler.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace raster::fast {

#if defined(__SSE2__)
// A texel's channels b, g, r, a as four 32-bit lanes, and back.
inline __attribute__((always_inline)) __m128i Lanes(uint32_t packed) {
    const __m128i zero = _mm_setzero_si128();
    return _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(packed)), zero), zero);
}

inline __attribute__((always_inline)) uint32_t Packed(__m128i lanes) {
    lanes = _mm_packs_epi32(lanes, lanes);
    return uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(lanes, lanes)));
}

// Each row's pair of texels mixed by fx in 16-bit lanes (at most 65280 a
// channel), then the rows by fy in single precision: every product and
// sum stays below 2^24, so the float arithmetic is exact.
inline __attribute__((always_inline)) __m128i BilinearLanes(uint32_t t00, uint32_t t10, uint32_t t01, uint32_t t11,
                                                            uint32_t fx, uint32_t fy) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i top = _mm_unpacklo_epi8(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(t00)), _mm_cvtsi32_si128(int(t10))), zero);
    const __m128i bottom =
        _mm_unpacklo_epi8(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(t01)), _mm_cvtsi32_si128(int(t11))), zero);
    const __m128i wx = _mm_set1_epi32(int((fx << 16) | (256 - fx)));
    const __m128 rowTop = _mm_cvtepi32_ps(_mm_madd_epi16(top, wx));
    const __m128 rowBottom = _mm_cvtepi32_ps(_mm_madd_epi16(bottom, wx));
    const __m128 sum = _mm_add_ps(_mm_add_ps(_mm_mul_ps(rowTop, _mm_set1_ps(float(256 - fy))),
                                             _mm_mul_ps(rowBottom, _mm_set1_ps(float(fy)))),
                                  _mm_set1_ps(32768.0f));
    return _mm_srli_epi32(_mm_cvttps_epi32(sum), 16);
}

inline __attribute__((always_inline)) uint32_t Bilinear(uint32_t t00, uint32_t t10, uint32_t t01, uint32_t t11,
                                                        uint32_t fx, uint32_t fy) {
    return Packed(BilinearLanes(t00, t10, t01, t11, fx, fy));
}

// BilinearMix(near, far, near, far, weight, 0): near toward far by
// weight / 256, round((near * (256 - weight) + far * weight) / 256).
inline __attribute__((always_inline)) __m128i MixLanes(__m128i near, __m128i far, uint32_t weight) {
    const __m128i pairs = _mm_or_si128(near, _mm_slli_epi32(far, 16));
    const __m128i sum = _mm_madd_epi16(pairs, _mm_set1_epi32(int((weight << 16) | (256 - weight))));
    return _mm_srli_epi32(_mm_add_epi32(sum, _mm_set1_epi32(128)), 8);
}

// MulRound of each lane: round(t * d / 255).
inline __attribute__((always_inline)) __m128i ProductLanes(__m128i t, __m128i d) {
    const __m128i x = _mm_add_epi32(_mm_madd_epi16(t, d), _mm_set1_epi32(128));
    return _mm_srli_epi32(_mm_add_epi32(x, _mm_srli_epi32(x, 8)), 8);
}
#else
inline uint32_t Bilinear(uint32_t t00, uint32_t t10, uint32_t t01, uint32_t t11, uint32_t fx, uint32_t fy) {
    return BilinearMix(t00, t10, t01, t11, fx, fy);
}
#endif

}  // namespace raster::fast
