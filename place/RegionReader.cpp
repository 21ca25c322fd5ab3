#include "place/RegionReader.h"

#include <cstring>
#include <memory>
#include <new>
#include <tuple>

#include "lumiva/basrel/DebugLog.h"
#include "place/ByteCursor.h"
#include "place/DataFile.h"
#include "place/GroundPicture.h"
#include "place/RegionSections.h"
#include "place/RegionSource.h"
#include "place/ScenePlaceHost.h"
#include "place/SceneRegion.h"

namespace {

void ZeroGrids(KSceneRegion& region) {
    std::memset(region.workingGrid, 0, sizeof region.workingGrid);
    std::memset(region.pristineGrid, 0, sizeof region.pristineGrid);
    region.gridFromFile = false;
}

void DropGround(KSceneRegion& region) {
    region.groundTileCount = 0;
    region.groundRecordCount = 0;
    region.groundTileBytes = 0;
    region.groundTiles.reset();
    region.groundRecords.reset();
}

void DropObjects(KSceneRegion& region) {
    region.FreeTreePoints();
    region.objects.reset();
    region.lights.reset();
    region.objectHeader = {};
}

template <class T>
std::unique_ptr<T[]> NewArray(uint64_t count) {
    return std::unique_ptr<T[]>(new (std::nothrow) T[size_t(count ? count : 1)]());
}

// Flat records keep a picture cache in their end-point words.
void ResetFlatRecord(KRegionObjectRecord& record) {
    record.endX = 0;
    record.endY = -1;
    if (record.frameInterval != 0) record.frameInterval = 1;
    record.fade = 0;
}

void ReadSection(KSceneRegion& region, KDataFile& file, const KRegionSectionTable& table, int section,
                 const char** problem) {
    const uint32_t length = table.length[section];
    if (length == 0) return;
    if (!SeekTo(file, table.start[section])) {
        NoteProblem(problem, "cannot reach a section");
        if (section == kObstacleSection) ReadRegionObstacles(region, nullptr, 0);
        return;
    }
    if (section == kGroundSection) ReadRegionGround(region, file, length, problem);
    if (section == kObjectSection) ReadRegionObjects(region, file, length, problem);
    if (section == kObstacleSection) ReadRegionObstacles(region, &file, length, problem);
}

// By value: the records are packed, so their fields may be misaligned.
std::tuple<uint8_t, int16_t, int32_t, uint8_t> GroundKey(const KRegionGroundRecord& r) {
    const uint8_t layer = r.layer, kind = r.kind;
    const int16_t order = r.order;
    const int32_t y = r.y;
    return {layer, order, y, kind};
}

// Into an array with room for one more.
void InsertSorted(KRegionGroundRecord* records, uint32_t count, const KRegionGroundRecord& record) {
    uint32_t at = count;
    while (at > 0 && GroundKey(record) < GroundKey(records[at - 1])) {
        records[at] = records[at - 1];
        --at;
    }
    records[at] = record;
}

bool GrowGroundRecords(KSceneRegion& region, uint32_t more) {
    const uint64_t total = uint64_t(region.groundRecordCount) + more;
    if (total > UINT32_MAX) return false;
    auto grown = NewArray<KRegionGroundRecord>(total);
    if (!grown) return false;
    if (region.groundRecordCount)
        std::memcpy(grown.get(), region.groundRecords.get(), sizeof(KRegionGroundRecord) * region.groundRecordCount);
    region.groundRecords = std::move(grown);
    return true;
}

bool Overlaps(const KRegionGroundRecord& r, const KSceneRegion& region) {
    const int64_t left = r.x, top = r.y, right = left + r.width, bottom = top + 2 * int64_t(r.height);
    return left < int64_t(region.originX) + kRegionWidth && right > region.originX &&
           top < int64_t(region.originY) + kRegionHeight && bottom > region.originY;
}

}  // namespace

bool ReadRegionFileData(KSceneRegion& region, const char* folder) {
    if (region.state != kRegionRequested || !folder || !*folder) return false;
    region.state = kRegionLoading;
    region.originX = RegionOriginX(region.rx);
    region.originY = RegionOriginY(region.ry);
    region.gridFromFile = false;

    KRegionSource source(folder, region.rx, region.ry);
    KDataFile* file = source.File();
    if (!file) {
        ZeroGrids(region);
    } else {
        const char* problem = nullptr;
        KRegionSectionTable table;
        ReadRegionSectionTable(*file, table, &problem);
        ReadSection(region, *file, table, kGroundSection, &problem);
        ReadSection(region, *file, table, kObjectSection, &problem);
        if (table.length[kObstacleSection])
            ReadSection(region, *file, table, kObstacleSection, &problem);
        else
            ZeroGrids(region);
        if (problem)
            g_DebugLog("[Scene]Region file %s%s: %s", source.Path(), source.Packed() ? " (packed)" : "", problem);
    }
    region.state = kRegionLoaded;
    return true;
}

void AttachRegionToHost(KSceneRegion& region, int32_t rx, int32_t ry) {
    if (!region.gridFromFile) return;
    IScenePlaceHost* host = ScenePlaceHost();
    if (!host) return;
    const int32_t id = host->FindRegionId(0, RegionHostKey(rx, ry));
    if (id != -1) host->AttachRegion(0, id, &region);
}

