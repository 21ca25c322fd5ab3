#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ByteWriter.h"
#include "ImageTestUtil.h"
#include "d3dx9/ByteReader.h"
#include "d3dx9/Codecs.h"
#include "d3dx9/Dxt.h"
#include "d3dx9/PixelFormat.h"

namespace {

using d3dx::ArgbImage;
using d3dx::DecodedImage;
using Bytes = std::vector<uint8_t>;

Bytes EncodeDdsOf(D3DFORMAT format, const std::vector<ArgbImage>& levels) {
    std::vector<Bytes> stored;
    std::vector<d3dx::StoredLevel> views;
    for (const ArgbImage& level : levels) {
        Bytes bits(d3dx::SurfaceBytes(format, level.width, level.height));
        uint64_t pitch = d3dx::RowBytes(format, level.width);
        d3dx::SurfaceView view{format, bits.data(), pitch, level.width, level.height};
        d3dx::WriteRect(view, RECT{0, 0, LONG(level.width), LONG(level.height)}, level);
        stored.push_back(std::move(bits));
        views.push_back({level.width, level.height, stored.back().data(), pitch});
    }
    Bytes file;
    EXPECT_EQ(d3dx::EncodeDds(format, views, &file), S_OK);
    return file;
}

DecodedImage Decode(const Bytes& file) {
    DecodedImage image;
    EXPECT_EQ(d3dx::DecodeImageFile(file.data(), file.size(), &image), S_OK);
    return image;
}

struct LosslessCase {
    const char* name;
    std::function<Bytes(const ArgbImage&)> encode;
    bool keepsAlpha;
    D3DFORMAT format;
    D3DXIMAGE_FILEFORMAT fileFormat;
};

std::vector<LosslessCase> LosslessCases() {
    auto png = [](bool alpha) {
        return [alpha](const ArgbImage& i) {
            Bytes b;
            EXPECT_EQ(d3dx::EncodePng(i, alpha, &b), S_OK);
            return b;
        };
    };
    auto bmp = [](bool alpha) {
        return [alpha](const ArgbImage& i) {
            Bytes b;
            EXPECT_EQ(d3dx::EncodeBmp(i, alpha, &b), S_OK);
            return b;
        };
    };
    auto tga = [](bool alpha, bool rle) {
        return [alpha, rle](const ArgbImage& i) {
            Bytes b;
            EXPECT_EQ(d3dx::EncodeTga(i, alpha, rle, &b), S_OK);
            return b;
        };
    };
    auto dds = [](D3DFORMAT f) { return [f](const ArgbImage& i) { return EncodeDdsOf(f, {i}); }; };
    return {
        {"PngAlpha", png(true), true, D3DFMT_A8R8G8B8, D3DXIFF_PNG},
        {"PngOpaque", png(false), false, D3DFMT_X8R8G8B8, D3DXIFF_PNG},
        {"Bmp32", bmp(true), true, D3DFMT_A8R8G8B8, D3DXIFF_BMP},
        {"Bmp24", bmp(false), false, D3DFMT_R8G8B8, D3DXIFF_BMP},
        {"Tga32", tga(true, false), true, D3DFMT_A8R8G8B8, D3DXIFF_TGA},
        {"Tga24", tga(false, false), false, D3DFMT_R8G8B8, D3DXIFF_TGA},
        {"Tga32Rle", tga(true, true), true, D3DFMT_A8R8G8B8, D3DXIFF_TGA},
        {"Tga24Rle", tga(false, true), false, D3DFMT_R8G8B8, D3DXIFF_TGA},
        {"DdsA8R8G8B8", dds(D3DFMT_A8R8G8B8), true, D3DFMT_A8R8G8B8, D3DXIFF_DDS},
        {"DdsX8R8G8B8", dds(D3DFMT_X8R8G8B8), false, D3DFMT_X8R8G8B8, D3DXIFF_DDS},
        {"DdsR8G8B8", dds(D3DFMT_R8G8B8), false, D3DFMT_R8G8B8, D3DXIFF_DDS},
        {"DdsA8B8G8R8", dds(D3DFMT_A8B8G8R8), true, D3DFMT_A8B8G8R8, D3DXIFF_DDS},
    };
}

TEST(D3dxCodec, LosslessFormatsRoundTripExactly) {
    // Odd sizes catch row padding mistakes; runs of equal texels exercise RLE.
    ArgbImage image = MakePatternImage(7, 5);
    for (UINT x = 0; x < 7; ++x) image.At(x, 2) = 0x80102030u;
    for (const LosslessCase& c : LosslessCases()) {
        SCOPED_TRACE(c.name);
        Bytes file = c.encode(image);
        DecodedImage decoded = Decode(file);
        ASSERT_EQ(decoded.levels.size(), 1u);
        ArgbImage expected = c.keepsAlpha ? image : Opaque(image);
        EXPECT_EQ(MaxDifference(expected, decoded.levels[0]), 0);
        EXPECT_EQ(decoded.info.Width, 7u);
        EXPECT_EQ(decoded.info.Height, 5u);
        EXPECT_EQ(decoded.info.Depth, 1u);
        EXPECT_EQ(decoded.info.MipLevels, 1u);
        EXPECT_EQ(decoded.info.Format, c.format);
        EXPECT_EQ(decoded.info.ResourceType, D3DRTYPE_TEXTURE);
        EXPECT_EQ(decoded.info.ImageFileFormat, c.fileFormat);
    }
}

TEST(D3dxCodec, DdsNarrowFormatsRoundTripTheirOwnPrecision) {
    struct Case {
        D3DFORMAT format;
        int tolerance;  // the widest channel step of the format, halved
    };
    const Case cases[] = {{D3DFMT_R5G6B5, 4},   {D3DFMT_X1R5G5B5, 4}, {D3DFMT_A1R5G5B5, 4}, {D3DFMT_A4R4G4B4, 8},
                          {D3DFMT_X4R4G4B4, 8}, {D3DFMT_L8, 0},       {D3DFMT_A8L8, 0},     {D3DFMT_A8, 0}};
    ArgbImage image = MakePatternImage(6, 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        ArgbImage source = image;
        // Inputs the format can hold: grey for luminance, alpha only for A8,
        // 0 or 255 alpha for one-bit alpha, opaque where there is no alpha.
        for (uint32_t& p : source.pixels) {
            uint32_t a = p >> 24, g = (p >> 8) & 0xFF;
            if (c.format == D3DFMT_L8 || c.format == D3DFMT_A8L8) p = (p & 0xFF000000u) | g * 0x010101u;
            if (c.format == D3DFMT_A8) p = a << 24;
            if (c.format == D3DFMT_A1R5G5B5) p = (p & 0xFFFFFF) | (a >= 128 ? 0xFF000000u : 0);
            if (!d3dx::FormatHasAlpha(c.format)) p |= 0xFF000000u;
        }
        DecodedImage decoded = Decode(EncodeDdsOf(c.format, {source}));
        ASSERT_EQ(decoded.levels.size(), 1u);
        EXPECT_LE(MaxDifference(source, decoded.levels[0]), c.tolerance);
        EXPECT_EQ(decoded.info.Format, c.format);
        EXPECT_EQ(decoded.storedLevels[0].size(), d3dx::SurfaceBytes(c.format, 6, 3));
    }
}

TEST(D3dxCodec, DdsKeepsMipChainAndStoredBytes) {
    std::vector<ArgbImage> levels = {MakePatternImage(8, 4), MakePatternImage(4, 2), MakePatternImage(2, 1),
                                     MakePatternImage(1, 1)};
    DecodedImage decoded = Decode(EncodeDdsOf(D3DFMT_A8R8G8B8, levels));
    ASSERT_EQ(decoded.levels.size(), 4u);
    EXPECT_EQ(decoded.info.MipLevels, 4u);
    for (size_t i = 0; i < levels.size(); ++i) EXPECT_EQ(MaxDifference(levels[i], decoded.levels[i]), 0) << i;
    EXPECT_EQ(decoded.storedLevels[3].size(), 4u);
}

TEST(D3dxCodec, DxtFormatsRoundTripWithinTolerance) {
    // Stated tolerance for the block encoder: on a two-dimensional colour
    // gradient (which no block line fits exactly) at most 16 per channel and
    // 5 on average; on a one-dimensional ramp at most 8.
    struct Case {
        D3DFORMAT format;
        int maxError;
        double meanError;
    };
    const Case cases[] = {{D3DFMT_DXT1, 16, 5.0}, {D3DFMT_DXT3, 16, 5.0}, {D3DFMT_DXT5, 16, 5.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        ArgbImage image = MakeGradientImage(32, 24, c.format == D3DFMT_DXT1);
        DecodedImage decoded = Decode(EncodeDdsOf(c.format, {image}));
        ASSERT_EQ(decoded.levels.size(), 1u);
        EXPECT_LE(MaxDifference(image, decoded.levels[0]), c.maxError);
        EXPECT_LE(MeanDifference(image, decoded.levels[0]), c.meanError);
        EXPECT_EQ(decoded.info.Format, c.format);
        EXPECT_EQ(decoded.storedLevels[0].size(), 24u / 4 * 32 / 4 * d3dx::BytesPerBlock(c.format));

        ArgbImage ramp(32, 4);
        for (UINT y = 0; y < 4; ++y)
            for (UINT x = 0; x < 32; ++x) ramp.At(x, y) = 0xFF000000u | (x * 8) * 0x010101u;
        decoded = Decode(EncodeDdsOf(c.format, {ramp}));
        ASSERT_EQ(decoded.levels.size(), 1u);
        EXPECT_LE(MaxDifference(ramp, decoded.levels[0]), 8);
    }
}

TEST(D3dxCodec, Dxt5KeepsFlatColoursAndAlphaExtremes) {
    ArgbImage image(4, 4);
    for (UINT y = 0; y < 4; ++y)
        for (UINT x = 0; x < 4; ++x) image.At(x, y) = x < 2 ? 0x00FF0000u : 0xFF0000FFu;
    image.At(0, 3) = 0x80FF0000u;
    uint32_t texels[16];
    uint8_t block[16];
    std::memcpy(texels, image.pixels.data(), sizeof(texels));
    d3dx::EncodeDxtBlock(D3DFMT_DXT5, texels, block);
    uint32_t decoded[16];
    d3dx::DecodeDxtBlock(D3DFMT_DXT5, block, decoded);
    EXPECT_EQ(decoded[3] >> 24, 0xFFu);
    EXPECT_EQ(decoded[0] >> 24, 0x00u);
    EXPECT_EQ(decoded[3] & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(decoded[0] & 0xFFFFFF, 0xFF0000u);
    EXPECT_LE(ChannelDifference(decoded[12], 0x80FF0000u), 20);
}

TEST(D3dxCodec, Dxt1TransparentTexelsUseThreeColourMode) {
    uint32_t texels[16];
    for (int i = 0; i < 16; ++i) texels[i] = (i % 3 == 0) ? 0x00000000u : 0xFF808080u;
    uint8_t block[8];
    d3dx::EncodeDxtBlock(D3DFMT_DXT1, texels, block);
    uint32_t decoded[16];
    d3dx::DecodeDxtBlock(D3DFMT_DXT1, block, decoded);
    for (int i = 0; i < 16; ++i) {
        if (i % 3 == 0) {
            EXPECT_EQ(decoded[i], 0u) << i;
        } else {
            EXPECT_LE(ChannelDifference(decoded[i], 0xFF808080u), 4) << i;
        }
    }
}

TEST(D3dxCodec, JpegRoundTripsWithinTolerance) {
    ArgbImage image = MakeGradientImage(32, 24, true);
    Bytes file;
    ASSERT_EQ(d3dx::EncodeJpeg(image, 90, &file), S_OK);
    DecodedImage decoded = Decode(file);
    ASSERT_EQ(decoded.levels.size(), 1u);
    EXPECT_LE(MaxDifference(image, decoded.levels[0]), 12);
    EXPECT_LE(MeanDifference(image, decoded.levels[0]), 2.0);
    EXPECT_EQ(decoded.info.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(decoded.info.ImageFileFormat, D3DXIFF_JPG);
}

TEST(D3dxCodec, BmpPalettedAndBitFieldsDecode) {
    // 4-bit palette, bottom-up, 3 x 2: rows padded to 4 bytes.
    ByteWriter w;
    w.U8('B'), w.U8('M'), w.U32(0), w.U32(0), w.U32(14 + 40 + 16 * 4);
    w.U32(40), w.I32(3), w.I32(2), w.U16(1), w.U16(4), w.U32(0), w.U32(0), w.U32(0), w.U32(0), w.U32(2), w.U32(0);
    w.U32(0x00112233), w.U32(0x00AABBCC);
    for (int i = 2; i < 16; ++i) w.U32(0);
    w.U8(0x01), w.U8(0x00), w.U8(0), w.U8(0);  // bottom row: 0 1 0
    w.U8(0x11), w.U8(0x10), w.U8(0), w.U8(0);  // top row: 1 1 1
    DecodedImage decoded = Decode(w.Data());
    ASSERT_EQ(decoded.levels.size(), 1u);
    const ArgbImage& image = decoded.levels[0];
    EXPECT_EQ(image.At(0, 0), 0xFFAABBCCu);
    EXPECT_EQ(image.At(1, 1), 0xFFAABBCCu);
    EXPECT_EQ(image.At(0, 1), 0xFF112233u);
    EXPECT_EQ(decoded.info.Format, D3DFMT_P8);

    // 16-bit 5:6:5 bit fields, top-down.
    ByteWriter f;
    f.U8('B'), f.U8('M'), f.U32(0), f.U32(0), f.U32(14 + 40 + 12);
    f.U32(40), f.I32(2), f.I32(-1), f.U16(1), f.U16(16), f.U32(3), f.U32(0), f.U32(0), f.U32(0), f.U32(0), f.U32(0);
    f.U32(0xF800), f.U32(0x07E0), f.U32(0x001F);
    f.U16(0xF800), f.U16(0x07E0);
    decoded = Decode(f.Data());
    ASSERT_EQ(decoded.levels.size(), 1u);
    EXPECT_EQ(decoded.levels[0].At(0, 0), 0xFFFF0000u);
    EXPECT_EQ(decoded.levels[0].At(1, 0), 0xFF00FF00u);
    EXPECT_EQ(decoded.info.Format, D3DFMT_R5G6B5);
}

TEST(D3dxCodec, TgaColourMappedAndBottomUpDecode) {
    ByteWriter w;
    w.U8(0), w.U8(1), w.U8(9);                                 // RLE colour-mapped
    w.U16(4), w.U16(2), w.U8(24);                              // map entries 4 and 5, 24-bit
    w.U16(0), w.U16(0), w.U16(3), w.U16(2), w.U8(8), w.U8(0);  // bottom-up
    w.U8(0x10), w.U8(0x20), w.U8(0x30);                        // entry 4: B G R
    w.U8(0x40), w.U8(0x50), w.U8(0x60);                        // entry 5
    w.U8(0x82), w.U8(4);                                       // run of 3 x index 4: bottom row
    w.U8(0x02), w.U8(5), w.U8(4), w.U8(5);                     // raw 3: top row
    DecodedImage decoded = Decode(w.Data());
    ASSERT_EQ(decoded.levels.size(), 1u);
    EXPECT_EQ(decoded.levels[0].At(0, 1), 0xFF302010u);
    EXPECT_EQ(decoded.levels[0].At(0, 0), 0xFF605040u);
    EXPECT_EQ(decoded.levels[0].At(1, 0), 0xFF302010u);
    EXPECT_EQ(decoded.info.Format, D3DFMT_P8);
}

// Every shortened copy of a valid file is refused.
TEST(D3dxCodec, TruncatedFilesOfEveryFormatAreRefused) {
    ArgbImage image = MakePatternImage(5, 3);
    std::vector<std::pair<std::string, Bytes>> files;
    for (const LosslessCase& c : LosslessCases()) files.emplace_back(c.name, c.encode(image));
    Bytes jpeg;
    ASSERT_EQ(d3dx::EncodeJpeg(image, 80, &jpeg), S_OK);
    files.emplace_back("Jpeg", jpeg);
    files.emplace_back("DdsDxt5Mips", EncodeDdsOf(D3DFMT_DXT5, {MakePatternImage(8, 8), MakePatternImage(4, 4)}));
    for (const auto& [name, file] : files) {
        for (size_t length = 0; length < file.size(); ++length) {
            Bytes cut(file.begin(), file.begin() + long(length));
            DecodedImage out;
            ASSERT_TRUE(FAILED(d3dx::DecodeImageFile(cut.data(), cut.size(), &out))) << name << " cut to " << length;
        }
    }
}

// Damaged bytes anywhere either decode to something or are refused; under
// the sanitizers this also proves nothing is read or written out of bounds.
TEST(D3dxCodec, CorruptedBytesNeverCrash) {
    ArgbImage image = MakePatternImage(5, 3);
    std::vector<Bytes> files;
    for (const LosslessCase& c : LosslessCases()) files.push_back(c.encode(image));
    Bytes jpeg;
    ASSERT_EQ(d3dx::EncodeJpeg(image, 80, &jpeg), S_OK);
    files.push_back(jpeg);
    files.push_back(EncodeDdsOf(D3DFMT_DXT1, {MakePatternImage(8, 8)}));
    for (const Bytes& file : files) {
        for (size_t i = 0; i < file.size(); ++i) {
            for (uint8_t value : {uint8_t(0x00), uint8_t(0xFF), uint8_t(file[i] ^ 0x55)}) {
                Bytes damaged = file;
                damaged[i] = value;
                DecodedImage out;
                if (SUCCEEDED(d3dx::DecodeImageFile(damaged.data(), damaged.size(), &out))) {
                    ASSERT_FALSE(out.levels.empty());
                    EXPECT_EQ(out.levels[0].pixels.size(), size_t(out.info.Width) * out.info.Height);
                }
            }
        }
    }
}

void PatchU32(Bytes* file, size_t at, uint32_t value) { d3dx::StoreLe32(file->data() + at, value); }

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void StoreBe(uint8_t* p, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) p[i] = uint8_t(value >> (8 * (bytes - 1 - i)));
}

// A PNG whose header claims another size, with a correct checksum.
Bytes PngClaiming(uint32_t width, uint32_t height) {
    Bytes file;
    EXPECT_EQ(d3dx::EncodePng(MakePatternImage(2, 2), true, &file), S_OK);
    StoreBe(&file[16], width, 4);
    StoreBe(&file[20], height, 4);
    StoreBe(&file[29], Crc32(&file[12], 17), 4);
    return file;
}

// A JPEG whose frame header claims another size.
Bytes JpegClaiming(uint16_t width, uint16_t height) {
    Bytes file;
    EXPECT_EQ(d3dx::EncodeJpeg(MakePatternImage(8, 8, true), 80, &file), S_OK);
    for (size_t i = 2; i + 9 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            StoreBe(&file[i + 5], height, 2);
            StoreBe(&file[i + 7], width, 2);
            break;
        }
    }
    return file;
}

TEST(D3dxCodec, InconsistentHeadersAreRefused) {
    ArgbImage image = MakePatternImage(4, 4);
    Bytes dds = EncodeDdsOf(D3DFMT_A8R8G8B8, {image});
    Bytes bmp8;
    {
        ByteWriter w;  // 8-bit, 2 palette entries, 2 x 1
        w.U8('B'), w.U8('M'), w.U32(0), w.U32(0), w.U32(14 + 40 + 8);
        w.U32(40), w.I32(2), w.I32(1), w.U16(1), w.U16(8), w.U32(0), w.U32(0), w.U32(0), w.U32(0), w.U32(2), w.U32(0);
        w.U32(0x00FF0000), w.U32(0x0000FF00);
        w.U8(1), w.U8(1), w.U8(0), w.U8(0);
        bmp8 = w.Take();
    }
    Bytes tga;
    ASSERT_EQ(d3dx::EncodeTga(image, true, true, &tga), S_OK);

    struct Case {
        const char* name;
        Bytes file;
    };
    std::vector<Case> cases;
    auto patched = [](Bytes file, size_t at, uint32_t value) {
        PatchU32(&file, at, value);
        return file;
    };
    cases.push_back({"DdsZeroWidth", patched(dds, 16, 0)});
    cases.push_back({"DdsHugeSize", patched(patched(dds, 12, 0x100000), 16, 0x100000)});
    cases.push_back({"DdsTooManyMips", patched(patched(dds, 8, 0x1007 | 0x20000), 28, 4)});
    cases.push_back({"DdsUnknownFourCC", patched(patched(dds, 80, 4), 84, MAKEFOURCC('A', 'T', 'I', '2'))});
    cases.push_back({"DdsBadHeaderSize", patched(dds, 4, 100)});
    cases.push_back({"DdsCubeMap", patched(dds, 112, 0x200)});
    cases.push_back({"BmpPaletteIndexOutOfRange", [&] {
                         Bytes b = bmp8;
                         b[14 + 40 + 8 + 1] = 2;
                         return b;
                     }()});
    cases.push_back({"BmpTooManyColours", patched(bmp8, 46, 300)});
    cases.push_back({"BmpNegativeWidth", patched(bmp8, 18, uint32_t(-2))});
    cases.push_back({"BmpPixelsPastEnd", patched(bmp8, 10, 0xFFFFFFF0u)});
    cases.push_back({"BmpRunLength", patched(bmp8, 30, 1)});
    cases.push_back({"BmpHuge", patched(patched(bmp8, 18, 0x7FFFFFFF), 22, 0x7FFFFFFF)});
    cases.push_back({"TgaRunPastImage", [&] {
                         Bytes b = tga;
                         b[18] = 0xFF;
                         return b;
                     }()});
    cases.push_back({"TgaUnknownType", [&] {
                         Bytes b = tga;
                         b[2] = 4;
                         return b;
                     }()});
    cases.push_back({"TgaZeroWidth", [&] {
                         Bytes b = tga;
                         b[12] = b[13] = 0;
                         return b;
                     }()});
    {
        ByteWriter w;  // colour-mapped, index beyond the map
        w.U8(0), w.U8(1), w.U8(1), w.U16(0), w.U16(1), w.U8(24);
        w.U16(0), w.U16(0), w.U16(1), w.U16(1), w.U8(8), w.U8(0);
        w.U8(1), w.U8(2), w.U8(3), w.U8(1);
        cases.push_back({"TgaPaletteIndexOutOfRange", w.Take()});
    }
    // The patching itself keeps the files valid.
    EXPECT_EQ(Decode(PngClaiming(2, 2)).info.Width, 2u);
    EXPECT_EQ(Decode(JpegClaiming(8, 8)).info.Width, 8u);
    cases.push_back({"PngHuge", PngClaiming(60000, 60000)});
    cases.push_back({"PngZeroHeight", PngClaiming(2, 0)});
    cases.push_back({"JpegHuge", JpegClaiming(65000, 65000)});
    cases.push_back({"JpegGarbage", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3, 4, 5, 6, 7, 8}});
    cases.push_back({"PngSignatureOnly", Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}});

    for (const Case& c : cases) {
        DecodedImage out;
        EXPECT_EQ(d3dx::DecodeImageFile(c.file.data(), c.file.size(), &out), D3DXERR_INVALIDDATA) << c.name;
    }
}

TEST(D3dxCodec, ImageInfoFromMemory) {
    Bytes file;
    ASSERT_EQ(d3dx::EncodePng(MakePatternImage(9, 4), true, &file), S_OK);
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXGetImageInfoFromFileInMemory(file.data(), UINT(file.size()), &info), S_OK);
    EXPECT_EQ(info.Width, 9u);
    EXPECT_EQ(info.Height, 4u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_PNG);
    EXPECT_TRUE(FAILED(D3DXGetImageInfoFromFileInMemory(nullptr, 10, &info)));
    EXPECT_TRUE(FAILED(D3DXGetImageInfoFromFileInMemory(file.data(), 20, &info)));
}

}  // namespace
