// JPEG pictures decoded to 16-bit pixels for the module's picture textures.
#pragma once

#include <cstddef>
#include <cstdint>

#include "BasrelApi.h"

// 32-bit width, 32-bit height, then width x height 16-bit pixels, rows top
// to bottom, from byte 8.
struct QivImageContent {
    int32_t nWidth;
    int32_t nHeight;

    uint16_t* Pixels() { return reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(this) + 8); }
    const uint16_t* Pixels() const {
        return reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(this) + 8);
    }
};
static_assert(sizeof(QivImageContent) == 8);

// Pixel masks: 65535 asks for R5G6B5, 32767 for X1R5G5B5. Any other mask
// (callers pass -1 when they cannot tell) gives R5G6B5.
constexpr int JPEG_MASK_565 = 65535;
constexpr int JPEG_MASK_555 = 32767;

// Largest picture decoded: a side of at most 16384 pixels and at most
// 16 Mi pixels (32 MiB of 16-bit pixels); a bigger one is refused before
// any pixel buffer is made.
constexpr int32_t JPEG_MAX_SIDE = 16384;
constexpr uint64_t JPEG_MAX_PIXELS = uint64_t(16) << 20;

// Reads the named file through the pak layer and decodes it: baseline or
// progressive, grey or colour. Null, with one log line, for a missing,
// truncated or malformed file, CMYK or YCCK, or a picture over the cap.
BASREL_API QivImageContent* get_jpg_image(const char* name, int mask);
BASREL_API void release_image(QivImageContent* image);

// The decoder behind get_jpg_image, over bytes in memory. Null on failure,
// with the reason (libjpeg's own message where it has one) in error.
struct JpegDecodeError {
    char text[200] = {};
};
BASREL_API QivImageContent* DecodeJpegImage(const uint8_t* bytes, size_t size, int mask, JpegDecodeError* error);

// The colour rules the decoder applies to each RGB pixel.
inline uint16_t PackR5G6B5(uint8_t r, uint8_t g, uint8_t b) {
    return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
}
inline uint16_t PackX1R5G5B5(uint8_t r, uint8_t g, uint8_t b) {
    return uint16_t((r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
}
