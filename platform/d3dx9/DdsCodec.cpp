// DDS files: plain two-dimensional textures with their mip chains, in the
// DXT formats and the uncompressed formats that have a D3D equivalent.
#include <algorithm>
#include <cstring>

#include "ByteReader.h"
#include "Codecs.h"
#include "PixelFormat.h"

namespace d3dx {
namespace {

constexpr uint32_t kHeaderSize = 124;
constexpr uint32_t kPixelFormatSize = 32;
constexpr uint32_t kDataOffset = 4 + kHeaderSize;

constexpr uint32_t DDSD_CAPS = 0x1, DDSD_HEIGHT = 0x2, DDSD_WIDTH = 0x4, DDSD_PITCH = 0x8;
constexpr uint32_t DDSD_PIXELFORMAT = 0x1000, DDSD_MIPMAPCOUNT = 0x20000, DDSD_LINEARSIZE = 0x80000;
constexpr uint32_t DDPF_ALPHAPIXELS = 0x1, DDPF_ALPHA = 0x2, DDPF_FOURCC = 0x4, DDPF_RGB = 0x40;
constexpr uint32_t DDPF_LUMINANCE = 0x20000;
constexpr uint32_t DDSCAPS_COMPLEX = 0x8, DDSCAPS_TEXTURE = 0x1000, DDSCAPS_MIPMAP = 0x400000;
constexpr uint32_t DDSCAPS2_CUBEMAP = 0x200, DDSCAPS2_VOLUME = 0x200000;

struct PixelFormatRecord {
    uint32_t flags, fourCC, bitCount, rMask, gMask, bMask, aMask;
};

struct MaskedFormat {
    D3DFORMAT format;
    uint32_t flags, bitCount, rMask, gMask, bMask, aMask;
};

// Uncompressed formats by their DDS bit masks.
constexpr MaskedFormat kMaskedFormats[] = {
    {D3DFMT_A8R8G8B8, DDPF_RGB | DDPF_ALPHAPIXELS, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {D3DFMT_X8R8G8B8, DDPF_RGB, 32, 0xFF0000, 0xFF00, 0xFF, 0},
    {D3DFMT_A8B8G8R8, DDPF_RGB | DDPF_ALPHAPIXELS, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000},
    {D3DFMT_X8B8G8R8, DDPF_RGB, 32, 0xFF, 0xFF00, 0xFF0000, 0},
    {D3DFMT_R8G8B8, DDPF_RGB, 24, 0xFF0000, 0xFF00, 0xFF, 0},
    {D3DFMT_R5G6B5, DDPF_RGB, 16, 0xF800, 0x7E0, 0x1F, 0},
    {D3DFMT_A1R5G5B5, DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0x7C00, 0x3E0, 0x1F, 0x8000},
    {D3DFMT_X1R5G5B5, DDPF_RGB, 16, 0x7C00, 0x3E0, 0x1F, 0},
    {D3DFMT_A4R4G4B4, DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0xF00, 0xF0, 0xF, 0xF000},
    {D3DFMT_X4R4G4B4, DDPF_RGB, 16, 0xF00, 0xF0, 0xF, 0},
    {D3DFMT_L8, DDPF_LUMINANCE, 8, 0xFF, 0, 0, 0},
    {D3DFMT_A8L8, DDPF_LUMINANCE | DDPF_ALPHAPIXELS, 16, 0xFF, 0, 0, 0xFF00},
    {D3DFMT_A8, DDPF_ALPHA, 8, 0, 0, 0, 0xFF},
};

constexpr uint32_t kKindFlags = DDPF_RGB | DDPF_LUMINANCE | DDPF_ALPHA | DDPF_ALPHAPIXELS;

D3DFORMAT FormatOf(const PixelFormatRecord& pf) {
    if (pf.flags & DDPF_FOURCC) {
        // Compared as numbers: most codes lie outside the enumeration's range.
        for (D3DFORMAT f : {D3DFMT_DXT1, D3DFMT_DXT3, D3DFMT_DXT5})
            if (pf.fourCC == uint32_t(f)) return f;
        return D3DFMT_UNKNOWN;
    }
    for (const MaskedFormat& m : kMaskedFormats) {
        if ((pf.flags & kKindFlags) == m.flags && pf.bitCount == m.bitCount && pf.rMask == m.rMask &&
            pf.gMask == m.gMask && pf.bMask == m.bMask && pf.aMask == m.aMask)
            return m.format;
    }
    return D3DFMT_UNKNOWN;
}

UINT MaxMipLevels(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT side = std::max(width, height); side > 1; side >>= 1) ++levels;
    return levels;
}

}  // namespace

HRESULT DecodeDds(const uint8_t* data, size_t size, DecodedImage* out) {
    ByteReader in(data, size);
    if (in.U32() != MAKEFOURCC('D', 'D', 'S', ' ')) return D3DXERR_INVALIDDATA;
    uint32_t headerSize = in.U32();
    uint32_t flags = in.U32();
    uint32_t height = in.U32();
    uint32_t width = in.U32();
    in.U32();  // pitch or linear size: recomputed from the format
    uint32_t depth = in.U32();
    uint32_t mipCount = in.U32();
    in.Skip(11 * 4);
    uint32_t pixelFormatSize = in.U32();
    PixelFormatRecord pf;
    pf.flags = in.U32();
    pf.fourCC = in.U32();
    pf.bitCount = in.U32();
    pf.rMask = in.U32();
    pf.gMask = in.U32();
    pf.bMask = in.U32();
    pf.aMask = in.U32();
    in.U32();  // caps
    uint32_t caps2 = in.U32();
    in.Skip(3 * 4);
    if (in.Failed() || headerSize != kHeaderSize || pixelFormatSize != kPixelFormatSize) return D3DXERR_INVALIDDATA;
    const uint32_t required = DDSD_HEIGHT | DDSD_WIDTH;
    if ((flags & required) != required) return D3DXERR_INVALIDDATA;
    // Cube maps and volumes are not part of this stand-in.
    if (caps2 & (DDSCAPS2_CUBEMAP | DDSCAPS2_VOLUME)) return D3DXERR_INVALIDDATA;
    if (depth > 1) return D3DXERR_INVALIDDATA;
    if (!IsAcceptableSize(width, height)) return D3DXERR_INVALIDDATA;
    D3DFORMAT format = FormatOf(pf);
    if (format == D3DFMT_UNKNOWN) return D3DXERR_INVALIDDATA;
    UINT levels = (flags & DDSD_MIPMAPCOUNT) && mipCount > 0 ? mipCount : 1;
    if (levels > MaxMipLevels(width, height)) return D3DXERR_INVALIDDATA;

    // Every level must be present in full before anything is allocated.
    uint64_t total = 0;
    for (UINT level = 0; level < levels; ++level)
        total += SurfaceBytes(format, std::max(1u, width >> level), std::max(1u, height >> level));
    if (total > in.Remaining()) return D3DXERR_INVALIDDATA;

    for (UINT level = 0; level < levels; ++level) {
        UINT w = std::max(1u, width >> level), h = std::max(1u, height >> level);
        uint64_t bytes = SurfaceBytes(format, w, h);
        const uint8_t* bits = in.Take(size_t(bytes));
        out->storedLevels.emplace_back(bits, bits + bytes);
        SurfaceView view{format, out->storedLevels.back().data(), RowBytes(format, w), w, h};
        out->levels.push_back(ReadRect(view, RECT{0, 0, LONG(w), LONG(h)}));
    }
    SetSingleImageInfo(out, format, D3DXIFF_DDS);
    out->info.MipLevels = levels;
    return S_OK;
}

HRESULT EncodeDds(D3DFORMAT format, const std::vector<StoredLevel>& levels, std::vector<uint8_t>* out) {
    if (levels.empty() || !IsConvertibleFormat(format)) return D3DXERR_INVALIDDATA;
    const StoredLevel& top = levels[0];
    std::vector<uint8_t> file(kDataOffset, 0);
    uint8_t* h = file.data();
    bool compressed = IsBlockCompressed(format);
    StoreLe32(h, MAKEFOURCC('D', 'D', 'S', ' '));
    uint32_t flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    flags |= compressed ? DDSD_LINEARSIZE : DDSD_PITCH;
    if (levels.size() > 1) flags |= DDSD_MIPMAPCOUNT;
    StoreLe32(h + 4, kHeaderSize);
    StoreLe32(h + 8, flags);
    StoreLe32(h + 12, top.height);
    StoreLe32(h + 16, top.width);
    uint64_t topBytes = compressed ? SurfaceBytes(format, top.width, top.height) : RowBytes(format, top.width);
    StoreLe32(h + 20, uint32_t(topBytes));
    StoreLe32(h + 28, uint32_t(levels.size()));
    uint8_t* pf = h + 76;
    StoreLe32(pf, kPixelFormatSize);
    if (compressed) {
        StoreLe32(pf + 4, DDPF_FOURCC);
        StoreLe32(pf + 8, uint32_t(format));
    } else {
        const MaskedFormat* match = nullptr;
        for (const MaskedFormat& m : kMaskedFormats)
            if (m.format == format) match = &m;
        if (!match) return D3DXERR_INVALIDDATA;
        StoreLe32(pf + 4, match->flags);
        StoreLe32(pf + 12, match->bitCount);
        StoreLe32(pf + 16, match->rMask);
        StoreLe32(pf + 20, match->gMask);
        StoreLe32(pf + 24, match->bMask);
        StoreLe32(pf + 28, match->aMask);
    }
    uint32_t caps = DDSCAPS_TEXTURE;
    if (levels.size() > 1) caps |= DDSCAPS_COMPLEX | DDSCAPS_MIPMAP;
    StoreLe32(h + 108, caps);
    for (const StoredLevel& level : levels) {
        uint64_t rowBytes = RowBytes(format, level.width);
        for (uint64_t row = 0; row < RowCount(format, level.height); ++row) {
            const uint8_t* src = level.bits + row * level.pitch;
            file.insert(file.end(), src, src + rowBytes);
        }
    }
    *out = std::move(file);
    return S_OK;
}

}  // namespace d3dx
