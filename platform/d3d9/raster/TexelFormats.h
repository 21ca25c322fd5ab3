// Texel and pixel decode/encode per format, to and from 8-bit ARGB.
// Inline so the specialised spans can take one format as a template argument.
#pragma once

#include <cstdint>
#include <cstring>

#include "d3d9/raster/RasterTypes.h"

namespace raster {

// The per-texel helpers are forced inline: left to itself the compiler
// stops inlining inside the large specialised spans and calls them.
#define RASTER_TEXEL_INLINE inline __attribute__((always_inline))

RASTER_TEXEL_INLINE uint32_t PackArgb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}
// n-bit channels to 8 bits rounded to nearest, as the device's format table
// converts them (locks, copies and screenshots read the same values).
RASTER_TEXEL_INLINE uint32_t Expand4(uint32_t v) { return v * 17; }
RASTER_TEXEL_INLINE uint32_t Expand5(uint32_t v) { return (v * 255 + 15) / 31; }
RASTER_TEXEL_INLINE uint32_t Expand6(uint32_t v) { return (v * 255 + 31) / 63; }
// Nearest n-bit level of an 8-bit value.
inline uint32_t Narrow(uint32_t v, uint32_t maxLevel) { return (v * maxLevel + 127) / 255; }

RASTER_TEXEL_INLINE uint16_t Load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
RASTER_TEXEL_INLINE uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void Store16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }
inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

RASTER_TEXEL_INLINE uint32_t DecodeR5G6B5(uint32_t v) {
    return PackArgb(255, Expand5((v >> 11) & 31), Expand6((v >> 5) & 63), Expand5(v & 31));
}
RASTER_TEXEL_INLINE uint32_t DecodeA4R4G4B4(uint32_t v) {
    return PackArgb(Expand4(v >> 12), Expand4((v >> 8) & 15), Expand4((v >> 4) & 15), Expand4(v & 15));
}
RASTER_TEXEL_INLINE uint32_t DecodeA1R5G5B5(uint32_t v) {
    return PackArgb((v & 0x8000) ? 255 : 0, Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31));
}

bool IsBlockFormat(D3DFORMAT format);
bool IsTextureFormat(D3DFORMAT format);
bool IsRenderTargetFormat(D3DFORMAT format);
bool IsDepthFormat(D3DFORMAT format);
int BytesPerPixel(D3DFORMAT format);  // 0 for block formats

// DXT blocks: the texel at (x, y) of one 4x4 block.
uint32_t DecodeDxt1Texel(const uint8_t* block, int x, int y);
uint32_t DecodeDxt3Texel(const uint8_t* block, int x, int y);
uint32_t DecodeDxt5Texel(const uint8_t* block, int x, int y);
// All 16 texels of one block, row by row, as the texel decodes give them.
void DecodeDxtBlock(D3DFORMAT format, const uint8_t* block, uint32_t texels[16]);

// One texel as ARGB. x and y must lie inside the surface.
template <D3DFORMAT Format>
RASTER_TEXEL_INLINE uint32_t FetchTexel(const SurfaceView& s, int x, int y) {
    const uint8_t* row = s.bits + ptrdiff_t(y >> ((Format == D3DFMT_DXT1 || Format == D3DFMT_DXT2 ||
                                                   Format == D3DFMT_DXT3 || Format == D3DFMT_DXT4 ||
                                                   Format == D3DFMT_DXT5)
                                                      ? 2
                                                      : 0)) *
                                         s.pitch;
    if constexpr (Format == D3DFMT_A8R8G8B8) return Load32(row + x * 4);
    else if constexpr (Format == D3DFMT_X8R8G8B8) return Load32(row + x * 4) | 0xFF000000u;
    else if constexpr (Format == D3DFMT_R8G8B8) {
        const uint8_t* p = row + x * 3;
        return PackArgb(255, p[2], p[1], p[0]);
    } else if constexpr (Format == D3DFMT_R5G6B5) return DecodeR5G6B5(Load16(row + x * 2));
    else if constexpr (Format == D3DFMT_X1R5G5B5) return DecodeA1R5G5B5(Load16(row + x * 2)) | 0xFF000000u;
    else if constexpr (Format == D3DFMT_A1R5G5B5) return DecodeA1R5G5B5(Load16(row + x * 2));
    else if constexpr (Format == D3DFMT_A4R4G4B4) return DecodeA4R4G4B4(Load16(row + x * 2));
    else if constexpr (Format == D3DFMT_A8) return uint32_t(row[x]) << 24;
    else if constexpr (Format == D3DFMT_L8) return PackArgb(255, row[x], row[x], row[x]);
    else if constexpr (Format == D3DFMT_DXT1) return DecodeDxt1Texel(row + (x >> 2) * 8, x & 3, y & 3);
    else if constexpr (Format == D3DFMT_DXT2 || Format == D3DFMT_DXT3)
        return DecodeDxt3Texel(row + (x >> 2) * 16, x & 3, y & 3);
    else if constexpr (Format == D3DFMT_DXT4 || Format == D3DFMT_DXT5)
        return DecodeDxt5Texel(row + (x >> 2) * 16, x & 3, y & 3);
    else return 0xFFFFFFFFu;
}

