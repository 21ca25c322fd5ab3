// Texture-stage arithmetic on 8-bit channels. Each operation rounds its exact
// result to the nearest level and saturates, as the stage registers hold 8
// bits; the fast spans call the same functions.
#pragma once

#include <algorithm>
#include <cstdint>

namespace raster {

struct Rgba {
    int32_t r = 0, g = 0, b = 0, a = 0;
};

inline Rgba Unpack(uint32_t argb) {
    return Rgba{int32_t((argb >> 16) & 255), int32_t((argb >> 8) & 255), int32_t(argb & 255), int32_t(argb >> 24)};
}
inline uint32_t Pack(const Rgba& c) {
    return (uint32_t(c.a) << 24) | (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | uint32_t(c.b);
}

inline int32_t Saturate(int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }
// round(v / 255) for v >= 0; never a tie, 255 being odd.
inline int32_t Div255Round(int32_t v) { return (2 * v + 255) / 510; }
// round(a * b / 255) for a, b in 0..255, without a division.
inline int32_t MulRound(int32_t a, int32_t b) {
    const int32_t x = a * b + 128;
    return (x + (x >> 8)) >> 8;
}
inline int32_t ScaledProduct(int32_t a, int32_t b, int32_t scale) { return std::min(255, Div255Round(a * b * scale)); }
// a * f + b * (1 - f) with f in 0..255.
inline int32_t LerpRound(int32_t a, int32_t b, int32_t f) { return Div255Round(a * f + b * (255 - f)); }

// One channel of an operation; alphas are the blend sources some ops need.
struct OpInputs {
    int32_t arg0, arg1, arg2;
    int32_t diffuseAlpha, textureAlpha, factorAlpha, currentAlpha;
};

int32_t CombineChannel(uint32_t op, const OpInputs& in);

// DOTPRODUCT3: the arguments' colours as signed vectors (0 is -1, 255 is 1),
// their dot product saturated: 4 * sum((a - 0.5) * (b - 0.5)) in units.
inline int32_t DotProduct3(const Rgba& a, const Rgba& b) {
    const int32_t sum = (2 * a.r - 255) * (2 * b.r - 255) + (2 * a.g - 255) * (2 * b.g - 255) +
                        (2 * a.b - 255) * (2 * b.b - 255);
    return sum <= 0 ? 0 : std::min(255, Div255Round(sum));
}

// The D3DTEXOPCAPS bits of the operations CombineChannel and the stage
// combiner carry out; the device's caps advertise exactly these.
uint32_t ImplementedTextureOpCaps();

}  // namespace raster
