#include "place/RegionPrescan.h"

#include <windows.h>

#include <cstdio>
#include <memory>

#include "lumiva/basrel/DebugLog.h"
#include "lumiva/basrel/KIniFile.h"
#include "place/DataFile.h"
#include "place/GroundTileWalker.h"
#include "place/PakPreload.h"
#include "place/RegionSource.h"
#include "place/RegionSections.h"

namespace {

constexpr size_t kPathSize = 260;

bool ScanSection(KDataFile& file, const KRegionSectionTable& table, int section,
                 bool (*readNames)(KDataFile&, uint32_t)) {
    if (table.length[section] == 0) return true;
    return SeekTo(file, table.start[section]) && readNames(file, table.length[section]);
}

void PrescanRegion(const char* folder, int32_t rx, int32_t ry) {
    KRegionSource source(folder, rx, ry);
    KDataFile* file = source.File();
    if (!file) return;
    KRegionSectionTable table;
    ReadRegionSectionTable(*file, table, nullptr);
    ScanSection(*file, table, kGroundSection, ReadRegionGroundNames);
    ScanSection(*file, table, kObjectSection, ReadRegionObjectNames);
}

}  // namespace

bool ReadRegionGroundNames(KDataFile& file, uint32_t length) {
    const std::unique_ptr<uint8_t[]> bytes = ReadSectionBytes(file, length, nullptr);
    KGroundSectionView view;
    if (!bytes || !ParseGroundSection(bytes.get(), length, view, nullptr)) return false;
    KGroundTileWalker tiles(view.tiles, view.tileBytes, view.tileCount);
    for (KGroundTile tile; tiles.Next(tile);) QueuePakPreload(tile.name);
    char name[128];
    for (uint32_t i = 0; i < view.recordCount; ++i)
        QueuePakPreload(GroundRecordName(view.records + size_t(i) * kGroundRecordBytes, name));
    return true;
}

bool ReadRegionObjectNames(KDataFile& file, uint32_t length) {
    const std::unique_ptr<uint8_t[]> bytes = ReadSectionBytes(file, length, nullptr);
    KObjectSectionView view;
    if (!bytes || !ParseObjectSection(bytes.get(), length, view, nullptr)) return false;
    char name[128];
    for (uint32_t i = 0; i < view.header.count; ++i)
        QueuePakPreload(ObjectRecordName(view.records + size_t(i) * kObjectRecordBytes, name));
    return !view.objectsDropped;
}

void PrescanRegions(const char* folder) {
    if (!folder || !*folder) return;
    char path[kPathSize];
    const int written = std::snprintf(path, sizeof path, "%s.wor", folder);
    if (written <= 0 || size_t(written) >= sizeof path) return;
    KIniFile settings;
    RECT rect;
    if (!settings.Load(path) || !settings.GetRect("MAIN", "rect", &rect)) return;
    if (rect.left > rect.right || rect.top > rect.bottom) return;
    const int64_t width = int64_t(rect.right) - rect.left + 1, height = int64_t(rect.bottom) - rect.top + 1;
    // Each side alone first: the product of two full int32 spans passes 64 bits.
    if (width > kPrescanRegionCap || height > kPrescanRegionCap || width * height > kPrescanRegionCap) {
        g_DebugLog("[Scene]Pre-scan of %s skipped: %lld x %lld regions, more than %lld", folder, (long long)width,
                   (long long)height, (long long)kPrescanRegionCap);
        return;
    }
    for (int64_t ry = rect.top; ry <= rect.bottom; ++ry)
        for (int64_t rx = rect.left; rx <= rect.right; ++rx) PrescanRegion(folder, int32_t(rx), int32_t(ry));
}
