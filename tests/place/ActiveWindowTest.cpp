// Obstacle queries over the 3 x 3 active regions of a generated map whose
// cells carry their region's indices, and the select bit of object records.
#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "RegionFixture.h"
#include "place/ActiveWindow.h"
#include "place/RegionReader.h"
#include "place/ScenePlaceHost.h"

namespace place_test {
namespace {

// Regions 10..12 x 20..22 active around (11, 21), and (13, 21) loaded but
// two regions from the centre.
class ActiveWindowTest : public RegionTest {
protected:
    void SetUp() override {
        RegionTest::SetUp();
        GeneratedMapFields map;
        map.folder = kMapFolder;
        map.left = 10, map.top = 20, map.width = 4, map.height = 3;
        map.tiles = map.groundRecords = map.lights = 0;
        map.objects = 6;
        ASSERT_TRUE(WriteGeneratedMap(m_root, map));
        window.centreX = 11, window.centreY = 21;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                KSceneRegion& region = regions[KActiveWindow::SlotOf(dx, dy)];
                ASSERT_TRUE(Read(region, 11 + dx, 21 + dy));
                window.slots[KActiveWindow::SlotOf(dx, dy)] = &region;
            }
        }
        ASSERT_TRUE(Read(farRegion, 13, 21));
    }

    KSceneRegion regions[9];
    KSceneRegion farRegion;
    KActiveWindow window;
};

TEST_F(ActiveWindowTest, PositionsFindTheirRegionColumnAndRow) {
    struct Case {
        int32_t x, y;
        int32_t rx, ry;
        int column, row;
    };
    const Case cases[] = {
        {5120, 20480, 10, 20, 0, 0},         // top-left corner of the window
        {5120 + 31, 20480 + 31, 10, 20, 0, 0},
        {5120 + 32, 20480 + 63, 10, 20, 1, 1},
        {5631, 21503, 10, 20, 15, 31},       // last unit of the first region
        {5632, 21504, 11, 21, 0, 0},
        {6655, 23551, 12, 22, 15, 31},       // bottom-right corner of the window
        {6000, 22000, 11, 21, 11, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        const uint32_t cell = GeneratedCell(c.rx, c.ry, c.column, c.row);
        EXPECT_EQ(window.GetCell(c.x, c.y), cell);
        EXPECT_EQ(window.GetOriginalCell(c.x, c.y), cell);
        EXPECT_EQ(window.GetObstacle(c.x, c.y), cell & 15);
        EXPECT_EQ(window.GetObstacleEx(c.x, c.y, 99, -99), cell & 15);
        EXPECT_EQ(window.GetCellExtra(c.x, c.y), 0u);
    }
}

TEST_F(ActiveWindowTest, OutsideTheWindowIsBlocked) {
    const std::pair<int32_t, int32_t> outside[] = {
        {5119, 21000},                // left of the window
        {6656, 21000},                // the loaded region two to the right
        {6000, 20479},                // above
        {6000, 23552},                // below
        {-1, -1}, {-31, 5}, {5, -31},  // next to region 0: truncation would say column 0
        {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, 22000},
    };
    for (auto [x, y] : outside) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        EXPECT_EQ(window.GetObstacle(x, y), 1u);
        EXPECT_EQ(window.GetObstacleEx(x, y, 0, 0), 1u);
        EXPECT_EQ(window.GetCell(x, y), 1u);
        EXPECT_EQ(window.GetOriginalCell(x, y), 1u);
        EXPECT_EQ(window.GetCellExtra(x, y), 0u);
        EXPECT_FALSE(window.SetCellObstacle(x, y, 2));
        EXPECT_FALSE(window.ClearCell(x, y));
        window.RestoreRegionCells(x, y);
    }
    EXPECT_EQ(farRegion.state, kRegionLoaded);
    EXPECT_FALSE(window.IsRegionClear(13, 21));
}

TEST_F(ActiveWindowTest, NegativePositionsNearRegionZeroAreOutside) {
    KSceneRegion zero;
    WriteRegion(0, 0, RegionFileFields{FilledGrid(0x55), std::nullopt, std::nullopt});
    ASSERT_TRUE(Read(zero, 0, 0));
    KActiveWindow origin;
    origin.slots[KActiveWindow::SlotOf(0, 0)] = &zero;
    EXPECT_EQ(origin.GetCell(0, 0), 0x55u);
    EXPECT_EQ(origin.GetCell(511, 1023), 0x55u);
    EXPECT_EQ(origin.GetCell(-1, 0), 1u);
    EXPECT_EQ(origin.GetCell(0, -1), 1u);
    EXPECT_EQ(origin.GetCell(-511, -1023), 1u);
    EXPECT_EQ(origin.GetCell(512, 0), 1u);  // region 1, no slot
}

