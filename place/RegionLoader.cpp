// The region loader thread: it takes the next requested region of the
// table, reads it into a record of its own, and completes it on the pool
// record only when the read still belongs there.
//
// A read belongs to the record's assignment (stamped by SetRegionIndices)
// and to the map it started under (the place's map stamp). When the host
// reassigned the record or changed the map meanwhile, the read is dropped
// whole: the record, requested again, is read again when its turn comes,
// and nothing of an unloaded map lands. The host never waits for a read.
//
// Locks: the table lock to take a region and to complete it, with the
// objects lock inside it for what painting and the merge read (ground
// records shared with neighbours, activation, the select bit); the file
// lock around the read alone. The table lock before the objects lock, as
// everywhere in the place.
#include <process.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "lumiva/basrel/DebugLog.h"
#include "place/RegionLoaderHooks.h"
#include "place/RegionReader.h"
#include "place/ScenePlace.h"

namespace {

constexpr DWORD kLoaderWaitMs = 1000;
// Completed positions from which the first regions count as there: the
// 5 x 5 block around the centre.
constexpr int32_t kFirstRegionsLoaded = 25;
// Completed positions from which a merge is worth running: the 3 x 3 block.
constexpr int32_t kActiveBlockLoaded = 8;

}  // namespace

unsigned __stdcall RegionLoaderThread(void* parameter) {
    auto* place = static_cast<KScenePlace*>(parameter);
    auto staging = std::make_unique<KSceneRegion>();
    for (;;) {
        // Also before the wait: the thread itself may have reset the wake
        // event after Release set it.
        if (place->m_centreX.load() == kLoaderQuitCode) return 0;
        RunRegionLoaderHook(RegionLoaderStep::Waiting, 0, 0);
        // A time-out looks for work too: a request is never slept through.
        WaitForSingleObject(place->m_wakeEvent, kLoaderWaitMs);
        if (place->m_centreX.load() == kLoaderQuitCode) return 0;
        KScenePlace::RegionJob job;
        if (!place->TakeRegionJob(job)) continue;
        place->ReadRegionJob(job, *staging);
    }
}

bool KScenePlace::TakeRegionJob(RegionJob& job) {
    PlaceLock table(&m_tableLock);
    const int32_t index = m_requestIndex;
    // Before a map's first request its records hold placeholder indices.
    if (index < 0 || !m_requestedSinceLoad || RegionLoaderHeld()) {
        // Under the table lock: a request made after the test above has
        // set the event again by the time it is reset here.
        ResetEvent(m_wakeEvent);
        return false;
    }
    KSceneRegion* region = m_ordered[index];
    if (region->state == kRegionLoaded) {
        // Nothing to read: the position counts as done.
        AdvanceRequestIndex(index);
        return false;
    }
    region->state = kRegionLoading;
    // Set while regions remain, also when a time-out found this one.
    SetEvent(m_wakeEvent);
    job.region = region;
    job.rx = region->rx;
    job.ry = region->ry;
    job.assignment = region->assignment;
    job.mapStamp = m_mapStamp;
    std::memcpy(job.folder, m_folder, sizeof job.folder);
    return true;
}

void KScenePlace::AdvanceRequestIndex(int32_t index) {
    m_requestIndex = index + 1 >= kRegionPoolSize ? -1 : index + 1;
    if (m_requestIndex == -1) ResetEvent(m_wakeEvent);
}

void KScenePlace::ReadRegionJob(const RegionJob& job, KSceneRegion& staging) {
    RunRegionLoaderHook(RegionLoaderStep::Took, job.rx, job.ry);
    staging.SetRegionIndices(job.rx, job.ry);
    {
        PlaceLock file(&m_fileLock);
        ReadRegionFileData(staging, job.folder);
    }
    g_DebugLog("[Scene]Enter ARegionLoaded");
    OnRegionLoaded(job, staging);
    g_DebugLog("[Scene]Leave ARegionLoaded");
    RunRegionLoaderHook(RegionLoaderStep::Completed, job.rx, job.ry);
}

bool KScenePlace::ReadStillWanted(const RegionJob& job) const {
    const KSceneRegion& region = *job.region;
    return job.mapStamp == m_mapStamp && job.assignment == region.assignment && region.state == kRegionLoading;
}

void KScenePlace::OnRegionLoaded(const RegionJob& job, KSceneRegion& staging) {
    KSceneRegion& region = *job.region;
    {
        PlaceLock table(&m_tableLock);
        if (!ReadStillWanted(job)) return;
        const int32_t index = m_requestIndex;
        const int32_t k = index >= 0 ? index : kRegionPoolSize - 1;
        if (index >= 0 && m_ordered[index] == &region) AdvanceRequestIndex(index);
        {
            PlaceLock objects(&m_objectsLock);
            region.TakeReadData(staging);
            region.state = kRegionLoaded;
            for (int j = 0; j < k; ++j) {
                ShareNeighbourGround(region, m_ordered[j]);
                ShareNeighbourGround(*m_ordered[j], &region);
            }
            if (k >= kFirstRegionsLoaded) {
                // Only the request the wait was set for ends it.
                if (m_requestStamp >= m_waitRequest) SetWaitForRegions(false);
                m_groundDirty = 1;
            }
            ActivateLoadedRegion(region, k);
            if (m_selectedIndex != -1 && m_selectedX == region.rx && m_selectedY == region.ry)
                SetRegionObjectSelectBit(region, m_selectedIndex, true);
        }
        // The host hears of the pool record while it still holds this read.
        AttachRegionToHost(region);
    }
    if (RegionLoadedCallback callback = m_regionLoaded.load()) callback(job.rx, job.ry);
}

// Against the centre the active slots were last built for, so a slot
// always matches the window it is in.
void KScenePlace::ActivateLoadedRegion(KSceneRegion& region, int32_t k) {
    const int64_t dx = int64_t(region.rx) - m_window.centreX, dy = int64_t(region.ry) - m_window.centreY;
    if (dx < -1 || dx > 1 || dy < -1 || dy > 1) return;
    ActivateRegion(region, GetFreeGroundPicture());
    m_window.slots[KActiveWindow::SlotOf(int(dx), int(dy))].store(&region, std::memory_order_release);
    if (k >= kActiveBlockLoaded) m_mergePending = 1;
}
