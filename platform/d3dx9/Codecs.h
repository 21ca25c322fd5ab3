// Image file codecs. Decoders refuse anything truncated, oversized or
// inconsistent with D3DXERR_INVALIDDATA and never read outside the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ImageTypes.h"

namespace d3dx {

// Finds the format by its signature (TGA, which has none, last).
HRESULT DecodeImageFile(const void* data, size_t size, DecodedImage* out);

HRESULT DecodeDds(const uint8_t* data, size_t size, DecodedImage* out);
HRESULT DecodePng(const uint8_t* data, size_t size, DecodedImage* out);
HRESULT DecodeJpeg(const uint8_t* data, size_t size, DecodedImage* out);
HRESULT DecodeBmp(const uint8_t* data, size_t size, DecodedImage* out);
HRESULT DecodeTga(const uint8_t* data, size_t size, DecodedImage* out);

// One mip level in a stored format: rows of pixels or of 4 x 4 blocks.
struct StoredLevel {
    UINT width;
    UINT height;
    const uint8_t* bits;
    uint64_t pitch;
};

HRESULT EncodeDds(D3DFORMAT format, const std::vector<StoredLevel>& levels, std::vector<uint8_t>* out);
// alpha: keep the alpha channel; otherwise pixels are written opaque.
HRESULT EncodePng(const ArgbImage& image, bool alpha, std::vector<uint8_t>* out);
HRESULT EncodeBmp(const ArgbImage& image, bool alpha, std::vector<uint8_t>* out);
HRESULT EncodeTga(const ArgbImage& image, bool alpha, bool runLength, std::vector<uint8_t>* out);
// quality 1..100.
HRESULT EncodeJpeg(const ArgbImage& image, int quality, std::vector<uint8_t>* out);

// Fills the fields every single-level, two-dimensional file shares.
void SetSingleImageInfo(DecodedImage* out, D3DFORMAT format, D3DXIMAGE_FILEFORMAT fileFormat);

}  // namespace d3dx