TEST_F(ActiveWindowTest, SetClearAndRestoreCells) {
    const int32_t x = 6000, y = 22000;
    const uint32_t original = window.GetCell(x, y);
    for (int32_t bad : {7, -1, 16, INT_MIN}) EXPECT_FALSE(window.SetCellObstacle(x, y, bad)) << bad;
    EXPECT_EQ(window.GetCell(x, y), original);
    ASSERT_TRUE(window.SetCellObstacle(x, y, 0));
    EXPECT_EQ(window.GetCell(x, y), 16u);  // shape 1, the file's bits gone
    EXPECT_EQ(window.GetObstacle(x, y), 0u);
    ASSERT_TRUE(window.SetCellObstacle(x, y, 6));
    EXPECT_EQ(window.GetObstacle(x, y), 6u);
    EXPECT_EQ(window.GetOriginalCell(x, y), original);
    ASSERT_TRUE(window.ClearCell(x + 32, y));
    EXPECT_EQ(window.GetCell(x + 32, y), 0u);
    window.RestoreRegionCells(5700, 21600);  // anywhere in the same region
    EXPECT_EQ(window.GetCell(x, y), original);
    EXPECT_EQ(window.GetCell(x + 32, y), window.GetOriginalCell(x + 32, y));
}

TEST_F(ActiveWindowTest, ARegionIsClearOnlyWithEveryWorkingCellZero) {
    KSceneRegion& centre = regions[4];
    EXPECT_FALSE(window.IsRegionClear(11, 21));
    std::fill(std::begin(centre.workingGrid), std::end(centre.workingGrid), 0u);
    EXPECT_TRUE(window.IsRegionClear(11, 21));
    centre.workingGrid[300] = 0x100;  // only bits above the obstacle type
    EXPECT_FALSE(window.IsRegionClear(11, 21));
    window.slots[4] = nullptr;
    EXPECT_FALSE(window.IsRegionClear(11, 21));
    EXPECT_EQ(window.GetCell(6000, 22000), 1u);
}

TEST_F(ActiveWindowTest, UnregisteringTellsTheHostOfRegionsItKnows) {
    window.UnregisterActiveRegions();  // no host: nothing to tell
    RecordingHost host;
    host.ids[RegionHostKey(10, 20)] = 3;
    host.ids[RegionHostKey(12, 22)] = 8;
    SetScenePlaceHost(&host);
    window.slots[5] = nullptr;
    window.UnregisterActiveRegions();
    int finds = 0;
    std::vector<std::string> detached;
    for (const std::string& call : host.calls) {
        if (call.rfind("FindRegionId 0 ", 0) == 0) ++finds;
        if (call.rfind("DetachRegion", 0) == 0) detached.push_back(call);
    }
    EXPECT_EQ(finds, 8);
    EXPECT_EQ(detached, (std::vector<std::string>{"DetachRegion 0 3", "DetachRegion 0 8"}));
}

TEST_F(ActiveWindowTest, RegionOriginsForAnyIndex) {
    int32_t x = 0, y = 0;
    KActiveWindow::GetRegionOrigin(11, 21, &x, &y);
    EXPECT_EQ(x, 5632);
    EXPECT_EQ(y, 21504);
    KActiveWindow::GetRegionOrigin(-1, -2, &x, &y);
    EXPECT_EQ(x, -512);
    EXPECT_EQ(y, -2048);
    KActiveWindow::GetRegionOrigin(INT_MAX, INT_MIN, &x, &y);  // wraps, no overflow
    KActiveWindow::GetRegionOrigin(1, 1, nullptr, nullptr);
}

TEST_F(ActiveWindowTest, FarCentresNeverWrapIntoTheWindow) {
    window.centreX = INT_MIN;
    window.centreY = INT_MIN;
    EXPECT_EQ(window.ActiveRegion(INT_MAX, INT_MAX), nullptr);
    EXPECT_EQ(window.GetCell(INT_MAX, INT_MAX), 1u);
    window.centreX = INT_MAX;
    EXPECT_EQ(window.ActiveRegion(INT_MIN, INT_MIN), nullptr);
}

TEST_F(ActiveWindowTest, SelectBitsStayInsideTheRecords) {
    KSceneRegion& region = regions[4];
    ASSERT_EQ(region.objectHeader.count, 6u);
    SetRegionObjectSelectBit(region, 5, true);
    EXPECT_EQ(region.objects[5].flags & kObjectSelected, kObjectSelected);
    region.objects[5].flags |= 0x100;
    SetRegionObjectSelectBit(region, 5, false);
    EXPECT_EQ(region.objects[5].flags, 0x100u);
    for (int32_t index : {-1, -2, INT_MIN, 6, INT_MAX}) SetRegionObjectSelectBit(region, index, true);
    for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(region.objects[i].flags & kObjectSelected, 0u) << i;
    KSceneRegion empty;
    SetRegionObjectSelectBit(empty, 0, true);
    EXPECT_EQ(empty.objects, nullptr);
}

}  // namespace
}  // namespace place_test
