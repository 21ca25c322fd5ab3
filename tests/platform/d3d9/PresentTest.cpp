// Presentation onto the virtual desktop's front buffer: whole frames,
// rectangles, other windows, clipping, read-back and PNG files.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "DeviceFixture.h"

using namespace lumiva::d3d9;

namespace present_test {
namespace {

constexpr D3DCOLOR kBlack = 0xFF000000;
constexpr D3DCOLOR kRed = 0xFFFF0000;
constexpr D3DCOLOR kGreen = 0xFF00FF00;
constexpr D3DCOLOR kBlue = 0xFF0000FF;

// A fresh folder under $LUMIVA_TEST_TMP (or /tmp); empty on failure.
std::string MakeTempFolder() {
    const char* base = std::getenv("LUMIVA_TEST_TMP");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/d3d9-XXXXXX";
    if (base && *base) mkdir(base, 0755);
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    return mkdtemp(buffer.data()) ? std::string(buffer.data()) : std::string();
}

class PresentTest : public D3D9Test {
protected:
    void ClearRect(LONG x1, LONG y1, LONG x2, LONG y2, D3DCOLOR color) {
        const D3DRECT r{x1, y1, x2, y2};
        ASSERT_EQ(device_->Clear(1, &r, D3DCLEAR_TARGET, color, 1.0f, 0), D3D_OK);
    }
    void ClearAll(D3DCOLOR color) { ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0), D3D_OK); }
};

TEST_F(PresentTest, WholeFrameLandsOnTheWindowsClientArea) {
    CreateDevice();
    ClearAll(kRed);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    const Image front = FrontBuffer();
    ASSERT_EQ(front.width, 1024u);
    ASSERT_EQ(front.height, 768u);
    EXPECT_EQ(front.At(kWindowX, kWindowY), kRed);
    EXPECT_EQ(front.At(kWindowX + kWidth - 1, kWindowY + kHeight - 1), kRed);
    EXPECT_EQ(front.At(kWindowX - 1, kWindowY), kBlack);
    EXPECT_EQ(front.At(kWindowX + kWidth, kWindowY), kBlack);
    EXPECT_EQ(front.At(kWindowX, kWindowY + kHeight), kBlack);
}

TEST_F(PresentTest, RectanglesCopyPartsAndScale) {
    CreateDevice();
    ClearAll(kRed);
    device_->Present(nullptr, nullptr, nullptr, nullptr);
    ClearRect(0, 0, 32, 48, kGreen);
    ClearRect(32, 0, 64, 48, kBlue);
    // The left half of the back buffer onto the right half of the window.
    const RECT source{0, 0, 32, 48};
    const RECT dest{32, 0, 64, 48};
    ASSERT_EQ(device_->Present(&source, &dest, nullptr, nullptr), D3D_OK);
    Image front = FrontBuffer();
    EXPECT_EQ(front.At(kWindowX + 31, kWindowY + 10), kRed);  // untouched
    EXPECT_EQ(front.At(kWindowX + 32, kWindowY + 10), kGreen);
    EXPECT_EQ(front.At(kWindowX + 63, kWindowY + 47), kGreen);

    // A 2x stretch of the top-left quarter: (0,0)-(32,24) of the back buffer
    // is green left of x = 32, so the whole window turns green.
    const RECT quarter{0, 0, 32, 24};
    ASSERT_EQ(device_->Present(&quarter, nullptr, nullptr, nullptr), D3D_OK);
    front = FrontBuffer();
    EXPECT_EQ(front.At(kWindowX + 63, kWindowY + 47), kGreen);

    const RECT mixed{16, 0, 48, 48};  // green then blue, stretched over the whole window
    ASSERT_EQ(device_->Present(&mixed, nullptr, nullptr, nullptr), D3D_OK);
    front = FrontBuffer();
    EXPECT_EQ(front.At(kWindowX + 31, kWindowY), kGreen);
    EXPECT_EQ(front.At(kWindowX + 32, kWindowY), kBlue);
}

