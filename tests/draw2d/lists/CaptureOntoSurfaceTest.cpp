// A made picture (32-bit system copy) composited onto a captured surface.
#include <cstring>

#include "ListsFixture.h"
#include "draw2d/lists/CaptureComposite.h"

namespace {

using lists_test::ListsTest;

class CaptureOntoSurface : public ListsTest {};

void Fill(IDirect3DSurface9* surface, uint32_t colour) {
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, &colour, 4);
    surface->UnlockRect();
}

TEST_F(CaptureOntoSurface, ReadsThePictureInItsOwnFormatAndClipsToTheSurface) {
    ASSERT_NE(Shell()->CreateImage("cap", 2, 1, 2, 1), 0u);
    int32_t info[5] = {};
    auto* bits = static_cast<uint8_t*>(Shell()->LockImage("cap", info));
    ASSERT_NE(bits, nullptr);
    const uint32_t pixels[2] = {0xFF00C000u, 0xFF101010u};  // green, near black
    std::memcpy(bits, pixels, sizeof(pixels));
    Shell()->UnlockImage("cap", 0);

    IDirect3DSurface9* captured = nullptr;
    ASSERT_EQ(Device()->CreateOffscreenPlainSurface(3, 2, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &captured, nullptr),
              D3D_OK);
    Fill(captured, 0xFF8080FEu);

    uint8_t record[240] = {};
    const int32_t a[2] = {1, 1}, rect[4] = {0, 0, 2, 1};
    std::memcpy(record, a, sizeof(a));
    const int16_t imageType = 2;
    std::memcpy(record + 54, &imageType, 2);
    std::strcpy(reinterpret_cast<char*>(record + 56), "cap");
    std::memcpy(record + 208, rect, sizeof(rect));
    CompositePictureOntoSurface(*Shell(), record, captured);

    const lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(captured);
    EXPECT_EQ(image.At(1, 1) & 0xFFFFFF, 0x00C000u);
    EXPECT_EQ(image.At(2, 1) & 0xFFFFFF, 0x40407Fu) << "halved under near black";
    EXPECT_EQ(image.At(0, 1) & 0xFFFFFF, 0x8080FEu);
    EXPECT_EQ(image.At(1, 0) & 0xFFFFFF, 0x8080FEu);

    Shell()->deviceLost = 1;
    Fill(captured, 0xFF8080FEu);
    CompositePictureOntoSurface(*Shell(), record, captured);
    EXPECT_EQ(lumiva::d3d9::SurfaceImage(captured).At(1, 1) & 0xFFFFFF, 0x8080FEu) << "nothing while the device is lost";
    Shell()->deviceLost = 0;
    captured->Release();
}

TEST_F(CaptureOntoSurface, Slot50PastesIntoTheBackBufferSurface) {
    ASSERT_NE(Shell()->CreateImage("cap", 1, 1, 2, 1), 0u);
    int32_t info[5] = {};
    auto* bits = static_cast<uint8_t*>(Shell()->LockImage("cap", info));
    ASSERT_NE(bits, nullptr);
    const uint32_t pixel = 0xFF150000u;  // red 21 is not near black
    std::memcpy(bits, &pixel, sizeof(pixel));
    Shell()->UnlockImage("cap", 0);

    IDirect3DSurface9* captured = nullptr;
    ASSERT_EQ(Device()->CreateOffscreenPlainSurface(3, 2, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &captured, nullptr),
              D3D_OK);
    Fill(captured, 0xFF8080FEu);
    uint8_t record[240] = {};
    const int32_t a[2] = {2, 0}, rect[4] = {0, 0, 1, 1};
    std::memcpy(record, a, sizeof(a));
    const int16_t imageType = 2;
    std::memcpy(record + 54, &imageType, 2);
    std::strcpy(reinterpret_cast<char*>(record + 56), "cap");
    std::memcpy(record + 208, rect, sizeof(rect));

    IDirect3DSurface9* backBuffer = Shell()->backBufferSurface;
    Shell()->backBufferSurface = captured;
    Shell()->CompositePictureToCapture(record);
    Shell()->CompositePictureToCapture(nullptr);
    Shell()->backBufferSurface = backBuffer;

    const lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(captured);
    EXPECT_EQ(image.At(2, 0) & 0xFFFFFF, 0x150000u);
    EXPECT_EQ(image.At(1, 0) & 0xFFFFFF, 0x8080FEu);
    captured->Release();
}

}  // namespace
