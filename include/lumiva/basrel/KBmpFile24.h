// 24-bit BMP files from 32-bit pixels (the screenshot writer).
#pragma once

#include <cstdint>
#include <vector>

#include "BasrelApi.h"

class BASREL_API KBmpFile24 {
public:
    // Writes width x height pixels, each 32-bit 0xAARRGGBB (alpha dropped),
    // rows top to bottom pitch bytes apart, as an uncompressed bottom-up
    // 24-bit BMP to name under the data root. False, with one log line, for
    // a bad argument, an unwritable name or a failed write.
    static bool SaveBuffer32(const char* name, const void* pixels, int pitch, int width, int height);

    // The file SaveBuffer32 writes: a 14-byte file header (type "BM", file
    // size, offset 54), a 40-byte info header (24 bits, no compression,
    // 2880 pixels per metre both ways), then the rows last first, 3 bytes a
    // pixel (blue, green, red), each row padded to a multiple of 4 bytes.
    // Empty for a null pointer, a side of 0 or less, a pitch shorter than a
    // row, or a file of 4 GiB or more.
    static std::vector<uint8_t> Encode(const void* pixels, int pitch, int width, int height);
};
