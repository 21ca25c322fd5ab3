// Glyph cells on the texture: layout, texture coordinates, uploads into the
// system-memory copy, batches no larger than the cache, and device resets.
#include <gtest/gtest.h>

#include <vector>

#include "AsfFontWriter.h"
#include "TextTestSupport.h"
#include "d3d9/Control.h"
#include "draw2d/text/KGlyphCache.h"

namespace {

using text_test::TextTest;

class GlyphCacheTest : public TextTest {
protected:
    // Texel (x, y) of the system-memory copy.
    static uint16_t Texel(IDirect3DTexture9* texture, int x, int y) {
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        const auto* row = reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                            ptrdiff_t(y) * locked.Pitch);
        const uint16_t value = row[x];
        texture->UnlockRect(0);
        return value;
    }
};

TEST_F(GlyphCacheTest, FourteenPixelCellsOnA512Texture) {
    CreateDevice();
    MakeAsfFont("f14.asf", 14, 14, 4);
    KGlyphCache cache;
    ASSERT_TRUE(cache.Create("f14.asf", device_, nullptr, 0, 0));
    EXPECT_EQ(cache.Columns(), 34);
    EXPECT_EQ(cache.Texture().CellCount(), 1156);
    EXPECT_EQ(cache.Slots().Capacity(), 1156);
    EXPECT_FLOAT_EQ(cache.StepU(), 15.0f / 512);
    EXPECT_FLOAT_EQ(cache.StepV(), 15.0f / 512);
    EXPECT_FLOAT_EQ(cache.GlyphU(), 14.0f / 512);

    // Cells 0 and 1 for the first two codes; cell 34 starts the second row.
    std::vector<uint16_t> codes;
    for (int i = 0; i < 36; ++i) codes.push_back(uint16_t(0x4081 + (i << 8)));
    std::vector<KTextVertex> vertices(codes.size() * 6);
    cache.PrepareGlyphs(codes.data(), int(codes.size()), vertices.data());
    const KTextVertex* q1 = &vertices[6];
    EXPECT_FLOAT_EQ(q1[0].u, 15.0f / 512);
    EXPECT_FLOAT_EQ(q1[0].v, 0.0f);
    EXPECT_FLOAT_EQ(q1[5].u, 29.0f / 512);
    EXPECT_FLOAT_EQ(q1[5].v, 14.0f / 512);
    const float order[6][2] = {{0, 0}, {1, 0}, {0, 1}, {0, 1}, {1, 0}, {1, 1}};
    const KTextVertex* q34 = &vertices[34 * 6];
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(q34[i].u, order[i][0] * 14.0f / 512) << i;
        EXPECT_FLOAT_EQ(q34[i].v, 15.0f / 512 + order[i][1] * 14.0f / 512) << i;
    }
}

TEST_F(GlyphCacheTest, UploadsFillEachCellAndLeaveTheGapsClear) {
    CreateDevice();
    MakeAsfFont("f3.asf", 3, 2, 3);  // glyph i: every pixel level i % 7 + 1
    KGlyphCache cache;
    ASSERT_TRUE(cache.Create("f3.asf", device_, nullptr, 0, 0));
    ASSERT_EQ(cache.Columns(), 128);
    const uint16_t codes[3] = {AsfCodeOfGlyph(6), AsfCodeOfGlyph(0), AsfCodeOfGlyph(7)};
    // Glyph 6 does not exist in a 3-glyph font: its cell is blank.
    KTextVertex vertices[18];
    cache.PrepareGlyphs(codes, 3, vertices);
    IDirect3DTexture9* sys = cache.Texture().SystemTexture();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 12; ++x) {
            uint16_t expected = 0;
            if (y < 2 && x >= 4 && x < 7) expected = 0xEFFF;  // cell 1: glyph 0, level 1
            EXPECT_EQ(Texel(sys, x, y), expected) << x << "," << y;
        }
    }
}

TEST_F(GlyphCacheTest, CellsAsLargeAsTheTextureAreRefused) {
    CreateDevice();
    const UINT deviceResources = lumiva::d3d9::LiveResourceCount();
    MakeAsfFont("huge.asf", 512, 4, 1);
    KGlyphCache cache;
    EXPECT_FALSE(cache.Create("huge.asf", device_, nullptr, 0, 0));
    EXPECT_EQ(cache.GetTexture(), nullptr);
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), deviceResources);
    MakeAsfFont("tall.asf", 4, 600, 1);
    EXPECT_FALSE(cache.Create("tall.asf", device_, nullptr, 0, 0));
}

TEST_F(GlyphCacheTest, BatchesNeverOutgrowTheCache) {
    CreateDevice();
    MakeAsfFont("big.asf", 200, 200, 8);  // 2 x 2 cells
    KGlyphCache cache;
    ASSERT_TRUE(cache.Create("big.asf", device_, nullptr, 0, 0));
    EXPECT_EQ(cache.Slots().Capacity(), 4);
    EXPECT_EQ(cache.BatchLimit(), 4);
    uint16_t codes[6];
    for (int i = 0; i < 6; ++i) codes[i] = AsfCodeOfGlyph(i);
    KTextVertex vertices[36] = {};
    cache.PrepareGlyphs(codes, 6, vertices);
    EXPECT_EQ(cache.Slots().Used(), 4) << "only the first four of the batch are taken";
}

TEST_F(GlyphCacheTest, SideFollowsTheDeviceLimitAndTexturesSurviveAReset) {
    CreateDevice();
    const UINT deviceResources = lumiva::d3d9::LiveResourceCount();
    MakeAsfFont("f14.asf", 14, 14, 4);
    KGlyphCache cache;
    ASSERT_TRUE(cache.Create("f14.asf", device_, nullptr, 0, 0));
    EXPECT_EQ(cache.Texture().Side(), 512);
    const uint16_t code = AsfCodeOfGlyph(3);
    KTextVertex vertices[6];
    cache.PrepareGlyphs(&code, 1, vertices);
    cache.InvalidateDeviceObjects();
    EXPECT_EQ(cache.GetTexture(), nullptr);
    ASSERT_TRUE(cache.RestoreDeviceObjects());
    ASSERT_NE(cache.GetTexture(), nullptr);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(cache.GetTexture()->GetSurfaceLevel(0, &level), D3D_OK);
    const lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(level);
    level->Release();
    EXPECT_EQ(image.At(0, 0), 0xEEFFFFFFu) << "glyph 3 (level 4) is back from the system copy";
    cache.Reset();
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), deviceResources);
}

}  // namespace

namespace {

TEST_F(GlyphCacheTest, SmallerDeviceTexturesShrinkTheSide) {
    lumiva::d3d9::AdapterConfig adapter = lumiva::d3d9::DefaultAdapter();
    adapter.halCaps.MaxTextureWidth = 256;
    lumiva::d3d9::SetAdapters({adapter});
    CreateDevice();
    MakeAsfFont("f14.asf", 14, 14, 1);
    KGlyphCache cache;
    ASSERT_TRUE(cache.Create("f14.asf", device_, nullptr, 0, 0));
    EXPECT_EQ(cache.Texture().Side(), 256);
    EXPECT_EQ(cache.Columns(), 17);
    EXPECT_EQ(cache.Slots().Capacity(), 289);
    EXPECT_FLOAT_EQ(cache.StepU(), 15.0f / 256);
}

}  // namespace
