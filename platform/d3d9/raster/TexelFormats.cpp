#include "d3d9/raster/TexelFormats.h"

#include <algorithm>
#include <cmath>

#include "d3d9/raster/RowKernels.h"

namespace raster {

bool IsBlockFormat(D3DFORMAT format) {
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
           format == D3DFMT_DXT5;
}

bool IsRenderTargetFormat(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
        case D3DFMT_R8G8B8:
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_A4R4G4B4:
        case D3DFMT_A8:
        case D3DFMT_L8: return true;
        default: return false;
    }
}

bool IsTextureFormat(D3DFORMAT format) { return IsRenderTargetFormat(format) || IsBlockFormat(format); }

bool IsDepthFormat(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_D16:
        case D3DFMT_D16_LOCKABLE:
        case D3DFMT_D15S1:
        case D3DFMT_D24S8:
        case D3DFMT_D24X8:
        case D3DFMT_D24X4S4:
        case D3DFMT_D32: return true;
        default: return false;
    }
}

int BytesPerPixel(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
        case D3DFMT_D24S8:
        case D3DFMT_D24X8:
        case D3DFMT_D24X4S4:
        case D3DFMT_D32: return 4;
        case D3DFMT_R8G8B8: return 3;
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_A4R4G4B4:
        case D3DFMT_D16:
        case D3DFMT_D16_LOCKABLE:
        case D3DFMT_D15S1: return 2;
        case D3DFMT_A8:
        case D3DFMT_L8: return 1;
        default: return 0;
    }
}

namespace {

// The four colours of a DXT colour block; three-colour mode only where
// DXT1 allows it (first endpoint not above the second).
void DxtPalette(const uint8_t* block, bool allowThreeColour, uint32_t palette[4]) {
    const uint32_t c0 = Load16(block), c1 = Load16(block + 2);
    const uint32_t e0 = DecodeR5G6B5(c0), e1 = DecodeR5G6B5(c1);
    palette[0] = e0;
    palette[1] = e1;
    auto channel = [](uint32_t c, int shift) { return (c >> shift) & 255; };
    auto mix = [&](uint32_t wa, uint32_t wb, uint32_t div) {
        uint32_t out = 0xFF000000u;
        for (int shift = 0; shift <= 16; shift += 8) {
            const uint32_t v = (channel(e0, shift) * wa + channel(e1, shift) * wb + div / 2) / div;
            out |= v << shift;
        }
        return out;
    };
    if (c0 > c1 || !allowThreeColour) {
        palette[2] = mix(2, 1, 3);
        palette[3] = mix(1, 2, 3);
    } else {
        palette[2] = mix(1, 1, 2);
        palette[3] = 0;  // transparent black
    }
}

// DXT5: the alpha of one 3-bit index from the block's two endpoints, and
// the block's 16 indices.
uint32_t Dxt5Alpha(uint32_t a0, uint32_t a1, uint32_t index) {
    if (index == 0) return a0;
    if (index == 1) return a1;
    if (a0 > a1) return ((8 - index) * a0 + (index - 1) * a1 + 3) / 7;
    if (index == 6) return 0;
    if (index == 7) return 255;
    return ((6 - index) * a0 + (index - 1) * a1 + 2) / 5;
}

uint64_t Dxt5AlphaIndices(const uint8_t* block) {
    uint64_t indices = 0;
    for (int i = 0; i < 6; ++i) indices |= uint64_t(block[2 + i]) << (8 * i);
    return indices;
}

uint32_t DxtColourTexel(const uint8_t* block, bool allowThreeColour, int x, int y) {
    uint32_t palette[4];
    DxtPalette(block, allowThreeColour, palette);
    const uint32_t index = (block[4 + y] >> (x * 2)) & 3;
    return palette[index];
}

}  // namespace

uint32_t DecodeDxt1Texel(const uint8_t* block, int x, int y) { return DxtColourTexel(block, true, x, y); }

uint32_t DecodeDxt3Texel(const uint8_t* block, int x, int y) {
    const uint32_t bits = (Load16(block + y * 2) >> (x * 4)) & 15;
    return (DxtColourTexel(block + 8, false, x, y) & 0x00FFFFFFu) | (Expand4(bits) << 24);
}

