// DXT block decoding.
#include "ByteReader.h"
#include "Dxt.h"

namespace d3dx {
namespace {

uint32_t Expand565(uint16_t c) {
    uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}

uint32_t MixChannels(uint32_t a, uint32_t b, uint32_t weightA, uint32_t weightB, uint32_t total) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= ((ca * weightA + cb * weightB + total / 2) / total) << shift;
    }
    return out;
}

// Colour part, without alpha. Three-colour mode with a transparent fourth
// entry only exists in DXT1.
void DecodeColourBlock(const uint8_t* block, bool allowThreeColour, uint32_t texels[16]) {
    uint16_t c0 = LoadLe16(block), c1 = LoadLe16(block + 2);
    uint32_t palette[4];
    palette[0] = Expand565(c0) | 0xFF000000u;
    palette[1] = Expand565(c1) | 0xFF000000u;
    if (c0 > c1 || !allowThreeColour) {
        palette[2] = MixChannels(palette[0], palette[1], 2, 1, 3) | 0xFF000000u;
        palette[3] = MixChannels(palette[0], palette[1], 1, 2, 3) | 0xFF000000u;
    } else {
        palette[2] = MixChannels(palette[0], palette[1], 1, 1, 2) | 0xFF000000u;
        palette[3] = 0;
    }
    uint32_t indices = LoadLe32(block + 4);
    for (int i = 0; i < 16; ++i) texels[i] = palette[(indices >> (2 * i)) & 3];
}

void DecodeExplicitAlpha(const uint8_t* block, uint32_t texels[16]) {
    for (int i = 0; i < 16; ++i) {
        uint32_t a = (block[i / 2] >> (4 * (i & 1))) & 15;
        texels[i] = (texels[i] & 0x00FFFFFFu) | ((a * 17) << 24);
    }
}

void DecodeInterpolatedAlpha(const uint8_t* block, uint32_t texels[16]) {
    uint32_t a0 = block[0], a1 = block[1];
    uint32_t palette[8] = {a0, a1};
    if (a0 > a1) {
        for (uint32_t k = 2; k < 8; ++k) palette[k] = ((8 - k) * a0 + (k - 1) * a1 + 3) / 7;
    } else {
        for (uint32_t k = 2; k < 6; ++k) palette[k] = ((6 - k) * a0 + (k - 1) * a1 + 2) / 5;
        palette[6] = 0;
        palette[7] = 255;
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= uint64_t(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i) {
        uint32_t a = palette[(bits >> (3 * i)) & 7];
        texels[i] = (texels[i] & 0x00FFFFFFu) | (a << 24);
    }
}

}  // namespace

void DecodeDxtBlock(D3DFORMAT format, const uint8_t* block, uint32_t texels[16]) {
    switch (format) {
        case D3DFMT_DXT1:
            DecodeColourBlock(block, true, texels);
            break;
        case D3DFMT_DXT2:
        case D3DFMT_DXT3:
            DecodeColourBlock(block + 8, false, texels);
            DecodeExplicitAlpha(block, texels);
            break;
        default:
            DecodeColourBlock(block + 8, false, texels);
            DecodeInterpolatedAlpha(block, texels);
            break;
    }
}

}  // namespace d3dx
