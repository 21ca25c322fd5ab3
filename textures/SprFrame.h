// Frame records of a picture: the unpacked form built in memory and the
// packed form read from "SDS\0" files.
#pragma once

#include <d3d9.h>

#include <cstdint>

#include "SprFile.h"

constexpr int kMaxFrameTiles = 4;

// One power-of-two texture and the part of the frame it shows.
struct KSprTile {
    int32_t textureWidth = 0;
    int32_t textureHeight = 0;
    IDirect3DTexture9* texture = nullptr;
    int32_t x = 0;  // top-left inside the frame
    int32_t y = 0;
    int32_t width = 0;  // part shown; the texture may be larger
    int32_t height = 0;
};

struct KSprFrame {
    int32_t tileCount = 0;  // 0 until planned, then 1, 2 or 4
    int32_t width = 0;
    int32_t height = 0;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    KSprTile tiles[kMaxFrameTiles];
    uint32_t dataLength = 0;
    uint8_t* data = nullptr;        // owned in stream mode
    SPRFRAME* hostFrame = nullptr;  // memory mode: owns data until the tiles exist
};

// A DXT5 frame's data holds its 128-byte DDS header and every block row
// (ceil(width / 4) blocks of 16 bytes) its height needs.
uint32_t Dxt5BlockRowBytes(uint32_t width);
bool Dxt5FrameFits(const KSprFrame& frame);

struct KSprPackedTile {
    uint32_t fileOffset = 0;  // of the tile's embedded image file
    uint32_t fileLength = 0;
    uint16_t textureWidth = 0;
    uint16_t textureHeight = 0;
    uint16_t x = 0;
    uint16_t y = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    IDirect3DTexture9* texture = nullptr;  // run time only; 0 in the file
};

struct KSprPackedFrame {
    uint8_t tileCount = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t offsetX = 0;
    uint16_t offsetY = 0;
    KSprPackedTile tiles[kMaxFrameTiles];
};

// Reads one 153-byte packed record field by field. The texture slots come
// out null whatever the file holds. Returns null when the record is sound
// within a file of fileSize bytes, else a short reason: more than four
// tiles, an empty or out-of-file image, a texture side outside 1..1024, or a
// tile rectangle outside the frame.
const char* ReadPackedSprFrame(const uint8_t* record, uint64_t fileSize, KSprPackedFrame* frame);