using TexelFetchFn = uint32_t (*)(const SurfaceView&, int, int);
TexelFetchFn TexelFetcherFor(D3DFORMAT format);

// Every texel of `source` as FetchTexel gives it, into rows of 32-bit ARGB
// `pitch` bytes apart; false for a format without a texel decode.
bool DecodeToArgb(const SurfaceView& source, uint8_t* out, int32_t pitch);

// Render-target pixels as ARGB; formats without alpha read alpha 255.
uint32_t ReadPixel(D3DFORMAT format, const uint8_t* p);
void WritePixel(D3DFORMAT format, uint8_t* p, uint32_t argb);

// Depth values in the format's own integer scale; inline, as every
// depth-tested pixel calls them.
inline uint32_t DepthMax(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_D16:
        case D3DFMT_D16_LOCKABLE: return 0xFFFF;
        case D3DFMT_D15S1: return 0x7FFF;
        case D3DFMT_D24S8:
        case D3DFMT_D24X8:
        case D3DFMT_D24X4S4: return 0xFFFFFF;
        case D3DFMT_D32: return 0xFFFFFFFFu;
        default: return 0;
    }
}

inline uint32_t QuantizeDepth(D3DFORMAT format, double z) {
    const double scale = double(DepthMax(format));
    if (!(z > 0.0)) return 0;  // also NaN
    if (z >= 1.0) return DepthMax(format);
    return uint32_t(z * scale + 0.5);  // positive: truncation is the floor
}

inline uint32_t ReadDepth(D3DFORMAT format, const uint8_t* p) {
    switch (format) {
        case D3DFMT_D16:
        case D3DFMT_D16_LOCKABLE: return Load16(p);
        case D3DFMT_D15S1: return Load16(p) >> 1;
        case D3DFMT_D24S8:
        case D3DFMT_D24X8:
        case D3DFMT_D24X4S4: return Load32(p) >> 8;
        case D3DFMT_D32: return Load32(p);
        default: return 0;
    }
}

// Stencil bits are kept as they are.
inline void WriteDepth(D3DFORMAT format, uint8_t* p, uint32_t depth) {
    switch (format) {
        case D3DFMT_D16:
        case D3DFMT_D16_LOCKABLE: Store16(p, uint16_t(depth)); break;
        case D3DFMT_D15S1: Store16(p, uint16_t((depth << 1) | (Load16(p) & 1))); break;
        case D3DFMT_D24S8:
        case D3DFMT_D24X8:
        case D3DFMT_D24X4S4: Store32(p, (depth << 8) | (Load32(p) & 0xFF)); break;
        case D3DFMT_D32: Store32(p, depth); break;
        default: break;
    }
}

// Stencil bits of a depth format (0 without stencil) and their values.
int StencilBits(D3DFORMAT format);
uint32_t ReadStencil(D3DFORMAT format, const uint8_t* p);
void WriteStencil(D3DFORMAT format, uint8_t* p, uint32_t stencil);

}  // namespace raster
