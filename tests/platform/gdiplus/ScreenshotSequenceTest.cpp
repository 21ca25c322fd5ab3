// The whole sequence a JPEG screenshot takes: a BMP written into a fresh
// HGLOBAL stream (sized first, never rewound), loaded, saved with a quality.
#include "GdiplusTestSupport.h"

namespace gdiplus_test {
namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

// 32-bit screen pixels (blue, green, red, alpha) of a known picture.
std::vector<DWORD> ScreenPixels(int width, int height) {
    std::vector<DWORD> pixels(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Rgb c = Gradient(x, y);
            pixels[size_t(y) * width + x] = 0xFF000000u | DWORD(c.r) << 16 | DWORD(c.g) << 8 | c.b;
        }
    return pixels;
}

bool WriteBmpIntoStream(IStream* stream, const std::vector<DWORD>& pixels, int width, int height) {
    const ULONG rowBytes = (ULONG(width) * 3 + 3) & ~3u;
    ULARGE_INTEGER size{};
    size.QuadPart = 54 + ULONGLONG(rowBytes) * height;
    if (FAILED(stream->SetSize(size))) return false;
    std::vector<BYTE> headers = Bmp24(width, 1, Gradient);
    headers.resize(54);
    PutU32(headers, 2, uint32_t(size.QuadPart));
    PutU32(headers, 22, uint32_t(height));
    if (FAILED(stream->Write(headers.data(), 54, nullptr))) return false;
    std::vector<BYTE> row(rowBytes, 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            DWORD p = pixels[size_t(y) * width + x];
            row[x * 3] = BYTE(p), row[x * 3 + 1] = BYTE(p >> 8), row[x * 3 + 2] = BYTE(p >> 16);
        }
        if (FAILED(stream->Write(row.data(), rowBytes, nullptr))) return false;
    }
    return true;
}

TEST_F(GdiplusTest, ScreenshotSequenceWritesADecodableJpegAndLeavesNothingBehind) {
    const size_t blocksBefore = lumiva::gdiplus::LiveGlobalBlockCount();
    const int width = 301, height = 33;
    std::vector<DWORD> pixels = ScreenPixels(width, height);
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_TRUE(WriteBmpIntoStream(stream, pixels, width, height));
    GpImage* image = nullptr;
    ASSERT_EQ(GdipLoadImageFromStream(stream, &image), Ok);
    CLSID jpeg{};
    ASSERT_TRUE(FindEncoder(L"image/jpeg", &jpeg));
    QualityParameter quality(85);
    std::string folder = MakeTempFolder();
    EXPECT_EQ(GdipSaveImageToFile(image, Wide(folder + "\\ScreenShot.jpg").c_str(), &jpeg, &quality.parameters), Ok);
    EXPECT_EQ(GdipDisposeImage(image), Ok);
    EXPECT_EQ(stream->Release(), 0u);
    EXPECT_EQ(lumiva::gdiplus::LiveGlobalBlockCount(), blocksBefore);

    DecodedPicture decoded;
    ASSERT_TRUE(DecodeJpeg(FileBytes(folder + "/ScreenShot.jpg"), &decoded));
    ASSERT_EQ(decoded.width, width);
    ASSERT_EQ(decoded.height, height);
    // Orientation: the first screen row is the first JPEG row.
    for (auto [x, y] : {std::pair{2, 2}, {298, 2}, {2, 30}, {298, 30}}) {
        Rgb got = decoded.At(x, y), want = Gradient(x, y);
        EXPECT_NEAR(got.r, want.r, 12) << x << "," << y;
        EXPECT_NEAR(got.g, want.g, 12) << x << "," << y;
        EXPECT_NEAR(got.b, want.b, 12) << x << "," << y;
    }
}

}  // namespace
}  // namespace gdiplus_test
