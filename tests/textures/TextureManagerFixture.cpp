#include "TextureManagerFixture.h"

#include <cstring>

#include "DxtBlocks.h"
#include "SprWriter.h"
#include "lumiva/basrel/DebugLog.h"
#include "shell/D3DDevice.h"
#include "textures/NamedTexturePool.h"
#include "win32/Control.h"

namespace texmgr_test {

void TextureManagerTest::SetUp() {
    ShellFixture::SetUp();
    ResetTextureManagerForTests();
    NamedTexturePool().Clear();
    lumiva::win32::InstallManualClock(kClockStartMs);
    basrel::SetDebugLogToFile(false);
}

void TextureManagerTest::TearDown() {
    ResetTextureManagerForTests();
    NamedTexturePool().Clear();
    // The device is the test's: the wrapper must not release it.
    g_D3DDevice.device = nullptr;
    if (m_device) m_device->Release();
    if (m_d3d) m_d3d->Release();
    ShellFixture::TearDown();
}

void TextureManagerTest::CreateDevice() {
    ASSERT_NO_FATAL_FAILURE(test_support::CreateWindowedDevice(&m_d3d, &m_device));
    ASSERT_TRUE(Manager().Init(m_device, 1, 0));
    g_D3DDevice.device = m_device;
}

void TextureManagerTest::WriteDataFile(const std::string& modulePath, const std::vector<uint8_t>& bytes) {
    std::string relative = modulePath;
    for (char& c : relative)
        if (c == '\\') c = '/';
    while (!relative.empty() && relative.front() == '/') relative.erase(relative.begin());
    ShellFixture::WriteDataFile(relative, bytes);
}

std::vector<uint8_t> FlatDds(uint32_t argb, uint16_t width, uint16_t height) {
    std::vector<uint32_t> pixels(size_t(width) * height, argb);
    std::vector<uint8_t> file = MakeDxt5DdsHeader(width, height);
    std::vector<uint8_t> blocks = EncodeDxt5(pixels.data(), width, height);
    file.insert(file.end(), blocks.begin(), blocks.end());
    return file;
}

std::vector<uint8_t> FlatSprite(uint32_t argb, uint16_t frameWidth, uint16_t frameHeight, uint16_t spriteWidth,
                                uint16_t spriteHeight) {
    SprSpriteInfo info;
    info.width = spriteWidth;
    info.height = spriteHeight;
    SprPixels frame;
    frame.width = frameWidth;
    frame.height = frameHeight;
    frame.argb.assign(size_t(frameWidth) * frameHeight, argb);
    return WriteSds2(info, {frame});
}

D3DSURFACE_DESC LevelDesc(IDirect3DTexture9* texture) {
    D3DSURFACE_DESC desc{};
    EXPECT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    return desc;
}

uint32_t FirstTexel(IDirect3DTexture9* texture) {
    D3DSURFACE_DESC desc = LevelDesc(texture);
    D3DLOCKED_RECT locked{};
    if (texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) return 0;
    uint32_t texel = 0;
    if (desc.Format == D3DFMT_DXT5) {
        uint32_t block[16];
        DecodeDxt5Block(static_cast<const uint8_t*>(locked.pBits), block);
        texel = block[0];
    } else {
        std::memcpy(&texel, locked.pBits, 4);
    }
    texture->UnlockRect(0);
    return texel;
}

}  // namespace texmgr_test
