#include "DxtBlocks.h"

#include <algorithm>

namespace {

uint16_t To565(uint32_t r, uint32_t g, uint32_t b) { return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | b >> 3); }

void Expand565(uint16_t c, uint32_t rgb[3]) {
    uint32_t r = c >> 11, g = (c >> 5) & 63, b = c & 31;
    rgb[0] = r << 3 | r >> 2;
    rgb[1] = g << 2 | g >> 4;
    rgb[2] = b << 3 | b >> 2;
}

void ColourPalette(uint16_t c0, uint16_t c1, uint32_t palette[4][3]) {
    Expand565(c0, palette[0]);
    Expand565(c1, palette[1]);
    for (int k = 0; k < 3; ++k) {
        palette[2][k] = (2 * palette[0][k] + palette[1][k]) / 3;
        palette[3][k] = (palette[0][k] + 2 * palette[1][k]) / 3;
    }
}

void AlphaPalette(uint32_t a0, uint32_t a1, uint32_t palette[8]) {
    palette[0] = a0;
    palette[1] = a1;
    if (a0 > a1) {
        for (uint32_t i = 1; i < 7; ++i) palette[i + 1] = ((7 - i) * a0 + i * a1) / 7;
    } else {
        for (uint32_t i = 1; i < 5; ++i) palette[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        palette[6] = 0;
        palette[7] = 255;
    }
}

uint32_t Channel(uint32_t argb, int shift) { return (argb >> shift) & 0xFF; }

uint32_t ColourDistance(uint32_t a, uint32_t b) {
    uint32_t sum = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int d = int(Channel(a, shift)) - int(Channel(b, shift));
        sum += uint32_t(d * d);
    }
    return sum;
}

}  // namespace

void EncodeDxt5Block(const uint32_t argb[16], uint8_t block[kDxt5BlockBytes]) {
    uint32_t aMin = 255, aMax = 0;
    for (int i = 0; i < 16; ++i) {
        aMin = std::min(aMin, Channel(argb[i], 24));
        aMax = std::max(aMax, Channel(argb[i], 24));
    }
    uint32_t alphas[8];
    AlphaPalette(aMax, aMin, alphas);
    uint64_t alphaBits = 0;
    for (int i = 0; i < 16; ++i) {
        uint32_t a = Channel(argb[i], 24), best = 0, bestError = 1u << 30;
        for (uint32_t j = 0; j < 8; ++j) {
            uint32_t error = a > alphas[j] ? a - alphas[j] : alphas[j] - a;
            if (error < bestError) best = j, bestError = error;
        }
        alphaBits |= uint64_t(best) << (3 * i);
    }
    block[0] = uint8_t(aMax);
    block[1] = uint8_t(aMin);
    for (int i = 0; i < 6; ++i) block[2 + i] = uint8_t(alphaBits >> (8 * i));

    // The two colours farthest apart become the end points.
    int far0 = 0, far1 = 0;
    uint32_t farthest = 0;
    for (int i = 0; i < 16; ++i) {
        for (int j = i + 1; j < 16; ++j) {
            uint32_t d = ColourDistance(argb[i], argb[j]);
            if (d > farthest) far0 = i, far1 = j, farthest = d;
        }
    }
    uint32_t e0 = argb[far0], e1 = argb[far1];
    uint16_t c0 = To565(Channel(e0, 16), Channel(e0, 8), Channel(e0, 0));
    uint16_t c1 = To565(Channel(e1, 16), Channel(e1, 8), Channel(e1, 0));
    uint32_t colours[4][3];
    ColourPalette(c0, c1, colours);
    uint32_t colourBits = 0;
    for (int i = 0; i < 16; ++i) {
        uint32_t best = 0, bestError = ~0u;
        for (uint32_t j = 0; j < 4; ++j) {
            uint32_t error = 0;
            for (int k = 0; k < 3; ++k) {
                int d = int(Channel(argb[i], 16 - 8 * k)) - int(colours[j][k]);
                error += uint32_t(d * d);
            }
            if (error < bestError) best = j, bestError = error;
        }
        colourBits |= best << (2 * i);
    }
    block[8] = uint8_t(c0);
    block[9] = uint8_t(c0 >> 8);
    block[10] = uint8_t(c1);
    block[11] = uint8_t(c1 >> 8);
    for (int i = 0; i < 4; ++i) block[12 + i] = uint8_t(colourBits >> (8 * i));
}

void DecodeDxt5Block(const uint8_t block[kDxt5BlockBytes], uint32_t argb[16]) {
    uint32_t alphas[8];
    AlphaPalette(block[0], block[1], alphas);
    uint64_t alphaBits = 0;
    for (int i = 0; i < 6; ++i) alphaBits |= uint64_t(block[2 + i]) << (8 * i);
    uint32_t colours[4][3];
    ColourPalette(uint16_t(block[8] | block[9] << 8), uint16_t(block[10] | block[11] << 8), colours);
    uint32_t colourBits =
        uint32_t(block[12]) | uint32_t(block[13]) << 8 | uint32_t(block[14]) << 16 | uint32_t(block[15]) << 24;
    for (int i = 0; i < 16; ++i) {
        uint32_t a = alphas[(alphaBits >> (3 * i)) & 7];
        const uint32_t* c = colours[(colourBits >> (2 * i)) & 3];
        argb[i] = a << 24 | c[0] << 16 | c[1] << 8 | c[2];
    }
}

std::vector<uint8_t> EncodeDxt5(const uint32_t* argb, int width, int height) {
    int bw = (width + 3) / 4, bh = (height + 3) / 4;
    std::vector<uint8_t> out(size_t(bw) * bh * kDxt5BlockBytes);
    for (int by = 0; by < bh; ++by) {
        for (int bx = 0; bx < bw; ++bx) {
            uint32_t pixels[16];
            for (int i = 0; i < 16; ++i) {
                int x = std::min(bx * 4 + i % 4, width - 1), y = std::min(by * 4 + i / 4, height - 1);
                pixels[i] = argb[size_t(y) * width + x];
            }
            EncodeDxt5Block(pixels, &out[(size_t(by) * bw + bx) * kDxt5BlockBytes]);
        }
    }
    return out;
}

std::vector<uint32_t> DecodeDxt5(const uint8_t* blocks, int width, int height) {
    int bw = (width + 3) / 4;
    std::vector<uint32_t> out(size_t(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t pixels[16];
            DecodeDxt5Block(blocks + (size_t(y / 4) * bw + x / 4) * kDxt5BlockBytes, pixels);
            out[size_t(y) * width + x] = pixels[(y % 4) * 4 + x % 4];
        }
    }
    return out;
}
