#include "ScreenCaptureSupport.h"

#include <d3dx9tex.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "d3d9/Control.h"
#include "shell/D3DDevice.h"
#include "shell/D3DShell.h"
#include "shell/PreviewRender.h"
#include "textures/NamedTexturePool.h"
#include "win32/Control.h"

namespace shell_test {

D3DCOLOR Pattern(int x, int y) {
    return 0xFF000000u | uint32_t(x & 0xFF) << 16 | uint32_t(y & 0xFF) << 8 | uint32_t((x / 4 + y / 3) & 0xFF);
}

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(bytes.at(at)) | uint32_t(bytes.at(at + 1)) << 8 | uint32_t(bytes.at(at + 2)) << 16 |
           uint32_t(bytes.at(at + 3)) << 24;
}

uint16_t U16At(const std::vector<uint8_t>& bytes, size_t at) {
    return uint16_t(bytes.at(at) | bytes.at(at + 1) << 8);
}

void PaintSurface(IDirect3DSurface9* surface, const PixelPicture& picture) {
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(surface->GetDesc(&desc), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < desc.Height; ++y) {
        auto* row = static_cast<uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch;
        for (UINT x = 0; x < desc.Width; ++x) {
            D3DCOLOR c = picture(int(x), int(y));
            if (desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_X8R8G8B8) {
                std::memcpy(row + x * 4, &c, 4);
            } else {
                uint16_t v = desc.Format == D3DFMT_R5G6B5
                                 ? uint16_t((Red(c) >> 3) << 11 | (Green(c) >> 2) << 5 | Blue(c) >> 3)
                                 : uint16_t(0x8000 | (Red(c) >> 3) << 10 | (Green(c) >> 3) << 5 | Blue(c) >> 3);
                std::memcpy(row + x * 2, &v, 2);
            }
        }
    }
    surface->UnlockRect();
}

std::vector<D3DCOLOR> SurfacePixels(IDirect3DSurface9* surface, UINT* width, UINT* height) {
    lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(surface);
    if (width) *width = image.width;
    if (height) *height = image.height;
    return image.pixels;
}

bool DecodeImageFile(const std::vector<uint8_t>& bytes, UINT* width, UINT* height, std::vector<D3DCOLOR>* pixels) {
    D3DXIMAGE_INFO info{};
    if (bytes.empty() || FAILED(D3DXGetImageInfoFromFileInMemory(bytes.data(), UINT(bytes.size()), &info)))
        return false;
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(g_D3DDevice.device->CreateOffscreenPlainSurface(info.Width, info.Height, D3DFMT_A8R8G8B8,
                                                               D3DPOOL_SYSTEMMEM, &surface, nullptr)))
        return false;
    bool ok = SUCCEEDED(D3DXLoadSurfaceFromFileInMemory(surface, nullptr, nullptr, bytes.data(), UINT(bytes.size()),
                                                        nullptr, D3DX_FILTER_NONE, 0, nullptr));
    if (ok) *pixels = SurfacePixels(surface, width, height);
    surface->Release();
    return ok;
}

void ScreenCaptureTest::TearDown() {
    ResetPreviewForTests();
    NamedTexturePool().Clear();
    DrawShellTest::TearDown();
}

KDrawShell* ScreenCaptureTest::MakePresentedShell(bool fullScreen) {
    KDrawShell* shell = MakeCreatedShell(fullScreen);
    PaintBackBuffer(Pattern);
    PresentFrame();
    return shell;
}

void ScreenCaptureTest::PaintBackBuffer(const PixelPicture& picture) {
    ASSERT_NE(m_shell->backBufferSurface, nullptr);
    PaintSurface(m_shell->backBufferSurface, picture);
}

void ScreenCaptureTest::PresentFrame() {
    ASSERT_EQ(g_D3DDevice.device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

RECT ScreenCaptureTest::ClientArea() {
    RECT area{};
    EXPECT_TRUE(lumiva::win32::ClientAreaOnDesktop(g_MainWindow, &area));
    return area;
}

std::vector<uint8_t> ScreenCaptureTest::DataFileBytes(const std::string& relative) const {
    std::ifstream in(m_root + "/" + relative, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace shell_test
