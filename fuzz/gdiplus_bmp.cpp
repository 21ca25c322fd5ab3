// BMP files as the GDI+ stand-in reads them from a stream.
#include "ByteWriter.h"
#include "gdiplus/BmpReader.h"
#include "gdiplus/ImageWriters.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

namespace {

using lumiva::gdiplus::DecodedImage;

Bytes Saved(UINT width, UINT height) {
    DecodedImage image;
    image.width = width;
    image.height = height;
    for (size_t i = 0; i < size_t(width) * height * 3; ++i) image.bgr.push_back(BYTE(i * 13));
    std::vector<BYTE> file;
    lumiva::gdiplus::WriteBmp(image, &file);
    return file;
}

// 32 bits a pixel, top row first, with a V5 info header.
Bytes TopDown32(int32_t width, int32_t height) {
    ByteWriter w;
    uint32_t pixelBytes = uint32_t(width * height * 4);
    w.Bytes("BM", 2);
    w.U32(14 + 124 + pixelBytes);
    w.U32(0);
    w.U32(14 + 124);
    w.U32(124);
    w.I32(width);
    w.I32(-height);
    w.U16(1);
    w.U16(32);
    w.U32(0);
    w.U32(pixelBytes);
    w.I32(2835);
    w.I32(2835);
    w.Zeros(124 - 32);
    for (uint32_t i = 0; i < pixelBytes; ++i) w.U8(uint8_t(i * 7));
    return w.Take();
}

}  // namespace

LUMIVA_FUZZ_SEEDS(gdiplus_bmp) {
    Bytes odd = Saved(5, 3);
    return {
        {"bottom-up-24", odd},
        {"top-down-32", TopDown32(3, 2)},
        {"cut-rows", Truncated(odd, odd.size() - 4)},
    };
}

LUMIVA_FUZZ_TARGET(gdiplus_bmp, data, size) {
    std::vector<BYTE> bytes(data, data + size);
    DecodedImage image;
    lumiva::gdiplus::ReadBmp(bytes, &image);
}
