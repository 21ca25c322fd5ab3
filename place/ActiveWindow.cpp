#include "place/ActiveWindow.h"

#include "place/ScenePlaceHost.h"
#include "place/SceneRegion.h"

namespace {

constexpr uint32_t kOutsideObstacle = 1;
constexpr uint32_t kWholeCellShape = 16;
constexpr int32_t kHighestObstacleType = 6;

}  // namespace

void KActiveWindow::GetRegionOrigin(int32_t rx, int32_t ry, int32_t* x, int32_t* y) {
    if (x) *x = RegionOriginX(rx);
    if (y) *y = RegionOriginY(ry);
}

KSceneRegion* KActiveWindow::ActiveRegion(int32_t rx, int32_t ry) const {
    // 64 bits and no squares: a far index must not wrap into the window.
    const int64_t dx = int64_t(rx) - centreX, dy = int64_t(ry) - centreY;
    if (dx < -1 || dx > 1 || dy < -1 || dy > 1) return nullptr;
    return slots[SlotOf(int(dx), int(dy))].load(std::memory_order_acquire);
}

bool KActiveWindow::Locate(int32_t x, int32_t y, Location& where) const {
    KSceneRegion* region = ActiveRegion(RegionIndexX(x), RegionIndexY(y));
    if (!region) return false;
    // Offsets are checked before dividing: truncation would fold -31..-1
    // into column or row 0.
    const int64_t offsetX = int64_t(x) - region->originX, offsetY = int64_t(y) - region->originY;
    if (offsetX < 0 || offsetX >= kRegionWidth || offsetY < 0 || offsetY >= kRegionHeight) return false;
    where.region = region;
    where.cell = int(offsetX / kCellSize) * kGridRows + int(offsetY / kCellSize);
    return true;
}

uint32_t* KActiveWindow::WorkingCell(int32_t x, int32_t y) const {
    Location where;
    return Locate(x, y, where) ? &where.region->workingGrid[where.cell] : nullptr;
}

uint32_t KActiveWindow::GetObstacle(int32_t x, int32_t y) const {
    const uint32_t* cell = WorkingCell(x, y);
    return cell ? *cell & kCellObstacleMask : kOutsideObstacle;
}

uint32_t KActiveWindow::GetObstacleEx(int32_t x, int32_t y, int32_t, int32_t) const { return GetObstacle(x, y); }

uint32_t KActiveWindow::GetCell(int32_t x, int32_t y) const {
    const uint32_t* cell = WorkingCell(x, y);
    return cell ? *cell : kOutsideObstacle;
}

uint32_t KActiveWindow::GetOriginalCell(int32_t x, int32_t y) const {
    Location where;
    return Locate(x, y, where) ? where.region->pristineGrid[where.cell] : kOutsideObstacle;
}

uint32_t KActiveWindow::GetCellExtra(int32_t x, int32_t y) const {
    Location where;
    return Locate(x, y, where) ? where.region->extraGrid[where.cell] : 0;
}

bool KActiveWindow::SetCellObstacle(int32_t x, int32_t y, int32_t type) {
    if (type < 0 || type > kHighestObstacleType) return false;
    uint32_t* cell = WorkingCell(x, y);
    if (!cell) return false;
    *cell = uint32_t(type) + kWholeCellShape;
    return true;
}

bool KActiveWindow::ClearCell(int32_t x, int32_t y) {
    uint32_t* cell = WorkingCell(x, y);
    if (!cell) return false;
    *cell = 0;
    return true;
}

bool KActiveWindow::IsRegionClear(int32_t rx, int32_t ry) const {
    const KSceneRegion* region = ActiveRegion(rx, ry);
    if (!region) return false;
    for (uint32_t cell : region->workingGrid)
        if (cell != 0) return false;
    return true;
}

void KActiveWindow::RestoreRegionCells(int32_t x, int32_t y) {
    Location where;
    if (!Locate(x, y, where)) return;
    for (int i = 0; i < kGridCells; ++i) where.region->workingGrid[i] = where.region->pristineGrid[i];
}

void KActiveWindow::UnregisterActiveRegions() const {
    for (const KSceneRegion* region : slots)
        if (region) UnregisterRegion(*region);
}

void UnregisterRegion(const KSceneRegion& region) {
    IScenePlaceHost* host = ScenePlaceHost();
    if (!host) return;
    const int32_t id = host->FindRegionId(0, RegionHostKey(region.rx, region.ry));
    if (id != -1) host->DetachRegion(0, id);
}

void SetRegionObjectSelectBit(KSceneRegion& region, int32_t index, bool selected) {
    if (!region.objects || index < 0 || uint32_t(index) >= region.objectHeader.count) return;
    uint32_t& flags = region.objects[index].flags;
    flags = selected ? flags | kObjectSelected : flags & ~kObjectSelected;
}
