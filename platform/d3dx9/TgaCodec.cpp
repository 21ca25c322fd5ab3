// Truevision TGA files: colour-mapped, true-colour and grey images, raw or
// run-length encoded, with either row order.
#include "ByteReader.h"
#include "Codecs.h"

namespace d3dx {
namespace {

enum TgaType : uint8_t {
    kColourMapped = 1,
    kTrueColour = 2,
    kGrey = 3,
    kRleColourMapped = 9,
    kRleTrueColour = 10,
    kRleGrey = 11,
};

constexpr uint8_t kTopToBottom = 0x20, kRightToLeft = 0x10;

uint32_t Expand5(uint32_t v) { return (v << 3) | (v >> 2); }

// One stored pixel (or colour-map entry) of 15, 16, 24 or 32 bits.
uint32_t ReadColour(const uint8_t* p, uint32_t bits, bool useAlpha) {
    switch (bits) {
        case 15:
        case 16: {
            uint32_t v = LoadLe16(p);
            uint32_t a = (!useAlpha || (v & 0x8000)) ? 255 : 0;
            return a << 24 | Expand5((v >> 10) & 31) << 16 | Expand5((v >> 5) & 31) << 8 | Expand5(v & 31);
        }
        case 24:
            return 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        default: {
            uint32_t v = LoadLe32(p);
            return useAlpha ? v : (v | 0xFF000000u);
        }
    }
}

}  // namespace

HRESULT DecodeTga(const uint8_t* data, size_t size, DecodedImage* out) {
    ByteReader in(data, size);
    uint8_t idLength = in.U8();
    uint8_t mapType = in.U8();
    uint8_t type = in.U8();
    uint16_t mapFirst = in.U16();
    uint16_t mapLength = in.U16();
    uint8_t mapBits = in.U8();
    in.Skip(4);  // origin
    uint16_t width = in.U16();
    uint16_t height = in.U16();
    uint8_t pixelBits = in.U8();
    uint8_t descriptor = in.U8();
    if (in.Failed()) return D3DXERR_INVALIDDATA;

    bool rle = type == kRleColourMapped || type == kRleTrueColour || type == kRleGrey;
    uint8_t baseType = rle ? uint8_t(type - 8) : type;
    bool mapped = baseType == kColourMapped;
    if (baseType != kColourMapped && baseType != kTrueColour && baseType != kGrey) return D3DXERR_INVALIDDATA;
    if (mapType > 1 || (mapped && mapType != 1)) return D3DXERR_INVALIDDATA;
    if (!IsAcceptableSize(width, height)) return D3DXERR_INVALIDDATA;
    uint32_t alphaBits = descriptor & 0x0F;
    switch (baseType) {
        case kColourMapped:
            if (pixelBits != 8) return D3DXERR_INVALIDDATA;
            break;
        case kTrueColour:
            if (pixelBits != 15 && pixelBits != 16 && pixelBits != 24 && pixelBits != 32) return D3DXERR_INVALIDDATA;
            break;
        default:
            if (pixelBits != 8) return D3DXERR_INVALIDDATA;
            break;
    }
    if (mapType == 1 && mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) return D3DXERR_INVALIDDATA;

    in.Skip(idLength);
    std::vector<uint32_t> palette;
    if (mapType == 1) {
        uint32_t entryBytes = (mapBits + 7) / 8;
        const uint8_t* map = in.Take(size_t(mapLength) * entryBytes);
        if (!map) return D3DXERR_INVALIDDATA;
        for (uint32_t i = 0; i < mapLength; ++i)
            palette.push_back(ReadColour(map + i * entryBytes, mapBits, alphaBits > 0));
    }

    uint32_t pixelBytes = (pixelBits + 7) / 8;
    bool useAlpha = alphaBits > 0;
    auto toArgb = [&](const uint8_t* p, uint32_t* argb) {
        if (mapped) {
            uint32_t index = p[0];
            if (index < mapFirst || index - mapFirst >= palette.size()) return false;
            *argb = palette[index - mapFirst];
        } else if (baseType == kGrey) {
            *argb = 0xFF000000u | uint32_t(p[0]) * 0x010101u;
        } else {
            *argb = ReadColour(p, pixelBits, useAlpha);
        }
        return true;
    };

    uint64_t count = uint64_t(width) * height;
    // The most pixels the bytes left can hold (for run-length data, every
    // packet a 128-pixel repeat): a short file is refused before the pixels
    // are allocated, so a bare header cannot cost 64 MiB.
    uint64_t left = in.Remaining();
    uint64_t mostPixels = rle ? left / (1 + pixelBytes) * 128 : left / pixelBytes;
    if (count > mostPixels) return D3DXERR_INVALIDDATA;
    std::vector<uint32_t> pixels(count);
    uint64_t done = 0;
    while (done < count) {
        uint64_t run = 1;
        bool repeat = false;
        if (rle) {
            uint8_t packet = in.U8();
            run = (packet & 0x7F) + 1u;
            repeat = packet & 0x80;
            if (in.Failed() || run > count - done) return D3DXERR_INVALIDDATA;
        }
        if (repeat) {
            const uint8_t* p = in.Take(pixelBytes);
            uint32_t argb;
            if (!p || !toArgb(p, &argb)) return D3DXERR_INVALIDDATA;
            for (uint64_t i = 0; i < run; ++i) pixels[done++] = argb;
        } else {
            for (uint64_t i = 0; i < run; ++i) {
                const uint8_t* p = in.Take(pixelBytes);
                if (!p || !toArgb(p, &pixels[done++])) return D3DXERR_INVALIDDATA;
            }
        }
    }

    ArgbImage image(width, height);
    for (UINT row = 0; row < height; ++row) {
        UINT y = (descriptor & kTopToBottom) ? row : height - 1 - row;
        for (UINT col = 0; col < width; ++col) {
            UINT x = (descriptor & kRightToLeft) ? width - 1 - col : col;
            image.At(x, y) = pixels[size_t(row) * width + col];
        }
    }

    D3DFORMAT format = D3DFMT_P8;
    if (baseType == kGrey) {
        format = D3DFMT_L8;
    } else if (baseType == kTrueColour) {
        if (pixelBits == 32) format = useAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
        if (pixelBits == 24) format = D3DFMT_R8G8B8;
        if (pixelBits <= 16) format = useAlpha ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5;
    }
    out->levels.push_back(std::move(image));
    SetSingleImageInfo(out, format, D3DXIFF_TGA);
    return S_OK;
}

HRESULT EncodeTga(const ArgbImage& image, bool alpha, bool runLength, std::vector<uint8_t>* out) {
    if (image.width == 0 || image.height == 0 || image.width > 0xFFFF || image.height > 0xFFFF)
        return D3DXERR_INVALIDDATA;
    uint32_t pixelBytes = alpha ? 4 : 3;
    std::vector<uint8_t> file(18, 0);
    file[2] = runLength ? kRleTrueColour : kTrueColour;
    StoreLe16(&file[12], uint16_t(image.width));
    StoreLe16(&file[14], uint16_t(image.height));
    file[16] = uint8_t(pixelBytes * 8);
    file[17] = uint8_t(kTopToBottom | (alpha ? 8 : 0));
    auto put = [&](uint32_t p) {
        for (uint32_t i = 0; i < pixelBytes; ++i) file.push_back(uint8_t(p >> (8 * i)));
    };
    const std::vector<uint32_t>& px = image.pixels;
    auto same = [&](size_t a, size_t b) { return alpha ? px[a] == px[b] : ((px[a] ^ px[b]) & 0xFFFFFF) == 0; };
    if (!runLength) {
        for (uint32_t p : px) put(p);
    } else {
        // Packets stay within a row, as older readers expect.
        for (UINT y = 0; y < image.height; ++y) {
            size_t rowStart = size_t(y) * image.width, rowEnd = rowStart + image.width;
            for (size_t i = rowStart; i < rowEnd;) {
                size_t run = 1;
                while (i + run < rowEnd && run < 128 && same(i, i + run)) ++run;
                if (run > 1) {
                    file.push_back(uint8_t(0x80 | (run - 1)));
                    put(px[i]);
                } else {
                    while (i + run < rowEnd && run < 128 && !same(i + run - 1, i + run)) ++run;
                    if (i + run < rowEnd && run > 1) --run;  // leave the start of the next repeat
                    file.push_back(uint8_t(run - 1));
                    for (size_t k = 0; k < run; ++k) put(px[i + k]);
                }
                i += run;
            }
        }
    }
    *out = std::move(file);
    return S_OK;
}

}  // namespace d3dx