uint32_t DecodeDxt5Texel(const uint8_t* block, int x, int y) {
    const uint32_t index = uint32_t(Dxt5AlphaIndices(block) >> (3 * (y * 4 + x))) & 7;
    const uint32_t alpha = Dxt5Alpha(block[0], block[1], index);
    return (DxtColourTexel(block + 8, false, x, y) & 0x00FFFFFFu) | (alpha << 24);
}

void DecodeDxtBlock(D3DFORMAT format, const uint8_t* block, uint32_t texels[16]) {
    const bool dxt1 = format == D3DFMT_DXT1;
    const uint8_t* colours = dxt1 ? block : block + 8;
    uint32_t palette[4];
    DxtPalette(colours, dxt1, palette);
    const uint32_t colourIndices = Load32(colours + 4);
    const uint32_t colourMask = dxt1 ? 0xFFFFFFFFu : 0x00FFFFFFu;
    for (int i = 0; i < 16; ++i) texels[i] = palette[(colourIndices >> (2 * i)) & 3] & colourMask;
    if (dxt1) return;
    if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) {
        for (int i = 0; i < 16; ++i) texels[i] |= Expand4((block[i / 2] >> (4 * (i & 1))) & 15) << 24;
        return;
    }
    uint32_t alphas[8];
    for (uint32_t index = 0; index < 8; ++index) alphas[index] = Dxt5Alpha(block[0], block[1], index);
    const uint64_t indices = Dxt5AlphaIndices(block);
    for (int i = 0; i < 16; ++i) texels[i] |= alphas[(indices >> (3 * i)) & 7] << 24;
}

TexelFetchFn TexelFetcherFor(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8: return &FetchTexel<D3DFMT_A8R8G8B8>;
        case D3DFMT_X8R8G8B8: return &FetchTexel<D3DFMT_X8R8G8B8>;
        case D3DFMT_R8G8B8: return &FetchTexel<D3DFMT_R8G8B8>;
        case D3DFMT_R5G6B5: return &FetchTexel<D3DFMT_R5G6B5>;
        case D3DFMT_X1R5G5B5: return &FetchTexel<D3DFMT_X1R5G5B5>;
        case D3DFMT_A1R5G5B5: return &FetchTexel<D3DFMT_A1R5G5B5>;
        case D3DFMT_A4R4G4B4: return &FetchTexel<D3DFMT_A4R4G4B4>;
        case D3DFMT_A8: return &FetchTexel<D3DFMT_A8>;
        case D3DFMT_L8: return &FetchTexel<D3DFMT_L8>;
        case D3DFMT_DXT1: return &FetchTexel<D3DFMT_DXT1>;
        case D3DFMT_DXT2: return &FetchTexel<D3DFMT_DXT2>;
        case D3DFMT_DXT3: return &FetchTexel<D3DFMT_DXT3>;
        case D3DFMT_DXT4: return &FetchTexel<D3DFMT_DXT4>;
        case D3DFMT_DXT5: return &FetchTexel<D3DFMT_DXT5>;
        default: return nullptr;
    }
}

namespace {

// Block by block: each block's palettes worked out once for its 16 texels.
void DecodeBlocksToArgb(const SurfaceView& source, uint8_t* out, int32_t pitch) {
    const int blockBytes = source.format == D3DFMT_DXT1 ? 8 : 16;
    for (uint32_t by = 0; by * 4 < source.height; ++by) {
        const uint8_t* blocks = source.bits + ptrdiff_t(by) * source.pitch;
        const uint32_t rows = std::min<uint32_t>(4, source.height - by * 4);
        for (uint32_t bx = 0; bx * 4 < source.width; ++bx) {
            uint32_t texels[16];
            DecodeDxtBlock(source.format, blocks + ptrdiff_t(bx) * blockBytes, texels);
            const size_t columns = std::min<uint32_t>(4, source.width - bx * 4);
            for (uint32_t r = 0; r < rows; ++r)
                std::memcpy(out + ptrdiff_t(by * 4 + r) * pitch + ptrdiff_t(bx) * 16, texels + 4 * r, columns * 4);
        }
    }
}

}  // namespace

