// The vector row kernels, written once over a register type and built per
// instruction set: each including file supplies the register operations in
// its own anonymous namespace and compiles with its own target flags, so no
// instantiation of one set is shared with another (an AVX2 body must never
// stand in for an SSE2 one on a processor without AVX2).
//
// Pixels are widened to 16-bit lanes: every product and sum of the blends
// stays below 65536, so the 16-bit arithmetic is the scalar arithmetic.
#pragma once

#include <cstdint>
#include <cstring>

#include "d3d9/raster/RowKernels.h"

namespace raster::simd {

template <class V>
struct Rows {
    using R = typename V::Reg;
    static constexpr int kLanes = V::kPixels;

    // round(x / 255) in every 16-bit lane, as MulRound rounds: with
    // y = x + 128, (y + (y >> 8)) >> 8 equals (y * 257) >> 16 for every
    // y below 65536, and x is at most 255 * 255 here.
    static R Div255(R x) { return V::MulHi16(V::Add16(x, V::Set16(128)), V::Set16(257)); }
    static R Opaque(R x, bool xTarget) { return xTarget ? V::Or(x, V::Set32(0xFF000000u)) : x; }

    // Each group of kLanes pixels through `op`, the last partial group
    // through a padded copy so it runs the same arithmetic.
    template <class Op>
    static void ForGroups(uint32_t* dst, const uint32_t* src, int n, Op op) {
        int i = 0;
        for (; i + kLanes <= n; i += kLanes) op(dst + i, src + i);
        if (i == n) return;
        uint32_t d[kLanes] = {}, s[kLanes] = {};
        const size_t bytes = size_t(n - i) * 4;
        std::memcpy(d, dst + i, bytes);
        std::memcpy(s, src + i, bytes);
        op(d, s);
        std::memcpy(dst + i, d, bytes);
    }

    // Both halves of a group as 16-bit lanes, combined by `f`, packed back.
    template <class F>
    static R Widened(R a, R b, F f) {
        const R z = V::Zero();
        return V::PackUs16(f(V::Lo8(a, z), V::Lo8(b, z)), f(V::Hi8(a, z), V::Hi8(b, z)));
    }

    template <bool XTarget>
    static void Copy(uint32_t* dst, const uint32_t* src, int n) {
        ForGroups(dst, src, n, [](uint32_t* d, const uint32_t* s) { V::Store(d, Opaque(V::Load(s), XTarget)); });
    }

    // round((s a + d (255 - a)) / 255) per channel, a the source pixel's
    // alpha; the instruction set may have a shorter way.
    static R SourceAlphaMix(R sv, R dv) {
        if constexpr (requires { V::SourceAlphaMix(sv, dv); }) {
            return V::SourceAlphaMix(sv, dv);
        } else {
            const R z = V::Zero(), full = V::Set16(255);
            R aLo, aHi;
            V::AlphaWordsOfHalves(sv, aLo, aHi);
            auto blend = [&](R s16, R d16, R a) {
                return Div255(V::Add16(V::Mul16(s16, a), V::Mul16(d16, V::Sub16(full, a))));
            };
            return V::PackUs16(blend(V::Lo8(sv, z), V::Lo8(dv, z), aLo), blend(V::Hi8(sv, z), V::Hi8(dv, z), aHi));
        }
    }

    template <bool XTarget>
    static void SourceAlpha(uint32_t* dst, const uint32_t* src, int n) {
        ForGroups(dst, src, n, [](uint32_t* d, const uint32_t* s) {
            const R sv = V::Load(s);
            const R alpha = V::Srl32(sv, 24);
            if (V::AllEqual32(alpha, V::Zero())) {  // clear: the target stays
                if (XTarget) V::Store(d, Opaque(V::Load(d), true));
                return;
            }
            if (V::AllEqual32(alpha, V::Set32(255))) {
                V::Store(d, Opaque(sv, XTarget));
                return;
            }
            // Channels blend apart, so an X target's alpha byte can be set
            // on the result alone.
            V::Store(d, Opaque(SourceAlphaMix(sv, V::Load(d)), XTarget));
        });
    }

    template <bool XTarget>
    static void Additive(uint32_t* dst, const uint32_t* src, int n) {
        ForGroups(dst, src, n, [](uint32_t* d, const uint32_t* s) {
            V::Store(d, Opaque(V::AddSat8(V::Load(s), Opaque(V::Load(d), XTarget)), XTarget));
        });
    }

    template <bool XTarget>
    static void AdditiveAlpha(uint32_t* dst, const uint32_t* src, int n) {
        ForGroups(dst, src, n, [](uint32_t* d, const uint32_t* s) {
            const R sv = V::Load(s);
            const R scaled = Widened(sv, sv, [](R s16, R) { return Div255(V::Mul16(s16, V::AlphaWords(s16))); });
            V::Store(d, Opaque(V::AddSat8(scaled, Opaque(V::Load(d), XTarget)), XTarget));
        });
    }

    template <bool XTarget>
    static void Multiply(uint32_t* dst, const uint32_t* src, int n) {
        ForGroups(dst, src, n, [](uint32_t* d, const uint32_t* s) {
            const R out = Widened(V::Load(s), Opaque(V::Load(d), XTarget),
                                  [](R s16, R d16) { return Div255(V::Mul16(s16, d16)); });
            V::Store(d, Opaque(out, XTarget));
        });
    }

