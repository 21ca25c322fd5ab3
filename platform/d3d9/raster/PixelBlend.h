// The fast blends' arithmetic on packed ARGB pixels, shared by the
// specialised spans and the scalar row kernels. Each gives exactly what the
// general blend gives for its factors.
#pragma once

#include <cstdint>

#include "d3d9/raster/Combiner.h"
#include "d3d9/raster/PixelState.h"

// Per-pixel helpers must inline into the span loops.
#define LUMIVA_HOT inline __attribute__((always_inline))

namespace raster {

// round(x / 255) in both 16-bit lanes of x at once; exact for lanes up to
// 255 * 255, the same value Div255Round gives.
LUMIVA_HOT uint32_t Div255RoundPair(uint32_t x) {
    x += 0x00800080u;
    return ((x + ((x >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

// Source-alpha blending: the general blend's arithmetic, two channels per
// operation.
LUMIVA_HOT uint32_t AlphaBlend(uint32_t src, uint32_t dst) {
    const uint32_t a = src >> 24, ia = 255 - a;
    // The arithmetic gives exactly these at the ends, where sprites spend
    // most of their texels.
    if (a == 0) return dst;
    if (a == 255) return src;
    const uint32_t rb = Div255RoundPair((src & 0x00FF00FFu) * a + (dst & 0x00FF00FFu) * ia);
    const uint32_t ag = Div255RoundPair(((src >> 8) & 0x00FF00FFu) * a + ((dst >> 8) & 0x00FF00FFu) * ia);
    return rb | (ag << 8);
}

// Both 16-bit lanes of x, each at most 510, saturated to 255.
LUMIVA_HOT uint32_t SaturatePair(uint32_t x) {
    const uint32_t over = (x & 0x01000100u) >> 8;
    return (x | (over * 0xFF)) & 0x00FF00FFu;
}

// ONE / ONE: the sum, saturated.
LUMIVA_HOT uint32_t AddBlend(uint32_t src, uint32_t dst) {
    const uint32_t rb = SaturatePair((src & 0x00FF00FFu) + (dst & 0x00FF00FFu));
    const uint32_t ag = SaturatePair(((src >> 8) & 0x00FF00FFu) + ((dst >> 8) & 0x00FF00FFu));
    return rb | (ag << 8);
}

// SRCALPHA / ONE: round(s * a / 255) + d, saturated; the general blend's
// round((s * a + d * 255) / 255) is the same number.
LUMIVA_HOT uint32_t AddAlphaBlend(uint32_t src, uint32_t dst) {
    const uint32_t a = src >> 24;
    const uint32_t rb = SaturatePair(Div255RoundPair((src & 0x00FF00FFu) * a) + (dst & 0x00FF00FFu));
    const uint32_t ag = SaturatePair(Div255RoundPair(((src >> 8) & 0x00FF00FFu) * a) + ((dst >> 8) & 0x00FF00FFu));
    return rb | (ag << 8);
}

// The destination times the source, channel by channel.
LUMIVA_HOT uint32_t MultiplyBlend(uint32_t src, uint32_t dst) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= uint32_t(MulRound(int32_t((src >> shift) & 255), int32_t((dst >> shift) & 255))) << shift;
    return out;
}

template <int Mode>
LUMIVA_HOT uint32_t BlendWith(uint32_t src, uint32_t dst) {
    if constexpr (Mode == kSourceAlphaBlend) return AlphaBlend(src, dst);
    else if constexpr (Mode == kAdditiveBlend) return AddBlend(src, dst);
    else if constexpr (Mode == kAdditiveAlphaBlend) return AddAlphaBlend(src, dst);
    else if constexpr (Mode == kMultiplyBlend) return MultiplyBlend(src, dst);
    else return src;
}

LUMIVA_HOT uint32_t BlendWithMode(int mode, uint32_t src, uint32_t dst) {
    switch (mode) {
        case kSourceAlphaBlend: return AlphaBlend(src, dst);
        case kAdditiveBlend: return AddBlend(src, dst);
        case kAdditiveAlphaBlend: return AddAlphaBlend(src, dst);
        case kMultiplyBlend: return MultiplyBlend(src, dst);
        default: return src;
    }
}

template <int Mode, bool XTarget>
LUMIVA_HOT void StorePixel(uint32_t* p, uint32_t colour) {
    if constexpr (Mode != kOpaqueBlend) colour = BlendWith<Mode>(colour, XTarget ? (*p | 0xFF000000u) : *p);
    if constexpr (XTarget) colour |= 0xFF000000u;
    *p = colour;
}

}  // namespace raster
