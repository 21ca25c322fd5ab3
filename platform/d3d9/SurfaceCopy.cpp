#include "d3d9/SurfaceCopy.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "d3d9/raster/RowKernels.h"

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

namespace {

// Source positions of destination pixels first..first+count-1 along one
// axis: the nearest texel of each pixel centre, (2i + 1) * s / (2d), stepped
// exactly with a remainder instead of a division a pixel.
std::vector<UINT> NearestPositions(int64_t sourceStart, int64_t s, int64_t d, int64_t first, int64_t count) {
    std::vector<UINT> out(size_t(std::max<int64_t>(count, 0)));
    if (out.empty()) return out;
    const int64_t denominator = 2 * d, step = 2 * s;
    const int64_t numerator = (2 * first + 1) * s;
    int64_t quotient = numerator / denominator, remainder = numerator % denominator;
    const int64_t stepQuotient = step / denominator, stepRemainder = step % denominator;
    for (UINT& position : out) {
        position = static_cast<UINT>(sourceStart + quotient);
        quotient += stepQuotient;
        remainder += stepRemainder;
        if (remainder >= denominator) {
            remainder -= denominator;
            ++quotient;
        }
    }
    return out;
}

bool Is32BitRgb(D3DFORMAT format) { return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8; }

// One destination row from one source row through the column table.
void StretchRow(const PixelBuffer& from, UINT sy, PixelBuffer& into, UINT left, UINT y,
                const std::vector<UINT>& columns, bool opaque) {
    if (Is32BitRgb(from.format) && Is32BitRgb(into.format)) {
        const bool setAlpha = opaque || from.format == D3DFMT_X8R8G8B8 || into.format == D3DFMT_X8R8G8B8;
        const uint32_t alpha = setAlpha ? 0xFF000000u : 0;
        const BYTE* source = from.Row(sy);
        BYTE* out = into.At(left, y);
#if defined(__x86_64__)
        const bool aligned = reinterpret_cast<uintptr_t>(source) % 4 == 0 && reinterpret_cast<uintptr_t>(out) % 4 == 0;
        if (aligned && raster::ActiveSimdLevel() == raster::SimdLevel::kAvx2) {
            raster::StretchRowAvx2(reinterpret_cast<const uint32_t*>(source), from.width, columns.data(), columns.size(),
                                   alpha, reinterpret_cast<uint32_t*>(out));
            return;
        }
#endif
        for (size_t i = 0; i < columns.size(); ++i) {
            uint32_t pixel;
            std::memcpy(&pixel, source + size_t(columns[i]) * 4, 4);
            pixel |= alpha;
            std::memcpy(out + i * 4, &pixel, 4);
        }
        return;
    }
    const D3DCOLOR alpha = opaque ? 0xFF000000u : 0;
    for (size_t i = 0; i < columns.size(); ++i)
        into.WriteColor(left + UINT(i), y, from.ReadColor(columns[i], sy) | alpha);
}

}  // namespace

void StretchNearest(const PixelBuffer& from, const RECT& source, PixelBuffer& into, const RECT& destination,
                    const RECT& visible, bool opaque) {
    if (visible.right <= visible.left || visible.bottom <= visible.top) return;
    const int64_t sw = source.right - source.left, sh = source.bottom - source.top;
    const int64_t dw = destination.right - destination.left, dh = destination.bottom - destination.top;
    const std::vector<UINT> columns =
        NearestPositions(source.left, sw, dw, visible.left - destination.left, visible.right - visible.left);
    const std::vector<UINT> rows =
        NearestPositions(source.top, sh, dh, visible.top - destination.top, visible.bottom - visible.top);
    const UINT left = static_cast<UINT>(visible.left);
    const FormatInfo* info = FindFormat(into.format);
    const size_t rowBytes = size_t(visible.right - visible.left) * (info ? info->bytesPerPixel : 0);
    for (size_t i = 0; i < rows.size(); ++i) {
        const UINT y = static_cast<UINT>(visible.top) + UINT(i);
        // An enlarged source row covers several destination rows: copy the one above.
        if (i > 0 && rows[i] == rows[i - 1] && rowBytes > 0)
            std::memcpy(into.At(left, y), into.At(left, y - 1), rowBytes);
        else
            StretchRow(from, rows[i], into, left, y, columns, opaque);
    }
}