    // A flat shade whose channel products `product` makes from the texels'
    // and the factor's 16-bit lanes; the last partial group through a padded
    // copy.
    template <class Product>
    static void ShadeWith(uint32_t* out, const uint32_t* in, int n, const FlatShade& shade, Product product) {
        const R factor = V::Set32(shade.factor), keep = V::Set32(shade.keep), constant = V::Set32(shade.constant);
        auto group = [&](uint32_t* d, const uint32_t* s) {
            V::Store(d, V::Or(V::And(Widened(V::Load(s), factor, product), keep), constant));
        };
        int i = 0;
        for (; i + kLanes <= n; i += kLanes) group(out + i, in + i);
        if (i == n) return;
        uint32_t d[kLanes] = {}, s[kLanes] = {};
        std::memcpy(s, in + i, size_t(n - i) * 4);
        group(d, s);
        std::memcpy(out + i, d, size_t(n - i) * 4);
    }

    static void Shade(uint32_t* out, const uint32_t* in, int n, const FlatShade& shade) {
        ShadeWith(out, in, n, shade, [](R t16, R f16) { return Div255(V::Mul16(t16, f16)); });
    }

    // The scaled channels: the product t f (at most 65025) doubled once or
    // twice with unsigned saturation, then held at 65152, above which
    // round(x / 255) passes 255 and saturates anyway; Div255 is exact up to
    // there.
    static void ShadeScaled(uint32_t* out, const uint32_t* in, int n, const FlatShade& shade) {
        // Each channel's mask byte repeated over its 16-bit lane.
        const R twice = V::Lo8(V::Set32(shade.doubled), V::Set32(shade.doubled));
        const R four = V::Lo8(V::Set32(shade.quadrupled), V::Set32(shade.quadrupled));
        const R headroom = V::Set16(65535 - 65152);
        ShadeWith(out, in, n, shade, [=](R t16, R f16) {
            R x = V::Mul16(t16, f16);
            x = V::AddSat16(x, V::And(x, twice));
            x = V::AddSat16(x, V::And(x, four));
            return Div255(V::SubSat16(V::AddSat16(x, headroom), headroom));
        });
    }

    // Alphas compare as 32-bit signed lanes: both sides lie in 0..255.
    static void AlphaTested(uint32_t* dst, const uint32_t* blended, const uint32_t* src, int n,
                            const AlphaTestMasks& test) {
        const R reference = V::Set32(test.reference), less = V::Set32(test.less), equal = V::Set32(test.equal),
                greater = V::Set32(test.greater);
        auto group = [&](uint32_t* d, const uint32_t* b, const uint32_t* s) {
            const R a = V::Srl32(V::Load(s), 24);
            const R pass = V::Or(V::Or(V::And(V::CmpGt32(reference, a), less), V::And(V::CmpEq32(a, reference), equal)),
                                 V::And(V::CmpGt32(a, reference), greater));
            V::Store(d, V::Or(V::And(pass, V::Load(b)), V::AndNot(pass, V::Load(d))));
        };
        int i = 0;
        for (; i + kLanes <= n; i += kLanes) group(dst + i, blended + i, src + i);
        if (i == n) return;
        uint32_t d[kLanes] = {}, b[kLanes] = {}, s[kLanes] = {};
        const size_t bytes = size_t(n - i) * 4;
        std::memcpy(d, dst + i, bytes);
        std::memcpy(b, blended + i, bytes);
        std::memcpy(s, src + i, bytes);
        group(d, b, s);
        std::memcpy(dst + i, d, bytes);
    }

    // A4R4G4B4: each 4-bit channel c becomes c * 17, that is c | c << 4.
    static void DecodeA4R4G4B4(uint32_t* out, const uint8_t* in, int n) {
        const R nibbles = V::Set16(0x0F0F);
        auto group = [&](uint32_t* d, const uint8_t* s) {
            // Low bytes hold g:b, high bytes a:r; kLanes texels fill half a register.
            const R words = V::LoadHalf(s);
            const R low = V::And(words, nibbles);                // b, r
            const R high = V::And(V::Srl16(words, 4), nibbles);  // g, a
            const R lowBytes = V::Or(low, V::Sll16(low, 4)), highBytes = V::Or(high, V::Sll16(high, 4));
            V::Store(d, V::Lo8(lowBytes, highBytes));  // b g r a per texel
        };
        int i = 0;
        for (; i + kLanes <= n; i += kLanes) group(out + i, in + 2 * i);
        if (i == n) return;
        uint32_t d[kLanes] = {};
        uint8_t s[2 * kLanes] = {};
        std::memcpy(s, in + 2 * i, size_t(n - i) * 2);
        group(d, s);
        std::memcpy(out + i, d, size_t(n - i) * 4);
    }

    static RowKernels Table() {
        return RowKernels{{{&Copy<false>, &Copy<true>},
                           {&SourceAlpha<false>, &SourceAlpha<true>},
                           {&Additive<false>, &Additive<true>},
                           {&AdditiveAlpha<false>, &AdditiveAlpha<true>},
                           {&Multiply<false>, &Multiply<true>}},
                          &Shade,
                          &ShadeScaled,
                          &DecodeA4R4G4B4,
                          &AlphaTested};
    }
};

}  // namespace raster::simd
