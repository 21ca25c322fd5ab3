// Windows bitmaps: 1, 4 and 8-bit palettes, 16, 24 and 32-bit pixels, with
// or without bit-field masks; bottom-up or top-down rows. Run-length
// compressed bitmaps are refused.
#include <algorithm>

#include "ByteReader.h"
#include "Codecs.h"

namespace d3dx {
namespace {

constexpr uint32_t BI_RGB = 0, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6;
constexpr uint32_t kFileHeaderSize = 14, kInfoHeaderSize = 40, kV4HeaderSize = 108;

// A channel described by a bit mask, scaled to 8 bits.
struct MaskChannel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit MaskChannel(uint32_t m) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        max = m >> shift;
    }
    bool Contiguous() const { return mask == 0 || (max & (max + 1)) == 0; }
    uint32_t Read(uint32_t v) const { return max ? (((v & mask) >> shift) * 255 + max / 2) / max : 0; }
};

struct Header {
    int32_t width = 0, height = 0;
    uint32_t bitCount = 0, compression = 0, colourCount = 0;
    uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    bool hasMasks = false;
    uint32_t pixelOffset = 0, infoSize = 0;
};

bool ReadHeader(ByteReader& in, Header* h) {
    in.Skip(10);
    h->pixelOffset = in.U32();
    h->infoSize = in.U32();
    if (in.Failed() || h->infoSize < kInfoHeaderSize) return false;
    h->width = in.I32();
    h->height = in.I32();
    uint16_t planes = in.U16();
    h->bitCount = in.U16();
    h->compression = in.U32();
    in.Skip(12);  // image size, resolution
    h->colourCount = in.U32();
    in.U32();  // important colours
    if (in.Failed() || planes != 1) return false;
    if (h->compression == BI_BITFIELDS || h->compression == BI_ALPHABITFIELDS) {
        // Masks follow the 40-byte header, or live inside a larger one.
        int count = (h->compression == BI_ALPHABITFIELDS || h->infoSize >= kV4HeaderSize) ? 4 : 3;
        for (int i = 0; i < count; ++i) h->masks[i] = in.U32();
        h->hasMasks = true;
    } else if (h->compression != BI_RGB) {
        return false;
    }
    return !in.Failed();
}

}  // namespace

HRESULT DecodeBmp(const uint8_t* data, size_t size, DecodedImage* out) {
    ByteReader in(data, size);
    Header h;
    if (!ReadHeader(in, &h)) return D3DXERR_INVALIDDATA;
    bool paletted = h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8;
    bool direct = h.bitCount == 16 || h.bitCount == 24 || h.bitCount == 32;
    if (!paletted && !direct) return D3DXERR_INVALIDDATA;
    if (h.hasMasks && h.bitCount != 16 && h.bitCount != 32) return D3DXERR_INVALIDDATA;
    bool topDown = h.height < 0;
    uint64_t width = h.width > 0 ? uint64_t(h.width) : 0;
    uint64_t height = topDown ? uint64_t(-int64_t(h.height)) : uint64_t(h.height);
    if (h.width <= 0 || !IsAcceptableSize(width, height)) return D3DXERR_INVALIDDATA;

    // Palette: after the info header (and its masks, when they follow it).
    std::vector<uint32_t> palette;
    if (paletted) {
        uint64_t maxColours = uint64_t(1) << h.bitCount;
        uint64_t colours = h.colourCount ? h.colourCount : maxColours;
        if (colours > maxColours) return D3DXERR_INVALIDDATA;
        if (!in.Seek(uint64_t(kFileHeaderSize) + h.infoSize)) return D3DXERR_INVALIDDATA;
        for (uint64_t i = 0; i < colours; ++i) palette.push_back(in.U32() | 0xFF000000u);
        if (in.Failed()) return D3DXERR_INVALIDDATA;
    }

    uint64_t stride = (width * h.bitCount + 31) / 32 * 4;
    if (h.pixelOffset > size || stride * height > size - h.pixelOffset) return D3DXERR_INVALIDDATA;

    uint32_t defaultMasks16[4] = {0x7C00, 0x3E0, 0x1F, 0};
    uint32_t defaultMasks32[4] = {0xFF0000, 0xFF00, 0xFF, 0};
    const uint32_t* masks = h.hasMasks ? h.masks : (h.bitCount == 16 ? defaultMasks16 : defaultMasks32);
    MaskChannel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    if (!red.Contiguous() || !green.Contiguous() || !blue.Contiguous() || !alpha.Contiguous())
        return D3DXERR_INVALIDDATA;

    ArgbImage image{UINT(width), UINT(height)};
    for (uint64_t row = 0; row < height; ++row) {
        const uint8_t* src = data + h.pixelOffset + row * stride;
        UINT y = UINT(topDown ? row : height - 1 - row);
        for (uint64_t x = 0; x < width; ++x) {
            uint32_t argb;
            if (paletted) {
                uint64_t bit = x * h.bitCount;
                uint32_t index = (src[bit / 8] >> (8 - h.bitCount - bit % 8)) & ((1u << h.bitCount) - 1);
                if (index >= palette.size()) return D3DXERR_INVALIDDATA;
                argb = palette[index];
            } else if (h.bitCount == 24) {
                const uint8_t* p = src + x * 3;
                argb = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
            } else {
                uint32_t v = h.bitCount == 16 ? LoadLe16(src + x * 2) : LoadLe32(src + x * 4);
                uint32_t a = alpha.mask ? alpha.Read(v) : 255;
                argb = a << 24 | red.Read(v) << 16 | green.Read(v) << 8 | blue.Read(v);
            }
            image.At(UINT(x), y) = argb;
        }
    }

    D3DFORMAT format = D3DFMT_X8R8G8B8;
    if (paletted) {
        format = D3DFMT_P8;
    } else if (h.bitCount == 24) {
        format = D3DFMT_R8G8B8;
    } else if (h.bitCount == 16) {
        format = masks[1] == 0x7E0 ? D3DFMT_R5G6B5 : (alpha.mask ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5);
    } else if (alpha.mask) {
        format = D3DFMT_A8R8G8B8;
    }
    out->levels.push_back(std::move(image));
    SetSingleImageInfo(out, format, D3DXIFF_BMP);
    return S_OK;
}

