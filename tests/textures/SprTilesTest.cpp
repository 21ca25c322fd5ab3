// Sprite frames made into tile textures on the software device: exact
// A4R4G4B4 texels of run-length frames, DXT5 blocks of SDS2 frames, packed
// tiles from embedded images, and the cost kept through trims and device
// loss.
#include <gtest/gtest.h>

#include <vector>

#include "DxtBlocks.h"
#include "PictureFixture.h"
#include "SprWriter.h"
#include "d3d9/Control.h"
#include "shell/VideoPolicy.h"
#include "textures/Control.h"
#include "textures/KSprImage.h"
#include "textures/PictureServices.h"
#include "textures/TextureMemoryPolicy.h"

namespace pictures_test {
namespace {

using Bytes = std::vector<uint8_t>;

// A frame whose pixels differ everywhere: alpha by row, colour by column,
// with a transparent diagonal; colours repeat every 5 columns so the palette
// stays small.
SprPixels PatternFrame(uint16_t width, uint16_t height, uint16_t offsetX = 0, uint16_t offsetY = 0) {
    static const uint32_t colours[] = {0xFF2040, 0x30C010, 0x0080F0, 0xE0E0E0, 0x701090};
    SprPixels frame{width, height, offsetX, offsetY, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t alpha = x == y ? 0 : uint32_t(0x30 + (y * 16) % 0xC0);
            frame.argb.push_back(alpha << 24 | colours[x % 5]);
        }
    return frame;
}

uint16_t ExpectedTexel(const SprPixels& frame, int x, int y) {
    uint32_t argb = frame.argb[size_t(y) * frame.width + x];
    uint8_t alpha = uint8_t(argb >> 24);
    return alpha ? Argb4444(argb & 0xFFFFFF, alpha) : 0;
}

class SprTilesTest : public PictureFixture {
protected:
    void SetUp() override {
        PictureFixture::SetUp();
        CreateDevice();
    }

