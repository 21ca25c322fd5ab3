#include <gtest/gtest.h>

#include <cstdlib>

#include "DxtBlocks.h"

namespace {

TEST(DxtBlocks, FlatColoursThatR5G6B5HoldsComeBackExactly) {
    for (uint32_t argb : {0xFF000000u, 0xFFFFFFFFu, 0x80FF0000u, 0x0000FF00u, 0xC8420884u}) {
        std::vector<uint32_t> image(8 * 4, argb);
        std::vector<uint8_t> blocks = EncodeDxt5(image.data(), 8, 4);
        ASSERT_EQ(blocks.size(), 2u * kDxt5BlockBytes);
        EXPECT_EQ(DecodeDxt5(blocks.data(), 8, 4), image) << std::hex << argb;
    }
}

TEST(DxtBlocks, TwoColourBlockKeepsBothColoursAndAlphas) {
    uint32_t pixels[16];
    for (int i = 0; i < 16; ++i) pixels[i] = (i % 2) ? 0xFFFF0000u : 0x000000FFu;
    uint8_t block[kDxt5BlockBytes];
    EncodeDxt5Block(pixels, block);
    uint32_t back[16];
    DecodeDxt5Block(block, back);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(back[i], pixels[i]) << i;
}

TEST(DxtBlocks, GradientStaysClose) {
    std::vector<uint32_t> image(16 * 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            image[y * 16 + x] =
                uint32_t(y * 16) << 24 | uint32_t(x * 16) << 16 | uint32_t(x * 16) << 8 | uint32_t(x * 8);
    std::vector<uint32_t> back = DecodeDxt5(EncodeDxt5(image.data(), 16, 16).data(), 16, 16);
    for (size_t i = 0; i < image.size(); ++i) {
        for (int shift : {0, 8, 16, 24}) {
            int want = int(image[i] >> shift & 0xFF), got = int(back[i] >> shift & 0xFF);
            EXPECT_LE(std::abs(want - got), 20) << "pixel " << i << " shift " << shift;
        }
    }
}

TEST(DxtBlocks, EdgesRepeatTheLastColumnAndRow) {
    std::vector<uint32_t> image(5 * 5, 0xFF00FF00u);
    std::vector<uint8_t> blocks = EncodeDxt5(image.data(), 5, 5);
    ASSERT_EQ(blocks.size(), 4u * kDxt5BlockBytes);
    EXPECT_EQ(DecodeDxt5(blocks.data(), 5, 5), image);
}

}  // namespace
