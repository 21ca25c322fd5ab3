// In-memory images shared by the D3DX codecs, converters and resampler.
#pragma once

#include <cstdint>
#include <vector>

#include "d3dx9tex.h"

namespace d3dx {

// Larger images are refused as malformed: no texture the module makes comes
// near these, and they bound what a small hostile file can make us allocate.
inline constexpr uint64_t kMaxImageSide = 16384;
inline constexpr uint64_t kMaxImagePixels = uint64_t(1) << 24;

inline bool IsAcceptableSize(uint64_t width, uint64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

// Pixels as 32-bit A8R8G8B8 values, rows top to bottom, no padding.
struct ArgbImage {
    UINT width = 0;
    UINT height = 0;
    std::vector<uint32_t> pixels;

    ArgbImage() = default;
    ArgbImage(UINT w, UINT h, uint32_t fill = 0) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    uint32_t& At(UINT x, UINT y) { return pixels[size_t(y) * width + x]; }
    uint32_t At(UINT x, UINT y) const { return pixels[size_t(y) * width + x]; }
};

// A decoded file: what D3DX reports about it, and its mip levels as A8R8G8B8.
// A DDS file also keeps each level's bytes in its stored format, so a copy
// into a texture of that same format loses nothing.
struct DecodedImage {
    D3DXIMAGE_INFO info{};
    std::vector<ArgbImage> levels;
    std::vector<std::vector<uint8_t>> storedLevels;
};

}  // namespace d3dx
