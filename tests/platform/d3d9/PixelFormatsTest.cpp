// The per-format table: sizes, conversions to and from A8R8G8B8, DXT
// decoding, depth and stencil packing.
#include <gtest/gtest.h>

#include "d3d9/PixelBuffer.h"
#include "d3d9/PixelFormats.h"
#include "d3d9/SurfaceCopy.h"

using namespace lumiva::d3d9;

namespace {

struct RoundTrip {
    D3DFORMAT format;
    D3DCOLOR in;
    D3DCOLOR out;
};

TEST(PixelFormats, ColoursRoundTripWithinEachFormatsPrecision) {
    const RoundTrip cases[] = {
        {D3DFMT_A8R8G8B8, 0x80123456, 0x80123456}, {D3DFMT_X8R8G8B8, 0x00123456, 0xFF123456},
        {D3DFMT_R8G8B8, 0x80123456, 0xFF123456},   {D3DFMT_R5G6B5, 0xFFFF8000, 0xFFFF8200},
        {D3DFMT_R5G6B5, 0x00FFFFFF, 0xFFFFFFFF},   {D3DFMT_X1R5G5B5, 0x00000000, 0xFF000000},
        {D3DFMT_A1R5G5B5, 0x7FFFFFFF, 0x00FFFFFF}, {D3DFMT_A1R5G5B5, 0x80FF0000, 0xFFFF0000},
        {D3DFMT_A4R4G4B4, 0x80FF7700, 0x88FF7700}, {D3DFMT_A8, 0x7F123456, 0x7F000000},
        {D3DFMT_L8, 0x00FFFFFF, 0xFFFFFFFF},       {D3DFMT_L8, 0x00FF0000, 0xFF363636},
    };
    for (const RoundTrip& c : cases) {
        BYTE pixel[4] = {};
        EncodePixel(c.format, c.in, pixel);
        EXPECT_EQ(DecodePixel(c.format, pixel), c.out) << FindFormat(c.format)->name << " " << std::hex << c.in;
    }
}

TEST(PixelFormats, SixteenBitLayoutsAreThePlatforms) {
    BYTE pixel[2];
    EncodePixel(D3DFMT_R5G6B5, 0xFFFF0000, pixel);
    EXPECT_EQ(pixel[0] | (pixel[1] << 8), 0xF800);
    EncodePixel(D3DFMT_A4R4G4B4, 0xFF00FF00, pixel);
    EXPECT_EQ(pixel[0] | (pixel[1] << 8), 0xF0F0);
    EncodePixel(D3DFMT_X1R5G5B5, 0xFF0000FF, pixel);
    EXPECT_EQ(pixel[0] | (pixel[1] << 8), 0x801F);
}

TEST(PixelFormats, StorageSizes) {
    EXPECT_EQ(RowPitch(D3DFMT_A8R8G8B8, 10), 40u);
    EXPECT_EQ(RowPitch(D3DFMT_DXT1, 10), 24u);  // three blocks
    EXPECT_EQ(RowCount(D3DFMT_DXT5, 10), 3u);
    EXPECT_EQ(ImageByteCount(D3DFMT_DXT5, 2, 2), 16u);  // one block for a 2 x 2 level
    EXPECT_EQ(ImageByteCount(D3DFMT_R5G6B5, 3, 5), 30u);
    EXPECT_EQ(FindFormat(D3DFMT_A16B16G16R16F), nullptr);
    EXPECT_TRUE(IsDepthFormat(D3DFMT_D24S8));
    EXPECT_TRUE(FormatHasStencil(D3DFMT_D24S8));
    EXPECT_FALSE(FormatHasStencil(D3DFMT_D24X8));
    EXPECT_TRUE(IsBlockFormat(D3DFMT_DXT3));
}

TEST(PixelFormats, Dxt1FourAndThreeColourBlocks) {
    // c0 = pure red, c1 = pure blue; c0 > c1 gives four colours.
    const BYTE fourColours[8] = {0x00, 0xF8, 0x1F, 0x00, 0b11100100, 0, 0, 0};
    D3DCOLOR texels[16];
    DecodeBlock(D3DFMT_DXT1, fourColours, texels);
    EXPECT_EQ(texels[0], 0xFFFF0000u);
    EXPECT_EQ(texels[1], 0xFF0000FFu);
    EXPECT_EQ(texels[2], 0xFFAA0055u);  // 2/3 red + 1/3 blue
    EXPECT_EQ(texels[3], 0xFF5500AAu);
    EXPECT_EQ(texels[4], 0xFFFF0000u);  // index 0 in the second row
    // Swapped endpoints: three colours and transparent black.
    const BYTE threeColours[8] = {0x1F, 0x00, 0x00, 0xF8, 0b11100100, 0, 0, 0};
    DecodeBlock(D3DFMT_DXT1, threeColours, texels);
    EXPECT_EQ(texels[2], 0xFF800080u);
    EXPECT_EQ(texels[3], 0x00000000u);
}

TEST(PixelFormats, Dxt3AndDxt5Alpha) {
    BYTE dxt3[16] = {0x0F, 0xF0};  // texel 0 alpha 15, texel 1 alpha 0, texel 2 alpha 0, texel 3 alpha 15
    const BYTE white[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    std::copy(white, white + 8, dxt3 + 8);
    D3DCOLOR texels[16];
    DecodeBlock(D3DFMT_DXT3, dxt3, texels);
    EXPECT_EQ(texels[0], 0xFFFFFFFFu);
    EXPECT_EQ(texels[1], 0x00FFFFFFu);
    EXPECT_EQ(texels[3], 0xFFFFFFFFu);

    // DXT5: a0 = 255 > a1 = 0, eight-step ramp; texel i uses code i % 8.
    BYTE dxt5[16] = {255, 0};
    uint64_t codes = 0;
    for (int i = 0; i < 16; ++i) codes |= static_cast<uint64_t>(i % 8) << (3 * i);
    for (int i = 0; i < 6; ++i) dxt5[2 + i] = static_cast<BYTE>(codes >> (8 * i));
    std::copy(white, white + 8, dxt5 + 8);
    DecodeBlock(D3DFMT_DXT5, dxt5, texels);
    EXPECT_EQ(texels[0] >> 24, 255u);
    EXPECT_EQ(texels[1] >> 24, 0u);
    EXPECT_EQ(texels[2] >> 24, 219u);  // (6 * 255 + 0 + 3) / 7
    EXPECT_EQ(texels[7] >> 24, 36u);
    // a0 <= a1: six steps plus 0 and 255.
    dxt5[0] = 0;
    dxt5[1] = 200;
    DecodeBlock(D3DFMT_DXT5, dxt5, texels);
    EXPECT_EQ(texels[2] >> 24, 40u);
    EXPECT_EQ(texels[6] >> 24, 0u);
    EXPECT_EQ(texels[7] >> 24, 255u);
}

TEST(PixelFormats, PixelBufferReadsBlocksAtAnyTexel) {
    PixelBuffer buffer;
    buffer.Allocate(D3DFMT_DXT1, 8, 4);
    const BYTE red[8] = {0x00, 0xF8, 0x00, 0xF8, 0, 0, 0, 0};
    std::copy(red, red + 8, buffer.At(4, 0));
    EXPECT_EQ(buffer.ReadColor(5, 3), 0xFFFF0000u);
    EXPECT_EQ(buffer.ReadColor(3, 3), 0xFF000000u);  // the first block is all zero: black
    EXPECT_EQ(buffer.ReadColor(8, 0), 0u);           // outside
}

TEST(PixelFormats, DepthAndStencilPacking) {
    BYTE pixel[4] = {};
    EncodeDepth(D3DFMT_D24S8, 1.0f, pixel);
    EncodeStencil(D3DFMT_D24S8, 0x5A, pixel);
    EXPECT_EQ(DecodeDepth(D3DFMT_D24S8, pixel), 1.0f);
    EXPECT_EQ(DecodeStencil(D3DFMT_D24S8, pixel), 0x5Au);
    EncodeDepth(D3DFMT_D24S8, 0.0f, pixel);
    EXPECT_EQ(DecodeStencil(D3DFMT_D24S8, pixel), 0x5Au);  // depth leaves stencil alone
    EncodeDepth(D3DFMT_D16, 0.25f, pixel);
    EXPECT_NEAR(DecodeDepth(D3DFMT_D16, pixel), 0.25f, 1.0f / 65535);
    EncodeDepth(D3DFMT_D15S1, 2.0f, pixel);  // clamped
    EncodeStencil(D3DFMT_D15S1, 1, pixel);
    EXPECT_EQ(DecodeDepth(D3DFMT_D15S1, pixel), 1.0f);
    EXPECT_EQ(DecodeStencil(D3DFMT_D15S1, pixel), 1u);
}

// A clear of depth only, stencil only or both must leave the other part of
// every pixel in the area as it was, and touch nothing outside the area.
TEST(PixelFormats, DepthStencilFillKeepsWhatItDoesNotClear) {
    struct Case {
        D3DFORMAT format;
        bool depth, stencil;
    };
    const Case cases[] = {
        {D3DFMT_D24S8, true, false}, {D3DFMT_D24S8, false, true}, {D3DFMT_D24S8, true, true},
        {D3DFMT_D15S1, true, false}, {D3DFMT_D15S1, false, true}, {D3DFMT_D16, true, false},
        {D3DFMT_D24X4S4, false, true}, {D3DFMT_D32, true, false},
    };
    for (const Case& c : cases) {
        PixelBuffer buffer;
        buffer.Allocate(c.format, 4, 3);
        // Each pixel its own depth and stencil to start from.
        for (UINT y = 0; y < 3; ++y)
            for (UINT x = 0; x < 4; ++x) {
                EncodeDepth(c.format, float(x + 4 * y) / 16.0f, buffer.At(x, y));
                EncodeStencil(c.format, x + y, buffer.At(x, y));
            }
        const PixelBuffer before = buffer;
        FillDepthStencil(buffer, RECT{1, 1, 3, 3}, c.depth, 0.75f, c.stencil, 1);
        for (UINT y = 0; y < 3; ++y)
            for (UINT x = 0; x < 4; ++x) {
                const bool inside = x >= 1 && x < 3 && y >= 1;
                const float depth = DecodeDepth(c.format, buffer.At(x, y));
                const DWORD stencil = DecodeStencil(c.format, buffer.At(x, y));
                const float oldDepth = DecodeDepth(c.format, before.At(x, y));
                const DWORD oldStencil = DecodeStencil(c.format, before.At(x, y));
                SCOPED_TRACE(testing::Message() << "format " << c.format << " depth " << c.depth << " stencil "
                                                << c.stencil << " at " << x << "," << y);
                if (inside && c.depth) EXPECT_NEAR(depth, 0.75f, 1e-4f);
                else EXPECT_EQ(depth, oldDepth);
                if (inside && c.stencil) EXPECT_EQ(stencil, 1u);
                else EXPECT_EQ(stencil, oldStencil);
            }
    }
}

}  // namespace
