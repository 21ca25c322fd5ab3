// JPEG encoder for fixtures and sample pictures (libjpeg-turbo).
#pragma once

#include <cstdint>
#include <vector>

enum class JpegColour {
    Rgb,   // 3 bytes a pixel, red first
    Grey,  // 1 byte a pixel
    Cmyk,  // 4 bytes a pixel (stored as CMYK, for pictures a reader refuses)
};

struct JpegOptions {
    int quality = 90;  // 1..100
    bool progressive = false;
    JpegColour colour = JpegColour::Rgb;
};

// Pixels rows top to bottom, tightly packed. Throws std::invalid_argument
// for a bad size or pixel count, std::runtime_error when libjpeg fails.
std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& pixels, int width, int height,
                                const JpegOptions& options = {});
