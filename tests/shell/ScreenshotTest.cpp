#include <windows.h>
#include <d3d9.h>

#include <cstdlib>

#include "ScreenCaptureSupport.h"
#include "d3d9/Control.h"
#include "shell/D3DShell.h"
#include "shell/GdiplusJpeg.h"
#include "win32/Control.h"

namespace shell_test {
namespace {

// The BMP a screenshot of `area` of the front buffer must be, built here
// field by field: headers, then rows bottom-up, BGR, padded to 4 bytes.
std::vector<uint8_t> ExpectedBmp(const lumiva::d3d9::Image& front, const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    const size_t rowBytes = (size_t(width) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> bmp(54 + rowBytes * height, 0);
    auto put16 = [&](size_t at, uint32_t v) { bmp[at] = uint8_t(v), bmp[at + 1] = uint8_t(v >> 8); };
    auto put32 = [&](size_t at, uint32_t v) { put16(at, v & 0xFFFF), put16(at + 2, v >> 16); };
    put16(0, 0x4D42);
    put32(2, uint32_t(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    put16(26, 1);
    put16(28, 24);
    put32(38, 2880);
    put32(42, 2880);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            D3DCOLOR c = front.At(UINT(area.left + x), UINT(area.top + y));
            uint8_t* at = bmp.data() + 54 + size_t(height - 1 - y) * rowBytes + size_t(x) * 3;
            at[0] = uint8_t(Blue(c)), at[1] = uint8_t(Green(c)), at[2] = uint8_t(Red(c));
        }
    return bmp;
}

// Moves the main window so that its client area has this place and size.
void PlaceClientArea(HWND window, int left, int top, int width, int height) {
    RECT frame{0, 0, width, height};
    ASSERT_TRUE(AdjustWindowRect(&frame, DWORD(GetWindowLongA(window, GWL_STYLE)), FALSE));
    ASSERT_TRUE(MoveWindow(window, left + frame.left, top + frame.top, frame.right - frame.left,
                           frame.bottom - frame.top, FALSE));
}

using ScreenshotTest = ScreenCaptureTest;

TEST_F(ScreenshotTest, WindowedBmpIsTheClientAreaOfTheFrontBufferByteForByte) {
    MakePresentedShell();
    const RECT area = ClientArea();
    ASSERT_EQ(area.right - area.left, 800);
    ASSERT_EQ(area.bottom - area.top, 600);

    ASSERT_TRUE(m_shell->SaveScreenShot("\\shots\\Screen.bmp", 0, 0));

    const lumiva::d3d9::Image front = lumiva::d3d9::FrontBuffer();
    // The presented picture is the painted one, one to one.
    EXPECT_EQ(front.At(UINT(area.left + 17), UINT(area.top + 9)), Pattern(17, 9));
    EXPECT_EQ(DataFileBytes("shots/Screen.bmp"), ExpectedBmp(front, area));
}

TEST_F(ScreenshotTest, FullScreenBmpIsTheWholeScreen) {
    MakePresentedShell(true);
    ASSERT_TRUE(m_shell->SaveScreenShot("Full.bmp", 0, 0));
    std::vector<uint8_t> bmp = DataFileBytes("Full.bmp");
    ASSERT_EQ(bmp.size(), 54u + 2400u * 600u);
    EXPECT_EQ(U32At(bmp, 18), 800u);
    EXPECT_EQ(U32At(bmp, 22), 600u);
    // Last file row is the top screen row.
    const uint8_t* top = bmp.data() + 54 + 2400 * 599;
    for (int x : {0, 1, 400, 799}) {
        D3DCOLOR want = Pattern(x, 0);
        EXPECT_EQ(top[x * 3], Blue(want));
        EXPECT_EQ(top[x * 3 + 1], Green(want));
        EXPECT_EQ(top[x * 3 + 2], Red(want));
    }
}

TEST_F(ScreenshotTest, OddWidthRowsArePaddedToFourBytes) {
    MakeCreatedShell();
    PlaceClientArea(g_MainWindow, 20, 30, 301, 40);
    PaintBackBuffer(Pattern);
    PresentFrame();
    ASSERT_TRUE(m_shell->SaveScreenShot("Odd.bmp", 0, 0));
    std::vector<uint8_t> bmp = DataFileBytes("Odd.bmp");
    EXPECT_EQ(bmp.size(), 54u + 904u * 40u);
    EXPECT_EQ(bmp, ExpectedBmp(lumiva::d3d9::FrontBuffer(), RECT{20, 30, 321, 70}));
}

TEST_F(ScreenshotTest, ClientAreaPastTheDesktopEdgesIsClippedKeepingTheLastColumnAndRow) {
    MakeCreatedShell();
    const int desktopWidth = GetSystemMetrics(SM_CXSCREEN), desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    struct Case {
        int left, top;
        RECT expected;
    };
    const Case cases[] = {
        {desktopWidth - 100, 50, RECT{desktopWidth - 100, 50, desktopWidth, 250}},     // right edge
        {40, desktopHeight - 60, RECT{40, desktopHeight - 60, 340, desktopHeight}},    // bottom edge
        {-120, -30, RECT{0, 0, 180, 170}},                                             // left and top
    };
    for (const Case& c : cases) {
        PlaceClientArea(g_MainWindow, c.left, c.top, 300, 200);
        PaintBackBuffer(Pattern);
        PresentFrame();
        ASSERT_TRUE(m_shell->SaveScreenShot("Edge.bmp", 0, 0)) << c.left << "," << c.top;
        EXPECT_EQ(DataFileBytes("Edge.bmp"), ExpectedBmp(lumiva::d3d9::FrontBuffer(), c.expected))
            << c.left << "," << c.top;
    }
}

TEST_F(ScreenshotTest, RefusalsReturnFalseAndWriteNothing) {
    MakePresentedShell();
    EXPECT_FALSE(m_shell->SaveScreenShot(nullptr, 0, 0));
    EXPECT_FALSE(m_shell->SaveScreenShot("", 0, 0));
    EXPECT_FALSE(m_shell->SaveScreenShot("", 1, 80));

    m_shell->deviceLost = 1;
    EXPECT_FALSE(m_shell->SaveScreenShot("Lost.bmp", 0, 0));
    EXPECT_FALSE(DataFileExists("Lost.bmp"));
    m_shell->deviceLost = 0;

    const int desktopWidth = GetSystemMetrics(SM_CXSCREEN), desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    for (POINT place : {POINT{desktopWidth, 10}, POINT{10, desktopHeight}, POINT{-300, 10}, POINT{10, -200}}) {
        PlaceClientArea(g_MainWindow, place.x, place.y, 300, 200);
        EXPECT_FALSE(m_shell->SaveScreenShot("Off.bmp", 0, 0)) << place.x << "," << place.y;
        EXPECT_FALSE(m_shell->SaveScreenShot("Off.jpg", 1, 80)) << place.x << "," << place.y;
    }
    EXPECT_FALSE(DataFileExists("Off.bmp"));
    EXPECT_FALSE(DataFileExists("Off.jpg"));

    // A failed front-buffer read.
    PlaceClientArea(g_MainWindow, 10, 10, 300, 200);
    lumiva::d3d9::FailCreationAt(1);
    EXPECT_FALSE(m_shell->SaveScreenShot("NoSurface.bmp", 0, 0));
    EXPECT_FALSE(DataFileExists("NoSurface.bmp"));
}

// Mean and largest per-channel difference between a decoded JPEG and the
// front buffer's area.
void CompareWithFront(const std::vector<D3DCOLOR>& decoded, const lumiva::d3d9::Image& front, const RECT& area,
                      double* mean, int* worst) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    double sum = 0;
    *worst = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            D3DCOLOR got = decoded[size_t(y) * width + x], want = front.At(UINT(area.left + x), UINT(area.top + y));
            for (int d : {Red(got) - Red(want), Green(got) - Green(want), Blue(got) - Blue(want)}) {
                sum += std::abs(d);
                *worst = std::max(*worst, std::abs(d));
            }
        }
    *mean = sum / (3.0 * width * height);
}

TEST_F(ScreenshotTest, JpegDecodesToTheScreenAndHigherQualityIsLarger) {
    MakePresentedShell();
    const RECT area = ClientArea();
    ASSERT_TRUE(m_shell->SaveScreenShot("\\shots\\High.jpg", 1, 95));
    ASSERT_TRUE(m_shell->SaveScreenShot("\\shots\\Low.jpg", 1, 20));
    std::vector<uint8_t> high = DataFileBytes("shots/High.jpg"), low = DataFileBytes("shots/Low.jpg");
    ASSERT_GE(high.size(), 2u);
    EXPECT_EQ(high[0], 0xFF);
    EXPECT_EQ(high[1], 0xD8);
    EXPECT_GT(high.size(), low.size());

    const lumiva::d3d9::Image front = lumiva::d3d9::FrontBuffer();
    for (auto [bytes, meanLimit] : {std::pair{&high, 2.0}, std::pair{&low, 6.0}}) {
        UINT width = 0, height = 0;
        std::vector<D3DCOLOR> decoded;
        ASSERT_TRUE(DecodeImageFile(*bytes, &width, &height, &decoded));
        ASSERT_EQ(width, 800u);
        ASSERT_EQ(height, 600u);
        double mean = 0;
        int worst = 0;
        CompareWithFront(decoded, front, area, &mean, &worst);
        // Sharp wraps in the pattern ring, so only the mean is bounded.
        EXPECT_LT(mean, meanLimit);
    }
}

TEST_F(ScreenshotTest, JpegNeedsGdiplusStarted) {
    MakePresentedShell();
    ShutdownGdiplus();
    EXPECT_FALSE(m_shell->SaveScreenShot("NoGdiplus.jpg", 1, 80));
    EXPECT_FALSE(DataFileExists("NoGdiplus.jpg"));
    EXPECT_TRUE(StartupGdiplus());
    EXPECT_TRUE(StartupGdiplus());
    EXPECT_TRUE(m_shell->SaveScreenShot("Gdiplus.jpg", 1, 80));
    EXPECT_TRUE(DataFileExists("Gdiplus.jpg"));
}

TEST_F(ScreenshotTest, JpegPathTooLongForGdiplusIsRefusedNotCut) {
    MakePresentedShell();
    std::string path;
    for (int i = 0; i < 6; ++i) path += "\\" + std::string(100, char('a' + i));
    path += "\\Shot.jpg";
    EXPECT_FALSE(m_shell->SaveScreenShot(path.c_str(), 1, 80));
    EXPECT_TRUE(m_shell->SaveScreenShot("\\aaaa\\Shot.jpg", 1, 80));
}

TEST_F(ScreenshotTest, EncoderLookupComparesTheMimeTypeExactly) {
    MakeCreatedShell();
    CLSID jpeg{}, unused{};
    EXPECT_GE(FindImageEncoder(L"image/jpeg", &jpeg), 0);
    EXPECT_NE(jpeg, CLSID{});
    EXPECT_EQ(FindImageEncoder(L"image/JPEG", &unused), -1);
    EXPECT_EQ(FindImageEncoder(L"image/jpg", &unused), -1);
    EXPECT_EQ(FindImageEncoder(L"image/x-unknown", &unused), -1);
}

TEST_F(ScreenshotTest, DdsScreenshotHoldsTheRenderTargetAtTheScreenSize) {
    KDrawShell* shell = MakeShell();
    shell->SetLargeScreen(1);
    ASSERT_TRUE(shell->Create(1024, 768, 1, 0, 0));
    PaintBackBuffer(Pattern);
    shell->SaveScreenShotDDS();

    std::vector<uint8_t> dds = DataFileBytes("ScreenShot.DDS");
    ASSERT_GE(dds.size(), 128u);
    EXPECT_EQ(U32At(dds, 0), 0x20534444u);  // "DDS "
    EXPECT_EQ(U32At(dds, 4), 124u);
    EXPECT_EQ(U32At(dds, 12), 768u);           // height
    EXPECT_EQ(U32At(dds, 16), 1024u);          // width
    EXPECT_EQ(U32At(dds, 84), 0x35545844u);    // "DXT5"
    EXPECT_EQ(dds.size(), 128u + 256u * 192u * 16u);

    UINT width = 0, height = 0;
    std::vector<D3DCOLOR> decoded;
    ASSERT_TRUE(DecodeImageFile(dds, &width, &height, &decoded));
    ASSERT_EQ(width, 1024u);
    ASSERT_EQ(height, 768u);
    int worst = 0;
    for (int y = 0; y < 768; y += 7)
        for (int x = 0; x < 1024; x += 5) {
            D3DCOLOR got = decoded[size_t(y) * 1024 + x], want = Pattern(x, y);
            worst = std::max({worst, std::abs(Red(got) - Red(want)), std::abs(Green(got) - Green(want)),
                              std::abs(Blue(got) - Blue(want))});
        }
    EXPECT_LT(worst, 24);
}

TEST_F(ScreenshotTest, DdsScreenshotWritesNothingWithoutItsObjects) {
    MakeCreatedShell();
    m_shell->deviceLost = 1;
    m_shell->SaveScreenShotDDS();
    EXPECT_FALSE(DataFileExists("ScreenShot.DDS"));
    m_shell->deviceLost = 0;
    lumiva::d3d9::FailCreationAt(1);
    m_shell->SaveScreenShotDDS();
    EXPECT_FALSE(DataFileExists("ScreenShot.DDS"));
}

}  // namespace
}  // namespace shell_test
