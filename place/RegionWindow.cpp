// The focus and the two windows it drives: the 7 x 7 regions kept in the
// pool (reassigned as the focus moves, loaded in spiral order from the
// centre) and the 3 x 3 active regions that queries, the object tree and
// the ground painting use. Host thread only; the region table lock guards
// the order and indices against the loader, the objects lock the active
// slots and ground picture records. Where both are held the objects lock
// comes first: the host may move the focus from a callback made under it.
#include <algorithm>
#include <cstdlib>

#include "place/ScenePlace.h"
#include "place/Weather.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace {

// Window cells in loading order: the centre, then rings outward.
constexpr int kSpiral[kRegionPoolSize] = {
    24, 31, 30, 23, 16, 17, 18, 25, 32, 39, 38, 37, 36, 29, 22, 15, 8,  9,  10, 11, 12, 19, 26, 33, 40,
    47, 46, 45, 44, 43, 42, 35, 28, 21, 14, 7,  0,  1,  2,  3,  4,  5,  6,  13, 20, 27, 34, 41, 48};
constexpr int kWindowSide = 7;
constexpr int kWindowReach = 3;
// A request index at or past the 5 x 5 block: the merge may run.
constexpr int32_t kMergeReadyIndex = 25;

bool WithinReach(const KSceneRegion& region, int32_t cx, int32_t cy, int64_t reach) {
    const int64_t dx = int64_t(region.rx) - cx, dy = int64_t(region.ry) - cy;
    return dx >= -reach && dx <= reach && dy >= -reach && dy <= reach;
}

// The uncovered band of a window moved by `steps`: [first, last] cells.
void MissingBand(int64_t steps, int* first, int* last) {
    if (steps < 1) {
        *first = 0;
        *last = int(-steps) - 1;  // empty for 0
    } else {
        *first = kWindowSide - int(steps);
        *last = kWindowSide - 1;
    }
}

}  // namespace

void KScenePlace::SetFocus(int32_t x, int32_t y, int32_t) {
    if (!m_inited || !HasMap()) return;
    // After a load the focus acts even where it was: the new map's window
    // has to be requested.
    if (x == m_focusX && y == m_focusY && !m_focusStale) return;
    if (m_focusFrozen) {
        m_frozenFocusX = x;
        m_frozenFocusY = y;
        return;
    }
    m_focusStale = false;
    if (m_weather) m_weather->SetFocus(x, y);
    m_focusX = x;
    m_focusY = y;
    const int32_t nx = RegionIndexX(x), ny = RegionIndexY(y);
    if (KShellServices* shell = ShellServices()) shell->SetViewCenter(x, y, 0);
    MoveViewRect();
    const int64_t mapX = int64_t(x) + m_focusOffsetX, mapY = int64_t(y) + m_focusOffsetY;
    const int32_t cx = m_centreX, cy = m_centreY;
    if (nx == cx && ny == cy) {
        m_map.SetCentre(SaturateToInt32(mapX), SaturateToInt32(mapY), false);
        return;
    }
    m_map.SetCentre(SaturateToInt32(mapX), SaturateToInt32(mapY), true);
    m_moveX += int64_t(nx) - cx;
    m_moveY += int64_t(ny) - cy;
    m_centreX = nx;
    m_centreY = ny;
    {
        PlaceLock objects(&m_objectsLock);
        // The loader activates what it reads against this centre, before
        // the request below wakes it.
        m_window.centreX = nx;
        m_window.centreY = ny;
        m_tree.SetGridOrigin(RegionOriginX(nx - 1), RegionOriginY(ny - 1));
        ClearFlatObjects();
        m_tree.ResetForMerge();
    }
    if (m_moveX >= -1 && m_moveX <= 1 && m_moveY >= -1 && m_moveY <= 1) {
        RebuildActiveWindow();
        return;
    }
    // The first frames wait for what this request brings: a map's first
    // request, or a far jump. Armed here, where regions are asked for, so
    // no frame waits for regions nobody asked for.
    if (!m_requestedSinceLoad || m_moveX >= 4 || m_moveX <= -4 || m_moveY >= 4 || m_moveY <= -4)
        SetWaitForRegions(true);
    RequestRegions();
    m_moveX = m_moveY = 0;
    RebuildActiveWindow();
}

void KScenePlace::GetFocus(int32_t* x, int32_t* y, int32_t* z) {
    if (x) *x = m_focusX;
    if (y) *y = m_focusY;
    if (z) *z = 0;
}

void KScenePlace::SetFocusOffset(int32_t dx, int32_t dy) {
    if (m_focusFrozen) {
        m_focusFrozen = false;
        SetFocus(int32_t(uint32_t(m_frozenFocusX) + uint32_t(dx)), int32_t(uint32_t(m_frozenFocusY) + uint32_t(dy)),
                 0);
        m_focusFrozen = true;
        return;
    }
    m_focusOffsetX = dx;
    m_focusOffsetY = dy;
    m_map.SetCentre(SaturateToInt32(int64_t(m_focusX) + dx), SaturateToInt32(int64_t(m_focusY) + dy), true);
}

void KScenePlace::FreezeFocus(bool frozen) {
    if (frozen == m_focusFrozen) return;
    if (frozen) {
        m_frozenFocusX = m_focusX;
        m_frozenFocusY = m_focusY;
        const int32_t oldX = m_focusOffsetX, oldY = m_focusOffsetY;
        m_focusOffsetX = m_focusOffsetY = 0;
        m_focusFrozen = true;
        SetFocusOffset(oldX, oldY);
        return;
    }
    m_focusFrozen = false;
    m_focusOffsetX = int32_t(uint32_t(m_focusX) - uint32_t(m_frozenFocusX));
    m_focusOffsetY = int32_t(uint32_t(m_focusY) - uint32_t(m_frozenFocusY));
    SetFocus(m_frozenFocusX, m_frozenFocusY, 0);
}

