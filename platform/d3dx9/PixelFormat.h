// Pixel formats D3DX converts between, and moving pixel rectangles of a
// surface in any of them to and from A8R8G8B8.
#pragma once

#include <cstdint>

#include "ImageTypes.h"

namespace d3dx {

bool IsBlockCompressed(D3DFORMAT format);
// Formats this library reads and writes pixel by pixel or block by block.
bool IsConvertibleFormat(D3DFORMAT format);
bool FormatHasAlpha(D3DFORMAT format);
// 0 for block-compressed and unsupported formats.
UINT BytesPerPixel(D3DFORMAT format);
// 8 for DXT1, 16 for DXT2..DXT5, 0 otherwise.
UINT BytesPerBlock(D3DFORMAT format);
// Bytes of one row of pixels, or of one row of 4 x 4 blocks.
uint64_t RowBytes(D3DFORMAT format, uint64_t width);
// Rows of pixels, or rows of blocks.
uint64_t RowCount(D3DFORMAT format, uint64_t height);
uint64_t SurfaceBytes(D3DFORMAT format, uint64_t width, uint64_t height);

uint32_t UnpackPixel(D3DFORMAT format, const uint8_t* p);
void PackPixel(D3DFORMAT format, uint8_t* p, uint32_t argb);

// A memory surface: bits at row pitch, width x height pixels.
struct SurfaceView {
    D3DFORMAT format;
    uint8_t* bits;
    uint64_t pitch;
    UINT width;
    UINT height;
};

// The rectangle must lie inside the surface (checked by the callers).
ArgbImage ReadRect(const SurfaceView& surface, const RECT& rect);
// Writes image (sized as rect) into the rectangle. Blocks only partly
// covered are decoded, patched and encoded again.
void WriteRect(const SurfaceView& surface, const RECT& rect, const ArgbImage& image);

}  // namespace d3dx