TEST_F(PresentTest, RectanglesNeedTheCopySwapEffect) {
    CreateDevice(WindowedParameters(D3DSWAPEFFECT_DISCARD));
    const RECT r{0, 0, 8, 8};
    EXPECT_EQ(device_->Present(&r, &r, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Present(nullptr, &r, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(PresentTest, BadRectanglesAreRefused) {
    CreateDevice();
    const RECT outside{0, 0, 65, 48};
    const RECT empty{10, 10, 10, 20};
    EXPECT_EQ(device_->Present(&outside, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Present(nullptr, &empty, nullptr, nullptr), D3DERR_INVALIDCALL);
    const RECT huge{-2147483000, 0, 10, 10};
    EXPECT_EQ(device_->Present(nullptr, &huge, nullptr, nullptr), D3DERR_INVALIDCALL);
    HWND gone = CreateWindowExA(0, "Test", "Gone", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_EQ(device_->Present(nullptr, nullptr, gone, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(PresentTest, OverrideWindowAndClipping) {
    CreateDevice();
    HWND other = CreateWindowExA(0, "Test", "Other", WS_POPUP | WS_VISIBLE, 1000, 740, 64, 48, nullptr, nullptr,
                                 nullptr, nullptr);
    ClearAll(kBlue);
    ASSERT_EQ(device_->Present(nullptr, nullptr, other, nullptr), D3D_OK);
    Image front = FrontBuffer();
    EXPECT_EQ(front.At(1000, 740), kBlue);
    EXPECT_EQ(front.At(1023, 767), kBlue);  // the rest lies off the desktop
    EXPECT_EQ(front.At(kWindowX, kWindowY), kBlack);

    // A destination larger than the client area is cut at the client edge.
    ClearAll(kGreen);
    const RECT big{-10, -10, 74, 58};
    ASSERT_EQ(device_->Present(nullptr, &big, nullptr, nullptr), D3D_OK);
    front = FrontBuffer();
    EXPECT_EQ(front.At(kWindowX, kWindowY), kGreen);
    EXPECT_EQ(front.At(kWindowX - 1, kWindowY), kBlack);
    EXPECT_EQ(front.At(kWindowX + kWidth, kWindowY + 5), kBlack);
    DestroyWindow(other);
}

TEST_F(PresentTest, FrontBufferDataReturnsWhatWasPresented) {
    CreateDevice();
    ClearAll(kRed);
    device_->Present(nullptr, nullptr, nullptr, nullptr);
    IDirect3DSurface9* capture = nullptr;
    ASSERT_EQ(device_->CreateOffscreenPlainSurface(1024, 768, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &capture, nullptr),
              D3D_OK);
    ASSERT_EQ(device_->GetFrontBufferData(0, capture), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(capture->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(locked.pBits) + kWindowY * locked.Pitch);
    EXPECT_EQ(row[kWindowX], kRed);
    EXPECT_EQ(row[kWindowX - 1], kBlack);
    capture->UnlockRect();
    capture->Release();

    IDirect3DSurface9* wrong = nullptr;
    ASSERT_EQ(device_->CreateOffscreenPlainSurface(800, 600, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &wrong, nullptr),
              D3D_OK);
    EXPECT_EQ(device_->GetFrontBufferData(0, wrong), D3DERR_INVALIDCALL);
    wrong->Release();
    EXPECT_EQ(device_->GetFrontBufferData(0, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(PresentTest, FullScreenPresentFillsTheScreen) {
    D3DPRESENT_PARAMETERS pp = WindowedParameters(D3DSWAPEFFECT_DISCARD);
    pp.Windowed = FALSE;
    pp.BackBufferWidth = 640;
    pp.BackBufferHeight = 480;
    CreateDevice(pp);
    ClearAll(kGreen);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    const Image front = FrontBuffer();
    ASSERT_EQ(front.width, 640u);
    EXPECT_EQ(front.At(0, 0), kGreen);
    EXPECT_EQ(front.At(639, 479), kGreen);
}

TEST_F(PresentTest, FrontBufferSavesAsPng) {
    CreateDevice();
    ClearAll(kRed);
    device_->Present(nullptr, nullptr, nullptr, nullptr);
    const std::string made = MakeTempFolder();
    ASSERT_FALSE(made.empty());
    const std::string path = made + "/front.png";
    ASSERT_TRUE(SaveFrontBufferPng(path));
    FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    unsigned char signature[8] = {};
    EXPECT_EQ(std::fread(signature, 1, 8, file), 8u);
    std::fclose(file);
    EXPECT_EQ(signature[1], 'P');
    EXPECT_EQ(signature[2], 'N');
    EXPECT_EQ(signature[3], 'G');
    std::remove(path.c_str());
    rmdir(made.c_str());
    EXPECT_FALSE(SaveFrontBufferPng(made + "/missing-folder/x.png"));
}

}  // namespace
}  // namespace present_test
