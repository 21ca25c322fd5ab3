// A generated map of W x H regions for tests, benchmarks and the demo.
// Every obstacle cell carries its region's indices (bits 8-31), so a query
// tells which region answered; each region has ground tiles, ground
// records (some reaching into the right and lower neighbours), objects in
// all four groups and lights, with picture names shared across regions and
// one name of the region's own. Object records carry picture corners over
// their base lines (points: over their foot), so the place can paint them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GeneratedMapFields {
    std::string folder = "\\Maps\\generated";  // module path, under "\Maps"
    int32_t left = 10;                          // region indices of the top-left region
    int32_t top = 10;
    int32_t width = 3;  // regions
    int32_t height = 3;
    int tiles = 100;
    int groundRecords = 30;
    int objects = 60;
    int lights = 10;
    bool looseFiles = true;
    bool pack = false;
    bool pictures = false;  // one-colour sprites for every picture name
    int mapId = 1;  // key in [List] of the map list
};

// bits 20-31 ry, bits 8-19 rx, bits 0-7 an obstacle type 0..4 by the cell.
uint32_t GeneratedCell(int32_t rx, int32_t ry, int column, int row);
std::vector<uint32_t> GeneratedGrid(int32_t rx, int32_t ry);
// The region's own picture, its ground tile 0: a sprite, as every ground
// tile is drawn.
std::string GeneratedRegionName(const GeneratedMapFields& map, int32_t rx, int32_t ry);
std::vector<uint8_t> GenerateRegionFile(const GeneratedMapFields& map, int32_t rx, int32_t ry);

// Writes under a host root: the map list, "<folder>.wor" with the rect, the
// loose region files and/or the pack. False when a file cannot be written.
bool WriteGeneratedMap(const std::string& root, const GeneratedMapFields& map);
