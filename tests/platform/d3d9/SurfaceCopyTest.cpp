// Fills and nearest stretches on pixel buffers against the pixel-by-pixel
// rules they implement: every byte, including the padding and the pixels
// beside the area, must come out as the reference leaves it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "d3d9/SurfaceCopy.h"

using namespace lumiva::d3d9;

namespace surface_copy_test {
namespace {

// A buffer whose bytes all differ from their neighbours, with the pitch
// widened by `padding` bytes so that row ends show stray writes.
PixelBuffer Scribbled(D3DFORMAT format, UINT width, UINT height, UINT padding = 0) {
    PixelBuffer buffer;
    buffer.Allocate(format, width, height);
    if (padding) {
        buffer.pitch += padding;
        buffer.bytes.assign(size_t(buffer.pitch) * buffer.rowCount, 0);
    }
    for (size_t i = 0; i < buffer.bytes.size(); ++i) buffer.bytes[i] = BYTE(i * 37 + 11);
    return buffer;
}

void ReferenceFill(PixelBuffer& into, const RECT& area, D3DCOLOR color) {
    for (LONG y = area.top; y < area.bottom; ++y)
        for (LONG x = area.left; x < area.right; ++x) into.WriteColor(UINT(x), UINT(y), color);
}

struct FillCase {
    D3DFORMAT format;
    D3DCOLOR color;
    UINT padding;
    RECT area;
    UINT width = 37, height = 9;
};

TEST(SurfaceCopyTest, FillsMatchPixelByPixelWrites) {
    const FillCase cases[] = {
        {D3DFMT_A8R8G8B8, 0xFF102030, 0, {0, 0, 37, 9}},    // whole buffer, one run
        {D3DFMT_A8R8G8B8, 0x00000000, 0, {0, 0, 37, 9}},    // a byte pattern: memset
        {D3DFMT_X8R8G8B8, 0x80FEFEFE, 0, {0, 2, 37, 7}},    // whole rows, X byte set
        {D3DFMT_A8R8G8B8, 0x12345678, 12, {0, 0, 37, 9}},   // whole width but padded rows
        {D3DFMT_A8R8G8B8, 0x12345678, 0, {3, 1, 16, 8}},    // 13 pixels: under one block
        {D3DFMT_A8R8G8B8, 0x12345678, 0, {1, 1, 36, 8}},    // blocks and a tail
        {D3DFMT_R5G6B5, 0xFF00FF00, 0, {2, 3, 35, 9}},
        {D3DFMT_A1R5G5B5, 0xFFFFFFFF, 6, {0, 0, 37, 9}},    // 0xFFFF: memset
        {D3DFMT_A4R4G4B4, 0x80402010, 0, {0, 0, 37, 9}},
        {D3DFMT_R8G8B8, 0xFF010203, 0, {0, 0, 37, 9}},      // three-byte pixels
        {D3DFMT_R8G8B8, 0xFF010203, 0, {5, 2, 22, 4}},
        {D3DFMT_L8, 0xFF7F7F7F, 3, {1, 0, 30, 9}},
        {D3DFMT_A8R8G8B8, 0xFF102030, 0, {4, 4, 4, 9}},     // empty
        // Runs long enough for string stores and for a repeated stretch.
        {D3DFMT_A8R8G8B8, 0x12345678, 0, {0, 0, 130, 60}, 130, 60},
        {D3DFMT_A8R8G8B8, 0x12345678, 4, {1, 0, 129, 60}, 130, 60},
        {D3DFMT_R5G6B5, 0xFF00FF00, 0, {0, 0, 131, 60}, 131, 60},   // an odd pixel at the end
        {D3DFMT_R5G6B5, 0xFF00FF00, 2, {3, 1, 130, 59}, 131, 60},
        {D3DFMT_R8G8B8, 0xFF010203, 0, {0, 0, 130, 60}, 130, 60},   // stretch repeated, then a tail
        {D3DFMT_R8G8B8, 0xFF010203, 5, {0, 2, 130, 60}, 130, 60},
    };
    for (const FillCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format << " area " << c.area.left << "," << c.area.top
                                        << "-" << c.area.right << "," << c.area.bottom);
        PixelBuffer actual = Scribbled(c.format, c.width, c.height, c.padding), expected = actual;
        FillColor(actual, c.area, c.color);
        ReferenceFill(expected, c.area, c.color);
        EXPECT_EQ(actual.bytes, expected.bytes);
    }
}

TEST(SurfaceCopyTest, DepthFillsWriteTheirBitsAndKeepTheOthers) {
    struct Case {
        D3DFORMAT format;
        bool depth, stencil;
        RECT area;
    };
    const Case cases[] = {
        {D3DFMT_D24S8, true, true, {0, 0, 37, 9}},   // every bit written: one run
        {D3DFMT_D24S8, true, false, {0, 0, 37, 9}},  // stencil kept
        {D3DFMT_D16, true, false, {3, 2, 30, 8}},
        {D3DFMT_D32, true, false, {0, 0, 37, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format);
        PixelBuffer buffer = Scribbled(c.format, 37, 9);
        const PixelBuffer before = buffer;
        FillDepthStencil(buffer, c.area, c.depth, 0.25f, c.stencil, 0x5A);
        // Each pixel equals what the same clear makes of a one-pixel buffer
        // holding its old bytes; pixels outside the area are untouched.
        const size_t size = FindFormat(c.format)->bytesPerPixel;
        for (UINT y = 0; y < 9; ++y)
            for (UINT x = 0; x < 37; ++x) {
                PixelBuffer one;
                one.Allocate(c.format, 1, 1);
                std::memcpy(one.bytes.data(), before.At(x, y), size);
                const bool inside = LONG(x) >= c.area.left && LONG(x) < c.area.right && LONG(y) >= c.area.top &&
                                    LONG(y) < c.area.bottom;
                if (inside) FillDepthStencil(one, RECT{0, 0, 1, 1}, c.depth, 0.25f, c.stencil, 0x5A);
                ASSERT_EQ(std::memcmp(buffer.At(x, y), one.bytes.data(), size), 0) << x << "," << y;
            }
    }
}

// Each destination pixel of `visible` takes the source texel nearest its
// centre, converted through A8R8G8B8.
void ReferenceStretch(const PixelBuffer& from, const RECT& source, PixelBuffer& into, const RECT& destination,
                      const RECT& visible, bool opaque) {
    const int64_t sw = source.right - source.left, sh = source.bottom - source.top;
    const int64_t dw = destination.right - destination.left, dh = destination.bottom - destination.top;
    for (LONG y = visible.top; y < visible.bottom; ++y) {
        const int64_t sy = source.top + (2 * (y - destination.top) + 1) * sh / (2 * dh);
        for (LONG x = visible.left; x < visible.right; ++x) {
            const int64_t sx = source.left + (2 * (x - destination.left) + 1) * sw / (2 * dw);
            const D3DCOLOR c = from.ReadColor(UINT(sx), UINT(sy));
            into.WriteColor(UINT(x), UINT(y), opaque ? c | 0xFF000000u : c);
        }
    }
}

TEST(SurfaceCopyTest, NearestStretchesMatchTheirPerPixelRule) {
    struct Case {
        D3DFORMAT from, into;
        RECT source, destination, visible;
        bool opaque;
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, {0, 0, 30, 20}, {0, 0, 41, 27}, {0, 0, 41, 27}, false},  // enlarged
        {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, {0, 0, 30, 20}, {0, 0, 41, 27}, {0, 0, 41, 27}, true},
        {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, {3, 2, 29, 19}, {1, 1, 40, 26}, {5, 4, 33, 21}, true},  // clipped
        {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, {0, 0, 30, 20}, {2, 3, 13, 10}, {2, 3, 13, 10}, false},  // shrunk
        {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, {0, 0, 30, 20}, {0, 0, 30, 20}, {0, 0, 30, 20}, false},  // same size
        {D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, {0, 0, 30, 20}, {0, 0, 41, 27}, {0, 0, 41, 27}, true},     // converted
        {D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, {1, 1, 29, 13}, {0, 0, 41, 27}, {0, 0, 41, 27}, false},
        {D3DFMT_A4R4G4B4, D3DFMT_A4R4G4B4, {0, 0, 30, 20}, {4, 0, 41, 27}, {4, 0, 41, 27}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from << " into " << c.into << " to " << c.destination.right
                                        << "x" << c.destination.bottom << (c.opaque ? " opaque" : ""));
        const PixelBuffer from = Scribbled(c.from, 30, 20);
        PixelBuffer actual = Scribbled(c.into, 41, 27, 8), expected = actual;
        StretchNearest(from, c.source, actual, c.destination, c.visible, c.opaque);
        ReferenceStretch(from, c.source, expected, c.destination, c.visible, c.opaque);
        EXPECT_EQ(actual.bytes, expected.bytes);
    }
}

}  // namespace
}  // namespace surface_copy_test
