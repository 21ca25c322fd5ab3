#include <windows.h>
#include <d3d9.h>

#include <cstring>

#include "ScreenCaptureSupport.h"
#include "d3d9/Control.h"
#include "shell/D3DDevice.h"

namespace shell_test {
namespace {

constexpr int kSide = 128;

uint32_t Large(KDrawShell* shell, int row, int column) {
    uint32_t v;
    std::memcpy(&v, shell->captureBuffers.large.data() + (size_t(row) * kSide + column) * 4, 4);
    return v;
}

uint16_t Small(KDrawShell* shell, int row, int column) {
    uint16_t v;
    std::memcpy(&v, shell->captureBuffers.small.data() + (size_t(row) * kSide + column) * 2, 2);
    return v;
}

uint16_t As565(D3DCOLOR c) { return uint16_t((Red(c) >> 3) << 11 | (Green(c) >> 2) << 5 | Blue(c) >> 3); }

using PixelCaptureTest = ScreenCaptureTest;

TEST_F(PixelCaptureTest, ThirtyTwoBitRectangleLandsInRowsOf128Pixels) {
    MakeCreatedShell();
    PaintBackBuffer(Pattern);
    m_shell->ReadCapturedPixels(10, 20, 5, 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c) EXPECT_EQ(Large(m_shell, r, c), Pattern(10 + c, 20 + r)) << r << "," << c;
    // Nothing beyond the rectangle is written.
    EXPECT_EQ(Large(m_shell, 0, 5), 0u);
    EXPECT_EQ(Large(m_shell, 3, 0), 0u);
}

TEST_F(PixelCaptureTest, RectanglesAreClippedToTheBackBufferAndTheBuffer) {
    MakeCreatedShell();
    PaintBackBuffer(Pattern);
    struct Case {
        int x, y, width, height;
    };
    for (const Case& c : {Case{790, 595, 20, 10}, Case{-5, -3, 10, 10}, Case{0, 0, 200, 300}, Case{700, 0, 128, 1}}) {
        std::fill(m_shell->captureBuffers.large.begin(), m_shell->captureBuffers.large.end(), uint8_t{0xAB});
        m_shell->ReadCapturedPixels(c.x, c.y, c.width, c.height);
        const int width = std::min(c.width, kSide), height = std::min(c.height, kSide);
        for (int r = 0; r < height; ++r)
            for (int col = 0; col < width; ++col) {
                const int x = c.x + col, y = c.y + r;
                const bool inside = x >= 0 && x < 800 && y >= 0 && y < 600;
                ASSERT_EQ(Large(m_shell, r, col), inside ? Pattern(x, y) : 0u)
                    << c.x << "," << c.y << " at " << r << "," << col;
            }
    }
}

TEST_F(PixelCaptureTest, NothingIsReadWhileLostOrWithoutABackBuffer) {
    MakeCreatedShell();
    PaintBackBuffer(Pattern);
    m_shell->deviceLost = 1;
    m_shell->ReadCapturedPixels(10, 10, 4, 4);
    EXPECT_EQ(Large(m_shell, 0, 0), 0u);
    m_shell->deviceLost = 0;
    IDirect3DSurface9* back = m_shell->backBufferSurface;
    m_shell->backBufferSurface = nullptr;
    m_shell->ReadCapturedPixels(10, 10, 4, 4);
    m_shell->backBufferSurface = back;
    EXPECT_EQ(Large(m_shell, 0, 0), 0u);
    m_shell->ReadCapturedPixels(10, 10, 0, 4);
    m_shell->ReadCapturedPixels(10, 10, -3, 4);
    EXPECT_EQ(Large(m_shell, 0, 0), 0u);
}

TEST_F(PixelCaptureTest, SixteenBitBackBufferFillsTheSmallBuffer) {
    lumiva::d3d9::AdapterConfig adapter = lumiva::d3d9::DefaultAdapter();
    adapter.displayMode.Format = D3DFMT_R5G6B5;
    lumiva::d3d9::SetAdapters({adapter});
    MakeCreatedShell();
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(m_shell->backBufferSurface->GetDesc(&desc), D3D_OK);
    ASSERT_EQ(desc.Format, D3DFMT_R5G6B5);
    PaintBackBuffer(Pattern);
    m_shell->ReadCapturedPixels(300, 200, 6, 4);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 6; ++c) EXPECT_EQ(Small(m_shell, r, c), As565(Pattern(300 + c, 200 + r)));
    EXPECT_EQ(Large(m_shell, 0, 0), 0u);
}

}  // namespace
}  // namespace shell_test
