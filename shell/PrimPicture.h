// The host's picture record, byte for byte as it crosses the module
// boundary. Only the fields the shell reads by name are spelled out; the
// primitive drawers own the rest of the record's meaning.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct KPrimPicture {
    int32_t pointA[3];
    float pointAf[3];
    int32_t pointB[3];
    float pointBf[3];
    uint8_t colour[4];  // B, G, R, A
    uint8_t blendMode;
    uint8_t flags;
    int16_t imageType;  // 0 JPEG, 1 sprite, 2 made by CreateImage
    char fileName[128];
    uint32_t fileId;    // 0 until the image cache computes it
    int16_t indexHint;  // written back by the image cache
    int16_t frame;
    float angle;
    int32_t pivot[2];
    uint32_t loadArgument;
};
#pragma pack(pop)

static_assert(sizeof(KPrimPicture) == 208);
static_assert(offsetof(KPrimPicture, colour) == 48);
static_assert(offsetof(KPrimPicture, imageType) == 54);
static_assert(offsetof(KPrimPicture, fileName) == 56);
static_assert(offsetof(KPrimPicture, fileId) == 184);
static_assert(offsetof(KPrimPicture, indexHint) == 188);
static_assert(offsetof(KPrimPicture, angle) == 192);
static_assert(offsetof(KPrimPicture, loadArgument) == 204);
