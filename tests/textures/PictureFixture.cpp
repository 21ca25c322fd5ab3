#include "PictureFixture.h"

#include <cstring>

#include "lumiva/basrel/DebugLog.h"
#include "shell/D3DDevice.h"
#include "shell/D3DShellStartup.h"
#include "textures/Control.h"

namespace pictures_test {

void PictureFixture::SetUp() {
    ShellFixture::SetUp();
    lumiva::textures::ResetForTests();
    basrel::SetDebugLogToFile(false);
}

void PictureFixture::TearDown() {
    lumiva::textures::ResetForTests();
    // The device is the test's: the wrapper lets go of it, and of what it
    // made on it, before the test releases it.
    g_D3DDevice.device = nullptr;
    ResetDirect3DForTests();
    if (m_device) m_device->Release();
    if (m_d3d) m_d3d->Release();
    ShellFixture::TearDown();
}

void PictureFixture::CreateDevice() {
    ASSERT_NO_FATAL_FAILURE(test_support::CreateWindowedDevice(&m_d3d, &m_device));
    g_D3DDevice.device = m_device;
}

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