void StretchCopy(const PixelBuffer& from, const RECT& source, PixelBuffer& into, const RECT& destination) {
    StretchNearest(from, source, into, destination, destination, false);
}

namespace {

// `bytes` (a whole number of pixels) of one repeated pixel value. A pattern
// of one byte value is a memset; a 16- or 32-bit one, past a few cache
// lines, a string store of 32-bit words, which writes whole lines as memset
// does. Others are written out once over a stretch that stays in the
// first-level cache, which memcpy then repeats.
void RepeatPixel(BYTE* out, size_t bytes, const BYTE* pixel, size_t size) {
    if (std::all_of(pixel + 1, pixel + size, [&](BYTE b) { return b == pixel[0]; })) {
        std::memset(out, pixel[0], bytes);
        return;
    }
#if defined(__x86_64__)
    constexpr size_t kStringStoreBytes = 256;
    if ((size == 4 || size == 2) && bytes >= kStringStoreBytes) {
        BYTE word[4];
        std::memcpy(word, pixel, size);
        std::memcpy(word + 4 - size, pixel, size);  // two 16-bit pixels, or the one 32-bit pixel again
        uint32_t value;
        std::memcpy(&value, word, 4);
        size_t count = bytes / 4;
        BYTE* tail = out + count * 4;
        __asm__ volatile("rep stosl" : "+D"(out), "+c"(count) : "a"(value) : "memory");
        std::memcpy(tail, pixel, bytes % 4);  // an odd 16-bit pixel
        return;
    }
#endif
    constexpr size_t kBlock = 48;           // whole pixels of 2, 3 and 4 bytes
    constexpr size_t kStretch = 256 * kBlock;  // 12 KB
    BYTE block[kBlock];
    for (size_t i = 0; i < kBlock; i += size) std::memcpy(block + i, pixel, size);
    const size_t first = std::min(bytes, kStretch);
    size_t done = 0;
    for (; done + kBlock <= first; done += kBlock) std::memcpy(out + done, block, kBlock);
    if (done < kStretch) {
        std::memcpy(out + done, block, bytes - done);
        return;
    }
    for (; done + kStretch <= bytes; done += kStretch) std::memcpy(out + done, out, kStretch);
    std::memcpy(out + done, out, bytes - done);
}

// Every pixel of `area` set to one encoded value; an area that spans whole
// rows of a buffer without padding is one run.
void FillArea(PixelBuffer& into, const RECT& area, const BYTE* pixel, size_t size) {
    const size_t rowBytes = size_t(area.right - area.left) * size;
    const size_t rows = size_t(area.bottom - area.top);
    BYTE* first = into.At(static_cast<UINT>(area.left), static_cast<UINT>(area.top));
    if (rowBytes == into.pitch) return RepeatPixel(first, rowBytes * rows, pixel, size);
    for (size_t y = 0; y < rows; ++y) RepeatPixel(first + y * into.pitch, rowBytes, pixel, size);
}

}  // namespace

void FillColor(PixelBuffer& into, const RECT& area, D3DCOLOR color) {
    const FormatInfo* info = FindFormat(into.format);
    if (!info || info->kind != FormatKind::Color || area.right <= area.left || area.bottom <= area.top) return;
    BYTE encoded[4] = {};
    EncodePixel(into.format, color, encoded);
    FillArea(into, area, encoded, info->bytesPerPixel);
}

namespace {

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
    if (area.right <= area.left || area.bottom <= area.top) return;
    if (kept == 0) {
        BYTE pixel[4];
        std::memcpy(pixel, &written, 4);
        return FillArea(into, area, pixel, size);
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
