// Giving memory back: idle purges at their exact ages, trimming, pinned and
// blank pictures, removal, and a purge that runs inside a lookup.
#include <algorithm>

#include "ImageCacheFixture.h"
#include "d3d9/Control.h"
#include "textures/KImageTexture.h"
#include "textures/TextureMemoryPolicy.h"
#include "win32/Control.h"

namespace shell_test {
namespace {

using lumiva::win32::AdvanceClock;
using lumiva::win32::SetClock;

class ImageCachePurge : public ImageCacheTest {
protected:
    bool Has(const std::string& name) { return IndexOf(name) >= 0; }
};

TEST_F(ImageCachePurge, PurgeIdleErasesOnlyEntriesIdlerThanEveryOneBefore) {
    const std::vector<std::string> names = NamesInTableOrder("idle", ".jpg", 3);
    for (const std::string& name : names) WriteJpeg(name);
    // In table order: idle 25 s, 21 s, 30 s at the purge.
    const uint64_t purgeAt = kClockStart + 60000;
    const uint64_t idle[3] = {25000, 21000, 30000};
    for (int i : {2, 0, 1}) {
        SetClock(purgeAt - idle[i]);
        ASSERT_NE(Get(names[i].c_str()), nullptr);
    }
    SetClock(purgeAt);
    Cache().PurgeIdle();
    EXPECT_FALSE(Has(names[0]));
    EXPECT_TRUE(Has(names[1]));
    EXPECT_FALSE(Has(names[2]));
}

TEST_F(ImageCachePurge, TwentySecondsIsStillFresh) {
    WriteJpeg("edge.jpg");
    ASSERT_NE(Get("edge.jpg"), nullptr);
    AdvanceClock(20000);
    Cache().PurgeIdle();
    EXPECT_TRUE(Has("edge.jpg"));
    AdvanceClock(1);
    Cache().PurgeIdle();
    EXPECT_FALSE(Has("edge.jpg"));
}

TEST_F(ImageCachePurge, UseRefreshesTheTick) {
    WriteJpeg("used.jpg");
    ASSERT_NE(Get("used.jpg"), nullptr);
    AdvanceClock(15000);
    ASSERT_NE(Get("used.jpg"), nullptr);
    AdvanceClock(15000);
    Cache().PurgeIdle();
    EXPECT_TRUE(Has("used.jpg"));
}

// The clock is read once a frame: uses between BeginFrame and EndFrame are
// stamped with its reading at BeginFrame; outside a frame each use reads it.
TEST_F(ImageCachePurge, UsesWithinAFrameCarryTheFramesClockReading) {
    WriteJpeg("frame.jpg");
    WriteSprite("frame.spr");
    const auto tickOf = [&](const char* name) { return Cache().Entries()[size_t(IndexOf(name))].tick; };
    m_shell->BeginFrame(0, 0xFF000000, nullptr);
    const DWORD frameStart = GetTickCount();
    AdvanceClock(5000);
    ASSERT_NE(Get("frame.jpg"), nullptr);
    ASSERT_NE(Get("frame.spr", 1), nullptr);  // a new entry too
    AdvanceClock(700);
    ASSERT_NE(Get("frame.jpg"), nullptr);
    EXPECT_EQ(tickOf("frame.jpg"), frameStart);
    EXPECT_EQ(tickOf("frame.spr"), frameStart);
    m_shell->EndFrame();
    AdvanceClock(300);
    ASSERT_NE(Get("frame.jpg"), nullptr);
    EXPECT_EQ(tickOf("frame.jpg"), GetTickCount());
    // Idle time still counts from the frame's reading.
    AdvanceClock(20001 - 6000);
    Cache().PurgeIdle();
    EXPECT_FALSE(Has("frame.spr"));
    EXPECT_TRUE(Has("frame.jpg"));
}

TEST_F(ImageCachePurge, PurgeIdleErasesAtMostThirtyTwo) {
    const std::vector<std::string> names = NamesInTableOrder("many", ".jpg", 40);
    WriteJpeg("shared.jpg");
    const std::string bytes = ReadDataFile("shared.jpg");
    // Later entries in the table are idler, so each one passes the rising bar.
    for (int i = 39; i >= 0; --i) {
        WriteDataFile(names[i], bytes);
        ASSERT_NE(Get(names[i].c_str()), nullptr);
        AdvanceClock(1);
    }
    AdvanceClock(30000);
    Cache().PurgeIdle();
    int left = 0;
    for (const std::string& name : names) left += Has(name);
    EXPECT_EQ(left, 8);
    for (int i = 32; i < 40; ++i) EXPECT_TRUE(Has(names[i])) << i;
}

TEST_F(ImageCachePurge, PinnedEntriesSurviveIdlePurgesButNotPurgeAll) {
    WriteJpeg("pin.jpg");
    ASSERT_NE(Get("pin.jpg", 0, 1), nullptr);
    EXPECT_EQ(Cache().Entries()[IndexOf("pin.jpg")].tick, kPinnedTick);
    ASSERT_NE(Get("pin.jpg"), nullptr);
    EXPECT_EQ(Cache().Entries()[IndexOf("pin.jpg")].tick, kPinnedTick);
    AdvanceClock(600000);
    Cache().PurgeIdle();
    Cache().TrimIdle();
    EXPECT_TRUE(Has("pin.jpg"));
    Cache().PurgeAll();
    EXPECT_FALSE(Has("pin.jpg"));
}

TEST_F(ImageCachePurge, NoPinLookupsNeverPin) {
    WriteJpeg("np.jpg");
    ASSERT_NE(Cache().GetImageNoPin("np.jpg", nullptr, nullptr, 0, 0, 0, 1, 0), nullptr);
    EXPECT_NE(Cache().Entries()[IndexOf("np.jpg")].tick, kPinnedTick);
}

TEST_F(ImageCachePurge, BlankPicturesSurviveEveryPurgeUntilRemovedOrReleased) {
    ASSERT_NE(Cache().CreateImage("blank", 8, 8, 2, 1), 0u);
    ASSERT_NE(Cache().CreateImage("other", 8, 8, 0, 0), 0u);
    AdvanceClock(600000);
    Cache().PurgeIdle();
    Cache().TrimIdle();
    Cache().PurgeAll();
    EXPECT_TRUE(Has("blank"));
    EXPECT_TRUE(m_shell->RemoveImage("blank"));
    EXPECT_FALSE(Has("blank"));
    EXPECT_FALSE(m_shell->RemoveImage("blank"));
    EXPECT_FALSE(m_shell->RemoveImage(""));
    EXPECT_FALSE(m_shell->RemoveImage(nullptr));
    m_shell->ReleaseAllImages();
    EXPECT_TRUE(Cache().Entries().empty());
    EXPECT_EQ(Cache().stampTime, static_cast<DWORD>(kClockStart + 600000));
}

TEST_F(ImageCachePurge, TrimIdleSkipsFreshAndUsedPicturesAndDropsThoseWithNothingToGiveBack) {
    WriteJpeg("old.jpg");
    WriteJpeg("fresh.jpg");
    WriteJpeg("drawn.jpg");
    EXPECT_EQ(Get("empty.jpg"), nullptr);  // an entry without a picture
    ASSERT_NE(Get("old.jpg"), nullptr);
    ASSERT_NE(Get("drawn.jpg"), nullptr);
    AdvanceClock(15001);
    ASSERT_NE(Get("fresh.jpg"), nullptr);
    Cache().BeginUsageCount();
    ASSERT_NE(Get("drawn.jpg"), nullptr);
    Cache().CountImageMemory();
    AdvanceClock(15000);  // drawn.jpg is 15000 ms idle now, old.jpg 30001
    Cache().TrimIdle();
    EXPECT_FALSE(Has("empty.jpg"));
    EXPECT_FALSE(Has("old.jpg"));  // a JPEG has no frame tiles to give back
    EXPECT_TRUE(Has("fresh.jpg"));
    AdvanceClock(1);
    Cache().TrimIdle();
    EXPECT_TRUE(Has("drawn.jpg"));  // still marked used by the last count
}

TEST_F(ImageCachePurge, TrimIdleKeepsASpriteThatGaveBackTiles) {
    WriteSprite("t.spr");
    ASSERT_NE(Get("t.spr", 1), nullptr);
    AdvanceClock(20000);
    Cache().TrimIdle();
    EXPECT_TRUE(Has("t.spr"));
}

TEST_F(ImageCachePurge, ScreenTargetOutOfMemoryTrimsIdlePictures) {
    WriteJpeg("idle.jpg");
    ASSERT_NE(Get("idle.jpg"), nullptr);
    AdvanceClock(16000);
    lumiva::d3d9::FailCreationAt(1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(m_shell->CreateScreenTarget(800, 600), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_FALSE(Has("idle.jpg"));
}

TEST_F(ImageCachePurge, PurgeInsideALookupDoesNotFreeTheSpriteUnderIt) {
    WriteSprite("big.spr");
    // The sprite's first tile fails after many failures, and the ground
    // pictures can shrink no further: it purges the cache whole.
    m_shell->SetUiScale(0.125f);
    g_SpriteTextureFailures = 5;
    lumiva::d3d9::FailCreationAt(1);
    EXPECT_EQ(Get("big.spr", 1), nullptr);
    EXPECT_FALSE(Has("big.spr"));
    g_SpriteTextureFailures = 0;
    g_HalfSizeSprites = false;
    // The next lookup loads it again.
    KImageTexture* sprite = Get("big.spr", 1);
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->RefCount(), 1);
}

TEST_F(ImageCachePurge, ShellKeepsItsPlaceMapTargetThroughPurges) {
    Cache().PurgeAll();
    EXPECT_TRUE(Has("_*PlaceMapTarget*_"));
}

}  // namespace
}  // namespace shell_test
