#include "gdiplus/BmpReader.h"

#include <cstdint>

namespace lumiva::gdiplus {
namespace {

const size_t kFileHeaderBytes = 14;
const uint32_t kBiRgb = 0;

uint16_t U16(const std::vector<BYTE>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

uint32_t U32(const std::vector<BYTE>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

int32_t I32(const std::vector<BYTE>& b, size_t at) { return int32_t(U32(b, at)); }

bool IsInfoHeaderSize(uint32_t size) {
    // BITMAPINFOHEADER and its V2, V3, V4 and V5 extensions.
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

}  // namespace

bool LooksLikeBmp(const std::vector<BYTE>& bytes) { return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M'; }

Gdiplus::Status ReadBmp(const std::vector<BYTE>& bytes, DecodedImage* image) {
    using Gdiplus::InvalidParameter;
    if (!LooksLikeBmp(bytes)) return Gdiplus::UnknownImageFormat;
    if (bytes.size() < kFileHeaderBytes + 4) return InvalidParameter;
    const uint64_t pixelOffset = U32(bytes, 10);
    const uint32_t infoSize = U32(bytes, kFileHeaderBytes);
    if (!IsInfoHeaderSize(infoSize) || bytes.size() < kFileHeaderBytes + uint64_t(infoSize)) return InvalidParameter;

    const size_t info = kFileHeaderBytes;
    const int64_t width = I32(bytes, info + 4);
    const int64_t signedHeight = I32(bytes, info + 8);
    const uint16_t planes = U16(bytes, info + 12);
    const uint16_t bitCount = U16(bytes, info + 14);
    const uint32_t compression = U32(bytes, info + 16);
    if (width <= 0 || signedHeight == 0 || planes != 1) return InvalidParameter;
    if ((bitCount != 24 && bitCount != 32) || compression != kBiRgb) return InvalidParameter;

    const bool topDown = signedHeight < 0;
    const int64_t height = topDown ? -signedHeight : signedHeight;
    const uint64_t rowBytes = ((uint64_t(width) * bitCount + 31) / 32) * 4;
    if (pixelOffset < kFileHeaderBytes + infoSize) return InvalidParameter;
    if (pixelOffset > bytes.size()) return InvalidParameter;
    // Divided rather than multiplied, so huge dimensions cannot wrap.
    if (rowBytes > (bytes.size() - pixelOffset) / uint64_t(height)) return InvalidParameter;

    image->width = UINT(width);
    image->height = UINT(height);
    image->format = bitCount == 24 ? PixelFormat24bppRGB : PixelFormat32bppRGB;
    const int32_t pelsX = I32(bytes, info + 24), pelsY = I32(bytes, info + 28);
    if (pelsX > 0) image->pelsPerMeterX = pelsX;
    if (pelsY > 0) image->pelsPerMeterY = pelsY;
    image->bgr.assign(size_t(width) * size_t(height) * 3, 0);
    const size_t step = bitCount / 8;
    for (int64_t y = 0; y < height; ++y) {
        const int64_t sourceRow = topDown ? y : height - 1 - y;
        const BYTE* source = bytes.data() + pixelOffset + uint64_t(sourceRow) * rowBytes;
        BYTE* target = image->Row(UINT(y));
        for (int64_t x = 0; x < width; ++x, source += step, target += 3) {
            target[0] = source[0];
            target[1] = source[1];
            target[2] = source[2];
        }
    }
    return Gdiplus::Ok;
}

}  // namespace lumiva::gdiplus
