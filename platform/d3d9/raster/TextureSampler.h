// Texture addressing and filtering. Texel centres lie at (i + 0.5) / size;
// coordinates are snapped to 1/256 texel before filtering, so exact texel
// centres read exact texels whatever rounding the interpolation left.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "d3d9/raster/RasterTypes.h"
#include "d3d9/raster/TexelFormats.h"

namespace raster {

struct SamplerSetup {
    const TextureView* texture = nullptr;
    TexelFetchFn fetch = nullptr;
    uint32_t addressU = D3DTADDRESS_WRAP, addressV = D3DTADDRESS_WRAP;
    uint32_t border = 0;
    uint32_t magFilter = D3DTEXF_POINT, minFilter = D3DTEXF_POINT, mipFilter = D3DTEXF_NONE;
    int baseLevel = 0;
    double lodBias = 0.0;
    bool needsLod = false;  // several levels in use, or min and mag filters differ
};

// coord in texels, 8 fractional bits, rounded to nearest.
inline int32_t TexelFixed(double coord) {
    double t = coord * 256.0 + 0.5;
    if (!(t > -1073741824.0)) t = -1073741824.0;  // also NaN
    if (t > 1073741824.0) t = 1073741824.0;
    // floor without a library call: truncation, one down for negatives.
    const int32_t i = int32_t(t);
    return double(i) > t ? i - 1 : i;
}

// Texel index after addressing, or -1 for a border texel.
inline int AddressTexel(int i, int size, uint32_t mode) {
    if (unsigned(i) < unsigned(size)) return i;
    switch (mode) {
        case D3DTADDRESS_WRAP: {
            if ((size & (size - 1)) == 0) return i & (size - 1);  // the same remainder, without a division
            const int m = i % size;
            return m < 0 ? m + size : m;
        }
        case D3DTADDRESS_MIRROR: {
            int m = i % (2 * size);
            if (m < 0) m += 2 * size;
            return m < size ? m : 2 * size - 1 - m;
        }
        case D3DTADDRESS_MIRRORONCE: {
            const int m = i < 0 ? -1 - i : i;
            return m < size ? m : size - 1;
        }
        case D3DTADDRESS_BORDER: return -1;
        default: return i < 0 ? 0 : size - 1;  // clamp
    }
}

template <class Fetch>
inline uint32_t TexelOrBorder(const SurfaceView& level, Fetch fetch, int x, int y, const SamplerSetup& s) {
    x = AddressTexel(x, int(level.width), s.addressU);
    y = AddressTexel(y, int(level.height), s.addressV);
    if (x < 0 || y < 0) return s.border;
    return fetch(level, x, y);
}

template <class Fetch>
inline uint32_t SamplePoint(const SurfaceView& level, Fetch fetch, double u, double v, const SamplerSetup& s) {
    const int32_t fu = TexelFixed(u * double(level.width));
    const int32_t fv = TexelFixed(v * double(level.height));
    return TexelOrBorder(level, fetch, fu >> 8, fv >> 8, s);
}

// Weights in 1/256 (fx, fy in 0..256); each channel is
// round(sum(texel * weight) / 65536). Two channels per 64-bit word, 32 bits
// apart, so no lane carries into the next.
inline __attribute__((always_inline)) uint32_t BilinearMix(uint32_t t00, uint32_t t10, uint32_t t01, uint32_t t11, uint32_t fx, uint32_t fy) {
    const uint64_t w00 = (256 - fx) * (256 - fy), w10 = fx * (256 - fy), w01 = (256 - fx) * fy, w11 = fx * fy;
    auto blueRed = [](uint32_t t) { return uint64_t(t & 0xFFu) | (uint64_t(t & 0x00FF0000u) << 16); };
    auto greenAlpha = [](uint32_t t) { return uint64_t((t >> 8) & 0xFFu) | (uint64_t(t >> 24) << 32); };
    constexpr uint64_t kHalf = 32768 | (uint64_t(32768) << 32), kMask = 0xFF | (uint64_t(0xFF) << 32);
    const uint64_t br =
        ((blueRed(t00) * w00 + blueRed(t10) * w10 + blueRed(t01) * w01 + blueRed(t11) * w11 + kHalf) >> 16) & kMask;
    const uint64_t ga = ((greenAlpha(t00) * w00 + greenAlpha(t10) * w10 + greenAlpha(t01) * w01 +
                          greenAlpha(t11) * w11 + kHalf) >>
                         16) &
                        kMask;
    return uint32_t(br) | uint32_t(br >> 16) | uint32_t(ga << 8) | uint32_t(ga >> 8);
}

template <class Fetch>
inline uint32_t SampleLinear(const SurfaceView& level, Fetch fetch, double u, double v, const SamplerSetup& s) {
    const int32_t fu = TexelFixed(u * double(level.width)) - 128;
    const int32_t fv = TexelFixed(v * double(level.height)) - 128;
    const int x0 = fu >> 8, y0 = fv >> 8;
    const uint32_t fx = uint32_t(fu & 255), fy = uint32_t(fv & 255);
    const uint32_t t00 = TexelOrBorder(level, fetch, x0, y0, s);
    if (fx == 0 && fy == 0) return t00;
    const uint32_t t10 = TexelOrBorder(level, fetch, x0 + 1, y0, s);
    const uint32_t t01 = TexelOrBorder(level, fetch, x0, y0 + 1, s);
    const uint32_t t11 = TexelOrBorder(level, fetch, x0 + 1, y0 + 1, s);
    return BilinearMix(t00, t10, t01, t11, fx, fy);
}

// Texture coordinate derivatives per pixel (LevelOfDetail wants them in
// level-0 texels; SampleTexture takes them in coordinates and scales).
struct TexelDerivatives {
    double dudx = 0, dvdx = 0, dudy = 0, dvdy = 0;
};

inline double LevelOfDetail(const TexelDerivatives& d) {
    const double x = d.dudx * d.dudx + d.dvdx * d.dvdx;
    const double y = d.dudy * d.dudy + d.dvdy * d.dvdy;
    const double rho2 = std::max(x, y);
    if (!(rho2 > 0.0)) return -100.0;
    return 0.5 * std::log2(rho2);
}

// The sampler's level of detail (bias included) for coordinate derivatives.
inline double SamplerLod(const SamplerSetup& s, const TexelDerivatives& derivatives) {
    const SurfaceView& top = s.texture->levels[0];
    const double w = double(top.width), h = double(top.height);
    const TexelDerivatives texels{derivatives.dudx * w, derivatives.dvdx * h, derivatives.dudy * w,
                                  derivatives.dvdy * h};
    return LevelOfDetail(texels) + s.lodBias;
}

// Whether the level of detail can only switch between the magnification and
// minification filters on one level (one level, or no mip filter).
inline bool LodPicksFilterOnly(const SamplerSetup& s) {
    return s.texture->levelCount == 1 || s.mipFilter == D3DTEXF_NONE;
}

// The level (or the two levels) a sample at level of detail `lod` reads,
// and the filter it reads them with: with a non-zero weight the result is
// level `level` mixed toward level + 1 by weight / 256.
struct MipPick {
    int level = 0;
    uint32_t filter = D3DTEXF_POINT;
    uint32_t weight = 0;
};

inline MipPick PickMip(const SamplerSetup& s, double lod) {
    const int lastLevel = int(s.texture->levelCount) - 1;
    const int base = std::min(s.baseLevel, lastLevel);
    if (lod <= 0.0) return MipPick{base, s.magFilter, 0};
    if (s.mipFilter == D3DTEXF_NONE || base == lastLevel) return MipPick{base, s.minFilter, 0};
    if (!(lod < 64.0)) lod = 64.0;  // past every level (NaN too): keeps the conversions below defined
    // lod is positive here: truncation is the floor.
    if (s.mipFilter == D3DTEXF_POINT) return MipPick{std::min(lastLevel, base + int(lod + 0.5)), s.minFilter, 0};
    const int whole = int(lod);
    const int level = std::min(lastLevel, base + whole);
    if (level == lastLevel) return MipPick{level, s.minFilter, 0};
    return MipPick{level, s.minFilter, uint32_t((lod - double(whole)) * 256.0 + 0.5)};
}

// Full sample: level selection, then filtering. A stage without a texture
// never gets here.
uint32_t SampleTexture(const SamplerSetup& s, double u, double v, const TexelDerivatives& derivatives);

}  // namespace raster
