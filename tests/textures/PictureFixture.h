// Shared fixture of the picture tests: the common shell fixture with the
// picture services reset too and the log kept off disk, and on request a
// software device that the pictures use.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "support/ShellFixture.h"

namespace pictures_test {

class PictureFixture : public test_support::ShellFixture {
protected:
    PictureFixture() : ShellFixture("pictures") {}
    void SetUp() override;
    void TearDown() override;

    // A windowed device handed to the pictures.
    void CreateDevice();

    IDirect3D9* m_d3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
};

// Level 0 of a texture as stored: rows of its format's bytes, no padding.
std::vector<uint8_t> TextureBytes(IDirect3DTexture9* texture);
// Level 0 of a 16-bit texture, texel by texel.
std::vector<uint16_t> Texels16(IDirect3DTexture9* texture);
D3DSURFACE_DESC LevelDesc(IDirect3DTexture9* texture);

// A4R4G4B4 of a colour 0x00RRGGBB and an alpha byte, as sprites store it.
inline uint16_t Argb4444(uint32_t rgb, uint8_t alpha) {
    uint8_t r = uint8_t(rgb >> 16), g = uint8_t(rgb >> 8), b = uint8_t(rgb);
    return uint16_t((alpha & 0xF0) << 8 | (r & 0xF0) << 4 | (g & 0xF0) | b >> 4);
}

}  // namespace pictures_test
