#include "gdi/GlyphBitmap.h"

#include <cstring>

namespace lumiva::gdi {
namespace {

int GrayLevels(UINT layout) {
    switch (layout) {
        case GGO_GRAY2_BITMAP: return 4;
        case GGO_GRAY4_BITMAP: return 16;
        default: return 64;
    }
}

BYTE CoverageAt(const CoverageView& view, const BYTE* row, UINT x) {
    if (view.mono) return (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    return row[x];
}

void PackMonoRow(const CoverageView& view, const BYTE* row, BYTE* out) {
    for (UINT x = 0; x < view.width; ++x)
        if (CoverageAt(view, row, x) >= 128) out[x >> 3] |= BYTE(0x80 >> (x & 7));
}

void PackGrayRow(const CoverageView& view, const BYTE* row, int levels, BYTE* out) {
    for (UINT x = 0; x < view.width; ++x) out[x] = BYTE((CoverageAt(view, row, x) * levels + 127) / 255);
}

}  // namespace

bool IsBitmapLayout(UINT layout) {
    return layout == GGO_BITMAP || layout == GGO_GRAY2_BITMAP || layout == GGO_GRAY4_BITMAP ||
           layout == GGO_GRAY8_BITMAP;
}

DWORD GlyphRowBytes(UINT layout, UINT width) {
    if (layout == GGO_BITMAP) return ((width + 31) / 32) * 4;
    return (width + 3) & ~3u;
}

DWORD GlyphBitmapSize(UINT layout, UINT width, UINT rows) { return GlyphRowBytes(layout, width) * rows; }

void PackGlyphBitmap(const CoverageView& view, UINT layout, BYTE* out) {
    const DWORD rowBytes = GlyphRowBytes(layout, view.width);
    std::memset(out, 0, size_t(rowBytes) * view.rows);
    for (UINT y = 0; y < view.rows; ++y) {
        const BYTE* row = view.top + long(y) * view.pitch;
        BYTE* target = out + size_t(y) * rowBytes;
        if (layout == GGO_BITMAP)
            PackMonoRow(view, row, target);
        else
            PackGrayRow(view, row, GrayLevels(layout), target);
    }
}

}  // namespace lumiva::gdi
