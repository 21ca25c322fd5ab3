#include "LoaderFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>

#include "place/GroundPicture.h"

namespace place_test {

const int kSpiral[49] = {24, 31, 30, 23, 16, 17, 18, 25, 32, 39, 38, 37, 36, 29, 22, 15, 8,
                         9,  10, 11, 12, 19, 26, 33, 40, 47, 46, 45, 44, 43, 42, 35, 28, 21,
                         14, 7,  0,  1,  2,  3,  4,  5,  6,  13, 20, 27, 34, 41, 48};

namespace {

std::mutex g_calledBackMutex;
std::vector<RegionIndices> g_calledBack;

}  // namespace

std::vector<RegionIndices> CalledBack() {
    std::lock_guard lock(g_calledBackMutex);
    return g_calledBack;
}

void ClearCalledBack() {
    std::lock_guard lock(g_calledBackMutex);
    g_calledBack.clear();
}

void RecordCallback(int32_t rx, int32_t ry) {
    std::lock_guard lock(g_calledBackMutex);
    g_calledBack.emplace_back(rx, ry);
}

void LoaderProbe::Install() {
    SetRegionLoaderHook([this](RegionLoaderStep step, int32_t rx, int32_t ry) { OnStep(step, rx, ry); });
}

void LoaderProbe::Remove() {
    {
        std::lock_guard lock(m_mutex);
        m_removed = true;
        m_holdStep.reset();
        m_let = true;
    }
    m_changed.notify_all();
    SetRegionLoaderHook({});
}

void LoaderProbe::SetExtra(std::function<void(RegionLoaderStep)> extra) {
    std::lock_guard lock(m_mutex);
    m_extra = std::move(extra);
}

void LoaderProbe::OnStep(RegionLoaderStep step, int32_t rx, int32_t ry) {
    std::function<void(RegionLoaderStep)> extra;
    {
        std::unique_lock lock(m_mutex);
        if (step == RegionLoaderStep::Took) ++m_inFlight;
        if (step == RegionLoaderStep::Waiting) ++m_waits;
        const bool hold = !m_removed && m_holdStep == step && (!m_holdRegion || *m_holdRegion == RegionIndices{rx, ry});
        if (hold) {
            m_holdStep.reset();
            m_heldAt = RegionIndices{rx, ry};
            m_let = false;
            m_changed.notify_all();
            m_changed.wait(lock, [&] { return m_let; });
            m_heldAt.reset();
        }
        if (step == RegionLoaderStep::Completed) {
            --m_inFlight;
            m_completed.emplace_back(rx, ry);
        }
        extra = m_extra;
        m_changed.notify_all();
    }
    if (extra) extra(step);
}

template <class Done>
void LoaderProbe::WaitFor(std::unique_lock<std::mutex>& lock, Done done) {
    // A bound against a hang, not a timing: the thread answers at once.
    if (!m_changed.wait_for(lock, std::chrono::seconds(30), done)) ADD_FAILURE() << "the loader thread stopped telling";
}

void LoaderProbe::HoldAt(RegionLoaderStep step, std::optional<RegionIndices> region) {
    std::lock_guard lock(m_mutex);
    m_holdStep = step;
    m_holdRegion = region;
}

RegionIndices LoaderProbe::WaitHeld() {
    std::unique_lock lock(m_mutex);
    WaitFor(lock, [&] { return m_heldAt.has_value(); });
    return m_heldAt.value_or(RegionIndices{0, 0});
}

void LoaderProbe::Let() {
    {
        std::lock_guard lock(m_mutex);
        m_let = true;
    }
    m_changed.notify_all();
}

void LoaderProbe::Drain(const KScenePlace& place) {
    std::unique_lock lock(m_mutex);
    WaitFor(lock, [&] { return m_inFlight == 0 && place.RequestIndex() == -1; });
}

void LoaderProbe::WaitCompleted(RegionIndices region, int times) {
    std::unique_lock lock(m_mutex);
    WaitFor(lock, [&] {
        int seen = 0;
        for (const RegionIndices& done : m_completed) seen += done == region;
        return seen >= times;
    });
}

int LoaderProbe::Waits() {
    std::lock_guard lock(m_mutex);
    return m_waits;
}

void LoaderProbe::WaitForWaitsAbove(int seen) {
    std::unique_lock lock(m_mutex);
    WaitFor(lock, [&] { return m_waits > seen; });
}

void LoaderTest::SetUp() {
    ScenePlaceTest::SetUp();
    HoldRegionLoader(false);
    ClearCalledBack();
    probe.Install();
}

void LoaderTest::TearDown() {
    probe.Remove();
    ScenePlaceTest::TearDown();
}

bool LoaderTest::LoadGenerated(const GeneratedMapFields& map, bool write) {
    if (write && !WriteGeneratedMap(m_root, map)) return false;
    if (!Place().IsInited() && !Place().Init(nullptr)) return false;
    Place().SetRegionLoadedCallback(RecordCallback);
    return map.pack ? Place().LoadMap(map.mapId, 0, 0) : Place().LoadMapFromFolder(map.folder.c_str());
}

void LoaderTest::ExpectSettledWindow(const GeneratedMapFields& map, bool requestedHere) {
    const KScenePlace& place = Place();
    const int32_t cx = place.CentreX(), cy = place.CentreY();
    std::set<const KSceneRegion*> active;
    for (int slot = 0; slot < 9; ++slot) {
        const KSceneRegion* region = place.Window().slots[slot].load();
        if (!region) continue;
        EXPECT_EQ(region->state, kRegionLoaded);
        EXPECT_EQ(KActiveWindow::SlotOf(region->rx - cx, region->ry - cy), slot);
    }
    for (int i = 0; i < 49; ++i) {
        const KSceneRegion& region = *place.OrderedRegion(i);
        ASSERT_EQ(region.state, kRegionLoaded) << i;
        const bool inMap = region.rx >= map.left && region.rx < map.left + map.width && region.ry >= map.top &&
                           region.ry < map.top + map.height;
        for (const int cell : {0, 17, 511})
            ASSERT_EQ(region.workingGrid[cell], inMap ? GeneratedCell(region.rx, region.ry, cell / 32, cell % 32) : 0u)
                << region.rx << "," << region.ry;
        EXPECT_EQ(region.objectHeader.count, inMap ? uint32_t(map.objects) : 0u);
        const int64_t dx = int64_t(region.rx) - cx, dy = int64_t(region.ry) - cy;
        if (requestedHere) {
            EXPECT_LE(dx * dx, 9);
            EXPECT_LE(dy * dy, 9);
        }
        if (dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1) {
            EXPECT_EQ(place.Window().slots[KActiveWindow::SlotOf(int(dx), int(dy))].load(), &region);
            active.insert(&region);
        }
    }
    if (requestedHere) {
        EXPECT_EQ(active.size(), 9u);
    }
    for (int i = 0; i < 9; ++i) {
        const KPlaceGroundPicture* ground = &place.GroundPicture(i);
        int holders = 0;
        for (const KSceneRegion* region : active) holders += region->groundPicture == ground;
        EXPECT_EQ(holders, ground->inUse ? 1 : 0) << "ground picture " << i;
    }
    for (const KSceneRegion* region : active) {
        ASSERT_NE(region->groundPicture, nullptr);
        EXPECT_EQ(region->groundPicture->picture.ax, region->originX);
        EXPECT_EQ(region->groundPicture->picture.by, std::min<int64_t>(int64_t(region->originY) + 1024, INT32_MAX));
    }
}

}  // namespace place_test
