// Run-length frames decoded into a locked A4R4G4B4 area, checked texel by
// texel against hand decodes.
#include <gtest/gtest.h>

#include <vector>

#include "draw2d/lists/RleToA4R4G4B4.h"

namespace {

constexpr uint16_t kUntouched = 0xABCD;

struct Area {
    Area(int w, int h) : width(w), height(h), texels(size_t(w) * size_t(h), kUntouched) {}
    KLockedA4R4G4B4 Lock() { return {reinterpret_cast<uint8_t*>(texels.data()), width * 2, width, height}; }
    uint16_t At(int x, int y) const { return texels[size_t(y) * size_t(width) + size_t(x)]; }
    int width, height;
    std::vector<uint16_t> texels;
};

const uint16_t kRlePalette[4] = {0x0000, 0x0F00, 0x00F0, 0xF00F};  // entry 3 has stray top bits

TEST(RleAlphaTable, TopFourBitsOfTheAlpha) {
    EXPECT_EQ(kRleAlphaToA4[0], 0);
    EXPECT_EQ(kRleAlphaToA4[15], 0);
    EXPECT_EQ(kRleAlphaToA4[16], 0x1000);
    EXPECT_EQ(kRleAlphaToA4[31], 0x1000);
    EXPECT_EQ(kRleAlphaToA4[128], 0x8000);
    EXPECT_EQ(kRleAlphaToA4[240], 0xF000);
    EXPECT_EQ(kRleAlphaToA4[255], 0xF000);
}

TEST(RleDecode, WritesRunsAtTheDestinationAndSkipsTransparentOnes) {
    // 3 x 2 frame at (1, 1) of a 5 x 4 area:
    // row 0: 1 px alpha 255 index 1, 1 px alpha 0 (no indices), 1 px alpha 8 (index skipped)
    // row 1: 2 px alpha 16 indices 2, 3; 1 px alpha 255 index 5 (beyond the palette)
    const std::vector<uint8_t> runs = {1, 255, 1, 1, 0, 1, 8, 2, 2, 16, 2, 3, 1, 255, 5};
    Area area(5, 4);
    EXPECT_TRUE(DecodeRleFrameToA4R4G4B4(area.Lock(), runs.data(), runs.size(), 1, 1, 3, 2, kRlePalette, 4));
    EXPECT_EQ(area.At(1, 1), 0xFF00);
    EXPECT_EQ(area.At(2, 1), kUntouched) << "alpha 0 leaves the cleared texel";
    EXPECT_EQ(area.At(3, 1), kUntouched) << "alpha 8 is transparent in four bits";
    EXPECT_EQ(area.At(1, 2), 0x10F0);
    EXPECT_EQ(area.At(2, 2), 0x100F) << "the palette's top bits do not reach the alpha";
    EXPECT_EQ(area.At(3, 2), kUntouched) << "index past the palette";
    for (int x = 0; x < 5; ++x) EXPECT_EQ(area.At(x, 0), kUntouched);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(area.At(x, 3), kUntouched);
}

TEST(RleDecode, RunsCarryOverRowEnds) {
    // 2 x 2 frame: one run of 3 opaque pixels crosses the first row's end.
    const std::vector<uint8_t> runs = {3, 255, 1, 2, 1, 1, 0};
    Area area(2, 2);
    EXPECT_TRUE(DecodeRleFrameToA4R4G4B4(area.Lock(), runs.data(), runs.size(), 0, 0, 2, 2, kRlePalette, 4));
    EXPECT_EQ(area.At(0, 0), 0xFF00);
    EXPECT_EQ(area.At(1, 0), 0xF0F0);
    EXPECT_EQ(area.At(0, 1), 0xFF00);
    EXPECT_EQ(area.At(1, 1), kUntouched);
}

TEST(RleDecode, ClipsToTheFrameTheAreaAndTheData) {
    struct Case {
        const char* name;
        std::vector<uint8_t> runs;
        int left, top;
        bool sound;
        int written;
    } cases[] = {
        {"run longer than the frame", {9, 255, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 0, 0, true, 4},
        {"frame hanging off the right and bottom", {4, 255, 1, 1, 1, 1}, 1, 1, true, 1},
        {"frame hanging off the top-left", {4, 255, 1, 1, 1, 1}, -1, -1, true, 1},
        {"indices cut short", {4, 255, 1, 1}, 0, 0, false, 0},
        {"zero-length run", {0, 255, 1, 1, 1, 1}, 0, 0, false, 0},
    };
    for (const Case& c : cases) {
        Area area(2, 2);
        EXPECT_EQ(DecodeRleFrameToA4R4G4B4(area.Lock(), c.runs.data(), c.runs.size(), c.left, c.top, 2, 2, kRlePalette, 4),
                  c.sound)
            << c.name;
        int written = 0;
        for (uint16_t texel : area.texels) written += texel == 0xFF00;
        EXPECT_EQ(written, c.written) << c.name;
    }
}

}  // namespace
