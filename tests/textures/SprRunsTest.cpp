// The run-length walker: decoding to A4R4G4B4 and the alpha probe read the
// same runs the same way, including runs that carry over rows.
#include <gtest/gtest.h>

#include <vector>

#include "textures/KSprImage.h"
#include "textures/SprRuns.h"

namespace {

using Bytes = std::vector<uint8_t>;

const std::vector<uint16_t> kPalette = {0x0F00, 0x00F0, 0x000F};  // red, green, blue

std::vector<uint16_t> Decode(const Bytes& runs, int width, int height, bool* sound = nullptr) {
    std::vector<uint16_t> pixels(size_t(width) * height, 0xDEAD);
    bool ok = KSprImage::ConvertPixels(pixels.data(), width * 2, runs.data(), runs.size(), width, height,
                                       kPalette.data(), uint32_t(kPalette.size()));
    if (sound) *sound = ok;
    return pixels;
}

TEST(SprRunsTest, DecodesRunsWithAlphaAndPalette) {
    // Row 0: one transparent pixel, then two red at alpha 0xFF; row 1: three
    // blue at alpha 0x80.
    Bytes runs = {1, 0, 2, 0xFF, 0, 0, 3, 0x80, 2, 2, 2};
    bool sound = false;
    std::vector<uint16_t> pixels = Decode(runs, 3, 2, &sound);
    EXPECT_TRUE(sound);
    EXPECT_EQ(pixels, (std::vector<uint16_t>{0, 0xFF00, 0xFF00, 0x800F, 0x800F, 0x800F}));
}

TEST(SprRunsTest, LowAlphaBitsAreDropped) {
    std::vector<uint16_t> pixels = Decode({1, 0x1F, 1}, 1, 1);
    EXPECT_EQ(pixels[0], 0x10F0);
}

TEST(SprRunsTest, RunPassingTheRowEndCarriesIntoTheNextRow) {
    // A 4-pixel green run from column 2 of a 3-wide frame: columns 2, then
    // 0..2 of the next row.
    Bytes runs = {2, 0, 4, 0xF0, 1, 1, 1, 1};
    std::vector<uint16_t> pixels = Decode(runs, 3, 2);
    EXPECT_EQ(pixels, (std::vector<uint16_t>{0, 0, 0xF0F0, 0xF0F0, 0xF0F0, 0xF0F0}));
    for (int x = 0; x < 3; ++x) EXPECT_EQ(SprAlphaAt(runs.data(), runs.size(), 3, 2, x, 1), 0xF0) << x;
    EXPECT_EQ(SprAlphaAt(runs.data(), runs.size(), 3, 2, 1, 0), 0);
    EXPECT_EQ(SprAlphaAt(runs.data(), runs.size(), 3, 2, 2, 0), 0xF0);
}

TEST(SprRunsTest, RunPassingTheFrameEndIsClipped) {
    // Five pixels into a 2 x 2 frame: four written, nothing beyond.
    Bytes runs = {5, 0xFF, 0, 0, 0, 0, 0};
    std::vector<uint16_t> pixels(5, 0x1234);
    KSprImage::ConvertPixels(pixels.data(), 4, runs.data(), runs.size(), 2, 2, kPalette.data(), 3);
    EXPECT_EQ(pixels, (std::vector<uint16_t>{0xFF00, 0xFF00, 0xFF00, 0xFF00, 0x1234}));
}

TEST(SprRunsTest, MalformedDataStopsAndLeavesTheRestClear) {
    struct Case {
        const char* what;
        Bytes runs;
        std::vector<uint16_t> pixels;
        bool sound;
    } cases[] = {
        {"run of zero pixels", {1, 0xFF, 0, 0, 0xFF, 1, 0xFF, 1}, {0xFF00, 0, 0, 0}, false},
        {"indices cut short", {1, 0xFF, 0, 3, 0xFF, 1}, {0xFF00, 0, 0, 0}, false},
        {"data ends early", {2, 0xFF, 1, 1}, {0xF0F0, 0xF0F0, 0, 0}, true},
        {"index past the palette", {4, 0xFF, 0, 7, 2, 255}, {0xFF00, 0, 0xF00F, 0}, true},
        {"odd trailing byte", {4, 0, 9}, {0, 0, 0, 0}, true},
    };
    for (const Case& c : cases) {
        bool sound = !c.sound;
        EXPECT_EQ(Decode(c.runs, 2, 2, &sound), c.pixels) << c.what;
        EXPECT_EQ(sound, c.sound) << c.what;
    }
}

TEST(SprRunsTest, AlphaAtTheFirstPixelOfARunIsThatRunsAlpha) {
    Bytes runs = {2, 0x40, 0, 0, 2, 0x90, 1, 1};
    struct Case {
        int x, y, alpha;
    } cases[] = {{0, 0, 0x40}, {1, 0, 0x40}, {2, 0, 0x90}, {3, 0, 0x90}, {-1, 0, 0}, {4, 0, 0}, {0, 1, 0}};
    for (const Case& c : cases) EXPECT_EQ(SprAlphaAt(runs.data(), runs.size(), 4, 1, c.x, c.y), c.alpha) << c.x;
}

TEST(SprRunsTest, NullDataDecodesToClearPixels) {
    std::vector<uint16_t> pixels = Decode({}, 2, 1);
    EXPECT_EQ(pixels, (std::vector<uint16_t>{0, 0}));
    EXPECT_EQ(SprAlphaAt(nullptr, 0, 2, 1, 0, 0), 0);
}

}  // namespace
