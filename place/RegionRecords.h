// Plain-data records of a region file's ground and object sections, in
// their file layout. The reader fills them field by field; the object tree,
// painting and the flat-object list read them in place.
#pragma once

#include <cstddef>
#include <cstdint>

// Flag bits of an object record's first word.
constexpr uint32_t kObjectSortBits = 0x300;     // any set: drawn as a four-corner picture
constexpr uint32_t kObjectCoveringWall = 0x100;  // sort kind 1: hides what stands behind it
constexpr uint32_t kObjectSelected = 0x400;

// One scene object of a region (228 bytes). The last H10 records of a
// region are flat objects, whose words at 208 and 212 hold the cached
// picture id and index instead of an end point.
struct KRegionObjectRecord {
    uint32_t flags;
    int32_t topLeft[3];      // point A (x, y, z)
    int32_t topRight[3];     // second point, four-corner pictures only
    int32_t bottomRight[3];  // point B
    int32_t bottomLeft[3];   // fourth point, four-corner pictures only
    int16_t width;           // picture pixels
    int16_t height;
    char name[128];
    uint32_t animationStart;  // place clock
    uint16_t frame;
    uint16_t frameCount;
    uint16_t frameInterval;  // 0 still, 1 taken from the picture
    uint16_t fade;           // low byte current alpha, high byte target
    int32_t x;               // anchor, start of the base line
    int32_t y;
    int32_t depth;
    int32_t endX;  // flat: cached picture id
    int32_t endY;  // flat: cached picture index
    // Bytes 216-219 of the file are not read; the first holds the place's
    // own mark of a record whose fade ended at alpha 0.
    uint8_t fadedOut;
    uint8_t unread217[3];
    float keyA;  // line key: fragments of one source line share it
    float keyB;

    uint32_t SortKind() const { return (flags & kObjectSortBits) >> 8; }
};

static_assert(sizeof(KRegionObjectRecord) == 228);
static_assert(offsetof(KRegionObjectRecord, flags) == 0);
static_assert(offsetof(KRegionObjectRecord, topLeft) == 4);
static_assert(offsetof(KRegionObjectRecord, topRight) == 16);
static_assert(offsetof(KRegionObjectRecord, bottomRight) == 28);
static_assert(offsetof(KRegionObjectRecord, bottomLeft) == 40);
static_assert(offsetof(KRegionObjectRecord, width) == 52);
static_assert(offsetof(KRegionObjectRecord, height) == 54);
static_assert(offsetof(KRegionObjectRecord, name) == 56);
static_assert(offsetof(KRegionObjectRecord, animationStart) == 184);
static_assert(offsetof(KRegionObjectRecord, frame) == 188);
static_assert(offsetof(KRegionObjectRecord, frameCount) == 190);
static_assert(offsetof(KRegionObjectRecord, frameInterval) == 192);
static_assert(offsetof(KRegionObjectRecord, fade) == 194);
static_assert(offsetof(KRegionObjectRecord, x) == 196);
static_assert(offsetof(KRegionObjectRecord, y) == 200);
static_assert(offsetof(KRegionObjectRecord, depth) == 204);
static_assert(offsetof(KRegionObjectRecord, endX) == 208);
static_assert(offsetof(KRegionObjectRecord, endY) == 212);
static_assert(offsetof(KRegionObjectRecord, keyA) == 220);
static_assert(offsetof(KRegionObjectRecord, keyB) == 224);

// One ground picture of a region (146 bytes, packed as in the file). The
// region's own records have kind 4; a copy taken from a neighbour holds that
// neighbour's direction code (dx * 3 + dy + 4).
#pragma pack(push, 1)
struct KRegionGroundRecord {
    int32_t x;  // world units
    int32_t y;
    char name[128];
    uint16_t width;   // world units
    uint16_t height;  // covers 2 x height units in y
    uint16_t frame;
    uint8_t kind;
    uint8_t layer;
    int16_t order;  // within the layer
};
#pragma pack(pop)

constexpr uint8_t kOwnGroundRecord = 4;

static_assert(sizeof(KRegionGroundRecord) == 146);
static_assert(offsetof(KRegionGroundRecord, x) == 0);
static_assert(offsetof(KRegionGroundRecord, y) == 4);
static_assert(offsetof(KRegionGroundRecord, name) == 8);
static_assert(offsetof(KRegionGroundRecord, width) == 136);
static_assert(offsetof(KRegionGroundRecord, height) == 138);
static_assert(offsetof(KRegionGroundRecord, frame) == 140);
static_assert(offsetof(KRegionGroundRecord, kind) == 142);
static_assert(offsetof(KRegionGroundRecord, layer) == 143);
static_assert(offsetof(KRegionGroundRecord, order) == 144);

// A light standing on the map (28 bytes). The radii come in either order;
// the larger is the upper one.
struct KRegionLightRecord {
    int32_t x;
    int32_t y;
    int32_t z;
    uint32_t colour;  // ARGB
    int32_t radius1;
    int32_t radius2;
    int32_t reserved;
};

static_assert(sizeof(KRegionLightRecord) == 28);
static_assert(offsetof(KRegionLightRecord, colour) == 12);
static_assert(offsetof(KRegionLightRecord, radius1) == 16);
static_assert(offsetof(KRegionLightRecord, radius2) == 20);
static_assert(offsetof(KRegionLightRecord, reserved) == 24);

// Head of a region file's object section (16 bytes). The first
// count - flats records become tree points: points, then segments, then
// lines; the last `flats` records are flat objects.
struct KRegionObjectHeader {
    uint32_t count;
    uint16_t lines;
    uint16_t segments;
    uint16_t points;
    uint16_t flats;
    uint16_t unused;
    uint16_t lightCount;
};

static_assert(sizeof(KRegionObjectHeader) == 16);
static_assert(offsetof(KRegionObjectHeader, lines) == 4);
static_assert(offsetof(KRegionObjectHeader, segments) == 6);
static_assert(offsetof(KRegionObjectHeader, points) == 8);
static_assert(offsetof(KRegionObjectHeader, flats) == 10);
static_assert(offsetof(KRegionObjectHeader, unused) == 12);
static_assert(offsetof(KRegionObjectHeader, lightCount) == 14);
