#include "d3d9/PixelFormats.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "d3d9/raster/TexelFormats.h"

namespace lumiva::d3d9 {
namespace {

constexpr FormatInfo kFormats[] = {
    {D3DFMT_A8R8G8B8, "A8R8G8B8", FormatKind::Color, 4, 0, true, 0, 0},
    {D3DFMT_X8R8G8B8, "X8R8G8B8", FormatKind::Color, 4, 0, false, 0, 0},
    {D3DFMT_R8G8B8, "R8G8B8", FormatKind::Color, 3, 0, false, 0, 0},
    {D3DFMT_R5G6B5, "R5G6B5", FormatKind::Color, 2, 0, false, 0, 0},
    {D3DFMT_X1R5G5B5, "X1R5G5B5", FormatKind::Color, 2, 0, false, 0, 0},
    {D3DFMT_A1R5G5B5, "A1R5G5B5", FormatKind::Color, 2, 0, true, 0, 0},
    {D3DFMT_A4R4G4B4, "A4R4G4B4", FormatKind::Color, 2, 0, true, 0, 0},
    {D3DFMT_A8, "A8", FormatKind::Color, 1, 0, true, 0, 0},
    {D3DFMT_L8, "L8", FormatKind::Color, 1, 0, false, 0, 0},
    {D3DFMT_DXT1, "DXT1", FormatKind::BlockCompressed, 0, 8, true, 0, 0},
    {D3DFMT_DXT2, "DXT2", FormatKind::BlockCompressed, 0, 16, true, 0, 0},
    {D3DFMT_DXT3, "DXT3", FormatKind::BlockCompressed, 0, 16, true, 0, 0},
    {D3DFMT_DXT4, "DXT4", FormatKind::BlockCompressed, 0, 16, true, 0, 0},
    {D3DFMT_DXT5, "DXT5", FormatKind::BlockCompressed, 0, 16, true, 0, 0},
    {D3DFMT_D16_LOCKABLE, "D16_LOCKABLE", FormatKind::Depth, 2, 0, false, 16, 0},
    {D3DFMT_D16, "D16", FormatKind::Depth, 2, 0, false, 16, 0},
    {D3DFMT_D15S1, "D15S1", FormatKind::Depth, 2, 0, false, 15, 1},
    {D3DFMT_D32, "D32", FormatKind::Depth, 4, 0, false, 32, 0},
    {D3DFMT_D24S8, "D24S8", FormatKind::Depth, 4, 0, false, 24, 8},
    {D3DFMT_D24X8, "D24X8", FormatKind::Depth, 4, 0, false, 24, 0},
    {D3DFMT_D24X4S4, "D24X4S4", FormatKind::Depth, 4, 0, false, 24, 4},
    {D3DFMT_INDEX16, "INDEX16", FormatKind::Index, 2, 0, false, 0, 0},
    {D3DFMT_INDEX32, "INDEX32", FormatKind::Index, 4, 0, false, 0, 0},
};

// n-bit channel to 8 bits by bit replication, and back rounded to nearest.
inline DWORD Expand(DWORD value, int bits) {
    const DWORD max = (1u << bits) - 1;
    return (value * 255 + max / 2) / max;
}
inline DWORD Reduce(DWORD value8, int bits) {
    const DWORD max = (1u << bits) - 1;
    return (value8 * max + 127) / 255;
}

inline WORD ReadWord(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
inline DWORD ReadDword(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24); }
inline void WriteWord(BYTE* p, DWORD v) {
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
}
inline void WriteDword(BYTE* p, DWORD v) {
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
    p[2] = static_cast<BYTE>(v >> 16);
    p[3] = static_cast<BYTE>(v >> 24);
}

inline D3DCOLOR Argb(DWORD a, DWORD r, DWORD g, DWORD b) { return (a << 24) | (r << 16) | (g << 8) | b; }

D3DCOLOR Rgb565ToArgb(WORD c) {
    return Argb(255, Expand((c >> 11) & 31, 5), Expand((c >> 5) & 63, 6), Expand(c & 31, 5));
}

}  // namespace

const FormatInfo* FindFormat(D3DFORMAT format) {
    // Numbered formats through a direct table; the FourCC ones by search.
    static const auto byNumber = [] {
        std::array<const FormatInfo*, 128> table{};
        for (const FormatInfo& info : kFormats)
            if (static_cast<DWORD>(info.format) < table.size()) table[info.format] = &info;
        return table;
    }();
    if (static_cast<DWORD>(format) < byNumber.size()) return byNumber[format];
    for (const FormatInfo& info : kFormats)
        if (info.format == format) return &info;
    return nullptr;
}

bool IsColorFormat(D3DFORMAT format) {
    const FormatInfo* info = FindFormat(format);
    return info && (info->kind == FormatKind::Color || info->kind == FormatKind::BlockCompressed);
}

bool IsBlockFormat(D3DFORMAT format) {
    const FormatInfo* info = FindFormat(format);
    return info && info->kind == FormatKind::BlockCompressed;
}

bool IsDepthFormat(D3DFORMAT format) {
    const FormatInfo* info = FindFormat(format);
    return info && info->kind == FormatKind::Depth;
}

bool FormatHasStencil(D3DFORMAT format) {
    const FormatInfo* info = FindFormat(format);
    return info && info->stencilBits > 0;
}

UINT RowPitch(D3DFORMAT format, UINT width) {
    const FormatInfo* info = FindFormat(format);
    if (!info) return 0;
    if (info->kind == FormatKind::BlockCompressed) return std::max(1u, (width + 3) / 4) * info->bytesPerBlock;
    return width * info->bytesPerPixel;
}

UINT RowCount(D3DFORMAT format, UINT height) {
    return IsBlockFormat(format) ? std::max(1u, (height + 3) / 4) : height;
}

uint64_t ImageByteCount(D3DFORMAT format, UINT width, UINT height) {
    return static_cast<uint64_t>(RowPitch(format, width)) * RowCount(format, height);
}

D3DCOLOR DecodePixel(D3DFORMAT format, const BYTE* p) {
    switch (format) {
        case D3DFMT_A8R8G8B8: return ReadDword(p);
        case D3DFMT_X8R8G8B8: return ReadDword(p) | 0xFF000000;
        case D3DFMT_R8G8B8: return Argb(255, p[2], p[1], p[0]);
        case D3DFMT_R5G6B5: return Rgb565ToArgb(ReadWord(p));
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5: {
            const WORD c = ReadWord(p);
            const DWORD a = format == D3DFMT_X1R5G5B5 || (c & 0x8000) ? 255 : 0;
            return Argb(a, Expand((c >> 10) & 31, 5), Expand((c >> 5) & 31, 5), Expand(c & 31, 5));
        }
        case D3DFMT_A4R4G4B4: {
            const WORD c = ReadWord(p);
            return Argb(((c >> 12) & 15) * 17, ((c >> 8) & 15) * 17, ((c >> 4) & 15) * 17, (c & 15) * 17);
        }
        case D3DFMT_A8: return static_cast<D3DCOLOR>(p[0]) << 24;
        case D3DFMT_L8: return Argb(255, p[0], p[0], p[0]);
        default: return 0;
    }
}

void EncodePixel(D3DFORMAT format, D3DCOLOR color, BYTE* p) {
    const DWORD a = color >> 24, r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
    switch (format) {
        case D3DFMT_A8R8G8B8: WriteDword(p, color); break;
        case D3DFMT_X8R8G8B8: WriteDword(p, color | 0xFF000000); break;
        case D3DFMT_R8G8B8:
            p[0] = static_cast<BYTE>(b);
            p[1] = static_cast<BYTE>(g);
            p[2] = static_cast<BYTE>(r);
            break;
        case D3DFMT_R5G6B5: WriteWord(p, (Reduce(r, 5) << 11) | (Reduce(g, 6) << 5) | Reduce(b, 5)); break;
        case D3DFMT_X1R5G5B5: WriteWord(p, 0x8000 | (Reduce(r, 5) << 10) | (Reduce(g, 5) << 5) | Reduce(b, 5)); break;
        case D3DFMT_A1R5G5B5:
            WriteWord(p, (a >= 128 ? 0x8000 : 0) | (Reduce(r, 5) << 10) | (Reduce(g, 5) << 5) | Reduce(b, 5));
            break;
        case D3DFMT_A4R4G4B4:
            WriteWord(p, (Reduce(a, 4) << 12) | (Reduce(r, 4) << 8) | (Reduce(g, 4) << 4) | Reduce(b, 4));
            break;
        case D3DFMT_A8: p[0] = static_cast<BYTE>(a); break;
        case D3DFMT_L8:
            // Rec. 709 luma weights, as the utility library converts.
            p[0] = static_cast<BYTE>((r * 2125 + g * 7154 + b * 721 + 5000) / 10000);
            break;
        default: break;
    }
}

// The rasterizer's decoder, so locked reads and drawn texels agree.
void DecodeBlock(D3DFORMAT format, const BYTE* block, D3DCOLOR texels[16]) {
    raster::DecodeDxtBlock(format, block, texels);
}

float DecodeDepth(D3DFORMAT format, const BYTE* p) {
    switch (format) {
        case D3DFMT_D16:
        case D3DFMT_D16_LOCKABLE: return ReadWord(p) / 65535.0f;
        case D3DFMT_D15S1: return (ReadWord(p) >> 1) / 32767.0f;
        case D3DFMT_D32: return static_cast<float>(ReadDword(p) / 4294967295.0);
        case D3DFMT_D24S8:
        case D3DFMT_D24X8:
        case D3DFMT_D24X4S4: return (ReadDword(p) >> 8) / 16777215.0f;
        default: return 0.0f;
    }
}

void EncodeDepth(D3DFORMAT format, float depth, BYTE* p) {
    const double d = std::clamp(static_cast<double>(depth), 0.0, 1.0);
    switch (format) {
        case D3DFMT_D16:
        case D3DFMT_D16_LOCKABLE: WriteWord(p, static_cast<DWORD>(std::lround(d * 65535.0))); break;
        case D3DFMT_D15S1: WriteWord(p, (static_cast<DWORD>(std::lround(d * 32767.0)) << 1) | (ReadWord(p) & 1)); break;
        case D3DFMT_D32: WriteDword(p, static_cast<DWORD>(std::llround(d * 4294967295.0))); break;
        case D3DFMT_D24S8:
        case D3DFMT_D24X8:
        case D3DFMT_D24X4S4:
            WriteDword(p, (static_cast<DWORD>(std::lround(d * 16777215.0)) << 8) | (ReadDword(p) & 0xFF));
            break;
        default: break;
    }
}

DWORD DecodeStencil(D3DFORMAT format, const BYTE* p) {
    switch (format) {
        case D3DFMT_D15S1: return ReadWord(p) & 1;
        case D3DFMT_D24S8: return p[0];
        case D3DFMT_D24X4S4: return p[0] & 15;
        default: return 0;
    }
}

void EncodeStencil(D3DFORMAT format, DWORD stencil, BYTE* p) {
    switch (format) {
        case D3DFMT_D15S1: WriteWord(p, (ReadWord(p) & ~1u) | (stencil & 1)); break;
        case D3DFMT_D24S8: p[0] = static_cast<BYTE>(stencil); break;
        case D3DFMT_D24X4S4: p[0] = static_cast<BYTE>(stencil & 15); break;
        default: break;
    }
}

}  // namespace lumiva::d3d9
