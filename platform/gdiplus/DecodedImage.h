// An image held by the GDI+ stand-in: pixels decoded once at load.
#pragma once

#include <gdiplus.h>

#include <cstddef>
#include <vector>

namespace lumiva::gdiplus {

class DecodedImage final : public Gdiplus::GpBitmap {
public:
    UINT width = 0;
    UINT height = 0;
    std::vector<BYTE> bgr;  // top-down rows, blue-green-red, no padding
    Gdiplus::PixelFormat format = PixelFormat24bppRGB;
    LONG pelsPerMeterX = 3780;  // 96 dots per inch
    LONG pelsPerMeterY = 3780;

    const BYTE* Row(UINT y) const { return bgr.data() + size_t(y) * width * 3; }
    BYTE* Row(UINT y) { return bgr.data() + size_t(y) * width * 3; }
};

}  // namespace lumiva::gdiplus
