// JPEG pictures decoded through the host library to 16-bit pixels.
#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "JpegImage.h"
#include "JpegWriter.h"
#include "PictureTestSupport.h"

namespace basrel_pictures_test {
namespace {

using Bytes = std::vector<uint8_t>;

// The colour rules, written out apart from the library's.
uint16_t Expect565(int r, int g, int b) { return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)); }
uint16_t Expect555(int r, int g, int b) { return uint16_t((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)); }

// libjpeg's own RGB output of a sound file, with its default settings.
Bytes ReferenceRgb(const Bytes& jpeg, int* width, int* height) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), jpeg.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    *width = int(info.output_width);
    *height = int(info.output_height);
    Bytes rgb(size_t(*width) * *height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &rgb[size_t(info.output_scanline) * *width * 3];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return rgb;
}

// A colourful picture: a gradient with a few flat patches.
Bytes ColourPixels(int width, int height) {
    Bytes rgb;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            rgb.push_back(uint8_t(x * 255 / width));
            rgb.push_back(uint8_t((x + y) % 3 == 0 ? 200 : 40));
            rgb.push_back(uint8_t(y * 255 / height));
        }
    }
    return rgb;
}

// Grey 8 x 8 blocks of one level each survive quality 100 exactly.
const uint8_t kGreyLevels[] = {0, 37, 128, 255, 91, 200};
Bytes GreyBlocks() {
    Bytes grey;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) grey.push_back(kGreyLevels[(y / 8) * 3 + x / 8]);
    return grey;
}

class JpegImageTest : public PictureTest {
protected:
    QivImageContent* Decode(const Bytes& jpeg, int mask) {
        WriteHostFile("pics/p.jpg", jpeg);
        return get_jpg_image("\\PICS\\P.JPG", mask);
    }
};

TEST_F(JpegImageTest, GreyLevelsDecodeExactlyForBothMasks) {
    JpegOptions options;
    options.quality = 100;
    options.colour = JpegColour::Grey;
    Bytes jpeg = EncodeJpeg(GreyBlocks(), 24, 16, options);
    struct Case {
        int mask;
        uint16_t (*rule)(int, int, int);
    };
    for (Case c : {Case{65535, Expect565}, Case{32767, Expect555}, Case{-1, Expect565}}) {
        QivImageContent* image = Decode(jpeg, c.mask);
        ASSERT_NE(image, nullptr) << c.mask;
        ASSERT_EQ(image->nWidth, 24);
        ASSERT_EQ(image->nHeight, 16);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 24; ++x) {
                int level = kGreyLevels[(y / 8) * 3 + x / 8];
                ASSERT_EQ(image->Pixels()[y * 24 + x], c.rule(level, level, level))
                    << "mask " << c.mask << " at " << x << "," << y;
            }
        }
        release_image(image);
    }
    EXPECT_TRUE(TakeLog().empty());
}

TEST_F(JpegImageTest, ColourPicturesMatchLibjpegOutputByTheRule) {
    for (bool progressive : {false, true}) {
        JpegOptions options;
        options.quality = 80;
        options.progressive = progressive;
        Bytes jpeg = EncodeJpeg(ColourPixels(37, 21), 37, 21, options);
        int width = 0, height = 0;
        Bytes rgb = ReferenceRgb(jpeg, &width, &height);
        for (int mask : {65535, 32767}) {
            QivImageContent* image = Decode(jpeg, mask);
            ASSERT_NE(image, nullptr);
            ASSERT_EQ(image->nWidth, width);
            ASSERT_EQ(image->nHeight, height);
            for (int i = 0; i < width * height; ++i) {
                const uint8_t* p = &rgb[size_t(i) * 3];
                uint16_t want = mask == 65535 ? Expect565(p[0], p[1], p[2]) : Expect555(p[0], p[1], p[2]);
                ASSERT_EQ(image->Pixels()[i], want)
                    << "pixel " << i << " mask " << mask << " progressive " << progressive;
            }
            release_image(image);
        }
    }
}

TEST_F(JpegImageTest, FlatColoursStayTheirColour) {
    JpegOptions options;
    options.quality = 100;
    Bytes red;
    for (int i = 0; i < 16 * 16; ++i) red.insert(red.end(), {255, 0, 0});
    QivImageContent* image = Decode(EncodeJpeg(red, 16, 16, options), 65535);
    ASSERT_NE(image, nullptr);
    for (int i = 0; i < 256; ++i) {
        uint16_t p = image->Pixels()[i];
        EXPECT_GE(p >> 11, 30) << i;
        EXPECT_LE((p >> 5) & 63, 1) << i;
        EXPECT_LE(p & 31, 1) << i;
    }
    release_image(image);
}

