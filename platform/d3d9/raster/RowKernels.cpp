// Choosing the row kernels, and the portable scalar build of them.
#include "d3d9/raster/RowKernels.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "d3d9/raster/PixelBlend.h"
#include "d3d9/raster/TexelFormats.h"

namespace raster {

namespace {

template <int Mode, bool XTarget>
void BlendRowScalar(uint32_t* dst, const uint32_t* src, int n) {
    for (int i = 0; i < n; ++i) StorePixel<Mode, XTarget>(dst + i, src[i]);
}

void ShadeRowScalar(uint32_t* out, const uint32_t* in, int n, const FlatShade& s) {
    for (int i = 0; i < n; ++i) {
        uint32_t c = 0;
        for (int shift = 0; shift < 32; shift += 8)
            c |= uint32_t(MulRound(int32_t((in[i] >> shift) & 255), int32_t((s.factor >> shift) & 255))) << shift;
        out[i] = (c & s.keep) | s.constant;
    }
}

// The stage's own arithmetic per channel: MulRound, or ScaledProduct for
// the scaled channels.
void ShadeScaledRowScalar(uint32_t* out, const uint32_t* in, int n, const FlatShade& s) {
    for (int i = 0; i < n; ++i) {
        uint32_t c = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const int32_t t = int32_t((in[i] >> shift) & 255), f = int32_t((s.factor >> shift) & 255);
            const int32_t scale = (s.quadrupled >> shift) & 1 ? 4 : ((s.doubled >> shift) & 1 ? 2 : 1);
            c |= uint32_t(scale == 1 ? MulRound(t, f) : ScaledProduct(t, f, scale)) << shift;
        }
        out[i] = (c & s.keep) | s.constant;
    }
}

void AlphaTestedRowScalar(uint32_t* dst, const uint32_t* blended, const uint32_t* src, int n,
                          const AlphaTestMasks& test) {
    for (int i = 0; i < n; ++i)
        if (test.Passes(src[i] >> 24)) dst[i] = blended[i];
}

void DecodeA4R4G4B4Scalar(uint32_t* out, const uint8_t* in, int n) {
    for (int i = 0; i < n; ++i) out[i] = DecodeA4R4G4B4(Load16(in + 2 * i));
}

template <int Mode>
constexpr BlendRowFn kScalarBlend[2] = {&BlendRowScalar<Mode, false>, &BlendRowScalar<Mode, true>};

constexpr RowKernels kScalar = {
    {{kScalarBlend<kOpaqueBlend>[0], kScalarBlend<kOpaqueBlend>[1]},
     {kScalarBlend<kSourceAlphaBlend>[0], kScalarBlend<kSourceAlphaBlend>[1]},
     {kScalarBlend<kAdditiveBlend>[0], kScalarBlend<kAdditiveBlend>[1]},
     {kScalarBlend<kAdditiveAlphaBlend>[0], kScalarBlend<kAdditiveAlphaBlend>[1]},
     {kScalarBlend<kMultiplyBlend>[0], kScalarBlend<kMultiplyBlend>[1]}},
    &ShadeRowScalar,
    &ShadeScaledRowScalar,
    &DecodeA4R4G4B4Scalar,
    &AlphaTestedRowScalar,
};

SimdLevel BestSupported() {
    if (SimdLevelSupported(SimdLevel::kAvx2)) return SimdLevel::kAvx2;
    if (SimdLevelSupported(SimdLevel::kSse2)) return SimdLevel::kSse2;
    return SimdLevel::kScalar;
}

SimdLevel Supported(SimdLevel wanted) {
    while (!SimdLevelSupported(wanted)) wanted = SimdLevel(int(wanted) - 1);
    return wanted;
}

SimdLevel StartingLevel() {
    if (const char* asked = std::getenv("LUMIVA_RASTER_SIMD")) {
        if (std::strcmp(asked, "scalar") == 0) return SimdLevel::kScalar;
        if (std::strcmp(asked, "sse2") == 0) return Supported(SimdLevel::kSse2);
        if (std::strcmp(asked, "avx2") == 0) return Supported(SimdLevel::kAvx2);
    }
#ifdef LUMIVA_RASTER_SCALAR
    return SimdLevel::kScalar;
#else
    return BestSupported();
#endif
}

std::atomic<const RowKernels*> g_active{nullptr};
std::atomic<int> g_level{-1};

// The first use may come from several raster workers at once. The level is
// stored before the table it goes with is published, and the table is
// read only after its publication is acquired: a thread that finds a table
// another built sees all of it, and its level.
void Activate(SimdLevel level) {
    const RowKernels* table = &RowKernelsFor(level);
    g_level.store(int(level), std::memory_order_relaxed);
    g_active.store(table, std::memory_order_release);
}

}  // namespace

const RowKernels& ScalarRowKernels() { return kScalar; }

bool SimdLevelSupported(SimdLevel level) {
    switch (level) {
        case SimdLevel::kScalar: return true;
#if defined(__x86_64__)
        case SimdLevel::kSse2: return true;
        case SimdLevel::kAvx2: return __builtin_cpu_supports("avx2");
#endif
        default: return false;
    }
}

const RowKernels& RowKernelsFor(SimdLevel level) {
    switch (Supported(level)) {
#if defined(__x86_64__)
        case SimdLevel::kAvx2: return Avx2RowKernels();
        case SimdLevel::kSse2: return Sse2RowKernels();
#endif
        default: return kScalar;
    }
}

const RowKernels& ActiveRowKernels() {
    const RowKernels* k = g_active.load(std::memory_order_acquire);
    if (k) return *k;
    Activate(StartingLevel());
    return *g_active.load(std::memory_order_acquire);
}

SimdLevel ActiveSimdLevel() {
    ActiveRowKernels();
    return SimdLevel(g_level.load(std::memory_order_relaxed));
}

void SetSimdLevel(SimdLevel level) { Activate(Supported(level)); }

}  // namespace raster
