// Inputs that once crashed a decoder or hit undefined behaviour under the
// fuzzers, kept so they stay refused cleanly.
#include <gtest/gtest.h>

#include <vector>

#include "ByteWriter.h"
#include "d3dx9/ByteReader.h"
#include "d3dx9/Codecs.h"
#include "d3dx9/PixelFormat.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A 4 x 4 DXT1 file, one level.
Bytes Dxt1Dds() {
    Bytes bits(d3dx::SurfaceBytes(D3DFMT_DXT1, 4, 4), 0x5A);
    Bytes file;
    EXPECT_EQ(d3dx::EncodeDds(D3DFMT_DXT1, {{4, 4, bits.data(), d3dx::RowBytes(D3DFMT_DXT1, 4)}}, &file), S_OK);
    return file;
}

constexpr size_t kDdsFourCc = 4 + 80;

TEST(D3dxCodecHostile, DdsFourCcCodesOutsideTheFormatRangeAreRefused) {
    for (uint32_t code : {0xC7ABA7BBu, 0x80000000u, 0xFFFFFFFFu, 0x7FFFFFFFu, 0u, uint32_t(D3DFMT_A8R8G8B8)}) {
        SCOPED_TRACE(code);
        Bytes file = Dxt1Dds();
        d3dx::StoreLe32(&file[kDdsFourCc], code);
        d3dx::DecodedImage image;
        EXPECT_EQ(d3dx::DecodeDds(file.data(), file.size(), &image), D3DXERR_INVALIDDATA);
    }
    Bytes file = Dxt1Dds();
    d3dx::DecodedImage image;
    EXPECT_EQ(d3dx::DecodeDds(file.data(), file.size(), &image), S_OK);
}

// A true-colour TGA header, 32 bits a pixel, top row first, then body.
Bytes Tga(bool runLength, uint16_t width, uint16_t height, const Bytes& body) {
    ByteWriter w;
    w.U8(0);                     // no id
    w.U8(0);                     // no colour map
    w.U8(runLength ? 10 : 2);    // true colour
    w.Zeros(5 + 4);              // colour map fields, origin
    w.U16(width);
    w.U16(height);
    w.U8(32);
    w.U8(0x28);                  // top row first, 8 alpha bits
    w.Bytes(body);
    return w.Take();
}

TEST(D3dxCodecHostile, TgaHeadersClaimingMorePixelsThanTheBytesHoldAreRefused) {
    const Bytes repeat128 = {0xFF, 1, 2, 3, 4};  // one packet: 128 copies of one pixel
    struct Case {
        const char* what;
        Bytes file;
        HRESULT result;
    };
    const Case cases[] = {
        {"largest image, a few bytes", Tga(true, 16384, 1024, repeat128), D3DXERR_INVALIDDATA},
        {"raw, largest image, a few bytes", Tga(false, 16384, 1024, Bytes(20)), D3DXERR_INVALIDDATA},
        {"one repeat packet fills 128 pixels", Tga(true, 128, 1, repeat128), S_OK},
        {"one repeat packet, 129 pixels", Tga(true, 129, 1, repeat128), D3DXERR_INVALIDDATA},
        {"raw, exact bytes", Tga(false, 2, 2, Bytes(16, 7)), S_OK},
        {"raw, one byte short", Tga(false, 2, 2, Bytes(15, 7)), D3DXERR_INVALIDDATA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        d3dx::DecodedImage image;
        ASSERT_EQ(d3dx::DecodeTga(c.file.data(), c.file.size(), &image), c.result);
        if (c.result == S_OK) {
            EXPECT_EQ(image.levels[0].pixels.front(), c.file[18] == 0xFF ? 0x04030201u : 0x07070707u);
        }
    }
}

// A JPEG whose frame header claims the largest picture accepted, cut short
// in its scan: refused as soon as the data runs out.
TEST(D3dxCodecHostile, JpegClaimingALargePictureAndCutShortIsRefused) {
    Bytes file;
    ASSERT_EQ(d3dx::EncodeJpeg(d3dx::ArgbImage(16, 16, 0xFF336699u), 90, &file), S_OK);
    size_t frame = 0;
    for (size_t i = 0; i + 8 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            frame = i;
            break;
        }
    }
    ASSERT_NE(frame, 0u);
    // Height and width, big-endian, after the marker, length and precision.
    file[frame + 5] = 0x04;  // 1024 rows
    file[frame + 6] = 0x00;
    file[frame + 7] = 0x40;  // 16384 columns
    file[frame + 8] = 0x00;
    ASSERT_GT(file.size(), frame + 60);
    Bytes cut(file.begin(), file.begin() + ptrdiff_t(file.size() - 40));
    d3dx::DecodedImage image;
    EXPECT_EQ(d3dx::DecodeJpeg(cut.data(), cut.size(), &image), D3DXERR_INVALIDDATA);
    EXPECT_TRUE(image.levels.empty());
}

}  // namespace
