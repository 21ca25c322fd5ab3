// The scene place with its real region loader thread over generated maps.
// A probe on the loader's hook counts reads in flight, can hold the thread
// at a chosen step (and region) while the test acts as the host, and tells
// when everything requested has been read: no test sleeps.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "MapGenerator.h"
#include "ScenePlaceFixture.h"
#include "place/RegionLoaderHooks.h"

namespace place_test {

using RegionIndices = std::pair<int32_t, int32_t>;

class LoaderProbe {
public:
    void Install();
    // Lets a held thread go and holds it nowhere again; uninstalls.
    void Remove();

    // The next time the thread reaches `step` (for that region when given)
    // it stops there until Let.
    void HoldAt(RegionLoaderStep step, std::optional<RegionIndices> region = {});
    // The region the thread is held at, once it is.
    RegionIndices WaitHeld();
    void Let();
    // Returns once nothing is requested of the place and no read is in
    // flight (call after a request).
    void Drain(const KScenePlace& place);
    // Returns once the thread has completed (kept or dropped) that region's
    // read `times` times in all.
    void WaitCompleted(RegionIndices region, int times = 1);
    // Number of Waiting steps seen so far, and a wait for one more.
    int Waits();
    void WaitForWaitsAbove(int seen);
    // Runs on the thread at every step (the stress test's random delays).
    void SetExtra(std::function<void(RegionLoaderStep)> extra);

private:
    void OnStep(RegionLoaderStep step, int32_t rx, int32_t ry);
    template <class Done>
    void WaitFor(std::unique_lock<std::mutex>& lock, Done done);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_inFlight = 0;
    int m_waits = 0;
    std::vector<RegionIndices> m_completed;
    std::optional<RegionLoaderStep> m_holdStep;
    std::optional<RegionIndices> m_holdRegion;
    std::optional<RegionIndices> m_heldAt;
    bool m_let = false;
    bool m_removed = false;
    std::function<void(RegionLoaderStep)> m_extra;
};

// The region-loaded callback's calls, in order.
std::vector<RegionIndices> CalledBack();
void ClearCalledBack();
void RecordCallback(int32_t rx, int32_t ry);

class LoaderTest : public ScenePlaceTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Written under the data root; loaded by folder (loose files, no pak
    // preload thread) or, for a packed map, by its map id (the map list
    // names the map written last).
    bool LoadGenerated(const GeneratedMapFields& map, bool write = true);
    // A focus inside region (rx, ry).
    static int32_t X(int32_t rx) { return int32_t(int64_t(rx) * 512 + 100); }
    static int32_t Y(int32_t ry) { return int32_t(int64_t(ry) * 1024 + 100); }
    // The region of window cell `cell` around (cx, cy).
    static RegionIndices CellRegion(int32_t cx, int32_t cy, int cell) { return {cx + cell % 7 - 3, cy + cell / 7 - 3}; }

    // Every record is loaded and holds its own cells (the generator's stamp
    // inside the map, zero outside), each active slot holds the loaded
    // region at its offset from the centre and every loaded region next to
    // the centre is in its slot, and each bound ground picture record
    // belongs to one active region. When the window was requested at the
    // present centre, all of it lies within three regions and all nine
    // slots are filled.
    void ExpectSettledWindow(const GeneratedMapFields& map, bool requestedHere = true);

    LoaderProbe probe;
};

extern const int kSpiral[49];

}  // namespace place_test
