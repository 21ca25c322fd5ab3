// Writers of a map's files: the map list, the "%s.wor" settings, region
// files (laid out from records or from raw sections with any table), packed
// region caches, and the player action tables. Layouts (little-endian):
//
//   region file    u32 N, N x (u32 offset, u32 length) counted from 4 + 8N,
//                  then the sections: 0 obstacle grid (512 u32, column-major
//                  16 x 32), 4 ground, 5 objects and lights
//   ground         u32 tiles, u32 records, u32 record offset, the tiles
//                  (u16 x, y, frame, name length, name bytes), the 146-byte
//                  records
//   objects        u32 count, u16 lines, segments, points, flats, unused,
//                  lights, the 228-byte records, the 28-byte lights
//   pack           u16 x min, x max, y min, y max, u32 size per region
//                  (x-major, H per column), the blobs in that order
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "RegionObjectWriter.h"

// --- Region files ---

// One table entry and its data. The data of the entries lie back to back
// after the table; offset and length default to where the data lands and
// its size.
struct RegionSectionEntry {
    std::vector<uint8_t> bytes;
    std::optional<uint32_t> offset;
    std::optional<uint32_t> length;
};

struct RegionFileLayout {
    std::vector<RegionSectionEntry> sections;  // any count
    std::optional<uint32_t> sectionCount;      // N as written; default the entry count
};

std::vector<uint8_t> WriteRegionFile(const RegionFileLayout& layout);

constexpr int kObstacleCells = 512;
std::vector<uint8_t> WriteObstacleSection(const std::vector<uint32_t>& cells);

struct GroundTileFields {
    uint16_t cellX = 0;
    uint16_t cellY = 0;
    uint16_t frame = 0;
    std::string name;
    std::optional<uint16_t> nameLength;  // written length; default the name's
};

struct GroundRecordFields {
    int32_t x = 0;
    int32_t y = 0;
    std::string name;  // up to 128 bytes; exactly 128 leaves no terminator
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t frame = 0;
    uint8_t kind = 0;
    uint8_t layer = 0;
    int16_t order = 0;
};

struct GroundSectionFields {
    std::vector<GroundTileFields> tiles;
    std::vector<GroundRecordFields> records;
    std::optional<uint32_t> tileCount;
    std::optional<uint32_t> recordCount;
    std::optional<uint32_t> recordOffset;
    std::vector<uint8_t> gap;  // between the tiles and the records
};

std::vector<uint8_t> WriteGroundSection(const GroundSectionFields& fields);

struct RegionLightFields {
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
    uint32_t colour = 0;
    int32_t radius1 = 0;
    int32_t radius2 = 0;
    int32_t reserved = 0;
};

struct ObjectSectionFields {
    std::vector<RegionObjectFields> objects;
    std::vector<RegionLightFields> lights;
    uint16_t lines = 0;
    uint16_t segments = 0;
    uint16_t points = 0;
    uint16_t flats = 0;
    uint16_t unused = 0;
    std::optional<uint32_t> count;
    std::optional<uint16_t> lightCount;
};

std::vector<uint8_t> WriteObjectSection(const ObjectSectionFields& fields);

// Sections 0, 4 and 5 from records (absent ones empty), 1 to 3 empty.
struct RegionFileFields {
    std::optional<std::vector<uint32_t>> cells;
    std::optional<GroundSectionFields> ground;
    std::optional<ObjectSectionFields> objects;
};

std::vector<uint8_t> BuildRegionFile(const RegionFileFields& fields);

// --- Packed region caches ---

using RegionKey = std::pair<int, int>;  // (rx, ry)

struct RegionPackFields {
    uint16_t xMin = 10;
    uint16_t xMax = 10;
    uint16_t yMin = 10;
    uint16_t yMax = 10;
    std::map<RegionKey, std::vector<uint8_t>> blobs;
    std::map<RegionKey, uint32_t> sizes;  // size table entries written instead
};

std::vector<uint8_t> WriteRegionPack(const RegionPackFields& fields);

// --- Paths and files ---

// "<folder>\v_<ry>\<rx>_Region_C.dat", three digits at least.
std::string RegionFilePath(const std::string& folder, int rx, int ry);
// "<folder>_c.dat"
std::string RegionPackPath(const std::string& folder);
// A module path ("\Maps\x\a.dat") written under a host root folder.
bool WriteDataFile(const std::string& root, const std::string& modulePath, const std::vector<uint8_t>& bytes);
bool WriteDataText(const std::string& root, const std::string& modulePath, const std::string& text);

// --- Settings ---

constexpr const char* kMapListPath = "\\settings\\MapList.ini";

struct MapListEntry {
    std::string section = "List";  // or "MissionMapList", "PrivateMapList"
    int key = 0;
    std::string folder;               // under "\Maps"
    std::optional<std::string> name;  // the "<key>_name" value
};

std::string WriteMapList(const std::vector<MapListEntry>& entries);

struct WorSettings {
    std::optional<int> isInDoor;
    std::optional<int> isLight;
    std::optional<int> modelLight;
    std::optional<int> perspective;
    std::optional<std::array<int, 4>> rect;  // left, top, right, bottom region indices
    std::optional<std::array<int, 2>> mapLTRegionIndex;
    std::vector<std::pair<std::string, std::array<int, 4>>> lights;  // [LIGHT] key = A, R, G, B
};

std::string WriteWorSettings(const WorSettings& settings);

// --- Player action tables ---

constexpr const char* kPlayerActionListPath = "\\settings\\npcres\\player_ani.txt";

// Tab-separated rows.
std::string WriteTabText(const std::vector<std::vector<std::string>>& rows);
// A header row, then one row per pair of table files (columns 3 and 5).
std::string WritePlayerActionList(const std::vector<std::array<std::string, 2>>& tables);
