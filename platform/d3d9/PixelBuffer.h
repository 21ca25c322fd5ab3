// Pixel memory of one surface: what locks hand out, what clears, copies and
// presents work on, and what the rasterizer reads and writes directly.
#pragma once

#include <vector>

#include "d3d9/PixelFormats.h"

namespace lumiva::d3d9 {

struct PixelBuffer {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    UINT width = 0;
    UINT height = 0;
    UINT pitch = 0;     // bytes from one storage row to the next
    UINT rowCount = 0;  // storage rows: the height, or block rows for DXT
    std::vector<BYTE> bytes;

    // Zero-filled storage for the format and size.
    void Allocate(D3DFORMAT newFormat, UINT newWidth, UINT newHeight);
    void Free();
    bool Empty() const { return bytes.empty(); }

    BYTE* Row(UINT row) { return bytes.data() + static_cast<size_t>(row) * pitch; }
    const BYTE* Row(UINT row) const { return bytes.data() + static_cast<size_t>(row) * pitch; }
    // Address of pixel (x, y); for DXT the block holding it.
    BYTE* At(UINT x, UINT y);
    const BYTE* At(UINT x, UINT y) const;

    // Any colour format, DXT included, as A8R8G8B8. Out of range reads 0.
    D3DCOLOR ReadColor(UINT x, UINT y) const;
    // Plain colour formats; out of range or DXT writes nothing.
    void WriteColor(UINT x, UINT y, D3DCOLOR color);
};

}  // namespace lumiva::d3d9
