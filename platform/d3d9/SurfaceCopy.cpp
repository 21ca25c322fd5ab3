#include "d3d9/SurfaceCopy.h"

#include <algorithm>
#include <cstring>

namespace lumiva::d3d9 {

void CopyRect(const PixelBuffer& from, const RECT& source, PixelBuffer& into, POINT to) {
    const bool blocks = IsBlockFormat(from.format);
    const UINT unit = blocks ? 4 : 1;
    const UINT firstRow = static_cast<UINT>(source.top) / unit;
    const UINT rows = (static_cast<UINT>(source.bottom - source.top) + unit - 1) / unit;
    const UINT columns = (static_cast<UINT>(source.right - source.left) + unit - 1) / unit;
    const FormatInfo* info = FindFormat(from.format);
    const size_t rowBytes = static_cast<size_t>(columns) * (blocks ? info->bytesPerBlock : info->bytesPerPixel);
    for (UINT row = 0; row < rows; ++row) {
        const BYTE* src = from.At(static_cast<UINT>(source.left), (firstRow + row) * unit);
        BYTE* dst = into.At(static_cast<UINT>(to.x), static_cast<UINT>(to.y) + row * unit);
        std::memcpy(dst, src, rowBytes);
    }
}

void StretchCopy(const PixelBuffer& from, const RECT& source, PixelBuffer& into, const RECT& destination) {
    const LONG dw = destination.right - destination.left;
    const LONG dh = destination.bottom - destination.top;
    const LONG sw = source.right - source.left;
    const LONG sh = source.bottom - source.top;
    const bool sameSize = sw == dw && sh == dh;
    for (LONG y = 0; y < dh; ++y) {
        const LONG sy = source.top + (sameSize ? y : static_cast<LONG>((2 * y + 1) * static_cast<int64_t>(sh) / (2 * dh)));
        for (LONG x = 0; x < dw; ++x) {
            const LONG sx =
                source.left + (sameSize ? x : static_cast<LONG>((2 * x + 1) * static_cast<int64_t>(sw) / (2 * dw)));
            into.WriteColor(static_cast<UINT>(destination.left + x), static_cast<UINT>(destination.top + y),
                            from.ReadColor(static_cast<UINT>(sx), static_cast<UINT>(sy)));
        }
    }
}

void FillColor(PixelBuffer& into, const RECT& area, D3DCOLOR color) {
    const FormatInfo* info = FindFormat(into.format);
    if (!info || info->kind != FormatKind::Color || area.right <= area.left) return;
    BYTE encoded[4] = {};
    EncodePixel(into.format, color, encoded);
    const UINT bpp = info->bytesPerPixel;
    if (bpp == 4) {
        DWORD value;
        std::memcpy(&value, encoded, 4);
        for (LONG y = area.top; y < area.bottom; ++y) {
            DWORD* row = reinterpret_cast<DWORD*>(into.At(static_cast<UINT>(area.left), static_cast<UINT>(y)));
            std::fill(row, row + (area.right - area.left), value);
        }
        return;
    }
    for (LONG y = area.top; y < area.bottom; ++y) {
        BYTE* p = into.At(static_cast<UINT>(area.left), static_cast<UINT>(y));
        for (LONG x = area.left; x < area.right; ++x, p += bpp) std::memcpy(p, encoded, bpp);
    }
}

namespace {

// Every pixel of the area set to one 16- or 32-bit value.
void FillRows(PixelBuffer& into, const RECT& area, uint32_t value, size_t size) {
    const size_t count = size_t(area.right - area.left);
    for (LONG y = area.top; y < area.bottom; ++y) {
        BYTE* row = into.At(static_cast<UINT>(area.left), static_cast<UINT>(y));
        if (size == 4) {
            for (size_t x = 0; x < count; ++x) std::memcpy(row + 4 * x, &value, 4);
        } else {
            const uint16_t half = uint16_t(value);
            for (size_t x = 0; x < count; ++x) std::memcpy(row + 2 * x, &half, 2);
        }
    }
}

// Every pixel of the area keeps its `kept` bits and takes `written`'s
// others: a depth clear that leaves the stencil as it was.
template <class Pixel>
void MaskRows(PixelBuffer& into, const RECT& area, Pixel kept, Pixel written) {
    const size_t count = size_t(area.right - area.left);
    for (LONG y = area.top; y < area.bottom; ++y) {
        BYTE* row = into.At(static_cast<UINT>(area.left), static_cast<UINT>(y));
        for (size_t x = 0; x < count; ++x) {
            Pixel value;
            std::memcpy(&value, row + sizeof(Pixel) * x, sizeof(Pixel));
            value = Pixel((value & kept) | written);
            std::memcpy(row + sizeof(Pixel) * x, &value, sizeof(Pixel));
        }
    }
}

}  // namespace

void FillDepthStencil(PixelBuffer& into, const RECT& area, bool depth, float z, bool stencil, DWORD stencilValue) {
    const FormatInfo* info = FindFormat(into.format);
    if (!info || info->kind != FormatKind::Depth || info->bytesPerPixel > 4) return;
    // Encode once into all-zero and all-one pixels: the bits the clear writes
    // come out the same in both, the bits it keeps come out as they were.
    BYTE zeros[4] = {}, ones[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    for (BYTE* pixel : {zeros, ones}) {
        if (depth) EncodeDepth(into.format, z, pixel);
        if (stencil) EncodeStencil(into.format, stencilValue, pixel);
    }
    uint32_t written = 0, kept = 0;
    std::memcpy(&written, zeros, 4);
    std::memcpy(&kept, ones, 4);
    kept &= ~written;
    const size_t size = size_t(info->bytesPerPixel);
    if (kept == 0 && (size == 4 || size == 2)) {
        FillRows(into, area, written, size);
        return;
    }
    if (size == 4) return MaskRows<uint32_t>(into, area, kept, written);
    if (size == 2) return MaskRows<uint16_t>(into, area, uint16_t(kept), uint16_t(written));
    for (LONG y = area.top; y < area.bottom; ++y) {
        BYTE* p = into.At(static_cast<UINT>(area.left), static_cast<UINT>(y));
        for (LONG x = area.left; x < area.right; ++x, p += size) {
            uint32_t value = 0;
            std::memcpy(&value, p, size);
            value = (value & kept) | written;
            std::memcpy(p, &value, size);
        }
    }
}

bool IntersectRects(const RECT& a, const RECT& b, RECT* out) {
    out->left = std::max(a.left, b.left);
    out->top = std::max(a.top, b.top);
    out->right = std::min(a.right, b.right);
    out->bottom = std::min(a.bottom, b.bottom);
    return out->left < out->right && out->top < out->bottom;
}

}  // namespace lumiva::d3d9
