#include "gdiplus/ImageWriters.h"

#include <cstdint>

namespace lumiva::gdiplus {
namespace {

void PutU16(std::vector<BYTE>& out, uint32_t value) {
    out.push_back(BYTE(value));
    out.push_back(BYTE(value >> 8));
}

void PutU32(std::vector<BYTE>& out, uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

}  // namespace

Gdiplus::Status WriteBmp(const DecodedImage& image, std::vector<BYTE>* out) {
    const uint64_t rowBytes = (uint64_t(image.width) * 3 + 3) & ~uint64_t(3);
    const uint64_t fileBytes = 54 + rowBytes * image.height;
    if (fileBytes > 0xFFFFFFFFull || image.height > 0x7FFFFFFF || image.width > 0x7FFFFFFF)
        return Gdiplus::ValueOverflow;
    out->clear();
    out->reserve(size_t(fileBytes));
    PutU16(*out, 0x4D42);
    PutU32(*out, uint32_t(fileBytes));
    PutU32(*out, 0);
    PutU32(*out, 54);
    PutU32(*out, 40);
    PutU32(*out, image.width);
    PutU32(*out, image.height);
    PutU16(*out, 1);
    PutU16(*out, 24);
    PutU32(*out, 0);
    PutU32(*out, uint32_t(rowBytes * image.height));
    PutU32(*out, uint32_t(image.pelsPerMeterX));
    PutU32(*out, uint32_t(image.pelsPerMeterY));
    PutU32(*out, 0);
    PutU32(*out, 0);
    for (UINT y = image.height; y-- > 0;) {
        const BYTE* row = image.Row(y);
        out->insert(out->end(), row, row + size_t(image.width) * 3);
        out->resize(out->size() + size_t(rowBytes - uint64_t(image.width) * 3), 0);
    }
    return Gdiplus::Ok;
}

}  // namespace lumiva::gdiplus
