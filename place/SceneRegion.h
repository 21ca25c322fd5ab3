// One region of a map in the place's pool: what its file gave (obstacle
// grid, ground tiles and records, object and light records) and where it
// stands in its life: requested, loading, loaded.
//
// Threads: the loader thread fills a region in state 2; the host's thread
// reassigns and frees it. Callers hold the place's locks; the region has
// none of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "place/RegionRecords.h"
#include "place/TreeItems.h"

struct KPlaceGroundPicture;

constexpr uint32_t kRegionRequested = 1;
constexpr uint32_t kRegionLoading = 2;
constexpr uint32_t kRegionLoaded = 3;

constexpr int32_t kRegionWidth = 512;    // world units
constexpr int32_t kRegionHeight = 1024;  // world units
constexpr int32_t kCellSize = 32;        // world units, both ways
constexpr int kGridColumns = kRegionWidth / kCellSize;  // 16
constexpr int kGridRows = kRegionHeight / kCellSize;    // 32
constexpr int kGridCells = kGridColumns * kGridRows;    // 512, column-major

// Obstacle cell word: bits 0-3 obstacle type (0 free), bits 4-7 shape.
constexpr uint32_t kCellObstacleMask = 0x0F;

// World origin of a region; wraps rather than overflows for any index.
inline int32_t RegionOriginX(int32_t rx) { return int32_t(uint32_t(rx) * uint32_t(kRegionWidth)); }
inline int32_t RegionOriginY(int32_t ry) { return int32_t(uint32_t(ry) * uint32_t(kRegionHeight)); }
// The host's key of a region: ry << 16 | rx, 16 bits of each.
inline uint32_t RegionHostKey(int32_t rx, int32_t ry) {
    return (uint32_t(ry) & 0xFFFF) << 16 | (uint32_t(rx) & 0xFFFF);
}

class KSceneRegion {
public:
    KSceneRegion();
    ~KSceneRegion();
    KSceneRegion(const KSceneRegion&) = delete;
    KSceneRegion& operator=(const KSceneRegion&) = delete;

    // Frees the data of a loaded region, takes the indices and becomes
    // requested.
    void SetRegionIndices(int32_t regionX, int32_t regionY);
    // Only in state 3: drops everything read and shared, unbinds the ground
    // picture; the state and the grids stay.
    void FreeRegion();
    void GetRegionIndices(int32_t* regionX, int32_t* regionY) const;

    // The records that become tree points: all but the flat ones.
    uint32_t TreePointCount() const;
    void FreeTreePoints();
    // Moves what a read gave from another record (objects, lights, ground,
    // grids) into this one, freeing what this one held; the indices, state,
    // neighbour bits and ground picture stay. The loader reads into a
    // record of its own and hands the result over once it keeps the read.
    void TakeReadData(KSceneRegion& from);

    // Raised by every SetRegionIndices: a read belongs to one assignment.
    uint32_t assignment = 0;
    uint32_t neighbourBits = 0;  // bit dx * 3 + dy + 4: that neighbour's ground is in
    uint32_t state = 0;
    int32_t originX = 0;  // rx * 512, set by the reader
    int32_t originY = 0;  // ry * 1024
    int32_t rx = 0;
    int32_t ry = 0;
    KRegionObjectHeader objectHeader = {};
    std::unique_ptr<KRegionObjectRecord[]> objects;
    std::unique_ptr<KTreePoint[]> treePoints;  // TreePointCount() of them, made on activation
    std::unique_ptr<KRegionLightRecord[]> lights;
    uint32_t groundTileCount = 0;
    uint32_t groundRecordCount = 0;
    std::unique_ptr<uint8_t[]> groundTiles;  // walk with KGroundTileWalker
    uint32_t groundTileBytes = 0;
    std::unique_ptr<KRegionGroundRecord[]> groundRecords;  // sorted by (layer, order, y, kind)
    KPlaceGroundPicture* groundPicture = nullptr;
    uint32_t workingGrid[kGridCells];
    uint32_t extraGrid[kGridCells];  // zero: nothing fills it
    uint32_t pristineGrid[kGridCells];  // as the file gave it
    bool gridFromFile = false;  // the host is told of this region's grid

private:
    void FreeReadData();
};
