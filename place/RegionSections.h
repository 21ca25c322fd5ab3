// The layout of a region file, checked before anything is sought or
// allocated: the section table, and the heads of the ground and object
// sections. The region reader and the pre-scan both read through here.
//
//   u32 N; N x (u32 offset, u32 length)    offsets count from byte 4 + 8N
//   section 0 obstacle grid, 4 ground, 5 objects and lights; 1-3 unused
//
// A problem is named in *problem (the first one kept) for the caller's one
// log line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "place/RegionRecords.h"

class KDataFile;

constexpr int kRegionTableEntries = 6;  // entries past the sixth are skipped
constexpr int kObstacleSection = 0;
constexpr int kGroundSection = 4;
constexpr int kObjectSection = 5;
constexpr uint32_t kObstacleSectionBytes = 2048;
constexpr uint32_t kGroundHeaderBytes = 12;
constexpr uint32_t kGroundRecordBytes = 146;
constexpr uint32_t kObjectHeaderBytes = 16;
constexpr uint32_t kObjectRecordBytes = 228;
constexpr uint32_t kLightRecordBytes = 28;

inline void NoteProblem(const char** problem, const char* what) {
    if (problem && !*problem) *problem = what;
}

struct KRegionSectionTable {
    uint64_t start[kRegionTableEntries] = {};  // from the start of the file
    uint32_t length[kRegionTableEntries] = {};  // 0: absent
};

// Reads the table from the start of the file. Without a whole table the
// file has no sections; a section that runs past the end is left out.
void ReadRegionSectionTable(KDataFile& file, KRegionSectionTable& table, const char** problem);

// Positions the file at an absolute offset; false when it cannot.
bool SeekTo(KDataFile& file, uint64_t position);

// A section's bytes from the file's position, or null when the file does
// not hold them or memory runs out.
std::unique_ptr<uint8_t[]> ReadSectionBytes(KDataFile& file, uint32_t length, const char** problem);

struct KGroundSectionView {
    uint32_t tileCount = 0;
    uint32_t recordCount = 0;
    const uint8_t* tiles = nullptr;  // the bytes between the head and the records
    size_t tileBytes = 0;
    const uint8_t* records = nullptr;  // recordCount x 146 bytes
};

// False when the head does not fit or its records lie outside the section.
bool ParseGroundSection(const uint8_t* bytes, size_t size, KGroundSectionView& view, const char** problem);

struct KObjectSectionView {
    KRegionObjectHeader header = {};
    const uint8_t* records = nullptr;  // header.count x 228 bytes
    const uint8_t* lights = nullptr;   // header.lightCount x 28 bytes
    bool objectsDropped = false;       // the groups did not fit the records
};

// False with a zero head when the records and lights do not fit. When the
// groups (lines, segments, points, flats) need more records than there
// are, the objects are dropped (count and groups zero) and the lights kept.
bool ParseObjectSection(const uint8_t* bytes, size_t size, KObjectSectionView& view, const char** problem);

// Field by field from the file's bytes. Names are cut to end within their
// 128-byte field.
void DecodeObjectRecord(const uint8_t* bytes, KRegionObjectRecord& record);
void DecodeGroundRecord(const uint8_t* bytes, KRegionGroundRecord& record);
void DecodeLightRecord(const uint8_t* bytes, KRegionLightRecord& record);
// The name of the object record at bytes, within its field.
const char* ObjectRecordName(const uint8_t* bytes, char (&name)[128]);
const char* GroundRecordName(const uint8_t* bytes, char (&name)[128]);
