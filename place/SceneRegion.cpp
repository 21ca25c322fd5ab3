#include "place/SceneRegion.h"

#include <cstring>
#include <utility>

#include "place/GroundPicture.h"

KSceneRegion::KSceneRegion() {
    std::memset(workingGrid, 0, sizeof workingGrid);
    std::memset(extraGrid, 0, sizeof extraGrid);
    std::memset(pristineGrid, 0, sizeof pristineGrid);
}

KSceneRegion::~KSceneRegion() = default;

void KSceneRegion::SetRegionIndices(int32_t regionX, int32_t regionY) {
    FreeRegion();
    ++assignment;
    rx = regionX;
    ry = regionY;
    state = kRegionRequested;
}

void KSceneRegion::FreeRegion() {
    if (state != kRegionLoaded) return;
    neighbourBits = 0;
    if (groundPicture) {
        groundPicture->inUse = 0;
        groundPicture->built = 0;
        groundPicture = nullptr;
    }
    FreeReadData();
}

void KSceneRegion::GetRegionIndices(int32_t* regionX, int32_t* regionY) const {
    if (regionX) *regionX = rx;
    if (regionY) *regionY = ry;
}

uint32_t KSceneRegion::TreePointCount() const {
    return objectHeader.count > objectHeader.flats ? objectHeader.count - objectHeader.flats : 0;
}

void KSceneRegion::FreeTreePoints() { treePoints.reset(); }

void KSceneRegion::FreeReadData() {
    groundTileCount = 0;
    groundRecordCount = 0;
    groundTileBytes = 0;
    groundTiles.reset();
    groundRecords.reset();
    FreeTreePoints();
    objects.reset();
    lights.reset();
    objectHeader = {};
}

void KSceneRegion::TakeReadData(KSceneRegion& from) {
    if (&from == this) return;
    FreeReadData();
    objectHeader = std::exchange(from.objectHeader, {});
    objects = std::move(from.objects);
    treePoints = std::move(from.treePoints);
    lights = std::move(from.lights);
    groundTileCount = std::exchange(from.groundTileCount, 0);
    groundRecordCount = std::exchange(from.groundRecordCount, 0);
    groundTiles = std::move(from.groundTiles);
    groundTileBytes = std::exchange(from.groundTileBytes, 0);
    groundRecords = std::move(from.groundRecords);
    std::memcpy(workingGrid, from.workingGrid, sizeof workingGrid);
    std::memcpy(extraGrid, from.extraGrid, sizeof extraGrid);
    std::memcpy(pristineGrid, from.pristineGrid, sizeof pristineGrid);
    gridFromFile = std::exchange(from.gridFromFile, false);
    originX = from.originX;
    originY = from.originY;
}
