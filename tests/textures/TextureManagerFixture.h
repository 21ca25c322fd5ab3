// Shared fixture of the texture manager and named texture pool tests: the
// common shell fixture with the manager and the pool reset too, a manual
// clock, the log kept off disk, and a software device handed to the manager.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/ShellFixture.h"
#include "textures/TextureManager.h"

namespace texmgr_test {

constexpr uint64_t kClockStartMs = 100000;

class TextureManagerTest : public test_support::ShellFixture {
protected:
    TextureManagerTest() : ShellFixture("texmgr") {}
    void SetUp() override;
    void TearDown() override;

    // A windowed device, given to the manager (A8R8G8B8, no mip factor) and
    // to the device wrapper.
    void CreateDevice();
    // A file under the data root, by module path ("\portrait\common\a.dds").
    void WriteDataFile(const std::string& modulePath, const std::vector<uint8_t>& bytes);

    KTextureManager& Manager() { return *g_pTextureManager; }

    IDirect3D9* m_d3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
};

// A DDS file of one DXT5 level in one flat colour (0xAARRGGBB; R5G6B5 must
// hold the colour for it to come back exactly).
std::vector<uint8_t> FlatDds(uint32_t argb, uint16_t width, uint16_t height);
// An SDS2 sprite of one flat frame, its header size given apart.
std::vector<uint8_t> FlatSprite(uint32_t argb, uint16_t frameWidth, uint16_t frameHeight, uint16_t spriteWidth,
                                uint16_t spriteHeight);

// Texel (0, 0) of level 0 as 0xAARRGGBB, for A8R8G8B8 and DXT5 textures.
uint32_t FirstTexel(IDirect3DTexture9* texture);
D3DSURFACE_DESC LevelDesc(IDirect3DTexture9* texture);

}  // namespace texmgr_test
