#include <climits>
#include <cmath>
#include <cwchar>

#include "GdiplusTestSupport.h"

namespace gdiplus_test::gdiplus_image_test {
namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

GpImage* Load(const std::vector<BYTE>& bytes, Status* status = nullptr) {
    IStream* stream = StreamWith(bytes);
    GpImage* image = nullptr;
    Status result = GdipLoadImageFromStream(stream, &image);
    stream->Release();
    if (status) *status = result;
    return image;
}

ARGB PixelAt(GpImage* image, int x, int y) {
    ARGB color = 0;
    EXPECT_EQ(GdipBitmapGetPixel(static_cast<GpBitmap*>(image), x, y, &color), Ok);
    return color;
}

ARGB Expected(Rgb c) { return 0xFF000000u | ARGB(c.r) << 16 | ARGB(c.g) << 8 | c.b; }

CLSID Encoder(const WCHAR* mime) {
    CLSID clsid{};
    EXPECT_TRUE(FindEncoder(mime, &clsid)) << "no encoder";
    return clsid;
}

struct Difference {
    double mean = 0;
    int worst = 0;
};

Difference Compare(const DecodedPicture& decoded, const Picture& source) {
    Difference d;
    long total = 0;
    for (int y = 0; y < decoded.height; ++y)
        for (int x = 0; x < decoded.width; ++x) {
            Rgb a = decoded.At(x, y), b = source(x, y);
            for (int e : {a.r - b.r, a.g - b.g, a.b - b.b}) {
                total += std::abs(e);
                d.worst = std::max(d.worst, std::abs(e));
            }
        }
    d.mean = double(total) / (3.0 * decoded.width * decoded.height);
    return d;
}

TEST(GdiplusStartup, TokensAndVersions) {
    lumiva::gdiplus::ResetStartupForTests();
    UINT count = 0, size = 0;
    EXPECT_EQ(GetImageEncodersSize(&count, &size), GdiplusNotInitialized);
    GdiplusStartupInput input;
    EXPECT_EQ(input.GdiplusVersion, 1u);
    ULONG_PTR first = 0, second = 0;
    ASSERT_EQ(GdiplusStartup(&first, &input, nullptr), Ok);
    ASSERT_EQ(GdiplusStartup(&second, &input, nullptr), Ok);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    GdiplusShutdown(first);
    EXPECT_EQ(GetImageEncodersSize(&count, &size), Ok);  // the second start-up holds
    GdiplusShutdown(second);
    EXPECT_EQ(GetImageEncodersSize(&count, &size), GdiplusNotInitialized);

    GdiplusStartupInput future;
    future.GdiplusVersion = 9;
    ULONG_PTR token = 0;
    EXPECT_EQ(GdiplusStartup(&token, &future, nullptr), UnsupportedGdiplusVersion);
    EXPECT_EQ(GdiplusStartup(nullptr, &input, nullptr), InvalidParameter);
    GdiplusStartupInput quiet(nullptr, TRUE);
    EXPECT_EQ(GdiplusStartup(&token, &quiet, nullptr), InvalidParameter);
    GdiplusStartupOutput hooks{};
    ASSERT_EQ(GdiplusStartup(&token, &quiet, &hooks), Ok);
    EXPECT_NE(hooks.NotificationHook, nullptr);
    GdiplusShutdown(token);
    lumiva::gdiplus::ResetStartupForTests();
}

TEST(GdiplusStartup, ImagesNeedAStartedLibrary) {
    lumiva::gdiplus::ResetStartupForTests();
    IStream* stream = StreamWith(Bmp24(2, 2, Gradient));
    GpImage* image = reinterpret_cast<GpImage*>(1);
    EXPECT_EQ(GdipLoadImageFromStream(stream, &image), GdiplusNotInitialized);
    EXPECT_EQ(image, nullptr);
    stream->Release();
}

TEST_F(GdiplusTest, EncoderListHasJpegBmpAndPngInOneBuffer) {
    UINT count = 0, size = 0;
    ASSERT_EQ(GetImageEncodersSize(&count, &size), Ok);
    ASSERT_EQ(count, 3u);
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    ASSERT_EQ(GetImageEncoders(count, size, codecs), Ok);
    const CLSID jpeg = {0x557CF401, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    bool sawJpeg = false;
    for (UINT i = 0; i < count; ++i) {
        const BYTE* mime = reinterpret_cast<const BYTE*>(codecs[i].MimeType);
        EXPECT_GE(mime, buffer.data() + count * sizeof(ImageCodecInfo));
        EXPECT_LT(mime, buffer.data() + size);
        EXPECT_TRUE(codecs[i].Flags & ImageCodecFlagsEncoder);
        if (std::wcscmp(codecs[i].MimeType, L"image/jpeg") == 0) {
            sawJpeg = true;
            EXPECT_TRUE(codecs[i].Clsid == jpeg);
            EXPECT_TRUE(codecs[i].FormatID == ImageFormatJPEG);
        }
    }
    EXPECT_TRUE(sawJpeg);
    CLSID clsid{};
    EXPECT_TRUE(FindEncoder(L"image/bmp", &clsid));
    EXPECT_TRUE(FindEncoder(L"image/png", &clsid));
    EXPECT_FALSE(FindEncoder(L"IMAGE/JPEG", &clsid));  // exact match only
    EXPECT_NE(GetImageEncoders(count, size - 1, codecs), Ok);
    EXPECT_NE(GetImageEncoders(count + 1, size, codecs), Ok);
}

TEST_F(GdiplusTest, BottomUpBmpLoadsTopRowFirst) {
    // 301 pixels wide: rows of 904 bytes, the last three padding.
    const int width = 301, height = 7;
    std::vector<BYTE> bmp = Bmp24(width, height, Gradient);
    ASSERT_EQ(bmp.size(), 54u + 904u * height);
    GpImage* image = Load(bmp);
    ASSERT_NE(image, nullptr);
    UINT w = 0, h = 0;
    PixelFormat format = 0;
    EXPECT_EQ(GdipGetImageWidth(image, &w), Ok);
    EXPECT_EQ(GdipGetImageHeight(image, &h), Ok);
    EXPECT_EQ(GdipGetImagePixelFormat(image, &format), Ok);
    EXPECT_EQ(w, UINT(width));
    EXPECT_EQ(h, UINT(height));
    EXPECT_EQ(format, PixelFormat24bppRGB);
    for (auto [x, y] : {std::pair{0, 0}, {300, 0}, {0, 6}, {300, 6}, {150, 3}})
        EXPECT_EQ(PixelAt(image, x, y), Expected(Gradient(x, y))) << x << "," << y;
    ARGB color = 0;
    EXPECT_EQ(GdipBitmapGetPixel(static_cast<GpBitmap*>(image), 301, 0, &color), InvalidParameter);
    EXPECT_EQ(GdipBitmapGetPixel(static_cast<GpBitmap*>(image), 0, -1, &color), InvalidParameter);
    EXPECT_EQ(GdipDisposeImage(image), Ok);
}

TEST_F(GdiplusTest, TopDownAnd32BitBmpsLoad) {
    std::vector<BYTE> bottomUp = Bmp24(3, 2, Gradient);
    // The same picture with rows top to bottom and a negative height.
    std::vector<BYTE> topDown = bottomUp;
    PutU32(topDown, 22, uint32_t(-2));
    std::memcpy(topDown.data() + 54, bottomUp.data() + 54 + 12, 12);
    std::memcpy(topDown.data() + 54 + 12, bottomUp.data() + 54, 12);
    // And as 32 bits a pixel.
    std::vector<BYTE> wide(54 + 3 * 2 * 4, 0);
    std::memcpy(wide.data(), bottomUp.data(), 54);
    PutU16(wide, 28, 32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            Rgb c = Gradient(x, y);
            BYTE* p = wide.data() + 54 + ((1 - y) * 3 + x) * 4;
            p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = 0x55;
        }
    for (const auto* bytes : {&topDown, &wide}) {
        GpImage* image = Load(*bytes);
        ASSERT_NE(image, nullptr);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelAt(image, x, y), Expected(Gradient(x, y)));
        GdipDisposeImage(image);
    }
}

TEST_F(GdiplusTest, StreamIsReadFromItsPositionUnlessAtTheEnd) {
    std::vector<BYTE> bmp = Bmp24(2, 2, Gradient);
    std::vector<BYTE> prefixed(5 + bmp.size(), 'x');
    std::copy(bmp.begin(), bmp.end(), prefixed.begin() + 5);
    IStream* stream = StreamWith(prefixed);
    LARGE_INTEGER offset{};
    offset.QuadPart = 5;
    stream->Seek(offset, STREAM_SEEK_SET, nullptr);
    GpImage* image = nullptr;
    EXPECT_EQ(GdipLoadImageFromStream(stream, &image), Ok);
    GdipDisposeImage(image);
    // At the end, the image is taken from the start: here not a BMP.
    EXPECT_EQ(GdipLoadImageFromStream(stream, &image), UnknownImageFormat);
    stream->Release();
}

struct Malformed {
    const char* label;
    std::function<void(std::vector<BYTE>&)> damage;
    Status expected;
};

void PrintTo(const Malformed& m, std::ostream* os) { *os << m.label; }

class MalformedBmp : public GdiplusTest, public ::testing::WithParamInterface<Malformed> {};

TEST_P(MalformedBmp, IsRefusedWithoutAnImage) {
    std::vector<BYTE> bmp = Bmp24(4, 3, Gradient);
    GetParam().damage(bmp);
    Status status = Ok;
    GpImage* image = Load(bmp, &status);
    EXPECT_EQ(status, GetParam().expected);
    EXPECT_EQ(image, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedBmp,
    ::testing::Values(
        Malformed{"OneByteShort", [](auto& b) { b.pop_back(); }, InvalidParameter},
        Malformed{"OnlyTheFileHeader", [](auto& b) { b.resize(14); }, InvalidParameter},
        Malformed{"HeaderCutShort", [](auto& b) { b.resize(40); }, InvalidParameter},
        Malformed{"Empty", [](auto& b) { b.clear(); }, UnknownImageFormat},
        Malformed{"NotABmp", [](auto& b) { b[0] = 'P'; }, UnknownImageFormat},
        Malformed{"EightBitPalette", [](auto& b) { PutU16(b, 28, 8); }, InvalidParameter},
        Malformed{"RunLengthCompressed", [](auto& b) { PutU32(b, 30, 1); }, InvalidParameter},
        Malformed{"TwoPlanes", [](auto& b) { PutU16(b, 26, 2); }, InvalidParameter},
        Malformed{"ZeroWidth", [](auto& b) { PutU32(b, 18, 0); }, InvalidParameter},
        Malformed{"NegativeWidth", [](auto& b) { PutU32(b, 18, uint32_t(-4)); }, InvalidParameter},
        Malformed{"ZeroHeight", [](auto& b) { PutU32(b, 22, 0); }, InvalidParameter},
        Malformed{"MostNegativeHeight", [](auto& b) { PutU32(b, 22, 0x80000000u); }, InvalidParameter},
        Malformed{"HugeDimensions",
                  [](auto& b) {
                      PutU32(b, 18, 0x7FFFFFFF);
                      PutU32(b, 22, 0x7FFFFFFF);
                  },
                  InvalidParameter},
        Malformed{"TallerThanItsData", [](auto& b) { PutU32(b, 22, 4); }, InvalidParameter},
        Malformed{"PixelsPastTheEnd", [](auto& b) { PutU32(b, 10, 0xFFFFFFF0u); }, InvalidParameter},
        Malformed{"PixelsInsideTheHeader", [](auto& b) { PutU32(b, 10, 20); }, InvalidParameter},
        Malformed{"CoreHeader", [](auto& b) { PutU32(b, 14, 12); }, InvalidParameter},
        Malformed{"InfoHeaderPastTheEnd", [](auto& b) { PutU32(b, 14, 124); b.resize(100); },
                  InvalidParameter}),
    [](const auto& info) { return std::string(info.param.label); });

class SavedPicture : public GdiplusTest {
protected:
    void SetUp() override {
        GdiplusTest::SetUp();
        folder = MakeTempFolder();
        image = Load(Bmp24(kWidth, kHeight, Gradient));
        ASSERT_NE(image, nullptr);
    }
    void TearDown() override {
        if (image) GdipDisposeImage(image);
        GdiplusTest::TearDown();
    }
    std::vector<BYTE> SaveToFile(const std::string& name, const WCHAR* mime, const EncoderParameters* parameters,
                                 Status expected = Ok) {
        CLSID clsid = Encoder(mime);
        // The caller's path uses backslashes between folders.
        std::string platformPath = folder + "\\" + name;
        EXPECT_EQ(GdipSaveImageToFile(image, Wide(platformPath).c_str(), &clsid, parameters), expected);
        return FileBytes(folder + "/" + name);
    }

    static constexpr int kWidth = 48, kHeight = 40;
    std::string folder;
    GpImage* image = nullptr;
};

TEST_F(SavedPicture, JpegDecodesCloseToTheSource) {
    QualityParameter quality(90);
    std::vector<BYTE> jpeg = SaveToFile("shot.jpg", L"image/jpeg", &quality.parameters);
    DecodedPicture decoded;
    ASSERT_TRUE(DecodeJpeg(jpeg, &decoded));
    ASSERT_EQ(decoded.width, kWidth);
    ASSERT_EQ(decoded.height, kHeight);
    Difference d = Compare(decoded, Gradient);
    EXPECT_LT(d.mean, 2.5);
    EXPECT_LT(d.worst, 24);
}

TEST_F(SavedPicture, HigherQualityGivesALargerFile) {
    size_t previous = 0;
    for (ULONG q : {0u, 10u, 50u, 80u, 100u}) {
        QualityParameter quality(q);
        std::vector<BYTE> jpeg = SaveToFile("q" + std::to_string(q) + ".jpg", L"image/jpeg", &quality.parameters);
        DecodedPicture decoded;
        ASSERT_TRUE(DecodeJpeg(jpeg, &decoded)) << q;
        EXPECT_GT(jpeg.size(), previous) << "quality " << q;
        previous = jpeg.size();
    }
}

TEST_F(SavedPicture, SameInputSameJpegBytes) {
    QualityParameter quality(75);
    EXPECT_EQ(SaveToFile("a.jpg", L"image/jpeg", &quality.parameters),
              SaveToFile("b.jpg", L"image/jpeg", nullptr));  // 75 is the default
}

TEST_F(SavedPicture, PngAndBmpKeepEveryPixel) {
    DecodedPicture png;
    ASSERT_TRUE(DecodePng(SaveToFile("shot.png", L"image/png", nullptr), &png));
    ASSERT_EQ(png.width, kWidth);
    EXPECT_EQ(Compare(png, Gradient).worst, 0);

    std::vector<BYTE> bmp = SaveToFile("shot.bmp", L"image/bmp", nullptr);
    std::vector<BYTE> source = Bmp24(kWidth, kHeight, Gradient);
    ASSERT_EQ(bmp.size(), source.size());
    EXPECT_TRUE(std::equal(bmp.begin() + 54, bmp.end(), source.begin() + 54));
    GpImage* again = Load(bmp);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(PixelAt(again, 47, 39), Expected(Gradient(47, 39)));
    GdipDisposeImage(again);
}

TEST_F(SavedPicture, SavingToAStreamWritesTheSameBytes) {
    CLSID clsid = Encoder(L"image/jpeg");
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(GdipSaveImageToStream(image, stream, &clsid, nullptr), Ok);
    EXPECT_EQ(StreamBytes(stream), SaveToFile("same.jpg", L"image/jpeg", nullptr));
    stream->Release();
}

TEST_F(SavedPicture, BadQualityParametersAreRefusedAndWriteNothing) {
    QualityParameter tooHigh(101);
    SaveToFile("high.jpg", L"image/jpeg", &tooHigh.parameters, InvalidParameter);
    QualityParameter wrongType(50);
    wrongType.parameters.Parameter[0].Type = EncoderParameterValueTypeByte;
    SaveToFile("type.jpg", L"image/jpeg", &wrongType.parameters, InvalidParameter);
    QualityParameter noValue(50);
    noValue.parameters.Parameter[0].Value = nullptr;
    SaveToFile("null.jpg", L"image/jpeg", &noValue.parameters, InvalidParameter);
    EXPECT_FALSE(FileExists(folder + "/high.jpg"));
    EXPECT_FALSE(FileExists(folder + "/type.jpg"));
    EXPECT_FALSE(FileExists(folder + "/null.jpg"));
}

TEST_F(SavedPicture, RefusedSaves) {
    CLSID jpeg = Encoder(L"image/jpeg");
    CLSID unknown = {0x557CF4FF, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    std::wstring path = Wide(folder + "/x.jpg");
    EXPECT_EQ(GdipSaveImageToFile(image, path.c_str(), &unknown, nullptr), FileNotFound);
    EXPECT_EQ(GdipSaveImageToFile(image, path.c_str(), nullptr, nullptr), InvalidParameter);
    EXPECT_EQ(GdipSaveImageToFile(image, nullptr, &jpeg, nullptr), InvalidParameter);
    EXPECT_EQ(GdipSaveImageToFile(image, L"", &jpeg, nullptr), InvalidParameter);
    EXPECT_EQ(GdipSaveImageToFile(image, Wide(folder + "/missing/x.jpg").c_str(), &jpeg, nullptr), Win32Error);
    EXPECT_EQ(GdipSaveImageToFile(nullptr, path.c_str(), &jpeg, nullptr), InvalidParameter);
    EXPECT_FALSE(FileExists(folder + "/x.jpg"));
}

TEST_F(GdiplusTest, DisposedOrForeignImagesAreRefused) {
    GpImage* image = Load(Bmp24(2, 2, Gradient));
    ASSERT_EQ(GdipDisposeImage(image), Ok);
    EXPECT_EQ(GdipDisposeImage(image), InvalidParameter);
    UINT width = 0;
    EXPECT_EQ(GdipGetImageWidth(image, &width), InvalidParameter);
    EXPECT_EQ(GdipDisposeImage(nullptr), InvalidParameter);
    EXPECT_EQ(GdipLoadImageFromStream(nullptr, &image), InvalidParameter);
}

TEST_F(GdiplusTest, WrapperClassesReportThroughLastStatus) {
    IStream* stream = StreamWith(Bmp24(5, 4, Gradient));
    Gdiplus::Image* image = Gdiplus::Image::FromStream(stream);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetLastStatus(), Ok);
    EXPECT_EQ(image->GetWidth(), 5u);
    EXPECT_EQ(image->GetHeight(), 4u);
    std::string folder = MakeTempFolder();
    CLSID jpeg = Encoder(L"image/jpeg");
    QualityParameter quality(60);
    EXPECT_EQ(image->Save(Wide(folder + "/w.jpg").c_str(), &jpeg, &quality.parameters), Ok);
    DecodedPicture decoded;
    EXPECT_TRUE(DecodeJpeg(FileBytes(folder + "/w.jpg"), &decoded));
    EXPECT_EQ(decoded.width, 5);
    delete image;

    Bitmap bitmap(stream);
    ARGB color = 0;
    EXPECT_EQ(bitmap.GetPixel(4, 3, &color), Ok);
    EXPECT_EQ(color, Expected(Gradient(4, 3)));
    stream->Release();

    IStream* junk = StreamWith(std::vector<BYTE>(60, 0x42));
    Bitmap* broken = Bitmap::FromStream(junk);
    EXPECT_NE(broken->GetLastStatus(), Ok);
    EXPECT_EQ(broken->GetLastStatus(), Ok);  // reading the status clears it
    EXPECT_NE(broken->Save(Wide(folder + "/b.jpg").c_str(), &jpeg), Ok);
    delete broken;
    junk->Release();
}

}  // namespace
}  // namespace gdiplus_test::gdiplus_image_test
