// The row kernels on AVX2: eight pixels a step. Built with -mavx2 (see
// CMakeLists.txt) and reached only through the table when the processor
// reports AVX2, so nothing here may be shared with other files' code.
#include "d3d9/raster/RowKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include "d3d9/raster/RowKernelsSimd.h"

namespace raster {

namespace {

struct Avx2 {
    using Reg = __m256i;
    static constexpr int kPixels = 8;
    static Reg Load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    // Eight 16-bit texels, four in the low half of each 128-bit lane, where
    // the per-lane unpacks look.
    static Reg LoadHalf(const uint8_t* p) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        return _mm256_permute4x64_epi64(_mm256_castsi128_si256(v), 0x50);
    }
    static void Store(uint32_t* p, Reg v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
    static Reg Zero() { return _mm256_setzero_si256(); }
    static Reg Set16(int v) { return _mm256_set1_epi16(int16_t(v)); }
    static Reg Set32(uint32_t v) { return _mm256_set1_epi32(int32_t(v)); }
    static Reg Add16(Reg a, Reg b) { return _mm256_add_epi16(a, b); }
    static Reg Sub16(Reg a, Reg b) { return _mm256_sub_epi16(a, b); }
    static Reg Mul16(Reg a, Reg b) { return _mm256_mullo_epi16(a, b); }
    static Reg Srl16(Reg a, int n) { return _mm256_srli_epi16(a, n); }
    static Reg Sll16(Reg a, int n) { return _mm256_slli_epi16(a, n); }
    static Reg Srl32(Reg a, int n) { return _mm256_srli_epi32(a, n); }
    static Reg And(Reg a, Reg b) { return _mm256_and_si256(a, b); }
    static Reg Or(Reg a, Reg b) { return _mm256_or_si256(a, b); }
    static Reg AddSat8(Reg a, Reg b) { return _mm256_adds_epu8(a, b); }
    static Reg AddSat16(Reg a, Reg b) { return _mm256_adds_epu16(a, b); }
    static Reg SubSat16(Reg a, Reg b) { return _mm256_subs_epu16(a, b); }
    static Reg CmpGt32(Reg a, Reg b) { return _mm256_cmpgt_epi32(a, b); }
    static Reg CmpEq32(Reg a, Reg b) { return _mm256_cmpeq_epi32(a, b); }
    static Reg AndNot(Reg a, Reg b) { return _mm256_andnot_si256(a, b); }  // b without a's bits
    static Reg Lo8(Reg a, Reg b) { return _mm256_unpacklo_epi8(a, b); }
    static Reg Hi8(Reg a, Reg b) { return _mm256_unpackhi_epi8(a, b); }
    static Reg PackUs16(Reg a, Reg b) { return _mm256_packus_epi16(a, b); }
    static Reg MulHi16(Reg a, Reg b) { return _mm256_mulhi_epu16(a, b); }
    static Reg AlphaWords(Reg a) { return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(a, 0xFF), 0xFF); }
    // With colours biased to signed bytes, (s - 128) a + (d - 128) (255 - a)
    // = s a + d (255 - a) - 32640 lies inside 16 bits, so one multiply-add
    // of byte pairs gives it; adding 32768 (a flip of the top bit) makes it
    // x + 128 for the high-multiply division by 255.
    static Reg SourceAlphaMix(Reg s, Reg d) {
        const Reg bias = _mm256_set1_epi8(-128);
        const Reg sb = _mm256_xor_si256(s, bias), db = _mm256_xor_si256(d, bias);
        const Reg inverse = _mm256_xor_si256(s, _mm256_set1_epi8(-1));  // 255 - each byte
        const Reg pick = _mm256_setr_epi8(6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15, 6, 7, 6, 7, 6, 7, 6,
                                          7, 14, 15, 14, 15, 14, 15, 14, 15);
        auto half = [&](Reg sd, Reg alphas) {
            const Reg weights = _mm256_shuffle_epi8(alphas, pick);  // a, 255 - a per channel
            const Reg x = _mm256_xor_si256(_mm256_maddubs_epi16(weights, sd), _mm256_set1_epi16(int16_t(0x8000)));
            return _mm256_mulhi_epu16(x, _mm256_set1_epi16(257));
        };
        return _mm256_packus_epi16(half(_mm256_unpacklo_epi8(sb, db), _mm256_unpacklo_epi8(s, inverse)),
                                   half(_mm256_unpackhi_epi8(sb, db), _mm256_unpackhi_epi8(s, inverse)));
    }
    static bool AllEqual32(Reg a, Reg b) { return _mm256_movemask_epi8(_mm256_cmpeq_epi32(a, b)) == -1; }
};

}  // namespace

// Built on first use, after the dispatcher has seen AVX2 on the processor.
const RowKernels& Avx2RowKernels() {
    static const RowKernels table = simd::Rows<Avx2>::Table();
    return table;
}

}  // namespace raster

#endif
