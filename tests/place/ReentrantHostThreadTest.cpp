// A host that calls back into the place from its callbacks while the
// region loader completes regions: from AttachRegion on the loader thread,
// and from NotifyModelMove, which the place calls with its objects lock
// held. Each interleaving is set up through the loader's hook; a bounded
// wait only turns a deadlock into a failure.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "LoaderFixture.h"
#include "place/ScenePlaceHost.h"
#include "support/QuietPlaceHost.h"

namespace place_test {
namespace {

constexpr auto kDeadlockBound = std::chrono::seconds(10);

GeneratedMapFields ReentryMap() {
    GeneratedMapFields map;
    map.folder = "\\Maps\\reentry";
    map.left = map.top = 11;
    map.width = map.height = 5;
    map.objects = 6;
    map.groundRecords = 2;
    return map;
}

// AttachRegion on the loader thread waits until the host's thread has
// selected an object of that region (objects and table locks) and moved
// the focus; with a lock held around the call that never happens.
class WaitingAttachHost final : public test_support::QuietPlaceHost {
public:
    int32_t FindRegionId(int32_t, uint32_t key) override { return int32_t(key & 0xFFFF); }
    void AttachRegion(int32_t, int32_t, KSceneRegion* region) override {
        std::unique_lock lock(mutex);
        if (attached) return;  // the first region only
        attached = region;
        changed.notify_all();
        if (!changed.wait_for(lock, kDeadlockBound, [this] { return hostDone; })) timedOut = true;
    }
    KSceneRegion* WaitAttached() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return attached != nullptr; });
        return attached;
    }
    void HostDone() {
        std::lock_guard lock(mutex);
        hostDone = true;
        changed.notify_all();
    }

    std::mutex mutex;
    std::condition_variable changed;
    KSceneRegion* attached = nullptr;
    bool hostDone = false;
    bool timedOut = false;
};

// The player object's moves reach NotifyModelMove, where this host lets a
// loader held after keeping a read go on and moves the focus a region on.
class FocusMovingHost final : public test_support::QuietPlaceHost {
public:
    bool IsPlayerObject(int32_t kind, int32_t id) override { return kind == 6 && id == 1; }
    void NotifyModelMove(KModelProxy*) override {
        ++moves;
        if (!onMove) return;
        auto action = std::move(onMove);
        onMove = nullptr;
        action();
    }

    std::function<void()> onMove;
    int moves = 0;
};

class ReentrantHostThreadTest : public LoaderTest {
protected:
    void TearDown() override {
        probe.Remove();
        SetScenePlaceHost(nullptr);
        LoaderTest::TearDown();
    }
};

TEST_F(ReentrantHostThreadTest, TheHostHearsOfARegionWhileHoldingNoneOfThePlacesLocks) {
    WaitingAttachHost host;
    SetScenePlaceHost(&host);
    ASSERT_TRUE(LoadGenerated(ReentryMap()));
    Place().SetFocus(X(13), Y(13), 0);
    KSceneRegion* region = host.WaitAttached();
    int32_t rx = 0, ry = 0;
    region->GetRegionIndices(&rx, &ry);
    EXPECT_EQ(rx, 13);
    EXPECT_EQ(ry, 13);
    // The host's thread, while the loader is inside AttachRegion.
    Place().SelectRegionObject(rx, ry, 0);
    Place().SetFocus(X(14), Y(13), 0);
    host.HostDone();
    probe.Drain(Place());
    EXPECT_FALSE(host.timedOut) << "AttachRegion ran under a lock the host's calls need";
    ExpectSettledWindow(ReentryMap(), false);
    const KSceneRegion* selected = Place().FindRegion(13, 13);
    ASSERT_NE(selected, nullptr);
    EXPECT_NE(selected->objects[0].flags & kObjectSelected, 0u);
    Place().ClearRegionObjectSelection();
}

// A region read is kept while the host's thread sits in UpdateObject with
// the objects lock; the host moves the focus from NotifyModelMove, which
// takes the table lock inside the objects lock. The loader, holding one
// lock at a time, activates the region once UpdateObject is done.
TEST_F(ReentrantHostThreadTest, TheFocusMovesFromAMoveCallbackWhileARegionCompletes) {
    FocusMovingHost host;
    SetScenePlaceHost(&host);
    const GeneratedMapFields map = ReentryMap();
    ASSERT_TRUE(LoadGenerated(map));
    Place().SetFocus(X(13), Y(13), 0);
    probe.Drain(Place());
    KSceneObject* player = Place().AddObject(6, 1, X(13), Y(13), 0, 1);
    ASSERT_NE(player, nullptr);

    // Two regions right: columns 17 and 18 are requested.
    probe.HoldAt(RegionLoaderStep::Kept);
    Place().SetFocus(X(15), Y(13), 0);
    const RegionIndices kept = probe.WaitHeld();
    EXPECT_GE(kept.first, 17);
    bool moved = false;
    host.onMove = [&] {
        probe.Let();
        Place().SetFocus(X(16), Y(13), 0);
        moved = true;
    };
    KSceneObject* same = Place().UpdateObject(6, 1, X(15), Y(13), 0, &player, 1, 0);
    EXPECT_TRUE(moved);
    EXPECT_EQ(same, player);
    probe.Drain(Place());
    Place().UpdateFrame();
    EXPECT_EQ(Place().CentreX(), 16);
    ExpectSettledWindow(map, false);
    Place().RemoveObject(0, 0, &player);
    EXPECT_EQ(player, nullptr);
}

}  // namespace
}  // namespace place_test
