// The region merge over regions the loader thread read: wall lines joined
// across regions, the flat-object order, and merges that repeat the same
// tree however often they run.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "LoaderFixture.h"

namespace place_test {
namespace {

constexpr const char* kFolder = "\\Maps\\merge";
constexpr int32_t kWestX = 13 * 512, kEastX = 14 * 512, kTop = 13 * 1024;

RegionObjectFields Line(const std::string& name, int32_t x, int32_t y, int32_t endX, int32_t endY, float keyA,
                        float keyB) {
    RegionObjectFields o;
    o.name = name;
    o.x = x, o.y = y, o.endX = endX, o.endY = endY;
    o.keyA = keyA, o.keyB = keyB;
    o.flags = kObjectCoveringWall;
    return o;
}

RegionObjectFields Flat(const std::string& name, int32_t y, int32_t depth) {
    RegionObjectFields o;
    o.name = name;
    o.x = kWestX + 50, o.y = y, o.depth = depth;
    return o;
}

class RegionMergeThreadTest : public LoaderTest {
protected:
    // Region (13, 13): two crossing walls, then flats a1, a2, a3. Region
    // (14, 13): a wall continuing the first, a wall of another slope, flat b1.
    void SetUp() override {
        LoaderTest::SetUp();
        WorSettings settings;
        settings.rect = {10, 10, 16, 16};
        ::WriteDataText(m_root, std::string(kFolder) + ".wor", WriteWorSettings(settings));
        ObjectSectionFields west;
        west.objects = {Line("long", kWestX + 10, kTop + 500, kWestX + 500, kTop + 500, 0.5f, 1000),
                        Line("cross", kWestX + 200, kTop + 300, kWestX + 260, kTop + 700, 7.0f, 0),
                        Flat("a1", kTop + 500, 1), Flat("a2", kTop + 300, 2), Flat("a3", kTop + 500, 1)};
        west.lines = 2;
        west.flats = 3;
        ObjectSectionFields east;
        east.objects = {Line("joins", kEastX + 20, kTop + 500, kEastX + 300, kTop + 500, 0.505f, 1010),
                        Line("apart", kEastX + 20, kTop + 600, kEastX + 300, kTop + 600, 0.52f, 1000),
                        Flat("b1", kTop + 500, 0)};
        east.lines = 2;
        east.flats = 1;
        WriteRegion(13, 13, west);
        WriteRegion(14, 13, east);
        ASSERT_TRUE(Place().Init(nullptr));
        ASSERT_TRUE(Place().LoadMapFromFolder(kFolder));
        Place().SetFocus(kWestX + 100, kTop + 100, 0);
        probe.Drain(Place());
        Place().UpdateFrame();
    }
    void WriteRegion(int32_t rx, int32_t ry, const ObjectSectionFields& objects) {
        RegionFileFields fields;
        fields.objects = objects;
        ASSERT_TRUE(::WriteDataFile(m_root, RegionFilePath(kFolder, rx, ry), BuildRegionFile(fields)));
    }
    const KTreePoint& Point(int32_t rx, int index) {
        const KSceneRegion* region = Place().FindRegion(rx, 13);
        EXPECT_NE(region, nullptr);
        EXPECT_NE(region->treePoints, nullptr);
        return region->treePoints[index];
    }

    using Fragment = std::tuple<const KRegionObjectRecord*, int32_t, int32_t, int32_t, int32_t>;
    std::vector<Fragment> Walk() {
        std::vector<Fragment> items;
        Place().ObjectTree().WalkItems(&items, [](void* context, KScenePoint* item) {
            const KIntPoint p = item->StoredPosition(), e = item->EndPoint();
            static_cast<std::vector<Fragment>*>(context)->emplace_back(item->record, p.x, p.y, e.x, e.y);
        });
        return items;
    }
};

TEST_F(RegionMergeThreadTest, PiecesOfOneWallInTwoRegionsJoinOneLine) {
    const KTreePoint& first = Point(13, 0);
    const KTreePoint& joins = Point(14, 0);
    const KTreePoint& apart = Point(14, 1);
    EXPECT_EQ(joins.key.a, 0.5f);
    EXPECT_EQ(joins.key.b, 1000.0f);
    EXPECT_EQ(first.key.a, 0.5f);
    EXPECT_EQ(apart.key.a, 0.52f);  // 0.02 off: a line of its own
}

TEST_F(RegionMergeThreadTest, FlatObjectsGoByYThenDepthTiesKeepingTheirOrder) {
    std::vector<std::string> names;
    for (const KRegionObjectRecord* record : Place().FlatObjects()) names.emplace_back(record->name);
    // Each region's flats go in from its last; regions in slot order.
    EXPECT_EQ(names, (std::vector<std::string>{"a2", "b1", "a3", "a1"}));
}

TEST_F(RegionMergeThreadTest, EveryMergeBuildsTheSameTree) {
    const std::vector<Fragment> first = Walk();
    // The crossing wall is cut in two: more fragments than wall records.
    EXPECT_GT(first.size(), 4u);
    Place().MergeRegionObjects();
    EXPECT_EQ(Walk(), first);
    Place().SetFocus(kWestX + 300, kTop + 200, 0);  // same region: no new merge
    Place().MergeRegionObjects();
    EXPECT_EQ(Walk(), first);
}

TEST_F(RegionMergeThreadTest, LeavingTheRegionsEmptiesTheMerge) {
    Place().SetFocus(20 * 512 + 100, kTop + 100, 0);
    probe.Drain(Place());
    Place().UpdateFrame();
    EXPECT_TRUE(Place().FlatObjects().empty());
    EXPECT_TRUE(Walk().empty());
}

}  // namespace
}  // namespace place_test
