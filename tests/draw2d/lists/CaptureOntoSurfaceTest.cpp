// A made picture (32-bit system copy) composited onto a captured surface.
#include <cstring>
#include <initializer_list>

#include "ListsFixture.h"
#include "draw2d/lists/CaptureComposite.h"

namespace {

using lists_test::ListsTest;

constexpr uint32_t kCapturedColour = 0xFF8080FEu;

class CaptureOntoSurface : public ListsTest {
protected:
    // The made 32-bit picture "cap", one row of these pixels.
    void MakePicture(std::initializer_list<uint32_t> row) {
        ASSERT_NE(Shell()->CreateImage("cap", int(row.size()), 1, 2, 1), 0u);
        int32_t info[5] = {};
        auto* bits = static_cast<uint8_t*>(Shell()->LockImage("cap", info));
        ASSERT_NE(bits, nullptr);
        std::memcpy(bits, row.begin(), row.size() * sizeof(uint32_t));
        Shell()->UnlockImage("cap", 0);
    }
    // A 3 x 2 captured surface in system memory, filled with kCapturedColour.
    IDirect3DSurface9* MakeCapturedSurface() {
        IDirect3DSurface9* captured = nullptr;
        EXPECT_EQ(Device()->CreateOffscreenPlainSurface(3, 2, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &captured, nullptr),
                  D3D_OK);
        if (captured) Fill(captured);
        return captured;
    }
    static void Fill(IDirect3DSurface9* surface) {
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, &kCapturedColour, 4);
        surface->UnlockRect();
    }
};

// A 240-byte record naming "cap" (image type 2) at point A, with the part of
// the picture to paste.
struct CompositeRecord {
    uint8_t bytes[240] = {};
    CompositeRecord(int32_t x, int32_t y, std::initializer_list<int32_t> part) {
        const int32_t a[2] = {x, y};
        std::memcpy(bytes, a, sizeof(a));
        const int16_t imageType = 2;
        std::memcpy(bytes + 54, &imageType, 2);
        std::strcpy(reinterpret_cast<char*>(bytes + 56), "cap");
        std::memcpy(bytes + 208, part.begin(), 4 * sizeof(int32_t));
    }
};

TEST_F(CaptureOntoSurface, ReadsThePictureInItsOwnFormatAndClipsToTheSurface) {
    MakePicture({0xFF00C000u, 0xFF101010u});  // green, near black
    IDirect3DSurface9* captured = MakeCapturedSurface();
    ASSERT_NE(captured, nullptr);
    CompositeRecord record(1, 1, {0, 0, 2, 1});
    CompositePictureOntoSurface(*Shell(), record.bytes, captured);

    const lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(captured);
    EXPECT_EQ(image.At(1, 1) & 0xFFFFFF, 0x00C000u);
    EXPECT_EQ(image.At(2, 1) & 0xFFFFFF, 0x40407Fu) << "halved under near black";
    EXPECT_EQ(image.At(0, 1) & 0xFFFFFF, 0x8080FEu);
    EXPECT_EQ(image.At(1, 0) & 0xFFFFFF, 0x8080FEu);

    Shell()->deviceLost = 1;
    Fill(captured);
    CompositePictureOntoSurface(*Shell(), record.bytes, captured);
    EXPECT_EQ(lumiva::d3d9::SurfaceImage(captured).At(1, 1) & 0xFFFFFF, 0x8080FEu) << "nothing while the device is lost";
    Shell()->deviceLost = 0;
    captured->Release();
}

TEST_F(CaptureOntoSurface, Slot50PastesIntoTheBackBufferSurface) {
    MakePicture({0xFF150000u});  // red 21 is not near black
    IDirect3DSurface9* captured = MakeCapturedSurface();
    ASSERT_NE(captured, nullptr);
    CompositeRecord record(2, 0, {0, 0, 1, 1});

    IDirect3DSurface9* backBuffer = Shell()->backBufferSurface;
    Shell()->backBufferSurface = captured;
    Shell()->CompositePictureToCapture(record.bytes);
    Shell()->CompositePictureToCapture(nullptr);
    Shell()->backBufferSurface = backBuffer;

    const lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(captured);
    EXPECT_EQ(image.At(2, 0) & 0xFFFFFF, 0x150000u);
    EXPECT_EQ(image.At(1, 0) & 0xFFFFFF, 0x8080FEu);
    captured->Release();
}

}  // namespace
