// The region loader thread against the host's thread: the order it reads
// in, the completion step, the wait for the first regions, and the races
// between a read and the host's requests, unloads and releases. Each race
// is set up by holding the thread at a hook; nothing sleeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "LoaderFixture.h"
#include "lumiva/basrel/DebugLog.h"
#include "win32/Control.h"

namespace place_test {
namespace {

// 5 x 5 regions 11..15: the window around (13, 13) reaches two regions
// past every edge, so 24 of its 49 regions have no file.
GeneratedMapFields SmallMap(bool pack = false) {
    GeneratedMapFields map;
    map.folder = "\\Maps\\loader";
    map.left = map.top = 11;
    map.width = map.height = 5;
    map.tiles = 4;
    map.groundRecords = 6;
    map.objects = 12;
    map.lights = 2;
    map.pack = pack;
    map.looseFiles = !pack;
    return map;
}

// Wide enough for a jump of eight regions to stay inside the map.
GeneratedMapFields WideMap() {
    GeneratedMapFields map = SmallMap();
    map.left = 10, map.top = 10, map.width = 15, map.height = 7;
    return map;
}

class RegionLoaderThreadTest : public LoaderTest {
protected:
    // UpdateFrame on a thread of its own, as the host's frame would run it.
    void StartFrame() {
        frameDone = false;
        frame = std::thread([this] {
            Place().UpdateFrame();
            frameDone = true;
        });
    }
    void EndFrame() {
        if (frame.joinable()) frame.join();
    }
    void TearDown() override {
        probe.Remove();
        EndFrame();
        LoaderTest::TearDown();
    }

