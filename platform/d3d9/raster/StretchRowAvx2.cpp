// A nearest-texel row stretch on AVX2, eight pixels a step. Built with
// -mavx2 (see CMakeLists.txt) and reached only when the processor reports
// AVX2.
#include "d3d9/raster/RowKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <cstring>

namespace raster {

void StretchRowAvx2(const uint32_t* source, size_t sourceCount, const uint32_t* columns, size_t n, uint32_t alpha,
                    uint32_t* out) {
    const __m256i alphas = _mm256_set1_epi32(int32_t(alpha));
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const uint32_t first = columns[i];
        // Eight pixels that read from eight source pixels in a row (an
        // enlargement, or a slight reduction) take one load and a permute.
        if (columns[i + 7] - first < 8 && size_t(first) + 8 <= sourceCount) {
            const __m256i at = _mm256_sub_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(columns + i)),
                                                _mm256_set1_epi32(int32_t(first)));
            const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + first));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                                _mm256_or_si256(_mm256_permutevar8x32_epi32(pixels, at), alphas));
            continue;
        }
        for (size_t k = i; k < i + 8; ++k) out[k] = source[columns[k]] | alpha;
    }
    for (; i < n; ++i) out[i] = source[columns[i]] | alpha;
}

}  // namespace raster

#endif
