// Running out of video memory while sprite tiles are made: purge idle
// pictures and retry once; after repeated failures, halve sprites and purge
// everything.
#include <gtest/gtest.h>

#include <vector>

#include "DxtBlocks.h"
#include "PictureFixture.h"
#include "SprWriter.h"
#include "d3d9/Control.h"
#include "textures/KSprImage.h"
#include "textures/PictureServices.h"
#include "textures/TextureMemoryPolicy.h"

namespace pictures_test {
namespace {

using Bytes = std::vector<uint8_t>;

class OutOfMemoryTest : public PictureFixture {
protected:
    void SetUp() override {
        PictureFixture::SetUp();
        CreateDevice();
        picture_services::SetPurgeIdle([this] { ++m_purgeIdle; });
        picture_services::SetPurgeAll([this] { ++m_purgeAll; });
        picture_services::SetShrinkGroundPictures([this] {
            ++m_shrinks;
            return m_canShrink;
        });
        // A 9 x 9 run-length frame: four tiles.
        WriteDataFile("r.spr", WriteSpr({}, {{9, 9, 0, 0, std::vector<uint32_t>(81, 0xFF112233u)}}));
        Bytes image = MakeDxt5DdsHeader(16, 16);
        Bytes blocks = EncodeDxt5(std::vector<uint32_t>(256, 0xFF00FF00u).data(), 16, 16);
        image.insert(image.end(), blocks.begin(), blocks.end());
        SdsFrame frame{16, 16, 0, 0, {}};
        frame.tiles.push_back(SdsTile{image, 16, 16, 0, 0, 16, 16});
        WriteDataFile("k.spr", WriteSds0({}, {frame}));
    }
    void TearDown() override {
        picture_services::Reset();  // the stand-ins hold this fixture
        PictureFixture::TearDown();
    }

    int TilesMade(const KSprImage& sprite) {
        int made = 0;
        for (int t = 0; t < sprite.GetTileCount(0); ++t) made += sprite.GetTileTexture(0, t) != nullptr;
        return made;
    }

    int m_purgeIdle = 0;
    int m_purgeAll = 0;
    int m_shrinks = 0;
    bool m_canShrink = false;
};

TEST_F(OutOfMemoryTest, OneFailurePurgesIdlePicturesAndTheRetryMakesTheTile) {
    for (const char* name : {"r.spr", "k.spr"}) {
        KSprImage sprite;
        ASSERT_TRUE(sprite.Open(name, 1));
        lumiva::d3d9::FailCreationAt(1);
        ASSERT_TRUE(sprite.LoadFrame(name, 0, true, 0));
        EXPECT_EQ(TilesMade(sprite), sprite.GetTileCount(0)) << name;
        EXPECT_GT(sprite.GetCost(), 0u);
    }
    EXPECT_EQ(m_purgeIdle, 2);
    EXPECT_EQ(m_purgeAll, 0);
    EXPECT_EQ(g_SpriteTextureFailures, 2);
    EXPECT_FALSE(g_HalfSizeSprites);
}

TEST_F(OutOfMemoryTest, FailedRetryLeavesTheRestOfTheFrameEmptyUntilTheNextLookup) {
    KSprImage sprite;
    ASSERT_TRUE(sprite.Open("r.spr", 1));
    lumiva::d3d9::FailCreationAt(1, D3DERR_OUTOFVIDEOMEMORY, 2);
    UINT before = lumiva::d3d9::ResourceCreationCount();
    ASSERT_TRUE(sprite.LoadFrame("r.spr", 0, true, 0));
    EXPECT_EQ(lumiva::d3d9::ResourceCreationCount() - before, 2u);
    EXPECT_EQ(TilesMade(sprite), 0);
    EXPECT_EQ(sprite.GetCost(), 0u);
    EXPECT_EQ(m_purgeIdle, 1);
    ASSERT_TRUE(sprite.LoadFrame("r.spr", 0, true, 0));
    EXPECT_EQ(TilesMade(sprite), 4);
    EXPECT_EQ(sprite.GetCost(), 4u * 8 * 8 * 2);
}

TEST_F(OutOfMemoryTest, RepeatedFailuresHalveSpritesPurgeEverythingAndStopTheFrame) {
    g_SpriteTextureFailures = 5;
    KSprImage sprite;
    ASSERT_TRUE(sprite.Open("k.spr", 1));
    lumiva::d3d9::FailCreationAt(1);
    ASSERT_TRUE(sprite.LoadFrame("k.spr", 0, true, 0));
    EXPECT_TRUE(g_HalfSizeSprites);
    EXPECT_EQ(g_SpriteTextureFailures, 6);
    EXPECT_EQ(m_shrinks, 1);
    EXPECT_EQ(m_purgeAll, 1);
    EXPECT_EQ(m_purgeIdle, 0);
    EXPECT_EQ(TilesMade(sprite), 0);  // no retry after the whole cache went
    // The next lookup makes a half-size tile; failures are no longer counted.
    lumiva::d3d9::FailCreationAt(1);
    ASSERT_TRUE(sprite.LoadFrame("k.spr", 0, true, 0));
    ASSERT_EQ(TilesMade(sprite), 1);
    EXPECT_EQ(LevelDesc(sprite.GetTileTexture(0, 0)).Width, 8u);
    EXPECT_EQ(g_SpriteTextureFailures, 6);
    EXPECT_EQ(m_purgeIdle, 1);
}

TEST_F(OutOfMemoryTest, GroundPicturesThatCanShrinkPostponeHalving) {
    g_SpriteTextureFailures = 5;
    m_canShrink = true;
    KSprImage sprite;
    ASSERT_TRUE(sprite.Open("r.spr", 1));
    lumiva::d3d9::FailCreationAt(1);
    ASSERT_TRUE(sprite.LoadFrame("r.spr", 0, true, 0));
    EXPECT_FALSE(g_HalfSizeSprites);
    EXPECT_EQ(m_shrinks, 1);
    EXPECT_EQ(m_purgeIdle, 1);
    EXPECT_EQ(TilesMade(sprite), 4);
}

TEST_F(OutOfMemoryTest, SystemMemoryShortageCountsForPackedTilesOnly) {
    KSprImage runs, packed;
    ASSERT_TRUE(runs.Open("r.spr", 1));
    ASSERT_TRUE(packed.Open("k.spr", 1));
    lumiva::d3d9::FailCreationAt(1, HRESULT(0x8007000E));
    ASSERT_TRUE(runs.LoadFrame("r.spr", 0, true, 0));
    EXPECT_EQ(TilesMade(runs), 4);  // retried, but no purge
    EXPECT_EQ(m_purgeIdle, 0);
    EXPECT_EQ(g_SpriteTextureFailures, 0);
    lumiva::d3d9::FailCreationAt(1, HRESULT(0x8007000E));
    ASSERT_TRUE(packed.LoadFrame("k.spr", 0, true, 0));
    EXPECT_EQ(TilesMade(packed), 1);
    EXPECT_EQ(m_purgeIdle, 1);
    EXPECT_EQ(g_SpriteTextureFailures, 1);
}

}  // namespace
}  // namespace pictures_test
