#include "PictureFixture.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "ScratchFolder.h"
#include "BasrelReset.h"
#include "ByteWriter.h"
#include "DataRoot.h"
#include "DebugLog.h"
#include "d3d9/Control.h"
#include "shell/D3DDevice.h"
#include "shell/D3DShellStartup.h"
#include "textures/Control.h"
#include "win32/Control.h"

namespace pictures_test {

void PictureFixture::SetUp() {
    lumiva::win32::ResetForTests();
    lumiva::d3d9::ResetForTests();
    BasrelResetForTests();
    ResetDirect3DForTests();
    lumiva::textures::ResetForTests();
    m_root = MakeScratchFolder("pictures");
    ASSERT_FALSE(m_root.empty());
    g_SetRootPath(m_root.c_str());
    basrel::SetDebugLogToFile(false);
    basrel::StartDebugLogCapture();
}

void PictureFixture::TearDown() {
    lumiva::textures::ResetForTests();
    // The device is the test's: the wrapper must not release it.
    g_D3DDevice.device = nullptr;
    ResetDirect3DForTests();
    if (m_device) m_device->Release();
    if (m_d3d) m_d3d->Release();
    lumiva::d3d9::ResetForTests();
    BasrelResetForTests();
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
}

void PictureFixture::CreateDevice() {
    m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(m_d3d, nullptr);
    HWND window = CreateWindowExA(0, "Pictures", "Pictures", WS_OVERLAPPEDWINDOW, 0, 0, 64, 48, nullptr, nullptr,
                                  nullptr, nullptr);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 64;
    pp.BackBufferHeight = 48;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window;
    pp.Windowed = TRUE;
    ASSERT_EQ(m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &m_device),
              D3D_OK);
    g_D3DDevice.device = m_device;
}

void PictureFixture::WriteDataFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(WriteFileBytes(m_root + "/" + name, bytes)) << name;
}

std::vector<std::string> PictureFixture::TakeLog() { return basrel::TakeCapturedLog(); }

D3DSURFACE_DESC LevelDesc(IDirect3DTexture9* texture) {
    D3DSURFACE_DESC desc{};
    EXPECT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    return desc;
}

std::vector<uint8_t> TextureBytes(IDirect3DTexture9* texture) {
    D3DSURFACE_DESC desc = LevelDesc(texture);
    bool dxt = desc.Format == D3DFMT_DXT1 || desc.Format == D3DFMT_DXT3 || desc.Format == D3DFMT_DXT5;
    size_t rowBytes, rows;
    if (dxt) {
        rowBytes = (desc.Width + 3) / 4 * (desc.Format == D3DFMT_DXT1 ? 8 : 16);
        rows = (desc.Height + 3) / 4;
    } else {
        size_t bpp = desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_X8R8G8B8 ? 4 : 2;
        rowBytes = desc.Width * bpp;
        rows = desc.Height;
    }
    D3DLOCKED_RECT locked{};
    std::vector<uint8_t> bytes;
    if (texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) return bytes;
    for (size_t row = 0; row < rows; ++row) {
        const uint8_t* p = static_cast<const uint8_t*>(locked.pBits) + row * size_t(locked.Pitch);
        bytes.insert(bytes.end(), p, p + rowBytes);
    }
    texture->UnlockRect(0);
    return bytes;
}

std::vector<uint16_t> Texels16(IDirect3DTexture9* texture) {
    std::vector<uint8_t> bytes = TextureBytes(texture);
    std::vector<uint16_t> texels(bytes.size() / 2);
    std::memcpy(texels.data(), bytes.data(), texels.size() * 2);
    return texels;
}

}  // namespace pictures_test
