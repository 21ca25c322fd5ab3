// A map's packed region cache ("%s_c.dat"): every region file of a
// rectangle of regions, read whole when the map loads, handed out as memory
// files.
//
//   u16 x min, x max, y min, y max        each in 10..190, min <= max
//   u32 size[W * H]                       region (x, y) at (x - x min) * H + (y - y min)
//   the blobs in the same order           size 0: the region has none
//
// Reference counts change only under the region-pack mutex: the place holds
// one reference, every open memory file another.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "place/DataFile.h"

class KMutex;
class KMemFile;

// Guards the loaded pack and every pack's reference count.
KMutex& RegionPackMutex();

class KRegionPack {
public:
    static constexpr int32_t kLowestIndex = 10;
    static constexpr int32_t kHighestIndex = 190;

    void AddRef();
    // The last reference deletes the pack and its blobs.
    void Release();
    // A new memory file over the region's blob (empty when it has none), or
    // null outside the bounds.
    KMemFile* OpenRegion(int32_t rx, int32_t ry);

    int32_t XMin() const { return m_xMin; }
    int32_t XMax() const { return m_xMax; }
    int32_t YMin() const { return m_yMin; }
    int32_t YMax() const { return m_yMax; }
    int32_t RefCount() const;

private:
    friend KRegionPack* LoadRegionPack(const char* path);
    KRegionPack() = default;
    ~KRegionPack() = default;
    bool Contains(int32_t rx, int32_t ry) const;

    // One column per x, one entry per y.
    std::vector<std::vector<std::unique_ptr<uint8_t[]>>> m_blobColumns;
    std::vector<std::vector<uint32_t>> m_sizeColumns;
    int32_t m_xMin = -1;
    int32_t m_xMax = -1;
    int32_t m_yMin = -1;
    int32_t m_yMax = -1;
    int32_t m_refCount = 1;
};

// The pack with one reference, or null: missing file (quietly), bad bounds,
// sizes the file does not hold, short read (one log line each).
KRegionPack* LoadRegionPack(const char* path);

// A read view of one blob that holds a reference on its pack.
class KMemFile final : public KDataFile {
public:
    KMemFile(KRegionPack* pack, const uint8_t* data, uint32_t size);
    // Gives the pack reference back under the region-pack mutex.
    ~KMemFile() override;

    uint32_t Read(void* buffer, uint32_t length) override;
    uint32_t Seek(int32_t offset, int origin) override;
    uint32_t Tell() override { return m_position; }
    uint32_t Size() override { return m_size; }

private:
    KRegionPack* m_pack;
    const uint8_t* m_data;
    uint32_t m_size;
    uint32_t m_position = 0;
};

// The map's loaded pack, kept beside its mutex. Install takes over the
// caller's reference and releases the pack it replaces.
void InstallRegionPack(KRegionPack* pack);
void ReleaseRegionPack();
bool HasRegionPack();
// The loaded pack's memory file for the region, or null without a pack or
// outside its bounds. The caller deletes it.
KMemFile* OpenRegionData(int32_t rx, int32_t ry);
void ResetRegionPackForTests();
