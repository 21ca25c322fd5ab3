// The sorted table: FindEntry's hits, misses and hints, names sharing an id,
// loading, the per-frame throttle and reloading under another type.
#include <algorithm>

#include "ImageCacheFixture.h"
#include "lumiva/basrel/FileNameId.h"
#include "textures/KImageTexture.h"

namespace shell_test {
namespace {

class ImageCacheTable : public ImageCacheTest {
protected:
    // Forty blank pictures besides the shell's own place-map target.
    void FillWithBlanks() {
        for (int i = 0; i < 40; ++i) {
            const std::string name = "blank" + std::to_string(i);
            ASSERT_NE(Cache().CreateImage(name.c_str(), 4, 4, 2, 0), 0u) << name;
        }
    }
    std::vector<uint32_t> Ids() {
        std::vector<uint32_t> ids;
        for (const KImageCacheEntry& entry : Cache().Entries()) ids.push_back(entry.fileId);
        return ids;
    }
};

TEST_F(ImageCacheTable, EntriesStaySortedByIdAndEveryHintFindsThem) {
    FillWithBlanks();
    const std::vector<uint32_t> ids = Ids();
    ASSERT_EQ(ids.size(), 41u);
    ASSERT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    const int n = static_cast<int>(ids.size());
    for (int i = 0; i < n; ++i) {
        for (int hint : {-1, 0, n - 1, i, (i + 3) % n, (i + 17) % n, n, 32767}) {
            ASSERT_EQ(Cache().FindEntry(ids[i], hint), i) << "entry " << i << " hint " << hint;
        }
    }
}

TEST_F(ImageCacheTable, MissesGiveMinusOneMinusTheInsertPosition) {
    FillWithBlanks();
    const std::vector<uint32_t> ids = Ids();
    std::vector<uint32_t> absent = {0u, 0xFFFFFFFFu};
    for (uint32_t id : ids) absent.push_back(id + 1), absent.push_back(id - 1);
    for (uint32_t id : absent) {
        if (std::binary_search(ids.begin(), ids.end(), id)) continue;
        const int position = static_cast<int>(std::lower_bound(ids.begin(), ids.end(), id) - ids.begin());
        for (int hint : {-1, 0, 20, 40}) {
            ASSERT_EQ(Cache().FindEntry(id, hint), -1 - position) << std::hex << id << " hint " << hint;
        }
    }
}

TEST_F(ImageCacheTable, EmptyTableMissesWithMinusOne) {
    Cache().ReleaseAll();
    EXPECT_EQ(Cache().FindEntry(1234, -1), -1);
    EXPECT_EQ(Cache().FindEntry(1234, 0), -1);
}

TEST_F(ImageCacheTable, LookupStoresTheIdAndIndexForTheNextCall) {
    FillWithBlanks();
    WriteJpeg("pic.jpg");
    DWORD id = 0;
    int16_t hint = -1;
    KImageTexture* picture = Cache().GetImage("pic.jpg", &id, &hint, 0, 0, 0, 1, 0, 0);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(id, g_FileName2Id("pic.jpg"));
    ASSERT_GE(hint, 0);
    EXPECT_EQ(Cache().Entries()[hint].name, "pic.jpg");
    // A stale hint still finds it and is corrected.
    hint = static_cast<int16_t>((hint + 5) % 42);
    EXPECT_EQ(Cache().GetImage("pic.jpg", &id, &hint, 0, 0, 0, 1, 0, 0), picture);
    EXPECT_EQ(Cache().Entries()[hint].name, "pic.jpg");
    EXPECT_EQ(Cache().loadsSinceFrameBegin, 1u);
}

TEST_F(ImageCacheTable, NamesSharingAnIdKeepTheirOwnEntries) {
    WriteJpeg("one.jpg", 8, 4);
    WriteJpeg("two.jpg", 16, 2);
    // The caller's cached id decides the key; the names still differ.
    DWORD id = 77;
    int16_t hint = -1;
    KImageTexture* one = Cache().GetImage("one.jpg", &id, &hint, 0, 0, 0, 1, 0, 0);
    id = 77;
    hint = -1;
    KImageTexture* two = Cache().GetImage("two.jpg", &id, &hint, 0, 0, 0, 1, 0, 0);
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_NE(one, two);
    EXPECT_EQ(two->GetWidth(), 16);
    id = 77;
    EXPECT_EQ(Cache().GetImage("one.jpg", &id, &hint, 0, 0, 0, 1, 0, 0), one);
    const std::vector<uint32_t> ids = Ids();
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
}

TEST_F(ImageCacheTable, NamesDifferingInCaseShareOneEntry) {
    WriteJpeg("Pic.jpg");
    KImageTexture* picture = Get("Pic.jpg");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(Get("pIC.JPG"), picture);
    EXPECT_EQ(Cache().loadsSinceFrameBegin, 1u);
}

TEST_F(ImageCacheTable, EmptyOrNullNameGivesNull) {
    EXPECT_EQ(Get(nullptr), nullptr);
    EXPECT_EQ(Get(""), nullptr);
    EXPECT_EQ(Cache().loadsSinceFrameBegin, 0u);
}

TEST_F(ImageCacheTable, ThrottleRefusesTheFifthNewPictureOfAFrame) {
    for (int i = 0; i < 6; ++i) WriteJpeg("t" + std::to_string(i) + ".jpg");
    m_shell->SetImageLoadThrottle(1);
    for (int i = 0; i < 4; ++i) ASSERT_NE(Get(("t" + std::to_string(i) + ".jpg").c_str()), nullptr) << i;
    const size_t entries = Cache().Entries().size();
    DWORD id = 0;
    int16_t hint = 0;
    EXPECT_EQ(Cache().GetImage("t4.jpg", &id, &hint, 0, 0, 0, 1, 0, 0), nullptr);
    EXPECT_LT(hint, 0);
    EXPECT_EQ(Cache().Entries().size(), entries);
    // Cached pictures are still served, and noThrottle loads anyway.
    EXPECT_NE(Get("t0.jpg"), nullptr);
    EXPECT_NE(Cache().GetImage("t5.jpg", nullptr, nullptr, 0, 0, 0, 1, 1, 0), nullptr);
    // The frame loop's BeginFrame zeroes the count and loading resumes.
    Cache().ResetFrameBeginLoads();
    EXPECT_NE(Cache().GetImage("t4.jpg", &id, &hint, 0, 0, 0, 1, 0, 0), nullptr);
    EXPECT_GE(hint, 0);
}

TEST_F(ImageCacheTable, WithoutThrottleEveryMissLoads) {
    for (int i = 0; i < 6; ++i) WriteJpeg("u" + std::to_string(i) + ".jpg");
    for (int i = 0; i < 6; ++i) ASSERT_NE(Get(("u" + std::to_string(i) + ".jpg").c_str()), nullptr) << i;
    EXPECT_EQ(Cache().loadsSinceFrameBegin, 6u);
    EXPECT_EQ(Cache().loadsSinceFrameEnd, 6u);
}

TEST_F(ImageCacheTable, NoPinLookupsLoadAtMostFourBetweenFrameEnds) {
    for (int i = 0; i < 6; ++i) WriteJpeg("n" + std::to_string(i) + ".jpg");
    auto noPin = [&](int i) {
        return Cache().GetImageNoPin(("n" + std::to_string(i) + ".jpg").c_str(), nullptr, nullptr, 0, 0, 0, 1, 1);
    };
    for (int i = 0; i < 4; ++i) ASSERT_NE(noPin(i), nullptr) << i;
    Cache().ResetFrameBeginLoads();
    EXPECT_EQ(noPin(4), nullptr);  // even with noThrottle
    EXPECT_NE(noPin(0), nullptr);
    Cache().ResetFrameEndLoads();
    EXPECT_NE(noPin(4), nullptr);
}

TEST_F(ImageCacheTable, FailedLoadLeavesAnEmptyEntryThatIsNotRetried) {
    EXPECT_EQ(Get("missing.jpg"), nullptr);
    const int index = IndexOf("missing.jpg");
    ASSERT_GE(index, 0);
    EXPECT_EQ(Cache().Entries()[index].picture, nullptr);
    WriteJpeg("missing.jpg");
    EXPECT_EQ(Get("missing.jpg"), nullptr);
    EXPECT_EQ(Cache().loadsSinceFrameBegin, 1u);
}

TEST_F(ImageCacheTable, AnotherTypeReloadsTheEntryInPlace) {
    WriteSprite("s.spr");
    EXPECT_EQ(Get("s.spr", 0), nullptr);  // not a JPEG: an empty type-0 entry
    KImageTexture* sprite = Get("s.spr", 1);
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->GetType(), 1);
    const int index = IndexOf("s.spr");
    ASSERT_GE(index, 0);
    EXPECT_EQ(Cache().Entries()[index].type, 1);
    EXPECT_EQ(Cache().Entries()[index].picture, sprite);
    EXPECT_EQ(Cache().Entries().size(), 2u);
    EXPECT_EQ(Cache().loadsSinceFrameBegin, 2u);
    // Asked as JPEG again: the load fails and the sprite stays.
    EXPECT_EQ(Get("s.spr", 0), nullptr);
    EXPECT_EQ(Cache().Entries()[index].picture, sprite);
}

TEST_F(ImageCacheTable, BlankPicturesAreNotReloadedUnderAnotherType) {
    ASSERT_NE(Cache().CreateImage("canvas", 8, 8, 2, 0), 0u);
    EXPECT_EQ(Get("canvas", 0), nullptr);
    EXPECT_NE(Get("canvas", 2), nullptr);
}

TEST_F(ImageCacheTable, CreateImageRefusesBadArgumentsAndTakenNames) {
    EXPECT_EQ(Cache().CreateImage("", 8, 8, 0, 0), 0u);
    EXPECT_EQ(Cache().CreateImage(nullptr, 8, 8, 0, 0), 0u);
    EXPECT_EQ(Cache().CreateImage("c", 8, 8, 1, 0), 0u);
    EXPECT_EQ(Cache().CreateImage("c", 2048, 8, 0, 0), 0u);
    const size_t before = Cache().Entries().size();
    const DWORD id = Cache().CreateImage("c", 8, 8, 0, 0);
    EXPECT_EQ(id, g_FileName2Id("c"));
    KImageTexture* picture = Cache().Entries()[IndexOf("c")].picture;
    EXPECT_EQ(Cache().CreateImage("c", 16, 16, 2, 0), 0u);
    EXPECT_EQ(Cache().Entries().size(), before + 1);
    EXPECT_EQ(Cache().Entries()[IndexOf("c")].picture, picture);
    EXPECT_EQ(Cache().Entries()[IndexOf("c")].fromFile, 0);
}

TEST_F(ImageCacheTable, SizeClasses) {
    EXPECT_EQ(KImageCache::GetSizeClass(1, 1), 0);
    EXPECT_EQ(KImageCache::GetSizeClass(1024, 1), 10);
    EXPECT_EQ(KImageCache::GetSizeClass(2, 4), 23);
    EXPECT_EQ(KImageCache::GetSizeClass(1024, 1024), 120);
    EXPECT_EQ(KImageCache::GetSizeClass(3, 4), -1);
    EXPECT_EQ(KImageCache::GetSizeClass(2048, 4), -1);
    EXPECT_EQ(KImageCache::GetSizeClass(0, 4), -1);
}

}  // namespace
}  // namespace shell_test