    // Every tile's shown texels against the frame's pixels.
    void ExpectTilesShow(const KSprImage& sprite, int frameIndex, const SprPixels& frame) {
        for (int t = 0; t < sprite.GetTileCount(frameIndex); ++t) {
            IDirect3DTexture9* texture = sprite.GetTileTexture(frameIndex, t);
            ASSERT_NE(texture, nullptr) << t;
            D3DSURFACE_DESC desc = LevelDesc(texture);
            EXPECT_EQ(desc.Format, D3DFMT_A4R4G4B4);
            EXPECT_EQ(desc.Width, sprite.GetTileTextureWidth(frameIndex, t));
            EXPECT_EQ(desc.Height, sprite.GetTileTextureHeight(frameIndex, t));
            EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
            std::vector<uint16_t> texels = Texels16(texture);
            int tx = sprite.GetTileX(frameIndex, t), ty = sprite.GetTileY(frameIndex, t);
            for (int y = 0; y < sprite.GetTileHeight(frameIndex, t); ++y)
                for (int x = 0; x < sprite.GetTileWidth(frameIndex, t); ++x)
                    ASSERT_EQ(texels[size_t(y) * desc.Width + x], ExpectedTexel(frame, tx + x, ty + y))
                        << "tile " << t << " at " << x << "," << y;
        }
    }
};

TEST_F(SprTilesTest, RunLengthFramesBecomeExactTexelsInEveryTile) {
    // 9 x 9 splits both ways into four tiles; 3 x 2 is one 4 x 4 tile. Runs
    // cross row ends.
    SprPixels big = PatternFrame(9, 9, 2, 3);
    SprPixels small = PatternFrame(3, 2);
    SprRleOptions options;
    options.runsCrossRows = true;
    for (bool memoryMode : {false, true}) {
        lumiva::textures::SetSprFrameTableReadFails(memoryMode);
        WriteDataFile("t.spr", WriteSpr({}, {big, small}, options));
        KSprImage sprite;
        ASSERT_TRUE(sprite.Open("t.spr", 1));
        ASSERT_TRUE(sprite.LoadFrame("t.spr", 0, true, 0));
        ASSERT_EQ(sprite.GetTileCount(0), 4);
        ExpectTilesShow(sprite, 0, big);
        EXPECT_EQ(sprite.GetTileTexture(1, 0), nullptr);
        ASSERT_TRUE(sprite.LoadFrame("t.spr", 1, true, 0));
        ASSERT_EQ(sprite.GetTileCount(1), 1);
        EXPECT_EQ(sprite.GetTileTextureWidth(1, 0), 4);
        ExpectTilesShow(sprite, 1, small);
        // Four 8 x 8 tiles and one 4 x 4, two bytes a texel.
        EXPECT_EQ(sprite.GetCost(), 4u * 8 * 8 * 2 + 4 * 4 * 2);
        // Memory mode gives each frame back once its tiles exist.
        if (memoryMode) {
            EXPECT_EQ(sprite.GetMemory(), 0u);
        }
        EXPECT_EQ(sprite.GetTileTexture(2, 0), nullptr);
    }
}

TEST_F(SprTilesTest, FrameWiderThanATextureShowsItsFirst1024Columns) {
    SprPixels wide{1100, 2, 0, 0, std::vector<uint32_t>(2200, 0xFF00FF00u)};
    wide.argb[1023] = 0xFFFF0000u;
    WriteDataFile("w.spr", WriteSpr({}, {wide}));
    KSprImage sprite;
    ASSERT_TRUE(sprite.Open("w.spr", 1));
    ASSERT_TRUE(sprite.LoadFrame("w.spr", 0, true, 0));
    ASSERT_EQ(sprite.GetTileCount(0), 1);
    EXPECT_EQ(sprite.GetTileWidth(0, 0), 1024);
    std::vector<uint16_t> texels = Texels16(sprite.GetTileTexture(0, 0));
    EXPECT_EQ(texels[1023], 0xFF00);
    EXPECT_EQ(texels[1024 + 1023], 0xF0F0);
}

TEST_F(SprTilesTest, Sds2FramesLoadTheirDxt5BlocksIntoTheTiles) {
    // 12 x 8 splits across: an 8 x 8 tile and an 8 x 8 texture showing 4 x 8.
    std::vector<uint32_t> argb(12 * 8);
    for (size_t i = 0; i < argb.size(); ++i)
        argb[i] = (i % 12) < 4 ? 0xFFFF0000u : (i % 12) < 8 ? 0x80000FF0u : 0xFF00FF00u;
    WriteDataFile("d.spr", WriteSds2({}, {{12, 8, 0, 0, argb}}));
    Bytes blocks = EncodeDxt5(argb.data(), 12, 8);  // 3 blocks a row, 2 rows
    KSprImage sprite;
    ASSERT_TRUE(sprite.Open("d.spr", 1));
    ASSERT_TRUE(sprite.LoadFrame("d.spr", 0, true, 0));
    ASSERT_EQ(sprite.GetTileCount(0), 2);
    for (int t = 0; t < 2; ++t) {
        IDirect3DTexture9* texture = sprite.GetTileTexture(0, t);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(LevelDesc(texture).Format, D3DFMT_DXT5);
        Bytes stored = TextureBytes(texture);  // 2 blocks a row, 2 rows
        int firstBlock = t == 0 ? 0 : 2;
        int shownBlocks = t == 0 ? 2 : 1;
        for (int row = 0; row < 2; ++row)
            for (int b = 0; b < shownBlocks; ++b)
                EXPECT_TRUE(std::equal(stored.begin() + (row * 2 + b) * 16, stored.begin() + (row * 2 + b + 1) * 16,
                                       blocks.begin() + (row * 3 + firstBlock + b) * 16))
                    << "tile " << t << " block row " << row << " block " << b;
    }
    EXPECT_EQ(sprite.GetCost(), 2u * 8 * 8 * 2);
}

TEST_F(SprTilesTest, Sds2BlockRowsAreReadWholeBlocksApart) {
    // A 6-pixel row of DXT5 holds two blocks (32 bytes), not 6 x 4.
    std::vector<uint32_t> argb(6 * 8);
    for (size_t i = 0; i < argb.size(); ++i) argb[i] = i < 24 ? 0xFFFF0000u : 0xFF00FF00u;
    Bytes blocks = EncodeDxt5(argb.data(), 6, 8);
    ASSERT_EQ(blocks.size(), 64u);
    Bytes data = MakeDxt5DdsHeader(6, 8);
    data.insert(data.end(), blocks.begin(), blocks.end());
    WriteDataFile("o.spr", WriteUnpackedSprite(SPR_KIND_DXT5, {}, {}, {{6, 8, 0, 0, data}}));
    KSprImage sprite;
    ASSERT_TRUE(sprite.Open("o.spr", 1));
    ASSERT_TRUE(sprite.LoadFrame("o.spr", 0, true, 0));
    ASSERT_EQ(sprite.GetTileCount(0), 2);
    ASSERT_EQ(sprite.GetTileTextureWidth(0, 0), 4);
    Bytes stored = TextureBytes(sprite.GetTileTexture(0, 0));  // one block a row, two rows
    ASSERT_EQ(stored.size(), 32u);
    EXPECT_TRUE(std::equal(stored.begin(), stored.begin() + 16, blocks.begin()));
    EXPECT_TRUE(std::equal(stored.begin() + 16, stored.end(), blocks.begin() + 32));
}

Bytes DdsImage(int width, int height, uint32_t argb) {
    std::vector<uint32_t> pixels(size_t(width) * height, argb);
    Bytes file = MakeDxt5DdsHeader(uint32_t(width), uint32_t(height));
    Bytes blocks = EncodeDxt5(pixels.data(), width, height);
    file.insert(file.end(), blocks.begin(), blocks.end());
    return file;
}

Bytes PackedSprite() {
    SdsFrame first{20, 16, 1, 1, {}};
    first.tiles.push_back(SdsTile{DdsImage(16, 16, 0xFFFF0000u), 16, 16, 0, 0, 16, 16});
    first.tiles.push_back(SdsTile{DdsImage(8, 16, 0xFF0000FFu), 8, 16, 16, 0, 4, 16});
    SdsFrame second{8, 8, 0, 0, {}};
    second.tiles.push_back(SdsTile{DdsImage(8, 8, 0xFF00FF00u), 8, 8, 0, 0, 8, 8});
    return WriteSds0({}, {first, second});
}

TEST_F(SprTilesTest, PackedTilesTakeTheirFormatFromTheLoadArgumentOrTheFile) {
    WriteDataFile("k.spr", PackedSprite());
    struct Case {
        bool dxt;
        int loadArgument;
        D3DFORMAT format;
        uint32_t tile0Cost;
    } cases[] = {{false, 0, D3DFMT_A4R4G4B4, 16 * 16 * 2},
                 {false, 1, D3DFMT_A8R8G8B8, 16 * 16 * 4},
                 {true, 0, D3DFMT_DXT5, 16 * 16}};
    for (const Case& c : cases) {
        g_VideoPolicy.SupportDXT = c.dxt;
        KSprImage sprite;
        ASSERT_TRUE(sprite.Open("k.spr", 1));
        ASSERT_TRUE(sprite.LoadFrame("k.spr", 0, true, c.loadArgument));
        IDirect3DTexture9* tile0 = sprite.GetTileTexture(0, 0);
        IDirect3DTexture9* tile1 = sprite.GetTileTexture(0, 1);
        ASSERT_NE(tile0, nullptr);
        ASSERT_NE(tile1, nullptr);
        EXPECT_EQ(LevelDesc(tile0).Format, c.format);
        EXPECT_EQ(LevelDesc(tile1).Width, 8u);
        EXPECT_EQ(LevelDesc(tile1).Height, 16u);
        EXPECT_EQ(sprite.GetCost(), c.tile0Cost * 3 / 2) << c.format;
        if (c.format == D3DFMT_A8R8G8B8) {
            Bytes texels = TextureBytes(tile1);
            EXPECT_EQ(texels[0] | texels[1] << 8 | texels[2] << 16 | uint32_t(texels[3]) << 24, 0xFF0000FFu);
        }
        EXPECT_EQ(sprite.GetTileTexture(1, 0), nullptr);
    }
}

TEST_F(SprTilesTest, HalfSizeSpritesHalveTexturesButNotTileRectangles) {
    g_HalfSizeSprites = true;
    WriteDataFile("k.spr", PackedSprite());
    KSprImage sprite;
    ASSERT_TRUE(sprite.Open("k.spr", 1));
    ASSERT_TRUE(sprite.LoadFrame("k.spr", 0, true, 0));
    EXPECT_EQ(LevelDesc(sprite.GetTileTexture(0, 0)).Width, 8u);
    EXPECT_EQ(LevelDesc(sprite.GetTileTexture(0, 1)).Width, 4u);
    EXPECT_EQ(LevelDesc(sprite.GetTileTexture(0, 1)).Height, 8u);
    EXPECT_EQ(sprite.GetTileTextureWidth(0, 0), 16);
    EXPECT_EQ(sprite.GetTileWidth(0, 1), 4);
    EXPECT_EQ(sprite.GetTileX(0, 1), 16);
}

TEST_F(SprTilesTest, TrimDropsOneFrameAtATimeAndKeepsTheCostRight) {
    SprPixels a = PatternFrame(9, 9), b = PatternFrame(3, 2);
    WriteDataFile("t.spr", WriteSpr({}, {a, b}));
    KSprImage sprite;
    ASSERT_TRUE(sprite.Open("t.spr", 1));
    ASSERT_TRUE(sprite.LoadFrame("t.spr", 0, true, 0));
    ASSERT_TRUE(sprite.LoadFrame("t.spr", 1, true, 0));
    const uint32_t costA = 4 * 8 * 8 * 2, costB = 4 * 4 * 2;
    ASSERT_EQ(sprite.GetCost(), costA + costB);

    EXPECT_TRUE(sprite.Trim());
    EXPECT_EQ(sprite.GetTileTexture(0, 0), nullptr);
    EXPECT_NE(sprite.GetTileTexture(1, 0), nullptr);
    EXPECT_EQ(sprite.GetCost(), costB);
    // Made again on the next lookup, counted once.
    ASSERT_TRUE(sprite.LoadFrame("t.spr", 0, true, 0));
    ExpectTilesShow(sprite, 0, a);
    EXPECT_EQ(sprite.GetCost(), costA + costB);

    EXPECT_TRUE(sprite.Trim());
    EXPECT_TRUE(sprite.Trim());
    EXPECT_EQ(sprite.GetCost(), 0u);
    EXPECT_FALSE(sprite.Trim());
    EXPECT_EQ(lumiva::d3d9::UsedTextureMemory(), 0u);
}

TEST_F(SprTilesTest, DeviceLossDropsEveryTileAndLookupsMakeThemAgain) {
    const UINT deviceResources = lumiva::d3d9::LiveResourceCount();
    for (bool packed : {false, true}) {
        if (packed)
            WriteDataFile("v.spr", PackedSprite());
        else
            WriteDataFile("v.spr", WriteSpr({}, {PatternFrame(9, 9), PatternFrame(3, 2)}));
        KSprImage sprite;
        ASSERT_TRUE(sprite.Open("v.spr", 1));
        ASSERT_TRUE(sprite.LoadFrame("v.spr", 0, true, 0));
        ASSERT_TRUE(sprite.LoadFrame("v.spr", 1, true, 0));
        uint32_t cost = sprite.GetCost();
        EXPECT_EQ(uint64_t(cost), lumiva::d3d9::UsedTextureMemory()) << packed;
        EXPECT_TRUE(sprite.InvalidateDeviceObjects());
        EXPECT_EQ(sprite.GetCost(), 0u);
        EXPECT_EQ(sprite.GetTileTexture(0, 0), nullptr);
        EXPECT_EQ(sprite.GetTileTexture(1, 0), nullptr);
        EXPECT_EQ(lumiva::d3d9::UsedTextureMemory(), 0u);
        EXPECT_TRUE(sprite.RestoreDeviceObjects());
        ASSERT_TRUE(sprite.LoadFrame("v.spr", 0, true, 0));
        ASSERT_TRUE(sprite.LoadFrame("v.spr", 1, true, 0));
        EXPECT_EQ(sprite.GetCost(), cost);
        // A lookup without createTiles makes nothing.
        sprite.InvalidateDeviceObjects();
        ASSERT_TRUE(sprite.LoadFrame("v.spr", 0, false, 0));
        EXPECT_EQ(sprite.GetTileTexture(0, 0), nullptr);
        sprite.Close();
        EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), deviceResources);
    }
}

}  // namespace
}  // namespace pictures_test
