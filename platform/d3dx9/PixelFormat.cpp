// Per-format packing and unpacking, and rectangle moves through A8R8G8B8.
#include "PixelFormat.h"

#include <algorithm>

#include "ByteReader.h"
#include "Dxt.h"

namespace d3dx {
namespace {

uint32_t Expand(uint32_t value, int bits) {
    uint32_t max = (1u << bits) - 1;
    return (value * 255 + max / 2) / max;
}

uint32_t Reduce(uint32_t value8, int bits) {
    uint32_t max = (1u << bits) - 1;
    return (value8 * max + 127) / 255;
}

uint32_t Channel(uint32_t argb, int shift) { return (argb >> shift) & 0xFF; }

uint32_t Luminance(uint32_t argb) {
    return (Channel(argb, 16) * 2126 + Channel(argb, 8) * 7152 + Channel(argb, 0) * 722 + 5000) / 10000;
}

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

}  // namespace

bool IsBlockCompressed(D3DFORMAT format) {
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
           format == D3DFMT_DXT5;
}

bool IsConvertibleFormat(D3DFORMAT format) {
    if (format == D3DFMT_DXT2 || format == D3DFMT_DXT4) return false;  // premultiplied: not used here
    return IsBlockCompressed(format) || BytesPerPixel(format) != 0;
}

bool FormatHasAlpha(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_A4R4G4B4:
        case D3DFMT_A8:
        case D3DFMT_A8B8G8R8:
        case D3DFMT_A8L8:
        case D3DFMT_DXT1:
        case D3DFMT_DXT2:
        case D3DFMT_DXT3:
        case D3DFMT_DXT4:
        case D3DFMT_DXT5:
            return true;
        default:
            return false;
    }
}

UINT BytesPerPixel(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
        case D3DFMT_A8B8G8R8:
        case D3DFMT_X8B8G8R8:
            return 4;
        case D3DFMT_R8G8B8:
            return 3;
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_A4R4G4B4:
        case D3DFMT_X4R4G4B4:
        case D3DFMT_A8L8:
            return 2;
        case D3DFMT_A8:
        case D3DFMT_L8:
            return 1;
        default:
            return 0;
    }
}

UINT BytesPerBlock(D3DFORMAT format) {
    if (format == D3DFMT_DXT1) return 8;
    return IsBlockCompressed(format) ? 16 : 0;
}

uint64_t RowBytes(D3DFORMAT format, uint64_t width) {
    if (IsBlockCompressed(format)) return (width + 3) / 4 * BytesPerBlock(format);
    return width * BytesPerPixel(format);
}

uint64_t RowCount(D3DFORMAT format, uint64_t height) { return IsBlockCompressed(format) ? (height + 3) / 4 : height; }

uint64_t SurfaceBytes(D3DFORMAT format, uint64_t width, uint64_t height) {
    return RowBytes(format, width) * RowCount(format, height);
}

uint32_t UnpackPixel(D3DFORMAT format, const uint8_t* p) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
            return LoadLe32(p);
        case D3DFMT_X8R8G8B8:
            return LoadLe32(p) | 0xFF000000u;
        case D3DFMT_A8B8G8R8: {
            uint32_t v = LoadLe32(p);
            return (v & 0xFF00FF00u) | Channel(v, 0) << 16 | Channel(v, 16);
        }
        case D3DFMT_X8B8G8R8: {
            uint32_t v = LoadLe32(p);
            return 0xFF000000u | (v & 0x0000FF00u) | Channel(v, 0) << 16 | Channel(v, 16);
        }
        case D3DFMT_R8G8B8:
            return Argb(255, p[2], p[1], p[0]);
        case D3DFMT_R5G6B5: {
            uint32_t v = LoadLe16(p);
            return Argb(255, Expand(v >> 11, 5), Expand((v >> 5) & 63, 6), Expand(v & 31, 5));
        }
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5: {
            uint32_t v = LoadLe16(p);
            uint32_t a = (format == D3DFMT_X1R5G5B5 || (v & 0x8000)) ? 255 : 0;
            return Argb(a, Expand((v >> 10) & 31, 5), Expand((v >> 5) & 31, 5), Expand(v & 31, 5));
        }
        case D3DFMT_A4R4G4B4:
        case D3DFMT_X4R4G4B4: {
            uint32_t v = LoadLe16(p);
            uint32_t a = format == D3DFMT_X4R4G4B4 ? 255 : (v >> 12) * 17;
            return Argb(a, ((v >> 8) & 15) * 17, ((v >> 4) & 15) * 17, (v & 15) * 17);
        }
        case D3DFMT_A8:
            return uint32_t(p[0]) << 24;
        case D3DFMT_L8:
            return Argb(255, p[0], p[0], p[0]);
        case D3DFMT_A8L8:
            return Argb(p[1], p[0], p[0], p[0]);
        default:
            return 0;
    }
}

