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
// Locks: the thread holds one of the place's locks at a time, so the
// host's thread may take the table lock while it holds the objects lock
// (a host that moves the focus from a callback inside UpdateObject). The
// completion runs in three steps: under the table lock the read is kept
// (the index advanced, the data moved in, ground shared with neighbours);
// under the objects lock it is activated; with no lock the host hears of
// it. Every step after a change of locks checks again that the read still
// belongs to its record and map. The file lock is held around the read alone.
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

bool KScenePlace::ReadStillWanted(const RegionJob& job, uint32_t state) const {
    const KSceneRegion& region = *job.region;
    return job.mapStamp == m_mapStamp && job.assignment == region.assignment && region.state == state;
}

void KScenePlace::OnRegionLoaded(const RegionJob& job, KSceneRegion& staging) {
    int32_t k = 0;
    if (!KeepRegionRead(job, staging, &k)) return;
    RunRegionLoaderHook(RegionLoaderStep::Kept, job.rx, job.ry);
    ActivateKeptRegion(job, k);
    TellHostOfRegion(job);
    if (RegionLoadedCallback callback = m_regionLoaded.load()) callback(job.rx, job.ry);
}

bool KScenePlace::KeepRegionRead(const RegionJob& job, KSceneRegion& staging, int32_t* completed) {
    KSceneRegion& region = *job.region;
    PlaceLock table(&m_tableLock);
    if (!ReadStillWanted(job, kRegionLoading)) return false;
    const int32_t index = m_requestIndex;
    const int32_t k = index >= 0 ? index : kRegionPoolSize - 1;
    if (index >= 0 && m_ordered[index] == &region) AdvanceRequestIndex(index);
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
    *completed = k;
    return true;
}

void KScenePlace::ActivateKeptRegion(const RegionJob& job, int32_t k) {
    KSceneRegion& region = *job.region;
    PlaceLock objects(&m_objectsLock);
    // The host may have reassigned the record or changed the map while no
    // lock was held; both change only under both locks.
    if (!ReadStillWanted(job, kRegionLoaded)) return;
    ActivateLoadedRegion(region, k);
    if (m_selectedIndex != -1 && m_selectedX == region.rx && m_selectedY == region.ry)
        SetRegionObjectSelectBit(region, m_selectedIndex, true);
}

// The host's calls may take any of the place's locks, so none is held
// around them. The record stays in the pool whatever the host does; what
// it holds is the read's unless the host reassigned it meanwhile.
void KScenePlace::TellHostOfRegion(const RegionJob& job) {
    bool tell;
    {
        PlaceLock table(&m_tableLock);
        tell = ReadStillWanted(job, kRegionLoaded);
    }
    if (tell) AttachRegionToHost(*job.region, job.rx, job.ry);
}

// Against the centre the active slots were last built for, so a slot
// always matches the window it is in. The host's own rebuild may have put
// the region in its slot already: it keeps its ground picture then.
void KScenePlace::ActivateLoadedRegion(KSceneRegion& region, int32_t k) {
    const int64_t dx = int64_t(region.rx) - m_window.centreX, dy = int64_t(region.ry) - m_window.centreY;
    if (dx < -1 || dx > 1 || dy < -1 || dy > 1) return;
    ActivateRegion(region, region.groundPicture ? region.groundPicture : GetFreeGroundPicture());
    m_window.slots[KActiveWindow::SlotOf(int(dx), int(dy))].store(&region, std::memory_order_release);
    if (k >= kActiveBlockLoaded) m_mergePending = 1;
}
