// How the focus moves the 7 x 7 pool window (which records stay, which
// cells are requested and in which order) and the 3 x 3 active window.
#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "ScenePlaceFixture.h"

namespace place_test {
namespace {

constexpr int kSpiral[49] = {24, 31, 30, 23, 16, 17, 18, 25, 32, 39, 38, 37, 36, 29, 22, 15, 8,
                             9,  10, 11, 12, 19, 26, 33, 40, 47, 46, 45, 44, 43, 42, 35, 28, 21,
                             14, 7,  0,  1,  2,  3,  4,  5,  6,  13, 20, 27, 34, 41, 48};

int32_t X(int rx) { return rx * 512 + 100; }
int32_t Y(int ry) { return ry * 1024 + 100; }

class RegionWindowThreadTest : public ScenePlaceTest {
protected:
    void SetUp() override {
        ScenePlaceTest::SetUp();
        WriteEastMap();
        ASSERT_TRUE(InitAndLoad());
    }

    std::pair<int, int> Indices(int position) const {
        const KSceneRegion* region = ScenePlace().OrderedRegion(position);
        return {region->rx, region->ry};
    }
    // The region of window cell `cell` around (cx, cy).
    static std::pair<int, int> CellRegion(int cx, int cy, int cell) { return {cx + cell % 7 - 3, cy + cell / 7 - 3}; }
    // Focus at (cx, cy) with the whole window loaded and active.
    void SettleAt(int cx, int cy) {
        Place().SetFocus(X(cx), Y(cy), 0);
        Place().MarkLoadedForTests(49);
        Place().RebuildActiveWindow();
    }
};

TEST_F(RegionWindowThreadTest, TheFirstFocusRequestsTheWholeWindowInSpiralOrder) {
    Place().SetFocus(X(20), Y(30), 0);
    EXPECT_EQ(Place().CentreX(), 20);
    EXPECT_EQ(Place().CentreY(), 30);
    EXPECT_EQ(Place().RequestIndex(), 0);
    for (int j = 0; j < 49; ++j) {
        EXPECT_EQ(Indices(j), CellRegion(20, 30, kSpiral[j])) << j;
        EXPECT_EQ(Place().OrderedRegion(j)->state, kRegionRequested) << j;
    }
    EXPECT_EQ(Place().MoveX(), 0);
    EXPECT_TRUE(Place().WaitingForRegions());
}

// The pool's placeholder indices lie near the origin; a first focus there,
// even at the focus the place already had, reads what it keeps.
TEST_F(RegionWindowThreadTest, TheFirstFocusActsAtTheOldFocusAndKeepsNothingAsLoaded) {
    int32_t x = 1, y = 1;
    Place().GetFocus(&x, &y, nullptr);
    Place().SetFocus(x, y, 0);
    EXPECT_EQ(Place().CentreX(), RegionIndexX(x));
    EXPECT_EQ(Place().RequestIndex(), 0);
    std::set<std::pair<int, int>> regions;
    for (int j = 0; j < 49; ++j) regions.insert(Indices(j));
    EXPECT_EQ(regions.size(), 49u);
    for (int cell = 0; cell < 49; ++cell) EXPECT_EQ(regions.count(CellRegion(0, 0, cell)), 1u) << cell;
    EXPECT_EQ(Place().FindRegion(0, 0), nullptr);
}

TEST_F(RegionWindowThreadTest, MovesInsideTheCentreRegionChangeNoWindow) {
    SettleAt(20, 30);
    const KSceneRegion* first = Place().OrderedRegion(0);
    Place().SetFocus(X(20) + 300, Y(30) + 800, 0);
    EXPECT_EQ(Place().MoveX(), 0);
    EXPECT_EQ(Place().RequestIndex(), -1);
    EXPECT_EQ(Place().OrderedRegion(0), first);
}

TEST_F(RegionWindowThreadTest, OneStepRebuildsTheActiveWindowOnly) {
    SettleAt(20, 30);
    std::vector<const KSceneRegion*> before;
    for (int j = 0; j < 49; ++j) before.push_back(Place().OrderedRegion(j));
    Place().SetFocus(X(21), Y(30), 0);
    EXPECT_EQ(Place().MoveX(), 1);
    EXPECT_EQ(Place().RequestIndex(), -1);
    for (int j = 0; j < 49; ++j) EXPECT_EQ(Place().OrderedRegion(j), before[j]) << j;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const KSceneRegion* region = Place().Window().slots[KActiveWindow::SlotOf(dx, dy)];
            ASSERT_NE(region, nullptr) << dx << "," << dy;
            EXPECT_EQ(region->rx, 21 + dx);
            EXPECT_EQ(region->ry, 30 + dy);
        }
}

// A request with the move at one region uncovers the last column alone,
// which the spiral reaches last, top to bottom.
TEST_F(RegionWindowThreadTest, ARequestAtOneStepTakesTheLastColumnTopToBottom) {
    SettleAt(20, 30);
    Place().SetFocus(X(21), Y(30), 0);
    Place().RequestRegions();
    EXPECT_EQ(Place().RequestIndex(), 42);
    const int column[] = {6, 13, 20, 27, 34, 41, 48};
    for (int j = 0; j < 7; ++j) {
        EXPECT_EQ(Indices(42 + j), CellRegion(21, 30, column[j])) << j;
        EXPECT_EQ(Place().OrderedRegion(42 + j)->state, kRegionRequested);
    }
    for (int j = 0; j < 42; ++j) EXPECT_EQ(Place().OrderedRegion(j)->state, kRegionLoaded) << j;
}

TEST_F(RegionWindowThreadTest, TwoStepsRequestTwoColumnsInSpiralOrder) {
    SettleAt(20, 30);
    Place().SetFocus(X(19), Y(30), 0);
    Place().SetFocus(X(18), Y(30), 0);
    EXPECT_EQ(Place().MoveX(), 0);
    EXPECT_EQ(Place().RequestIndex(), 35);
    std::vector<std::pair<int, int>> expected;
    for (const int cell : kSpiral)
        if (cell % 7 <= 1) expected.push_back(CellRegion(18, 30, cell));
    ASSERT_EQ(expected.size(), 14u);
    for (int j = 0; j < 14; ++j) EXPECT_EQ(Indices(35 + j), expected[size_t(j)]) << j;
}

struct JumpCase {
    int dx, dy;
    bool waits;
    int32_t requestIndex;
};

TEST_F(RegionWindowThreadTest, JumpsRequestWhatTheyUncover) {
    const JumpCase cases[] = {
        {2, 0, false, 35}, {0, -3, false, 28}, {4, 0, true, 21}, {5, 5, true, 4},
        {-6, 0, true, 7},  {7, 0, true, 0},    {0, -25, true, 0}, {3, 3, false, 16},
    };
    for (const JumpCase& c : cases) {
        SettleAt(20, 30);
        Place().SetWaitForRegions(false);
        Place().SetFocus(X(20 + c.dx), Y(30 + c.dy), 0);
        EXPECT_EQ(Place().WaitingForRegions(), c.waits) << c.dx << "," << c.dy;
        EXPECT_EQ(Place().RequestIndex(), c.requestIndex) << c.dx << "," << c.dy;
        std::set<std::pair<int, int>> regions;
        for (int j = 0; j < 49; ++j) regions.insert(Indices(j));
        for (int cell = 0; cell < 49; ++cell)
            EXPECT_EQ(regions.count(CellRegion(20 + c.dx, 30 + c.dy, cell)), 1u) << c.dx << "," << c.dy << " " << cell;
        Place().SetFocus(X(20), Y(30), 0);  // back, for the next case
    }
}

// (The shell's view centre takes the focus too; it has room for 1024 units
// at either end.)
TEST_F(RegionWindowThreadTest, FarJumpsNearTheInt32LimitsStayInTheWindow) {
    constexpr int32_t kHigh = INT32_MAX, kLow = INT32_MIN + 1024;
    SettleAt(20, 30);
    Place().SetFocus(kHigh, kLow, 0);
    EXPECT_EQ(Place().RequestIndex(), 0);
    EXPECT_EQ(Indices(0), std::make_pair(RegionIndexX(kHigh), RegionIndexY(kLow)));
    Place().SetFocus(kLow, kHigh, 0);
    EXPECT_EQ(Place().RequestIndex(), 0);
    EXPECT_EQ(Indices(0), std::make_pair(RegionIndexX(kLow), RegionIndexY(kHigh)));
    EXPECT_EQ(Indices(48), std::make_pair(RegionIndexX(kLow) + 3, RegionIndexY(kHigh) + 3));
}

TEST_F(RegionWindowThreadTest, ActiveRegionsBindOneGroundPictureEach) {
    SettleAt(20, 30);
    std::set<const KPlaceGroundPicture*> bound;
    for (const KSceneRegion* region : Place().Window().slots) {
        ASSERT_NE(region, nullptr);
        ASSERT_NE(region->groundPicture, nullptr);
        EXPECT_TRUE(region->groundPicture->inUse);
        bound.insert(region->groundPicture);
    }
    EXPECT_EQ(bound.size(), 9u);
    EXPECT_TRUE(Place().MergePending());
    // A step right frees the left column's pictures for the new right one.
    Place().SetFocus(X(21), Y(30), 0);
    bound.clear();
    for (const KSceneRegion* region : Place().Window().slots) bound.insert(region->groundPicture);
    EXPECT_EQ(bound.size(), 9u);
    EXPECT_EQ(Place().FindRegion(22, 31), Place().Window().slots[8]);
    EXPECT_EQ(Place().FindRegion(30, 30), nullptr);
    Place().UnloadMap();
    for (const KSceneRegion* region : Place().Window().slots) EXPECT_EQ(region, nullptr);
    EXPECT_EQ(Place().RequestIndex(), -1);
}

TEST_F(RegionWindowThreadTest, AFrozenFocusOnlyRemembers) {
    SettleAt(20, 30);
    Place().FreezeFocus(true);
    Place().SetFocus(X(25), Y(30), 0);
    int32_t x = 0, y = 0;
    Place().GetFocus(&x, &y, nullptr);
    EXPECT_EQ(x, X(20));
    EXPECT_EQ(Place().CentreX(), 20);
    Place().FreezeFocus(false);
    Place().GetFocus(&x, &y, nullptr);
    EXPECT_EQ(x, X(25));
    EXPECT_EQ(Place().CentreX(), 25);
    // The offset keeps how far the shown focus was from the remembered one.
    EXPECT_EQ(Place().FocusOffsetX(), X(20) - X(25));
}

TEST_F(RegionWindowThreadTest, ResetObjectsMakesTheNextFocusAct) {
    SettleAt(20, 30);
    Place().ResetObjects();
    int32_t x = 0, y = 0, z = 5;
    Place().GetFocus(&x, &y, &z);
    EXPECT_EQ(x, -1);
    EXPECT_EQ(y, -1);
    EXPECT_EQ(z, 0);
}

}  // namespace
}  // namespace place_test