void PackPixel(D3DFORMAT format, uint8_t* p, uint32_t argb) {
    uint32_t a = Channel(argb, 24), r = Channel(argb, 16), g = Channel(argb, 8), b = Channel(argb, 0);
    switch (format) {
        case D3DFMT_A8R8G8B8:
            StoreLe32(p, argb);
            break;
        case D3DFMT_X8R8G8B8:
            StoreLe32(p, argb | 0xFF000000u);
            break;
        case D3DFMT_A8B8G8R8:
            StoreLe32(p, Argb(a, b, g, r));
            break;
        case D3DFMT_X8B8G8R8:
            StoreLe32(p, Argb(255, b, g, r));
            break;
        case D3DFMT_R8G8B8:
            p[0] = uint8_t(b), p[1] = uint8_t(g), p[2] = uint8_t(r);
            break;
        case D3DFMT_R5G6B5:
            StoreLe16(p, uint16_t(Reduce(r, 5) << 11 | Reduce(g, 6) << 5 | Reduce(b, 5)));
            break;
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5: {
            uint32_t top = format == D3DFMT_X1R5G5B5 || a >= 128 ? 0x8000 : 0;
            StoreLe16(p, uint16_t(top | Reduce(r, 5) << 10 | Reduce(g, 5) << 5 | Reduce(b, 5)));
            break;
        }
        case D3DFMT_A4R4G4B4:
        case D3DFMT_X4R4G4B4: {
            uint32_t top = format == D3DFMT_X4R4G4B4 ? 15 : Reduce(a, 4);
            StoreLe16(p, uint16_t(top << 12 | Reduce(r, 4) << 8 | Reduce(g, 4) << 4 | Reduce(b, 4)));
            break;
        }
        case D3DFMT_A8:
            p[0] = uint8_t(a);
            break;
        case D3DFMT_L8:
            p[0] = uint8_t(Luminance(argb));
            break;
        case D3DFMT_A8L8:
            p[0] = uint8_t(Luminance(argb)), p[1] = uint8_t(a);
            break;
        default:
            break;
    }
}

ArgbImage ReadRect(const SurfaceView& surface, const RECT& rect) {
    UINT width = UINT(rect.right - rect.left), height = UINT(rect.bottom - rect.top);
    ArgbImage image(width, height);
    if (IsBlockCompressed(surface.format)) {
        UINT blockBytes = BytesPerBlock(surface.format);
        for (UINT by = UINT(rect.top) / 4; by * 4 < UINT(rect.bottom); ++by) {
            for (UINT bx = UINT(rect.left) / 4; bx * 4 < UINT(rect.right); ++bx) {
                uint32_t texels[16];
                DecodeDxtBlock(surface.format, surface.bits + by * surface.pitch + uint64_t(bx) * blockBytes, texels);
                for (UINT i = 0; i < 16; ++i) {
                    LONG x = LONG(bx * 4 + i % 4), y = LONG(by * 4 + i / 4);
                    if (x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom)
                        image.At(UINT(x - rect.left), UINT(y - rect.top)) = texels[i];
                }
            }
        }
        return image;
    }
    UINT bpp = BytesPerPixel(surface.format);
    for (UINT y = 0; y < height; ++y) {
        const uint8_t* row = surface.bits + (uint64_t(rect.top) + y) * surface.pitch + uint64_t(rect.left) * bpp;
        for (UINT x = 0; x < width; ++x) image.At(x, y) = UnpackPixel(surface.format, row + uint64_t(x) * bpp);
    }
    return image;
}

void WriteRect(const SurfaceView& surface, const RECT& rect, const ArgbImage& image) {
    if (IsBlockCompressed(surface.format)) {
        UINT blockBytes = BytesPerBlock(surface.format);
        for (UINT by = UINT(rect.top) / 4; by * 4 < UINT(rect.bottom); ++by) {
            for (UINT bx = UINT(rect.left) / 4; bx * 4 < UINT(rect.right); ++bx) {
                uint8_t* block = surface.bits + by * surface.pitch + uint64_t(bx) * blockBytes;
                uint32_t texels[16];
                DecodeDxtBlock(surface.format, block, texels);
                for (UINT i = 0; i < 16; ++i) {
                    LONG x = LONG(bx * 4 + i % 4), y = LONG(by * 4 + i / 4);
                    if (x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom) {
                        texels[i] = image.At(UINT(x - rect.left), UINT(y - rect.top));
                    } else if (UINT(x) >= surface.width || UINT(y) >= surface.height) {
                        // Padding texels beyond the surface edge copy the nearest
                        // real texel so they do not pull the endpoints away.
                        UINT cx = std::min(UINT(x), UINT(rect.right) - 1),
                             cy = std::min(UINT(y), UINT(rect.bottom) - 1);
                        if (LONG(cx) >= rect.left && LONG(cy) >= rect.top)
                            texels[i] = image.At(cx - UINT(rect.left), cy - UINT(rect.top));
                    }
                }
                EncodeDxtBlock(surface.format, texels, block);
            }
        }
        return;
    }
    UINT bpp = BytesPerPixel(surface.format);
    for (UINT y = 0; y < image.height; ++y) {
        uint8_t* row = surface.bits + (uint64_t(rect.top) + y) * surface.pitch + uint64_t(rect.left) * bpp;
        for (UINT x = 0; x < image.width; ++x) PackPixel(surface.format, row + uint64_t(x) * bpp, image.At(x, y));
    }
}

}  // namespace d3dx
