// Texture sizes and the split of frames into power-of-two tiles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "textures/FrameTiles.h"
#include "textures/TextureSize.h"

namespace {

TEST(RoundUpTextureSizeTest, PowersOfTwoFromEightToTheLimit) {
    struct Case {
        int n, expected;
    } cases[] = {{-1, 0},    {0, 8},     {1, 8},      {8, 8},       {9, 16},   {255, 256},
                 {256, 256}, {257, 512}, {600, 1024}, {1024, 1024}, {1025, 0}, {1 << 30, 0}};
    for (const Case& c : cases) EXPECT_EQ(RoundUpTextureSize(c.n), c.expected) << c.n;
}

struct TileSpec {
    int textureWidth, textureHeight, x, y, width, height;
};

struct LayoutCase {
    int width, height;
    std::vector<TileSpec> tiles;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.width << "x" << c.height; }

class PlanFrameTilesTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(PlanFrameTilesTest, GivesTheTilesOfTheFrame) {
    const LayoutCase& c = GetParam();
    KSprFrame frame;
    frame.width = c.width;
    frame.height = c.height;
    PlanFrameTiles(frame);
    ASSERT_EQ(frame.tileCount, int(c.tiles.size()));
    for (size_t t = 0; t < c.tiles.size(); ++t) {
        const KSprTile& got = frame.tiles[t];
        const TileSpec& want = c.tiles[t];
        EXPECT_EQ(got.textureWidth, want.textureWidth) << t;
        EXPECT_EQ(got.textureHeight, want.textureHeight) << t;
        EXPECT_EQ(got.x, want.x) << t;
        EXPECT_EQ(got.y, want.y) << t;
        EXPECT_EQ(got.width, want.width) << t;
        EXPECT_EQ(got.height, want.height) << t;
        EXPECT_EQ(got.texture, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PlanFrameTilesTest,
    ::testing::Values(
        LayoutCase{3, 3, {{4, 4, 0, 0, 3, 3}}}, LayoutCase{8, 8, {{8, 8, 0, 0, 8, 8}}},
        LayoutCase{
            257,
            257,
            {{256, 256, 0, 0, 256, 256}, {8, 256, 256, 0, 1, 256}, {256, 8, 0, 256, 256, 1}, {8, 8, 256, 256, 1, 1}}},
        LayoutCase{600,
                   300,
                   {{512, 256, 0, 0, 512, 256},
                    {128, 256, 512, 0, 88, 256},
                    {512, 64, 0, 256, 512, 44},
                    {128, 64, 512, 256, 88, 44}}},
        // Only the width passes a power of two by a little.
        LayoutCase{300, 100, {{256, 128, 0, 0, 256, 100}, {64, 128, 256, 0, 44, 100}}},
        // Only the height.
        LayoutCase{100, 260, {{128, 256, 0, 0, 100, 256}, {128, 8, 0, 256, 100, 4}}},
        // Past a quarter beyond the half: one larger texture.
        LayoutCase{400, 400, {{512, 512, 0, 0, 400, 400}}}, LayoutCase{1024, 1024, {{1024, 1024, 0, 0, 1024, 1024}}},
        // Beyond 1024 the frame is cut to what a texture holds.
        LayoutCase{2000, 100, {{1024, 128, 0, 0, 1024, 100}}}, LayoutCase{0, 10, {}}),
    // Named by the frame size: the default name prints the vector's bytes,
    // which differ from run to run and so break test discovery.
    [](const ::testing::TestParamInfo<LayoutCase>& info) {
        return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
    });

}  // namespace