bool ReadRegionFile(KSceneRegion& region, const char* folder) {
    if (!ReadRegionFileData(region, folder)) return false;
    AttachRegionToHost(region, region.rx, region.ry);
    return true;
}

bool ReadRegionObstacles(KSceneRegion& region, KDataFile* file, uint32_t length, const char** problem) {
    uint8_t bytes[kObstacleSectionBytes];
    if (!file || length < kObstacleSectionBytes) {
        ZeroGrids(region);
        return false;
    }
    if (file->Read(bytes, kObstacleSectionBytes) != kObstacleSectionBytes) {
        NoteProblem(problem, "short obstacle grid");
        ZeroGrids(region);
        return false;
    }
    for (int i = 0; i < kGridCells; ++i) region.workingGrid[i] = LoadU32(bytes + 4 * i);
    std::memcpy(region.pristineGrid, region.workingGrid, sizeof region.pristineGrid);
    region.gridFromFile = true;
    return true;
}

bool ReadRegionGround(KSceneRegion& region, KDataFile& file, uint32_t length, const char** problem) {
    DropGround(region);
    const std::unique_ptr<uint8_t[]> bytes = ReadSectionBytes(file, length, problem);
    KGroundSectionView view;
    if (!bytes || !ParseGroundSection(bytes.get(), length, view, problem)) return false;

    if (view.tileCount > 0) {
        auto tiles = NewArray<uint8_t>(view.tileBytes);
        if (!tiles) return NoteProblem(problem, "no memory for ground"), false;
        std::memcpy(tiles.get(), view.tiles, view.tileBytes);
        region.groundTiles = std::move(tiles);
        region.groundTileBytes = uint32_t(view.tileBytes);
        region.groundTileCount = view.tileCount;
    }
    if (view.recordCount > 0) {
        auto records = NewArray<KRegionGroundRecord>(view.recordCount);
        if (!records) {
            DropGround(region);
            return NoteProblem(problem, "no memory for ground"), false;
        }
        for (uint32_t i = 0; i < view.recordCount; ++i) {
            DecodeGroundRecord(view.records + size_t(i) * kGroundRecordBytes, records[i]);
            records[i].kind = kOwnGroundRecord;
        }
        region.groundRecords = std::move(records);
        region.groundRecordCount = view.recordCount;
    }
    return true;
}

bool ReadRegionObjects(KSceneRegion& region, KDataFile& file, uint32_t length, const char** problem) {
    DropObjects(region);
    const std::unique_ptr<uint8_t[]> bytes = ReadSectionBytes(file, length, problem);
    KObjectSectionView view;
    if (!bytes || !ParseObjectSection(bytes.get(), length, view, problem)) return false;

    KRegionObjectHeader header = view.header;
    bool complete = !view.objectsDropped;
    if (header.count > 0) {
        auto objects = NewArray<KRegionObjectRecord>(header.count);
        if (!objects) {
            NoteProblem(problem, "no memory for objects");
            header.count = 0;
            header.lines = header.segments = header.points = header.flats = 0;
            complete = false;
        } else {
            for (uint32_t i = 0; i < header.count; ++i)
                DecodeObjectRecord(view.records + size_t(i) * kObjectRecordBytes, objects[i]);
            for (uint32_t i = header.count - header.flats; i < header.count; ++i) ResetFlatRecord(objects[i]);
            region.objects = std::move(objects);
        }
    }
    if (header.lightCount > 0) {
        auto lights = NewArray<KRegionLightRecord>(header.lightCount);
        if (!lights) {
            NoteProblem(problem, "no memory for lights");
            header.lightCount = 0;
            complete = false;
        } else {
            for (uint32_t i = 0; i < header.lightCount; ++i)
                DecodeLightRecord(view.lights + size_t(i) * kLightRecordBytes, lights[i]);
            region.lights = std::move(lights);
        }
    }
    region.objectHeader = header;
    return complete;
}

void ShareNeighbourGround(KSceneRegion& region, const KSceneRegion* neighbour) {
    if (!neighbour || neighbour == &region) return;
    const int64_t dx = int64_t(neighbour->rx) - region.rx, dy = int64_t(neighbour->ry) - region.ry;
    if (dx < -1 || dx > 1 || dy < -1 || dy > 1) return;
    const int direction = int(dx * 3 + dy + 4);
    if (region.neighbourBits & (1u << direction)) return;
    region.neighbourBits |= 1u << direction;

    uint32_t reaching = 0;
    for (uint32_t i = 0; i < neighbour->groundRecordCount; ++i) {
        const KRegionGroundRecord& r = neighbour->groundRecords[i];
        if (r.kind == kOwnGroundRecord && Overlaps(r, region)) ++reaching;
    }
    if (reaching == 0 || !GrowGroundRecords(region, reaching)) return;
    for (uint32_t i = 0; i < neighbour->groundRecordCount; ++i) {
        KRegionGroundRecord copy = neighbour->groundRecords[i];
        if (copy.kind != kOwnGroundRecord || !Overlaps(copy, region)) continue;
        copy.kind = uint8_t(direction);
        InsertSorted(region.groundRecords.get(), region.groundRecordCount++, copy);
    }
    if (region.groundPicture) region.groundPicture->built = 0;
}

bool InsertGroundRecord(KSceneRegion& region, const KRegionGroundRecord& record) {
    if (!GrowGroundRecords(region, 1)) return false;
    InsertSorted(region.groundRecords.get(), region.groundRecordCount++, record);
    return true;
}