    std::thread frame;
    std::atomic<bool> frameDone{false};
};

std::vector<RegionIndices> SpiralAround(int32_t cx, int32_t cy) {
    std::vector<RegionIndices> order;
    for (const int cell : kSpiral) order.push_back({cx + cell % 7 - 3, cy + cell / 7 - 3});
    return order;
}

TEST_F(RegionLoaderThreadTest, TheWindowLoadsInSpiralOrderEachRegionCalledBackOnce) {
    for (const bool pack : {false, true}) {
        SCOPED_TRACE(pack ? "packed" : "loose");
        ClearCalledBack();
        const GeneratedMapFields map = SmallMap(pack);
        ASSERT_TRUE(LoadGenerated(map));
        basrel::StartDebugLogCapture();
        Place().SetFocus(X(13), Y(13), 0);
        probe.Drain(Place());
        EXPECT_EQ(CalledBack(), SpiralAround(13, 13));
        ExpectSettledWindow(map);
        EXPECT_FALSE(Place().WaitingForRegions());
        const std::vector<std::string> log = basrel::TakeCapturedLog();
        basrel::StopDebugLogCapture();
        EXPECT_EQ(std::count(log.begin(), log.end(), "[Scene]Enter ARegionLoaded"), 49);
        EXPECT_EQ(std::count(log.begin(), log.end(), "[Scene]Leave ARegionLoaded"), 49);
        Place().UnloadMap();
    }
}

TEST_F(RegionLoaderThreadTest, NeighboursShareTheirOverhangingGround) {
    const GeneratedMapFields map = SmallMap();
    ASSERT_TRUE(LoadGenerated(map));
    Place().SetFocus(X(13), Y(13), 0);
    probe.Drain(Place());
    const KSceneRegion* centre = Place().FindRegion(13, 13);
    ASSERT_NE(centre, nullptr);
    int borrowed = 0;
    for (uint32_t i = 0; i < centre->groundRecordCount; ++i) borrowed += centre->groundRecords[i].kind != 4;
    EXPECT_GT(borrowed, 0);
    EXPECT_NE(centre->neighbourBits, 0u);
}

TEST_F(RegionLoaderThreadTest, UpdateFrameWaitsForTheFirstRegionsAfterAFarJumpOnly) {
    ASSERT_TRUE(LoadGenerated(SmallMap()));
    // The 26th region in loading order: its completion is the one at k = 25.
    const RegionIndices twentySixth = SpiralAround(13, 13)[25];
    probe.HoldAt(RegionLoaderStep::Took, twentySixth);
    Place().SetFocus(X(13), Y(13), 0);
    EXPECT_TRUE(Place().WaitingForRegions());
    probe.WaitHeld();
    StartFrame();
    ASSERT_TRUE(lumiva::win32::WaitForBlockedWaiters(1));  // the frame, in its wait
    EXPECT_FALSE(frameDone);
    EXPECT_EQ(CalledBack().size(), 25u);
    probe.Let();
    EndFrame();
    EXPECT_TRUE(frameDone);
    EXPECT_FALSE(Place().WaitingForRegions());
    probe.WaitCompleted(twentySixth);  // its callback comes after the release
    EXPECT_GE(CalledBack().size(), 26u);
    probe.Drain(Place());

    // Nearer moves never wait: this frame runs on the host's own thread.
    Place().SetFocus(X(14), Y(13), 0);
    Place().SetFocus(X(15), Y(14), 0);
    EXPECT_FALSE(Place().WaitingForRegions());
    Place().UpdateFrame();
    probe.Drain(Place());
}

TEST_F(RegionLoaderThreadTest, ATimedOutWaitEndsTheWaitWithALogLine) {
    ASSERT_TRUE(LoadGenerated(SmallMap()));
    probe.HoldAt(RegionLoaderStep::Took, RegionIndices{13, 13});
    Place().SetFocus(X(13), Y(13), 0);
    probe.WaitHeld();
    basrel::StartDebugLogCapture();
    StartFrame();
    ASSERT_TRUE(lumiva::win32::WaitForBlockedWaiters(1));
    lumiva::win32::AdvanceClock(29999);
    EXPECT_FALSE(frameDone);
    lumiva::win32::AdvanceClock(1);
    EndFrame();
    EXPECT_FALSE(Place().WaitingForRegions());
    const std::vector<std::string> log = basrel::TakeCapturedLog();
    basrel::StopDebugLogCapture();
    EXPECT_EQ(std::count(log.begin(), log.end(), "[Scene]Regions did not arrive in 30000 ms; frames go on without them"),
              1);
    Place().UpdateFrame();  // does not wait again
    probe.Let();
    probe.Drain(Place());
}

// An unload signals the ready event with no frame waiting; the next map's
// wait must not end on that old signal.
TEST_F(RegionLoaderThreadTest, AnOldReadySignalDoesNotEndTheNextWait) {
    ASSERT_TRUE(LoadGenerated(SmallMap()));
    Place().UnloadMap();
    ASSERT_TRUE(LoadGenerated(SmallMap()));
    probe.HoldAt(RegionLoaderStep::Took, RegionIndices{13, 13});
    Place().SetFocus(X(13), Y(13), 0);
    probe.WaitHeld();
    StartFrame();
    ASSERT_TRUE(lumiva::win32::WaitForBlockedWaiters(1));
    EXPECT_FALSE(frameDone);
    probe.Let();
    EndFrame();
    probe.Drain(Place());
}

// A far jump sets the wait before it requests: regions of the request
// before it, completing in between, must not end the wait.
TEST_F(RegionLoaderThreadTest, OnlyTheRequestTheWaitIsForEndsIt) {
    ASSERT_TRUE(LoadGenerated(WideMap()));
    const RegionIndices late = SpiralAround(13, 13)[30];
    probe.HoldAt(RegionLoaderStep::OpenLoose, late);
    Place().SetFocus(X(13), Y(13), 0);
    probe.WaitHeld();
    EXPECT_FALSE(Place().WaitingForRegions());
    Place().SetWaitForRegions(true);
    probe.Let();
    probe.WaitCompleted(late);
    EXPECT_TRUE(Place().WaitingForRegions());
    Place().SetFocus(X(21), Y(13), 0);
    probe.Drain(Place());
    EXPECT_FALSE(Place().WaitingForRegions());
    ExpectSettledWindow(WideMap());
}

TEST_F(RegionLoaderThreadTest, AReadOfAReassignedRecordIsDroppedAndTheRecordReadAgain) {
    const GeneratedMapFields map = WideMap();
    ASSERT_TRUE(LoadGenerated(map));
    probe.HoldAt(RegionLoaderStep::OpenLoose, RegionIndices{13, 13});
    Place().SetFocus(X(13), Y(13), 0);
    probe.WaitHeld();
    ClearCalledBack();
    Place().SetFocus(X(21), Y(13), 0);  // eight regions: every record reassigned
    probe.Let();
    probe.Drain(Place());
    std::vector<RegionIndices> called = CalledBack(), wanted = SpiralAround(21, 13);
    std::sort(called.begin(), called.end());
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(called, wanted);
    ExpectSettledWindow(map);
}

// The held read's record stays in the window: the read is kept, once.
TEST_F(RegionLoaderThreadTest, AReadOfAKeptRecordCompletesOnce) {
    const GeneratedMapFields map = WideMap();
    ASSERT_TRUE(LoadGenerated(map));
    probe.HoldAt(RegionLoaderStep::OpenLoose, RegionIndices{13, 13});
    Place().SetFocus(X(13), Y(13), 0);
    probe.WaitHeld();
    Place().SetFocus(X(15), Y(13), 0);
    probe.Let();
    probe.Drain(Place());
    const std::vector<RegionIndices> called = CalledBack();
    EXPECT_EQ(std::count(called.begin(), called.end(), RegionIndices{13, 13}), 1);
    ExpectSettledWindow(map);
}

TEST_F(RegionLoaderThreadTest, AnUnloadDuringAReadWaitsForNothingAndKeepsNothing) {
    const GeneratedMapFields map = SmallMap();
    ASSERT_TRUE(LoadGenerated(map));
    probe.HoldAt(RegionLoaderStep::OpenLoose, RegionIndices{13, 13});
    Place().SetFocus(X(13), Y(13), 0);
    probe.WaitHeld();
    Place().UnloadMap();  // returns while the read holds the file lock
    probe.Let();
    probe.WaitCompleted({13, 13});
    EXPECT_TRUE(CalledBack().empty());
    for (int i = 0; i < 49; ++i) {
        const KSceneRegion& region = Place().PoolRegion(i);
        EXPECT_NE(region.state, kRegionLoaded) << i;
        EXPECT_EQ(region.objects, nullptr) << i;
    }
    for (const auto& slot : Place().Window().slots) EXPECT_EQ(slot.load(), nullptr);

    ASSERT_TRUE(LoadGenerated(map));
    Place().SetFocus(X(13), Y(13), 0);
    probe.Drain(Place());
    ExpectSettledWindow(map);
}

TEST_F(RegionLoaderThreadTest, AReleaseDuringAReadEndsTheThreadWithNothingLanded) {
    ASSERT_TRUE(LoadGenerated(SmallMap()));
    probe.HoldAt(RegionLoaderStep::OpenLoose, RegionIndices{13, 13});
    Place().SetFocus(X(13), Y(13), 0);
    probe.WaitHeld();
    std::thread releaser([this] { Place().Release(); });
    ASSERT_TRUE(lumiva::win32::WaitForBlockedWaiters(1));  // Release, waiting for the thread
    probe.Let();
    releaser.join();
    EXPECT_TRUE(CalledBack().empty());
    EXPECT_FALSE(Place().IsInited());
    EXPECT_EQ(Place().LoaderThread(), nullptr);
}

TEST_F(RegionLoaderThreadTest, AReleaseWhileTheThreadWaitsReturnsAtOnce) {
    ASSERT_TRUE(LoadGenerated(SmallMap()));
    Place().SetFocus(X(13), Y(13), 0);
    probe.Drain(Place());
    ASSERT_TRUE(lumiva::win32::WaitForBlockedWaiters(1));  // the loader, in its wait
    Place().Release();
    EXPECT_EQ(Place().LoaderThread(), nullptr);
}

// A request the thread found nothing of (here: held) is found by its
// next time-out without another wake.
TEST_F(RegionLoaderThreadTest, ATimeOutLooksForWork) {
    ASSERT_TRUE(LoadGenerated(SmallMap()));
    HoldRegionLoader(true);
    const int waits = probe.Waits();
    Place().SetFocus(X(13), Y(13), 0);
    probe.WaitForWaitsAbove(waits);
    ASSERT_TRUE(lumiva::win32::WaitForBlockedWaiters(1));
    EXPECT_EQ(Place().RequestIndex(), 0);
    HoldRegionLoader(false);
    lumiva::win32::AdvanceClock(1000);
    probe.Drain(Place());
    ExpectSettledWindow(SmallMap());
}

TEST_F(RegionLoaderThreadTest, ASelectionInALoadingRegionIsMarkedWhenItArrives) {
    ASSERT_TRUE(LoadGenerated(SmallMap()));
    probe.HoldAt(RegionLoaderStep::Took, RegionIndices{14, 13});
    Place().SetFocus(X(13), Y(13), 0);
    probe.WaitHeld();
    Place().SelectRegionObject(14, 13, 3);
    probe.Let();
    probe.Drain(Place());
    const KSceneRegion* region = Place().FindRegion(14, 13);
    ASSERT_NE(region, nullptr);
    EXPECT_NE(region->objects[3].flags & kObjectSelected, 0u);
    EXPECT_EQ(region->objects[2].flags & kObjectSelected, 0u);
}

TEST_F(RegionLoaderThreadTest, ARegionOutsideTheActiveBlockWaitsForTheFocus) {
    ASSERT_TRUE(LoadGenerated(SmallMap()));
    Place().SetFocus(X(13), Y(13), 0);
    probe.Drain(Place());
    const KSceneRegion* east = Place().FindRegion(15, 13);
    ASSERT_NE(east, nullptr);
    EXPECT_EQ(east->groundPicture, nullptr);
    EXPECT_EQ(east->treePoints, nullptr);
    Place().SetFocus(X(14), Y(13), 0);
    EXPECT_EQ(Place().Window().slots[KActiveWindow::SlotOf(1, 0)].load(), east);
    EXPECT_NE(east->groundPicture, nullptr);
    EXPECT_NE(east->treePoints, nullptr);
    probe.Drain(Place());
}

}  // namespace
}  // namespace place_test