void KScenePlace::ResetObjects() {
    m_focusX = m_focusY = -1;
    PlaceLock objects(m_inited ? &m_objectsLock : nullptr);
    m_tree.Clear();
    m_nodeObjects.clear();
}

void KScenePlace::RequestRegions() {
    if (m_moveX == 0 && m_moveY == 0) return;
    const int32_t cx = m_centreX, cy = m_centreY;
    int missing[kRegionPoolSize];
    int missingCount = 0;
    if (m_moveX * m_moveX < 37 && m_moveY * m_moveY < 37) {
        int firstColumn, lastColumn, firstRow, lastRow;
        MissingBand(m_moveX, &firstColumn, &lastColumn);
        MissingBand(m_moveY, &firstRow, &lastRow);
        for (const int cell : kSpiral) {
            const int column = cell % kWindowSide, row = cell / kWindowSide;
            if ((column >= firstColumn && column <= lastColumn) || (row >= firstRow && row <= lastRow))
                missing[missingCount++] = cell;
        }
    } else {
        for (const int cell : kSpiral) missing[missingCount++] = cell;
    }

    // Reassigned records give back their ground picture records, which
    // change only under the objects lock. The objects lock before the
    // table lock, as everywhere on the host's thread.
    PlaceLock objects(&m_objectsLock);
    PlaceLock table(&m_tableLock);
    ++m_requestStamp;
    m_requestedSinceLoad = true;
    const int32_t loaded = m_requestIndex < 0 ? kRegionPoolSize : m_requestIndex.load();
    KSceneRegion* order[kRegionPoolSize];
    int kept = 0, freed = kRegionPoolSize;
    int32_t keptLoaded = 0;
    for (int i = 0; i < kRegionPoolSize; ++i) {
        if (i == loaded) keptLoaded = kept;
        KSceneRegion* region = m_ordered[i];
        if (WithinReach(*region, cx, cy, kWindowReach))
            order[kept++] = region;
        else
            order[--freed] = region;
    }
    if (loaded == kRegionPoolSize) keptLoaded = kept;
    if (kept + missingCount != kRegionPoolSize) return;
    for (int j = 0; j < missingCount; ++j) {
        const int cell = missing[j];
        order[kept + j]->SetRegionIndices(cx + cell % kWindowSide - kWindowReach,
                                          cy + cell / kWindowSide - kWindowReach);
        order[kept + j]->state = kRegionRequested;
    }
    std::copy(std::begin(order), std::end(order), m_ordered);
    m_requestIndex = keptLoaded == kRegionPoolSize ? -1 : keptLoaded;
    if (missingCount) SetEvent(m_wakeEvent);
}

void KScenePlace::RebuildActiveWindow() {
    const int32_t cx = m_centreX, cy = m_centreY;
    // The objects lock comes before the table lock wherever both are held.
    PlaceLock objects(&m_objectsLock);
    PlaceLock table(&m_tableLock);
    for (auto& slot : m_window.slots) {
        KSceneRegion* region = slot.load(std::memory_order_relaxed);
        if (region && !WithinReach(*region, cx, cy, 1)) DeactivateRegion(*region);
        slot.store(nullptr, std::memory_order_release);
    }
    m_window.centreX = cx;
    m_window.centreY = cy;
    const int32_t loaded = m_requestIndex < 0 ? kRegionPoolSize : m_requestIndex.load();
    for (int i = 0; i < loaded; ++i) {
        KSceneRegion* region = m_ordered[i];
        if (!WithinReach(*region, cx, cy, 1)) continue;
        ActivateRegion(*region, region->groundPicture ? region->groundPicture : GetFreeGroundPicture());
        m_window.slots[KActiveWindow::SlotOf(region->rx - cx, region->ry - cy)].store(region,
                                                                                      std::memory_order_release);
    }
    if (loaded == kRegionPoolSize || loaded >= kMergeReadyIndex) {
        m_mergePending = 1;
        m_groundDirty = 1;
    }
}

KPlaceGroundPicture* KScenePlace::GetFreeGroundPicture() {
    for (KPlaceGroundPicture& ground : m_ground)
        if (!ground.inUse) return &ground;
    return nullptr;
}

KSceneRegion* KScenePlace::FindRegion(int32_t rx, int32_t ry) {
    PlaceLock table(m_inited ? &m_tableLock : nullptr);
    const int32_t loaded = m_requestIndex < 0 ? kRegionPoolSize : m_requestIndex.load();
    for (int i = 0; i < loaded; ++i) {
        KSceneRegion* region = m_ordered[i];
        if (region->state == kRegionLoaded && region->rx == rx && region->ry == ry) return region;
    }
    return nullptr;
}

// The corner follows the focus; the size SetViewSize gave stays (its
// height is not twice the half height).
void KScenePlace::MoveViewRect() {
    const int64_t width = int64_t(m_viewRect[2]) - m_viewRect[0], height = int64_t(m_viewRect[3]) - m_viewRect[1];
    const int64_t left = int64_t(m_focusX) - m_viewHalfWidth, top = int64_t(m_focusY) - m_viewHalfHeight;
    m_viewRect[0] = SaturateToInt32(left);
    m_viewRect[1] = SaturateToInt32(top);
    m_viewRect[2] = SaturateToInt32(left + width);
    m_viewRect[3] = SaturateToInt32(top + height);
}

void KScenePlace::MarkLoadedForTests(int count) {
    PlaceLock table(&m_tableLock);
    for (int i = 0; i < count; ++i) m_ordered[i]->state = kRegionLoaded;
    m_requestIndex = count >= kRegionPoolSize ? -1 : count;
}
