// DXT block encoding. Colour endpoints come from the block's principal axis
// or its bounding box, whichever reproduces the block better; alpha
// endpoints from its range, in whichever of the two alpha modes fits better.
// Each texel then takes the nearest entry of the decoded palette.
#include <algorithm>
#include <cmath>

#include "ByteReader.h"
#include "Dxt.h"

namespace d3dx {
namespace {

struct Rgb {
    float r, g, b;
};

Rgb ToRgb(uint32_t argb) { return {float((argb >> 16) & 0xFF), float((argb >> 8) & 0xFF), float(argb & 0xFF)}; }

uint16_t Quantise565(const Rgb& c) {
    auto q = [](float v, int max) { return uint16_t(std::clamp(int(v * max / 255.0f + 0.5f), 0, max)); };
    return uint16_t(q(c.r, 31) << 11 | q(c.g, 63) << 5 | q(c.b, 31));
}

int DistanceSq(uint32_t a, uint32_t b) {
    int d = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        int x = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        d += x * x;
    }
    return d;
}

struct ColourFit {
    uint16_t c0, c1;
    uint32_t indices;
    long error;
};

// Picks indices for endpoints already ordered for the wanted mode.
ColourFit FitIndices(const uint32_t texels[16], const bool transparent[16], uint16_t c0, uint16_t c1, bool dxt1) {
    uint8_t probe[8];
    StoreLe16(probe, c0);
    StoreLe16(probe + 2, c1);
    StoreLe32(probe + 4, 0xE4E4E4E4u);  // texels 0..3 take palette entries 0..3
    // Endpoints arrive ordered for their mode, so DXT1 decoding gives the
    // palette of either block kind.
    uint32_t decoded[16];
    DecodeDxtBlock(D3DFMT_DXT1, probe, decoded);
    bool threeColour = dxt1 && c0 <= c1;
    int entries = threeColour ? 3 : 4;
    ColourFit fit{c0, c1, 0, 0};
    for (int i = 0; i < 16; ++i) {
        int best = 3, bestError = 0;
        if (!transparent[i]) {
            best = 0;
            bestError = DistanceSq(texels[i], decoded[0]);
            for (int k = 1; k < entries; ++k) {
                int e = DistanceSq(texels[i], decoded[k]);
                if (e < bestError) best = k, bestError = e;
            }
        }
        fit.indices |= uint32_t(best) << (2 * i);
        fit.error += bestError;
    }
    return fit;
}

ColourFit FitEndpoints(const uint32_t texels[16], const bool transparent[16], const Rgb& a, const Rgb& b,
                       bool threeColour, bool dxt1) {
    uint16_t c0 = Quantise565(a), c1 = Quantise565(b);
    // Four-colour mode needs c0 > c1, three-colour mode c0 <= c1.
    if (threeColour ? c0 > c1 : c0 < c1) std::swap(c0, c1);
    if (!threeColour && c0 == c1) {
        // Only one colour: c0 alone would read as three-colour mode in DXT1.
        if (c0 > 0) {
            --c1;
        } else {
            ++c0;
        }
    }
    return FitIndices(texels, transparent, c0, c1, dxt1);
}

void PrincipalEndpoints(const Rgb* points, int count, Rgb* lo, Rgb* hi) {
    Rgb mean{0, 0, 0};
    for (int i = 0; i < count; ++i) mean.r += points[i].r, mean.g += points[i].g, mean.b += points[i].b;
    mean.r /= float(count), mean.g /= float(count), mean.b /= float(count);
    float cov[6] = {0, 0, 0, 0, 0, 0};  // rr rg rb gg gb bb
    for (int i = 0; i < count; ++i) {
        float r = points[i].r - mean.r, g = points[i].g - mean.g, b = points[i].b - mean.b;
        cov[0] += r * r, cov[1] += r * g, cov[2] += r * b, cov[3] += g * g, cov[4] += g * b, cov[5] += b * b;
    }
    // Start from the channel that varies most: a start orthogonal to the
    // principal axis (red against blue from (1, 1, 1)) would never turn.
    Rgb axis{1, 0, 0};
    if (cov[3] > cov[0] && cov[3] >= cov[5]) axis = {0, 1, 0};
    if (cov[5] > cov[0] && cov[5] > cov[3]) axis = {0, 0, 1};
    for (int iteration = 0; iteration < 8; ++iteration) {
        Rgb next{cov[0] * axis.r + cov[1] * axis.g + cov[2] * axis.b,
                 cov[1] * axis.r + cov[3] * axis.g + cov[4] * axis.b,
                 cov[2] * axis.r + cov[4] * axis.g + cov[5] * axis.b};
        float length = std::sqrt(next.r * next.r + next.g * next.g + next.b * next.b);
        if (length == 0.0f) break;
        axis = {next.r / length, next.g / length, next.b / length};
    }
    float tMin = 0, tMax = 0;
    for (int i = 0; i < count; ++i) {
        float t = (points[i].r - mean.r) * axis.r + (points[i].g - mean.g) * axis.g + (points[i].b - mean.b) * axis.b;
        tMin = std::min(tMin, t), tMax = std::max(tMax, t);
    }
    auto at = [&](float t) {
        return Rgb{std::clamp(mean.r + axis.r * t, 0.0f, 255.0f), std::clamp(mean.g + axis.g * t, 0.0f, 255.0f),
                   std::clamp(mean.b + axis.b * t, 0.0f, 255.0f)};
    };
    *lo = at(tMin);
    *hi = at(tMax);
}

// Endpoints that best reproduce the texels for the indices of fit, by least
// squares on each channel. False when the indices use only one weight.
bool RefineEndpoints(const uint32_t texels[16], const bool transparent[16], const ColourFit& fit, bool threeColour,
                     Rgb* first, Rgb* second) {
    // Share of the first endpoint in palette entries 0..3.
    const float fourWeights[4] = {1.0f, 0.0f, 2.0f / 3.0f, 1.0f / 3.0f};
    const float threeWeights[4] = {1.0f, 0.0f, 0.5f, 0.0f};
    const float* weights = threeColour ? threeWeights : fourWeights;
    float aa = 0, ab = 0, bb = 0;
    Rgb ax{0, 0, 0}, bx{0, 0, 0};
    for (int i = 0; i < 16; ++i) {
        uint32_t index = (fit.indices >> (2 * i)) & 3;
        if (transparent[i] || (threeColour && index == 3)) continue;
        float a = weights[index], b = 1.0f - a;
        Rgb x = ToRgb(texels[i]);
        aa += a * a, ab += a * b, bb += b * b;
        ax = {ax.r + a * x.r, ax.g + a * x.g, ax.b + a * x.b};
        bx = {bx.r + b * x.r, bx.g + b * x.g, bx.b + b * x.b};
    }
    float det = aa * bb - ab * ab;
    if (std::fabs(det) < 1e-6f) return false;
    auto solve = [&](float sa, float sb, float* c0, float* c1) {
        *c0 = std::clamp((sa * bb - sb * ab) / det, 0.0f, 255.0f);
        *c1 = std::clamp((sb * aa - sa * ab) / det, 0.0f, 255.0f);
    };
    solve(ax.r, bx.r, &first->r, &second->r);
    solve(ax.g, bx.g, &first->g, &second->g);
    solve(ax.b, bx.b, &first->b, &second->b);
    return true;
}

void EncodeColourBlock(const uint32_t texels[16], bool dxt1, uint8_t* out) {
    bool transparent[16];
    Rgb points[16];
    int count = 0;
    for (int i = 0; i < 16; ++i) {
        transparent[i] = dxt1 && (texels[i] >> 24) < 128;
        if (!transparent[i]) points[count++] = ToRgb(texels[i]);
    }
    bool threeColour = count < 16;
    ColourFit best;
    if (count == 0) {
        best = {0, 0, 0xFFFFFFFFu, 0};
    } else {
        Rgb lo, hi, boxLo = points[0], boxHi = points[0];
        for (int i = 1; i < count; ++i) {
            boxLo = {std::min(boxLo.r, points[i].r), std::min(boxLo.g, points[i].g), std::min(boxLo.b, points[i].b)};
            boxHi = {std::max(boxHi.r, points[i].r), std::max(boxHi.g, points[i].g), std::max(boxHi.b, points[i].b)};
        }
        PrincipalEndpoints(points, count, &lo, &hi);
        best = FitEndpoints(texels, transparent, hi, lo, threeColour, dxt1);
        ColourFit box = FitEndpoints(texels, transparent, boxHi, boxLo, threeColour, dxt1);
        if (box.error < best.error) best = box;
        for (int pass = 0; pass < 2 && best.error > 0; ++pass) {
            Rgb first, second;
            if (!RefineEndpoints(texels, transparent, best, threeColour, &first, &second)) break;
            ColourFit refined = FitEndpoints(texels, transparent, first, second, threeColour, dxt1);
            if (refined.error >= best.error) break;
            best = refined;
        }
    }
    StoreLe16(out, best.c0);
    StoreLe16(out + 2, best.c1);
    StoreLe32(out + 4, best.indices);
}

void EncodeExplicitAlpha(const uint32_t texels[16], uint8_t* out) {
    for (int i = 0; i < 8; ++i) out[i] = 0;
    for (int i = 0; i < 16; ++i) {
        uint32_t a = ((texels[i] >> 24) * 15 + 127) / 255;
        out[i / 2] |= uint8_t(a << (4 * (i & 1)));
    }
}

struct AlphaFit {
    uint8_t a0, a1;
    uint64_t indices;
    long error;
};

AlphaFit FitAlpha(const uint32_t texels[16], uint8_t a0, uint8_t a1) {
    uint8_t probe[16] = {a0, a1};
    // Texel k takes code k for the eight codes of the palette.
    uint64_t codes = 0;
    for (int k = 0; k < 8; ++k) codes |= uint64_t(k) << (3 * k);
    for (int i = 0; i < 6; ++i) probe[2 + i] = uint8_t(codes >> (8 * i));
    uint32_t decoded[16] = {};
    DecodeDxtBlock(D3DFMT_DXT5, probe, decoded);
    AlphaFit fit{a0, a1, 0, 0};
    for (int i = 0; i < 16; ++i) {
        int a = int(texels[i] >> 24), best = 0, bestError = 1 << 20;
        for (int k = 0; k < 8; ++k) {
            int e = std::abs(a - int(decoded[k] >> 24));
            if (e < bestError) best = k, bestError = e;
        }
        fit.indices |= uint64_t(best) << (3 * i);
        fit.error += long(bestError) * bestError;
    }
    return fit;
}

void EncodeInterpolatedAlpha(const uint32_t texels[16], uint8_t* out) {
    uint8_t lo = 255, hi = 0, innerLo = 255, innerHi = 0;
    for (int i = 0; i < 16; ++i) {
        uint8_t a = uint8_t(texels[i] >> 24);
        lo = std::min(lo, a), hi = std::max(hi, a);
        if (a != 0 && a != 255) innerLo = std::min(innerLo, a), innerHi = std::max(innerHi, a);
    }
    // Eight-entry mode needs a0 > a1; six-entry mode (with exact 0 and 255) a0 <= a1.
    AlphaFit best = FitAlpha(texels, hi, lo);
    if (innerLo <= innerHi) {
        AlphaFit six = FitAlpha(texels, innerLo, innerHi);
        if (six.error < best.error) best = six;
    }
    out[0] = best.a0;
    out[1] = best.a1;
    for (int i = 0; i < 6; ++i) out[2 + i] = uint8_t(best.indices >> (8 * i));
}

}  // namespace

void EncodeDxtBlock(D3DFORMAT format, const uint32_t texels[16], uint8_t* block) {
    switch (format) {
        case D3DFMT_DXT1:
            EncodeColourBlock(texels, true, block);
            break;
        case D3DFMT_DXT2:
        case D3DFMT_DXT3:
            EncodeExplicitAlpha(texels, block);
            EncodeColourBlock(texels, false, block + 8);
            break;
        default:
            EncodeInterpolatedAlpha(texels, block);
            EncodeColourBlock(texels, false, block + 8);
            break;
    }
}

}  // namespace d3dx
