// The row kernels on SSE2, which every x86-64 processor has.
#include "d3d9/raster/RowKernels.h"

#if defined(__x86_64__)

#include <emmintrin.h>

#include "d3d9/raster/RowKernelsSimd.h"

namespace raster {

namespace {

struct Sse2 {
    using Reg = __m128i;
    static constexpr int kPixels = 4;
    static Reg Load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static Reg LoadHalf(const uint8_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); }
    static void Store(uint32_t* p, Reg v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    static Reg Zero() { return _mm_setzero_si128(); }
    static Reg Set16(int v) { return _mm_set1_epi16(int16_t(v)); }
    static Reg Set32(uint32_t v) { return _mm_set1_epi32(int32_t(v)); }
    static Reg Add16(Reg a, Reg b) { return _mm_add_epi16(a, b); }
    static Reg Sub16(Reg a, Reg b) { return _mm_sub_epi16(a, b); }
    static Reg Mul16(Reg a, Reg b) { return _mm_mullo_epi16(a, b); }
    static Reg Srl16(Reg a, int n) { return _mm_srli_epi16(a, n); }
    static Reg Sll16(Reg a, int n) { return _mm_slli_epi16(a, n); }
    static Reg Srl32(Reg a, int n) { return _mm_srli_epi32(a, n); }
    static Reg And(Reg a, Reg b) { return _mm_and_si128(a, b); }
    static Reg Or(Reg a, Reg b) { return _mm_or_si128(a, b); }
    static Reg AddSat8(Reg a, Reg b) { return _mm_adds_epu8(a, b); }
    static Reg AddSat16(Reg a, Reg b) { return _mm_adds_epu16(a, b); }
    static Reg SubSat16(Reg a, Reg b) { return _mm_subs_epu16(a, b); }
    static Reg CmpGt32(Reg a, Reg b) { return _mm_cmpgt_epi32(a, b); }
    static Reg CmpEq32(Reg a, Reg b) { return _mm_cmpeq_epi32(a, b); }
    static Reg AndNot(Reg a, Reg b) { return _mm_andnot_si128(a, b); }  // b without a's bits
    static Reg Lo8(Reg a, Reg b) { return _mm_unpacklo_epi8(a, b); }
    static Reg Hi8(Reg a, Reg b) { return _mm_unpackhi_epi8(a, b); }
    static Reg PackUs16(Reg a, Reg b) { return _mm_packus_epi16(a, b); }
    static Reg MulHi16(Reg a, Reg b) { return _mm_mulhi_epu16(a, b); }
    static Reg AlphaWords(Reg a) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(a, 0xFF), 0xFF); }
    // Each pixel's alpha in the four 16-bit lanes of its widened form, for
    // the low and the high pixels of a group.
    static void AlphaWordsOfHalves(Reg pixels, Reg& lo, Reg& hi) {
        const Reg z = Zero();
        lo = AlphaWords(Lo8(pixels, z));
        hi = AlphaWords(Hi8(pixels, z));
    }
    static bool AllEqual32(Reg a, Reg b) { return _mm_movemask_epi8(_mm_cmpeq_epi32(a, b)) == 0xFFFF; }
};

}  // namespace

const RowKernels& Sse2RowKernels() {
    static const RowKernels table = simd::Rows<Sse2>::Table();
    return table;
}

}  // namespace raster

#endif
