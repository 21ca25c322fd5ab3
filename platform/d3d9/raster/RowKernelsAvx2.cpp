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
    static Reg Lo8(Reg a, Reg b) { return _mm256_unpacklo_epi8(a, b); }
    static Reg Hi8(Reg a, Reg b) { return _mm256_unpackhi_epi8(a, b); }
    static Reg PackUs16(Reg a, Reg b) { return _mm256_packus_epi16(a, b); }
    static Reg MulHi16(Reg a, Reg b) { return _mm256_mulhi_epu16(a, b); }
    static Reg AlphaWords(Reg a) { return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(a, 0xFF), 0xFF); }
    // Each pixel's alpha byte moved into the four 16-bit lanes of its
    // widened form (zero high bytes), straight from the packed pixels.
    static void AlphaWordsOfHalves(Reg pixels, Reg& lo, Reg& hi) {
        const int8_t o = -128;  // a zero byte
        lo = _mm256_shuffle_epi8(pixels, _mm256_setr_epi8(3, o, 3, o, 3, o, 3, o, 7, o, 7, o, 7, o, 7, o, 3, o, 3, o, 3,
                                                          o, 3, o, 7, o, 7, o, 7, o, 7, o));
        hi = _mm256_shuffle_epi8(pixels, _mm256_setr_epi8(11, o, 11, o, 11, o, 11, o, 15, o, 15, o, 15, o, 15, o, 11, o,
                                                          11, o, 11, o, 11, o, 15, o, 15, o, 15, o, 15, o));
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