// Offset of the start-of-frame marker's height field.
size_t FrameSizeField(const Bytes& jpeg) {
    for (size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) return i + 5;
    ADD_FAILURE() << "no start-of-frame marker";
    return 0;
}

Bytes WithSize(Bytes jpeg, int width, int height) {
    size_t at = FrameSizeField(jpeg);
    jpeg[at] = uint8_t(height >> 8);
    jpeg[at + 1] = uint8_t(height);
    jpeg[at + 2] = uint8_t(width >> 8);
    jpeg[at + 3] = uint8_t(width);
    return jpeg;
}

struct BadJpeg {
    const char* what;
    Bytes bytes;
    const char* reason;  // part of the log line
};
void PrintTo(const BadJpeg& bad, std::ostream* out) { *out << bad.what; }

Bytes SoundJpeg(bool progressive) {
    JpegOptions options;
    options.progressive = progressive;
    return EncodeJpeg(ColourPixels(64, 48), 64, 48, options);
}

Bytes CorruptMarkerAfterHeader(Bytes b) {
    // Turn the start-of-scan marker into an undefined one.
    for (size_t i = 2; i + 1 < b.size(); ++i) {
        if (b[i] == 0xFF && b[i + 1] == 0xDA) {
            b[i + 1] = 0x02;
            break;
        }
    }
    return b;
}

Bytes FlipScanBytes(Bytes b) {
    // Garbage in the middle of the entropy-coded data, markers included.
    for (size_t i = b.size() / 2; i < b.size() / 2 + 40; ++i) b[i] = uint8_t(i % 2 ? 0xFF : 0xD3);
    return b;
}

class JpegMalformedTest : public JpegImageTest, public ::testing::WithParamInterface<BadJpeg> {};

TEST_P(JpegMalformedTest, IsRefusedWithOneLogLine) {
    EXPECT_EQ(Decode(GetParam().bytes, 65535), nullptr);
    std::vector<std::string> log = TakeLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("P.JPG"), std::string::npos) << log[0];
    EXPECT_NE(log[0].find(GetParam().reason), std::string::npos) << log[0];
}

INSTANTIATE_TEST_SUITE_P(
    Jpegs, JpegMalformedTest,
    ::testing::Values(
        BadJpeg{"empty file", {}, "empty file"}, BadJpeg{"not a JPEG", {'h', 'e', 'l', 'l', 'o'}, "Not a JPEG"},
        BadJpeg{"cut after the markers", Cut(SoundJpeg(false), 2), "Premature end"},
        BadJpeg{"baseline cut in half", Cut(SoundJpeg(false), SoundJpeg(false).size() / 2), "Premature end"},
        BadJpeg{"progressive cut in half", Cut(SoundJpeg(true), SoundJpeg(true).size() / 2), "Premature end"},
        BadJpeg{"end marker missing", Cut(SoundJpeg(false), SoundJpeg(false).size() - 2), "Premature end"},
        BadJpeg{"corrupt scan marker", CorruptMarkerAfterHeader(SoundJpeg(false)), "marker"},
        BadJpeg{"garbage in the scan", FlipScanBytes(SoundJpeg(false)), "Corrupt JPEG data"},
        BadJpeg{"CMYK",
                [] {
                    JpegOptions options;
                    options.colour = JpegColour::Cmyk;
                    return EncodeJpeg(Bytes(8 * 8 * 4, 100), 8, 8, options);
                }(),
                "CMYK"},
        BadJpeg{"zero width", WithSize(SoundJpeg(false), 0, 48), "Empty JPEG image"},
        BadJpeg{"side over the cap", WithSize(SoundJpeg(false), 16385, 1), "cap"},
        BadJpeg{"pixels over the cap", WithSize(SoundJpeg(false), 4097, 4097), "cap"}),
    [](const ::testing::TestParamInfo<BadJpeg>& info) {
        std::string name;
        for (const char* c = info.param.what; *c; ++c) name += std::isalnum(uint8_t(*c)) ? *c : '_';
        return name;
    });

TEST_F(JpegImageTest, MissingFileOrNameIsRefusedWithOneLogLine) {
    EXPECT_EQ(get_jpg_image("nowhere.jpg", 65535), nullptr);
    EXPECT_EQ(TakeLog().size(), 1u);
    EXPECT_EQ(get_jpg_image(nullptr, 65535), nullptr);
    EXPECT_EQ(TakeLog().size(), 1u);
    release_image(nullptr);
}

TEST_F(JpegImageTest, PicturesAtTheCapDecode) {
    JpegOptions options;
    options.colour = JpegColour::Grey;
    QivImageContent* image = Decode(EncodeJpeg(Bytes(JPEG_MAX_SIDE * 2, 128), JPEG_MAX_SIDE, 2, options), 65535);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->nWidth, JPEG_MAX_SIDE);
    release_image(image);
}

}  // namespace
}  // namespace basrel_pictures_test
