// Writers of the three sprite kinds (layouts in basrel/SprFile.h).
//
// The frame table's offsets count from the first byte after the table, the
// frames follow it back to back in table order, and each length covers the
// frame's 8-byte head and its data. Bad input (more than 256 colours, a
// frame of zero size, pixel counts that do not match, more than 4 tiles,
// an SDS2 frame width that is not a multiple of 4) throws
// std::invalid_argument.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SprSpriteInfo {
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t centerX = 0;
    uint16_t centerY = 0;
    uint16_t word16 = 1;
    uint16_t word18 = 1;
};

// One frame as 0xAARRGGBB pixels, rows top to bottom.
struct SprPixels {
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t offsetX = 0;
    uint16_t offsetY = 0;
    std::vector<uint32_t> argb;
};

// A frame whose data is given as stored (run-length or DDS + DXT5 bytes).
struct SprRawFrame {
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t offsetX = 0;
    uint16_t offsetY = 0;
    std::vector<uint8_t> data;
};

struct SprRleOptions {
    // Let runs continue past a row end into the next row (never past two).
    bool runsCrossRows = false;
    // Store every table length negated.
    bool negativeLengths = false;
};

// Distinct RGB colours (0x00RRGGBB) of the pixels with alpha above 0, in
// order of first use.
std::vector<uint32_t> BuildSprPalette(const std::vector<SprPixels>& frames);

// Run-length data of one frame over a palette: pixels of equal alpha make a
// run of 1..255; alpha 0 runs carry no indices.
std::vector<uint8_t> EncodeSprRuns(const SprPixels& frame, const std::vector<uint32_t>& palette, bool runsCrossRows);

// "SPR\0": palette built from the frames' colours, run-length frames.
std::vector<uint8_t> WriteSpr(const SprSpriteInfo& info, const std::vector<SprPixels>& frames,
                              const SprRleOptions& options = {});
// "SDS2": each frame a 128-byte DDS header and its DXT5 blocks.
std::vector<uint8_t> WriteSds2(const SprSpriteInfo& info, const std::vector<SprPixels>& frames);
// Either unpacked kind from frames given as stored, and a palette of RGB
// colours (SPR only).
std::vector<uint8_t> WriteUnpackedSprite(uint32_t kind, const SprSpriteInfo& info, const std::vector<uint32_t>& palette,
                                         const std::vector<SprRawFrame>& frames, bool negativeLengths = false);
// The 128-byte DDS header of a DXT5 surface of width x height, one level.
std::vector<uint8_t> MakeDxt5DdsHeader(uint32_t width, uint32_t height);

// "SDS\0": packed frame records whose tiles point at embedded image files,
// stored after the records in frame and tile order.
struct SdsTile {
    std::vector<uint8_t> image;
    uint16_t textureWidth = 0;
    uint16_t textureHeight = 0;
    uint16_t x = 0;
    uint16_t y = 0;
    uint16_t width = 0;
    uint16_t height = 0;
};
struct SdsFrame {
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t offsetX = 0;
    uint16_t offsetY = 0;
    std::vector<SdsTile> tiles;
};
std::vector<uint8_t> WriteSds0(const SprSpriteInfo& info, const std::vector<SdsFrame>& frames);
