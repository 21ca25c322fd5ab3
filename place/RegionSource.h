// Where a region's bytes come from: the map's loaded pack when it holds
// the region, else the loose file "<folder>\v_<ry>\<rx>_Region_C.dat"
// through the pak layer. Closed when it goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "lumiva/basrel/KPakFile.h"
#include "place/DataFile.h"
#include "place/RegionPack.h"

// False when the path does not fit the buffer.
bool FormatRegionPath(char* buffer, size_t size, const char* folder, int32_t rx, int32_t ry);

class KRegionSource {
public:
    KRegionSource(const char* folder, int32_t rx, int32_t ry);
    KRegionSource(const KRegionSource&) = delete;
    KRegionSource& operator=(const KRegionSource&) = delete;

    // The open file, or null when neither the pack nor a loose file has it.
    KDataFile* File() { return m_file; }
    bool Packed() const { return m_memory != nullptr; }
    // The loose file's path (also named for a packed region).
    const char* Path() const { return m_path; }

private:
    char m_path[260];
    std::unique_ptr<KMemFile> m_memory;
    KPakFile m_pak;
    KPakDataFile m_pakData{m_pak};
    KDataFile* m_file = nullptr;
};
