// The pak preload queue without its thread, and the pre-scan that fills it
// from a map's regions.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "RegionFixture.h"
#include "place/PakPreload.h"
#include "place/RegionPack.h"
#include "place/RegionPrescan.h"

namespace place_test {
namespace {

using PreloadQueueTest = RegionTest;
using PrescanTest = RegionTest;

TEST_F(PreloadQueueTest, ANameWaitsOnceAndEmptyNamesNever) {
    QueuePakPreload("a.spr");
    QueuePakPreload("b.spr");
    QueuePakPreload("a.spr");
    QueuePakPreload("");
    QueuePakPreload(nullptr);
    QueuePakPreload("A.SPR");  // names are kept as given
    EXPECT_EQ(QueuedPakPreloads(), (std::vector<std::string>{"a.spr", "b.spr", "A.SPR"}));
    ClearPakPreloadQueue();
    EXPECT_TRUE(QueuedPakPreloads().empty());
    ClearPakPreloadQueue();  // empty: nothing to do, nothing to wait for
    QueuePakPreload("a.spr");  // forgotten by the clear
    EXPECT_EQ(QueuedPakPreloads(), std::vector<std::string>{"a.spr"});
}

// The guard set holds 20480 names; past that every name still goes into
// the queue, and a refused guard entry is freed (ASan sees a leak if not).
TEST_F(PreloadQueueTest, AFullGuardSetStillQueues) {
    constexpr int kNames = 20600;
    for (int i = 0; i < kNames; ++i) QueuePakPreload(("n" + std::to_string(i)).c_str());
    EXPECT_EQ(QueuedPakPreloads().size(), size_t(kNames));
    QueuePakPreload("n5");  // still guarded
    EXPECT_EQ(QueuedPakPreloads().size(), size_t(kNames));
    ClearPakPreloadQueue();
    QueuePakPreload("n20599");
    EXPECT_EQ(QueuedPakPreloads().size(), 1u);
}

GroundSectionFields Ground(const std::vector<std::string>& tiles, const std::vector<std::string>& records) {
    GroundSectionFields g;
    for (const std::string& t : tiles) g.tiles.push_back({0, 0, 0, t, std::nullopt});
    for (const std::string& r : records) g.records.push_back({0, 0, r, 1, 1, 0, 0, 0, 0});
    return g;
}

ObjectSectionFields Objects(const std::vector<std::string>& names) {
    ObjectSectionFields o;
    for (const std::string& n : names) {
        o.objects.emplace_back();
        o.objects.back().name = n;
    }
    o.points = uint16_t(names.size());
    return o;
}

void WriteWor(RegionTest& test, const std::array<int, 4>& rect) {
    WorSettings settings;
    settings.rect = rect;
    ASSERT_TRUE(WriteDataText(test.Root(), std::string(kMapFolder) + ".wor", WriteWorSettings(settings)));
}

TEST_F(PrescanTest, QueuesRowByRowTilesRecordsThenObjects) {
    WriteWor(*this, {10, 20, 11, 21});
    WriteRegion(10, 20, RegionFileFields{FilledGrid(1), Ground({"t1", "t2"}, {"g1"}), Objects({"o1", "t1"})});
    WriteRegion(11, 20, RegionFileFields{std::nullopt, std::nullopt, Objects({"o2"})});
    WriteRegion(10, 21, RegionFileFields{std::nullopt, Ground({"", "t3"}, {"g1", "g2"}), std::nullopt});
    // (11, 21) has no file.
    PrescanRegions(kMapFolder);
    EXPECT_EQ(QueuedPakPreloads(), (std::vector<std::string>{"t1", "t2", "g1", "o1", "o2", "t3", "g2"}));
}

TEST_F(PrescanTest, ThePackIsReadBeforeTheLooseFiles) {
    WriteWor(*this, {10, 10, 11, 10});
    WriteRegion(10, 10, RegionFileFields{std::nullopt, Ground({"loose10"}, {}), std::nullopt});
    WriteRegion(11, 10, RegionFileFields{std::nullopt, Ground({"loose11"}, {}), std::nullopt});
    RegionPackFields pack{10, 10, 10, 10, {}, {}};
    pack.blobs[{10, 10}] = BuildRegionFile({std::nullopt, Ground({"packed10"}, {}), std::nullopt});
    WriteFile(RegionPackPath(kMapFolder), WriteRegionPack(pack));
    InstallRegionPack(LoadRegionPack(RegionPackPath(kMapFolder).c_str()));
    PrescanRegions(kMapFolder);
    EXPECT_EQ(QueuedPakPreloads(), (std::vector<std::string>{"packed10", "loose11"}));
}

TEST_F(PrescanTest, RectanglesThatScanNothing) {
    WriteRegion(10, 10, RegionFileFields{std::nullopt, Ground({"t"}, {}), std::nullopt});
    const std::array<int, 4> nothing[] = {{11, 10, 10, 10}, {10, 11, 10, 10}, {INT32_MAX, 10, INT32_MIN, 10}};
    for (const auto& rect : nothing) {
        WriteWor(*this, rect);
        PrescanRegions(kMapFolder);
    }
    EXPECT_TRUE(QueuedPakPreloads().empty());
    EXPECT_TRUE(SceneLog().empty());
    PrescanRegions("");
    PrescanRegions(nullptr);
    PrescanRegions("\\Maps\\absent");  // no settings
    ASSERT_TRUE(WriteDataText(Root(), std::string(kMapFolder) + ".wor", "[MAIN]\nIsInDoor=1\n"));
    PrescanRegions(kMapFolder);  // no rect
    EXPECT_TRUE(QueuedPakPreloads().empty());
}

TEST_F(PrescanTest, AnAreaOverTheCapIsSkippedWithALogLine) {
    WriteRegion(10, 10, RegionFileFields{std::nullopt, Ground({"t"}, {}), std::nullopt});
    WriteWor(*this, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
    PrescanRegions(kMapFolder);
    WriteWor(*this, {10, 10, 10 + 256, 10 + 255});  // one column too many
    PrescanRegions(kMapFolder);
    EXPECT_TRUE(QueuedPakPreloads().empty());
    EXPECT_EQ(SceneLog().size(), 2u);
    WriteWor(*this, {10, 10, 10 + 255, 10 + 255});
    PrescanRegions(kMapFolder);
    EXPECT_EQ(QueuedPakPreloads(), std::vector<std::string>{"t"});
    EXPECT_TRUE(SceneLog().empty());
}

TEST_F(PrescanTest, DamagedSectionsQueueNothingOfTheirOwn) {
    WriteWor(*this, {10, 10, 12, 10});
    GroundSectionFields badGround = Ground({"tile"}, {"record"});
    badGround.recordCount = 9;
    ObjectSectionFields badObjects = Objects({"a", "b"});
    badObjects.flats = 3;
    WriteRegion(10, 10, RegionFileFields{std::nullopt, badGround, Objects({"kept"})});
    WriteRegion(11, 10, RegionFileFields{std::nullopt, Ground({"kept too"}, {}), badObjects});
    WriteRegion(12, 10, std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 1, 2});
    PrescanRegions(kMapFolder);
    EXPECT_EQ(QueuedPakPreloads(), (std::vector<std::string>{"kept", "kept too"}));
}

TEST_F(PrescanTest, AGeneratedMapQueuesEachNameOnce) {
    GeneratedMapFields map;
    map.folder = kMapFolder;
    map.width = 2, map.height = 2;
    ASSERT_TRUE(WriteGeneratedMap(Root(), map));
    PrescanRegions(kMapFolder);
    const std::vector<std::string> queued = QueuedPakPreloads();
    // 25 tile names, 12 ground, 40 object, and each region's own name.
    EXPECT_EQ(queued.size(), 25u + 12 + 40 + 4);
    EXPECT_EQ(queued.front(), GeneratedRegionName(map, 10, 10));
    EXPECT_EQ(std::count(queued.begin(), queued.end(), GeneratedRegionName(map, 11, 11)), 1);
}

}  // namespace
}  // namespace place_test
