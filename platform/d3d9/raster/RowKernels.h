// Row operations of the specialised spans on runs of 32-bit ARGB pixels, in
// three builds: portable scalar, SSE2 (every x86-64 processor) and AVX2
// (chosen at run time where the processor has it). Every build computes
// exactly what the scalar one does; the scalar one is the fast blends'
// arithmetic of PixelBlend.h, pixel by pixel.
#pragma once

#include <cstddef>
#include <cstdint>

#include "d3d9/raster/PixelState.h"

namespace raster {

enum class SimdLevel : int { kScalar, kSse2, kAvx2 };

constexpr int kFastBlendCount = kMultiplyBlend + 1;

// A stage-0 result from a texel and one colour for the whole run: each
// channel is round(texel * factor / 255), then the channels outside `keep`
// are replaced by `constant`'s (a channel that selects the diffuse colour).
// A factor channel of 255 keeps the texel's channel as it is.
// The channels in `doubled` (MODULATE2X and MODULATE4X) are instead
// min(255, round(2 * texel * factor / 255)), those also in `quadrupled`
// (MODULATE4X) min(255, round(4 * texel * factor / 255)); only the
// shadeScaled kernel reads them.
struct FlatShade {
    uint32_t factor = 0xFFFFFFFFu;
    uint32_t keep = 0xFFFFFFFFu;
    uint32_t constant = 0;
    uint32_t doubled = 0, quadrupled = 0;
};

// Row functions. `n` may be any count, zero included. A blend's source and
// destination must not overlap; a shade may write over its input.
using BlendRowFn = void (*)(uint32_t* dst, const uint32_t* src, int n);
using ShadeRowFn = void (*)(uint32_t* out, const uint32_t* in, int n, const FlatShade& shade);
using DecodeRowFn = void (*)(uint32_t* out, const uint8_t* in, int n);
// The alpha test on a run: dst[i] becomes blended[i] where src[i]'s alpha
// passes `test`, and stays where it fails.
using TestedRowFn = void (*)(uint32_t* dst, const uint32_t* blended, const uint32_t* src, int n,
                             const AlphaTestMasks& test);

struct RowKernels {
    // By fast blend mode, then [0] an A target, [1] an X target (the
    // target's alpha byte reads and stays 255).
    BlendRowFn blend[kFastBlendCount][2];
    ShadeRowFn shade;
    ShadeRowFn shadeScaled;  // shade with the scaled channels of FlatShade
    DecodeRowFn decodeA4R4G4B4;  // 16-bit texels to ARGB, as FetchTexel decodes them
    TestedRowFn alphaTested;
};

const RowKernels& RowKernelsFor(SimdLevel level);

// The kernels the spans use. The level starts as the environment variable
// LUMIVA_RASTER_SIMD asks ("scalar", "sse2", "avx2"), else as the build
// option LUMIVA_RASTER_SCALAR asks, else the best the processor runs.
const RowKernels& ActiveRowKernels();
SimdLevel ActiveSimdLevel();
bool SimdLevelSupported(SimdLevel level);
// For tests and benchmarks; a level the processor lacks is lowered to one it has.
void SetSimdLevel(SimdLevel level);

#if defined(__x86_64__)
// out[i] = source[columns[i]] | alpha for i < n, columns non-decreasing and
// each below sourceCount (the pixels the source row holds). For a
// processor with AVX2 only.
void StretchRowAvx2(const uint32_t* source, size_t sourceCount, const uint32_t* columns, size_t n, uint32_t alpha,
                    uint32_t* out);
#endif

// The per-level tables, each in its own file so only it is built for its
// instruction set.
const RowKernels& ScalarRowKernels();
const RowKernels& Sse2RowKernels();
const RowKernels& Avx2RowKernels();

}  // namespace raster
