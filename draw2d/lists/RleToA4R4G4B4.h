// Run-length sprite frames decoded straight into a locked A4R4G4B4 area, for
// composing a group of small pictures into one texture.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Sprite alpha to the top four bits of an A4R4G4B4 texel: a >> 4 << 12, so
// alpha 0..15 is transparent.
extern const std::array<uint16_t, 256> kRleAlphaToA4;

struct KLockedA4R4G4B4 {
    uint8_t* bits = nullptr;
    int pitch = 0;   // bytes per row
    int width = 0;   // texels the lock covers
    int height = 0;
};

// Decodes a width x height frame with its top-left at (left, top) of the
// locked area. Texels under transparent runs are left as they are; pixels
// falling outside the locked area and indices at or past colorCount are not
// written. Runs carry over row ends as the sprite decoder reads them and stop
// at the end of the frame or of the data. False when the data was malformed.
bool DecodeRleFrameToA4R4G4B4(const KLockedA4R4G4B4& area, const uint8_t* runData, size_t runSize, int left, int top,
                              int width, int height, const uint16_t* palette, uint32_t colorCount);