bool DecodeToArgb(const SurfaceView& source, uint8_t* out, int32_t pitch) {
    const TexelFetchFn fetch = TexelFetcherFor(source.format);
    if (!fetch) return false;
    if (IsBlockFormat(source.format)) {
        DecodeBlocksToArgb(source, out, pitch);
        return true;
    }
    const DecodeRowFn decodeRow = source.format == D3DFMT_A4R4G4B4 ? ActiveRowKernels().decodeA4R4G4B4 : nullptr;
    for (uint32_t y = 0; y < source.height; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(out + ptrdiff_t(y) * pitch);
        if (decodeRow) {
            decodeRow(row, source.bits + ptrdiff_t(y) * source.pitch, int(source.width));
            continue;
        }
        for (uint32_t x = 0; x < source.width; ++x) row[x] = fetch(source, int(x), int(y));
    }
    return true;
}

uint32_t ReadPixel(D3DFORMAT format, const uint8_t* p) {
    switch (format) {
        case D3DFMT_A8R8G8B8: return Load32(p);
        case D3DFMT_X8R8G8B8: return Load32(p) | 0xFF000000u;
        case D3DFMT_R8G8B8: return PackArgb(255, p[2], p[1], p[0]);
        case D3DFMT_R5G6B5: return DecodeR5G6B5(Load16(p));
        case D3DFMT_X1R5G5B5: return DecodeA1R5G5B5(Load16(p)) | 0xFF000000u;
        case D3DFMT_A1R5G5B5: return DecodeA1R5G5B5(Load16(p));
        case D3DFMT_A4R4G4B4: return DecodeA4R4G4B4(Load16(p));
        case D3DFMT_A8: return uint32_t(p[0]) << 24;
        case D3DFMT_L8: return PackArgb(255, p[0], p[0], p[0]);
        default: return 0;
    }
}

void WritePixel(D3DFORMAT format, uint8_t* p, uint32_t argb) {
    const uint32_t a = argb >> 24, r = (argb >> 16) & 255, g = (argb >> 8) & 255, b = argb & 255;
    switch (format) {
        case D3DFMT_A8R8G8B8: Store32(p, argb); break;
        case D3DFMT_X8R8G8B8: Store32(p, argb | 0xFF000000u); break;
        case D3DFMT_R8G8B8:
            p[0] = uint8_t(b);
            p[1] = uint8_t(g);
            p[2] = uint8_t(r);
            break;
        case D3DFMT_R5G6B5: Store16(p, uint16_t((Narrow(r, 31) << 11) | (Narrow(g, 63) << 5) | Narrow(b, 31))); break;
        case D3DFMT_X1R5G5B5:
            Store16(p, uint16_t(0x8000 | (Narrow(r, 31) << 10) | (Narrow(g, 31) << 5) | Narrow(b, 31)));
            break;
        case D3DFMT_A1R5G5B5:
            Store16(p, uint16_t((a >= 128 ? 0x8000 : 0) | (Narrow(r, 31) << 10) | (Narrow(g, 31) << 5) | Narrow(b, 31)));
            break;
        case D3DFMT_A4R4G4B4:
            Store16(p, uint16_t((Narrow(a, 15) << 12) | (Narrow(r, 15) << 8) | (Narrow(g, 15) << 4) | Narrow(b, 15)));
            break;
        case D3DFMT_A8: p[0] = uint8_t(a); break;
        case D3DFMT_L8: p[0] = uint8_t((r * 2125 + g * 7154 + b * 721 + 5000) / 10000); break;  // Rec. 709 luma
        default: break;
    }
}





int StencilBits(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_D24S8: return 8;
        case D3DFMT_D24X4S4: return 4;
        case D3DFMT_D15S1: return 1;
        default: return 0;
    }
}

uint32_t ReadStencil(D3DFORMAT format, const uint8_t* p) {
    switch (format) {
        case D3DFMT_D24S8: return p[0];
        case D3DFMT_D24X4S4: return p[0] & 0x0F;
        case D3DFMT_D15S1: return p[0] & 1;
        default: return 0;
    }
}

void WriteStencil(D3DFORMAT format, uint8_t* p, uint32_t stencil) {
    switch (format) {
        case D3DFMT_D24S8: p[0] = uint8_t(stencil); break;
        case D3DFMT_D24X4S4: p[0] = uint8_t(stencil & 0x0F); break;
        case D3DFMT_D15S1: p[0] = uint8_t((p[0] & 0xFE) | (stencil & 1)); break;
        default: break;
    }
}

}  // namespace raster
