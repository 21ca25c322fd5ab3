// The scene run on AVX2: four pixels a step. Built with -mavx2 (see
// CMakeLists.txt) and reached only when the processor reports AVX2, so
// nothing here may be shared with other files' code: the lanes are a type
// of this file alone.
#include "d3d9/raster/SceneRunLanes.h"

#if defined(__x86_64__)

namespace raster::fast {

namespace {

struct Avx2 {
    using D = __m256d;
    static constexpr int kLanes = 4;
    static D Splat(double v) { return _mm256_set1_pd(v); }
    static D SplatBits(uint64_t bits) { return _mm256_castsi256_pd(_mm256_set1_epi64x(int64_t(bits))); }
    static D Iota(int start) {
        const double s = double(start);
        return _mm256_add_pd(_mm256_set1_pd(s), _mm256_setr_pd(0.0, 1.0, 2.0, 3.0));
    }
    static D Add(D a, D b) { return _mm256_add_pd(a, b); }
    static D Sub(D a, D b) { return _mm256_sub_pd(a, b); }
    static D Mul(D a, D b) { return _mm256_mul_pd(a, b); }
    static D Div(D a, D b) { return _mm256_div_pd(a, b); }
    static D Min(D a, D b) { return _mm256_min_pd(a, b); }
    static D Max(D a, D b) { return _mm256_max_pd(a, b); }
    static D And(D a, D b) { return _mm256_and_pd(a, b); }
    static D Or(D a, D b) { return _mm256_or_pd(a, b); }
    static D AndNot(D mask, D b) { return _mm256_andnot_pd(mask, b); }
    static D CmpGt(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_GT_OS); }
    static int MoveMask(D mask) { return _mm256_movemask_pd(mask); }
    static D Load(const double* p) { return _mm256_loadu_pd(p); }
    static void Store(double* p, D v) { _mm256_storeu_pd(p, v); }
    static D Gather(const double* table, const int32_t* index) {
        return _mm256_setr_pd(table[index[0]], table[index[1]], table[index[2]], table[index[3]]);
    }
    static __m128i Trunc(D v) { return _mm256_cvttpd_epi32(v); }
    static D FromInt(__m128i v) { return _mm256_cvtepi32_pd(v); }
    static __m128i Words(D v, int odd) {
        const __m256i order = _mm256_setr_epi32(odd, 2 + odd, 4 + odd, 6 + odd, 0, 0, 0, 0);
        return _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(_mm256_castpd_si256(v), order));
    }
    static __m128i MaskLanes(D mask) { return Words(mask, 0); }
    static __m128i HighWords(D v) { return Words(v, 1); }
    static void StoreInts(int32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
};

}  // namespace

void ComputeSceneDepthsAvx2(const SceneRunSetup& s, int start, int n, uint32_t* out, double scale) {
    RunLanes<Avx2>::ComputeDepths(s, start, n, out, scale);
}

void ComputeSceneRunAvx2(const SceneRunSetup& s, const SceneMipSetup* mip, int start, int n, SceneRun& out,
                         double* rho2, double* approxLog2) {
    RunLanes<Avx2>::Compute(s, mip, start, n, out, rho2, approxLog2);
}

bool PickLevelsAvx2(const SceneMipSetup& s, int n, const double* rho2, const double* approxLog2, SceneRun& out) {
    return RunLanes<Avx2>::PickLevels(s, n, rho2, approxLog2, out);
}

void LevelTexelsAvx2(const SceneMipSetup& s, int n, SceneRun& out) { RunLanes<Avx2>::LevelTexels(s, n, out); }

}  // namespace raster::fast

#endif
