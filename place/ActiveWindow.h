// The 3 x 3 active regions around the centre region and the host's obstacle
// questions over them. A position answers from the working grid of the
// active region that holds it; anywhere else it is outside (blocked for the
// obstacle questions). The place keeps one of these and fills it from its
// pool; queries run on the host's thread without a lock.
#pragma once

#include <atomic>
#include <cstdint>

class KSceneRegion;

struct KActiveWindow {
    // Slot (dy + 1) * 3 + (dx + 1) for the region at (cx + dx, cy + dy).
    static int SlotOf(int dx, int dy) { return (dy + 1) * 3 + (dx + 1); }
    static void GetRegionOrigin(int32_t rx, int32_t ry, int32_t* x, int32_t* y);

    // The active region with these indices, or null.
    KSceneRegion* ActiveRegion(int32_t rx, int32_t ry) const;
    // The working cell at a world position, or null outside the window.
    uint32_t* WorkingCell(int32_t x, int32_t y) const;

    uint32_t GetObstacle(int32_t x, int32_t y) const;                     // outside: 1
    uint32_t GetObstacleEx(int32_t x, int32_t y, int32_t, int32_t) const;  // outside: 1
    uint32_t GetCell(int32_t x, int32_t y) const;                          // outside: 1
    uint32_t GetOriginalCell(int32_t x, int32_t y) const;                  // outside: 1
    uint32_t GetCellExtra(int32_t x, int32_t y) const;                     // outside: 0
    // Types 0..6 become a whole-cell obstacle (type + 16); others refused.
    bool SetCellObstacle(int32_t x, int32_t y, int32_t type);
    bool ClearCell(int32_t x, int32_t y);
    // Every working cell of that active region is 0.
    bool IsRegionClear(int32_t rx, int32_t ry) const;
    // The file's grid back over the working grid of the region at (x, y).
    void RestoreRegionCells(int32_t x, int32_t y);
    // The host forgets every active region's grid.
    void UnregisterActiveRegions() const;

    int32_t centreX = 0;
    int32_t centreY = 0;
    // Written only under the place's objects lock; the loader publishes a
    // region it activates with release, lock-free readers load with acquire.
    std::atomic<KSceneRegion*> slots[9] = {};

private:
    struct Location {
        KSceneRegion* region;
        int cell;
    };
    bool Locate(int32_t x, int32_t y, Location& where) const;
};

// Region indices of a world position: x / 512 and y / 1024, toward zero.
inline int32_t RegionIndexX(int32_t x) { return x / 512; }
inline int32_t RegionIndexY(int32_t y) { return y / 1024; }

// The host hears that it may drop the region's grid: its id and, unless -1,
// DetachRegion. Nothing without a host.
void UnregisterRegion(const KSceneRegion& region);

// Sets or clears the select bit (0x400) of one object record; nothing for
// a region without records or an index outside them.
void SetRegionObjectSelectBit(KSceneRegion& region, int32_t index, bool selected);
