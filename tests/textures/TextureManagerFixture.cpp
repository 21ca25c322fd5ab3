#include "TextureManagerFixture.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "ScratchFolder.h"
#include "ByteWriter.h"
#include "DxtBlocks.h"
#include "SprWriter.h"
#include "basrel/BasrelReset.h"
#include "basrel/DataRoot.h"
#include "basrel/DebugLog.h"
#include "d3d9/Control.h"
#include "shell/D3DDevice.h"
#include "shell/VideoPolicy.h"
#include "textures/NamedTexturePool.h"
#include "win32/Control.h"

namespace texmgr_test {

void TextureManagerTest::SetUp() {
    lumiva::win32::ResetForTests();
    lumiva::d3d9::ResetForTests();
    BasrelResetForTests();
    ResetTextureManagerForTests();
    NamedTexturePool().Clear();
    ResetVideoPolicy();
    lumiva::win32::InstallManualClock(kClockStartMs);
    m_root = MakeScratchFolder("texmgr");
    ASSERT_FALSE(m_root.empty());
    g_SetRootPath(m_root.c_str());
    basrel::SetDebugLogToFile(false);
    basrel::StartDebugLogCapture();
}

void TextureManagerTest::TearDown() {
    ResetTextureManagerForTests();
    NamedTexturePool().Clear();
    g_D3DDevice.device = nullptr;
    if (m_device) m_device->Release();
    if (m_d3d) m_d3d->Release();
    ResetVideoPolicy();
    lumiva::d3d9::ResetForTests();
    lumiva::win32::ResetForTests();
    BasrelResetForTests();
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
}

void TextureManagerTest::CreateDevice() {
    m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(m_d3d, nullptr);
    HWND window = CreateWindowExA(0, "Textures", "Textures", WS_OVERLAPPEDWINDOW, 0, 0, 64, 48, nullptr, nullptr,
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
    ASSERT_TRUE(Manager().Init(m_device, 1, 0));
    g_D3DDevice.device = m_device;
}

void TextureManagerTest::WriteDataFile(const std::string& modulePath, const std::vector<uint8_t>& bytes) {
    std::string relative = modulePath;
    for (char& c : relative)
        if (c == '\\') c = '/';
    while (!relative.empty() && relative.front() == '/') relative.erase(relative.begin());
    ASSERT_TRUE(WriteFileBytes(m_root + "/" + relative, bytes)) << modulePath;
}

std::vector<std::string> TextureManagerTest::TakeLog() { return basrel::TakeCapturedLog(); }

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
