// The platform's glyph bitmap layouts: GGO_BITMAP rows of 1-bit pixels,
// most significant bit first; GGO_GRAYn_BITMAP one byte a pixel holding a
// level 0..4, 0..16 or 0..64. Every row is padded to 4 bytes.
#pragma once

#include <wingdi.h>

namespace lumiva::gdi {

// A top-down view of a rendered coverage bitmap.
struct CoverageView {
    const BYTE* top;  // first byte of the top row
    long pitch;       // bytes from one row to the next, downwards
    UINT width;
    UINT rows;
    bool mono;        // 1 bit a pixel, MSB first; else 0..255 a byte
};

bool IsBitmapLayout(UINT layout);
DWORD GlyphRowBytes(UINT layout, UINT width);
DWORD GlyphBitmapSize(UINT layout, UINT width, UINT rows);

// Writes `view` in `layout` to `out`, which holds GlyphBitmapSize bytes;
// padding is zero.
void PackGlyphBitmap(const CoverageView& view, UINT layout, BYTE* out);

}  // namespace lumiva::gdi
