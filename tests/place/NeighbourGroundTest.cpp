// Ground records that reach over a region's edge are copied into the
// neighbour they reach, once per direction, in the order painting needs.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "place/GroundPicture.h"
#include "place/RegionReader.h"
#include "place/SceneRegion.h"

namespace neighbour_ground_test {
namespace {

KRegionGroundRecord Record(const char* name, int32_t x, int32_t y, uint16_t width, uint16_t height,
                           uint8_t layer = 0, int16_t order = 0, uint8_t kind = kOwnGroundRecord) {
    KRegionGroundRecord r{};
    r.x = x, r.y = y, r.width = width, r.height = height;
    std::strncpy(r.name, name, sizeof r.name - 1);
    r.layer = layer, r.order = order, r.kind = kind;
    return r;
}

void Place(KSceneRegion& region, int32_t rx, int32_t ry, const std::vector<KRegionGroundRecord>& records) {
    region.rx = rx, region.ry = ry;
    region.originX = RegionOriginX(rx), region.originY = RegionOriginY(ry);
    region.state = kRegionLoaded;
    region.groundRecordCount = uint32_t(records.size());
    region.groundRecords = std::make_unique<KRegionGroundRecord[]>(records.size() + 1);
    for (size_t i = 0; i < records.size(); ++i) region.groundRecords[i] = records[i];
}

std::vector<std::string> Names(const KSceneRegion& region) {
    std::vector<std::string> names;
    for (uint32_t i = 0; i < region.groundRecordCount; ++i)
        names.push_back(std::string(region.groundRecords[i].name) + "/" + std::to_string(region.groundRecords[i].kind));
    return names;
}

// Region (10, 10) covers x 5120..5631 and y 10240..11263. Edges touch
// without overlap; one unit over is enough.
TEST(NeighbourGroundTest, OnlyRecordsReachingOverTheEdgeAreShared) {
    struct Case {
        int32_t nx, ny;  // the neighbour
        KRegionGroundRecord record;
        bool shared;
    };
    const Case cases[] = {
        {9, 10, Record("left touch", 5056, 10300, 64, 10), false},
        {9, 10, Record("left over", 5056, 10300, 65, 10), true},
        {11, 10, Record("right touch", 5632, 10300, 64, 10), false},
        {11, 10, Record("right over", 5631, 10300, 64, 10), true},
        {10, 9, Record("top touch", 5200, 10200, 10, 20), false},  // covers 2 x height
        {10, 9, Record("top over", 5200, 10201, 10, 20), true},
        {10, 11, Record("bottom touch", 5200, 11264, 10, 20), false},
        {10, 11, Record("bottom over", 5200, 11263, 10, 20), true},
        {11, 11, Record("corner over", 5600, 11200, 64, 64), true},
        {11, 11, Record("wide", INT_MIN, INT_MIN, 65535, 65535), false},  // far away, no wrap
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record.name);
        KSceneRegion region, neighbour;
        Place(region, 10, 10, {});
        Place(neighbour, c.nx, c.ny, {c.record});
        ShareNeighbourGround(region, &neighbour);
        ASSERT_EQ(region.groundRecordCount, c.shared ? 1u : 0u);
        EXPECT_NE(region.neighbourBits, 0u);
        if (c.shared) {
            EXPECT_EQ(region.groundRecords[0].kind, (c.nx - 10) * 3 + (c.ny - 10) + 4);
            EXPECT_EQ(neighbour.groundRecords[0].kind, kOwnGroundRecord);
        }
    }
}

TEST(NeighbourGroundTest, EachDirectionSharesOnceAndSetsItsBit) {
    KSceneRegion region, right, below;
    Place(region, 10, 10, {});
    Place(right, 11, 10, {Record("r", 5600, 10300, 64, 10)});
    Place(below, 10, 11, {Record("b", 5200, 11250, 10, 20)});
    ShareNeighbourGround(region, &right);
    ShareNeighbourGround(region, &right);
    ShareNeighbourGround(region, &below);
    EXPECT_EQ(Names(region), (std::vector<std::string>{"r/7", "b/5"}));
    EXPECT_EQ(region.neighbourBits, 1u << 7 | 1u << 5);
    // Both ways, as the loader calls it: the right neighbour gets nothing
    // back from a region without records of its own.
    ShareNeighbourGround(right, &region);
    EXPECT_EQ(right.groundRecordCount, 1u);
    EXPECT_EQ(right.neighbourBits, 1u << 1);
}

TEST(NeighbourGroundTest, CopiesAreNotPassedOnAndStrangersAreIgnored) {
    KSceneRegion region, neighbour, far;
    Place(region, 10, 10, {});
    Place(neighbour, 11, 10, {Record("copy", 5600, 10300, 64, 10, 0, 0, 3), Record("own", 5600, 10300, 64, 10)});
    Place(far, 12, 10, {Record("far", 5100, 10300, 1000, 10)});
    ShareNeighbourGround(region, &far);
    ShareNeighbourGround(region, nullptr);
    ShareNeighbourGround(region, &region);
    EXPECT_EQ(region.neighbourBits, 0u);
    ShareNeighbourGround(region, &neighbour);
    EXPECT_EQ(Names(region), std::vector<std::string>{"own/7"});

    KSceneRegion wrapped;  // 64-bit index distance: INT_MAX - INT_MIN is no neighbour
    Place(wrapped, INT_MIN, INT_MAX, {Record("w", 0, 0, 1, 1)});
    KSceneRegion edge;
    Place(edge, INT_MAX, INT_MIN, {});
    ShareNeighbourGround(edge, &wrapped);
    EXPECT_EQ(edge.neighbourBits, 0u);
}

TEST(NeighbourGroundTest, InsertedRecordsKeepTheOrderOfLayerOrderYAndKind) {
    KSceneRegion region, left;
    Place(region, 10, 10,
          {Record("a", 5200, 10300, 10, 10, 0, 1), Record("b", 5200, 10400, 10, 10, 0, 1),
           Record("c", 5200, 10300, 10, 10, 1, 0), Record("d", 5200, 10300, 10, 10, 1, 5)});
    Place(left, 9, 10,
          {Record("x", 5100, 10400, 64, 10, 0, 1),   // b's layer, order and y; kind 1 before 4
           Record("y", 5100, 10300, 64, 10, 1, 0),   // c's key but kind 1: before c
           Record("z", 5100, 10500, 64, 10, 2, -1),  // a new last layer
           Record("w", 5100, 10235, 64, 10, 0, 0)});  // order 0: first of all
    KPlaceGroundPicture picture;
    picture.inUse = picture.built = 1;
    region.groundPicture = &picture;
    ShareNeighbourGround(region, &left);
    EXPECT_EQ(Names(region), (std::vector<std::string>{"w/1", "a/4", "x/1", "b/4", "y/1", "c/4", "d/4", "z/1"}));
    EXPECT_EQ(picture.built, 0);
    EXPECT_EQ(picture.inUse, 1);
}

TEST(NeighbourGroundTest, EqualKeysGoAfterTheRecordsAlreadyThere) {
    KSceneRegion region;
    Place(region, 10, 10, {Record("first", 5200, 10300, 10, 10)});
    EXPECT_TRUE(InsertGroundRecord(region, Record("second", 5200, 10300, 10, 10)));
    EXPECT_TRUE(InsertGroundRecord(region, Record("third", 5300, 10300, 10, 10)));
    EXPECT_TRUE(InsertGroundRecord(region, Record("zero", 5300, 10300, 10, 10, 0, 0, 2)));
    EXPECT_EQ(Names(region), (std::vector<std::string>{"zero/2", "first/4", "second/4", "third/4"}));
}

TEST(NeighbourGroundTest, NothingSharedLeavesThePictureBuilt) {
    KSceneRegion region, neighbour;
    Place(region, 10, 10, {});
    Place(neighbour, 11, 10, {Record("inside", 5700, 10300, 10, 10)});
    KPlaceGroundPicture picture;
    picture.built = 1;
    region.groundPicture = &picture;
    ShareNeighbourGround(region, &neighbour);
    EXPECT_EQ(picture.built, 1);
    EXPECT_EQ(region.groundRecordCount, 0u);
}

}  // namespace
}  // namespace neighbour_ground_test