HRESULT EncodeBmp(const ArgbImage& image, bool alpha, std::vector<uint8_t>* out) {
    if (image.width == 0 || image.height == 0) return D3DXERR_INVALIDDATA;
    // Opaque images as 24-bit rows; with alpha, 32-bit rows described by a
    // version 4 header whose masks include the alpha channel.
    uint32_t infoSize = alpha ? kV4HeaderSize : kInfoHeaderSize;
    uint32_t bitCount = alpha ? 32 : 24;
    uint64_t stride = (uint64_t(image.width) * bitCount + 31) / 32 * 4;
    uint64_t pixelOffset = kFileHeaderSize + infoSize;
    uint64_t fileSize = pixelOffset + stride * image.height;
    if (fileSize > 0xFFFFFFFFu) return D3DXERR_INVALIDDATA;
    std::vector<uint8_t> file(size_t(fileSize), 0);
    uint8_t* h = file.data();
    h[0] = 'B', h[1] = 'M';
    StoreLe32(h + 2, uint32_t(fileSize));
    StoreLe32(h + 10, uint32_t(pixelOffset));
    uint8_t* info = h + kFileHeaderSize;
    StoreLe32(info, infoSize);
    StoreLe32(info + 4, image.width);
    StoreLe32(info + 8, image.height);
    StoreLe16(info + 12, 1);
    StoreLe16(info + 14, uint16_t(bitCount));
    StoreLe32(info + 16, alpha ? BI_BITFIELDS : BI_RGB);
    StoreLe32(info + 20, uint32_t(stride * image.height));
    StoreLe32(info + 24, 2835);
    StoreLe32(info + 28, 2835);
    if (alpha) {
        StoreLe32(info + 40, 0x00FF0000);
        StoreLe32(info + 44, 0x0000FF00);
        StoreLe32(info + 48, 0x000000FF);
        StoreLe32(info + 52, 0xFF000000);
        StoreLe32(info + 56, MAKEFOURCC('s', 'R', 'G', 'B'));
    }
    for (UINT y = 0; y < image.height; ++y) {
        uint8_t* row = h + pixelOffset + uint64_t(image.height - 1 - y) * stride;
        for (UINT x = 0; x < image.width; ++x) {
            uint32_t p = image.At(x, y);
            if (alpha) {
                StoreLe32(row + uint64_t(x) * 4, p);
            } else {
                row[x * 3] = uint8_t(p), row[x * 3 + 1] = uint8_t(p >> 8), row[x * 3 + 2] = uint8_t(p >> 16);
            }
        }
    }
    *out = std::move(file);
    return S_OK;
}

}  // namespace d3dx
