// Writer of the 228-byte scene object record of a region file's object
// section (little-endian, fields at their table offsets).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RegionObjectFields {
    uint32_t flags = 0;  // bits 8-9 sort kind, bit 10 selected
    // Picture corners (x, y, z): top-left, top-right, bottom-right, bottom-left.
    int32_t topLeft[3] = {};
    int32_t topRight[3] = {};
    int32_t bottomRight[3] = {};
    int32_t bottomLeft[3] = {};
    int16_t width = 0;
    int16_t height = 0;
    std::string name;  // up to 127 bytes
    uint32_t animationStart = 0;
    uint16_t frame = 0;
    uint16_t frameCount = 0;
    uint16_t frameInterval = 0;
    uint16_t fade = 0;
    int32_t x = 0;  // position, start of the base line
    int32_t y = 0;
    int32_t depth = 0;
    int32_t endX = 0;  // base line end; a flat record's cached id and index
    int32_t endY = 0;
    float keyA = 0;  // line key
    float keyB = 0;
};

constexpr size_t kRegionObjectRecordSize = 228;

std::vector<uint8_t> WriteRegionObject(const RegionObjectFields& fields);
