// 16-bit and block-compressed textures drawn often are sampled from an
// A8R8G8B8 copy: the pixels must be the ones the levels give, and every way
// of writing a level must make the next draw see the new texels.
#include <algorithm>
#include <cstring>
#include <vector>

#include "DeviceFixture.h"
#include "d3d9/Texture.h"

using namespace lumiva::d3d9;

namespace texture_expansion_test {
namespace {

struct ScreenVertex {
    float x, y, z, rhw;
    DWORD color;
    float u, v;
};

constexpr UINT kSide = 8;

// Fixed noise, different per seed.
std::vector<uint16_t> Noise(uint32_t seed) {
    std::vector<uint16_t> out(kSide * kSide);
    for (uint16_t& t : out) {
        seed = seed * 1664525u + 1013904223u;
        t = uint16_t(seed >> 16);
    }
    return out;
}

void Fill(IDirect3DTexture9* texture, UINT level, const std::vector<uint16_t>& texels) {
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
    const UINT side = kSide >> level;
    for (UINT y = 0; y < side; ++y)
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, &texels[y * side], side * 2);
    ASSERT_EQ(texture->UnlockRect(level), D3D_OK);
}

// Fixed noise blocks for a block format's level; the colour endpoints of
// neighbouring blocks in either order, so DXT1 has blocks with and without
// its transparent texel.
void FillBlocks(IDirect3DTexture9* texture, UINT level, D3DFORMAT format, uint32_t seed) {
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
    const UINT across = std::max(1u, (kSide >> level) / 4), blockBytes = format == D3DFMT_DXT1 ? 8 : 16;
    for (UINT by = 0; by < across; ++by)
        for (UINT bx = 0; bx < across; ++bx) {
            uint8_t* block = static_cast<uint8_t*>(locked.pBits) + by * locked.Pitch + bx * blockBytes;
            for (UINT i = 0; i < blockBytes; ++i) {
                seed = seed * 1664525u + 1013904223u;
                block[i] = uint8_t(seed >> 24);
            }
            uint8_t* colours = format == D3DFMT_DXT1 ? block : block + 8;
            uint16_t c0, c1;
            std::memcpy(&c0, colours, 2);
            std::memcpy(&c1, colours + 2, 2);
            if (((bx + by) % 2 == 0) != (c0 > c1)) {
                std::memcpy(colours, &c1, 2);
                std::memcpy(colours + 2, &c0, 2);
            }
        }
    ASSERT_EQ(texture->UnlockRect(level), D3D_OK);
}

bool IsBlockFormat(D3DFORMAT format) {
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT3 || format == D3DFMT_DXT5;
}

class TextureExpansionTest : public D3D9Test {
protected:
    void SetUp() override {
        D3D9Test::SetUp();
        CreateDevice();
        ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer_), D3D_OK);
    }
    void TearDown() override {
        if (backBuffer_) backBuffer_->Release();
        D3D9Test::TearDown();
    }

    // A texel-aligned quad, one stretched (filtered between texels) and one
    // shrunk to half size (level 1 when mip-mapped), alpha-blended on grey.
    Image Draw(IDirect3DTexture9* texture, DWORD filter) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF808080u, 1.0f, 0);
        device_->BeginScene();
        device_->SetTexture(0, texture);
        device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device_->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
        device_->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
        device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
        const float s = float(kSide);
        auto quad = [&](float x, float y, float w, float h) {
            const ScreenVertex v[4] = {{x, y, 0, 1, 0xFFFFFFFFu, 0, 0},
                                       {x + w, y, 0, 1, 0xFFFFFFFFu, 1, 0},
                                       {x, y + h, 0, 1, 0xFFFFFFFFu, 0, 1},
                                       {x + w, y + h, 0, 1, 0xFFFFFFFFu, 1, 1}};
            device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex));
        };
        quad(-0.5f, -0.5f, s, s);
        quad(9.5f, 0.25f, s * 2.5f, s * 1.5f);
        quad(40.5f, 0.5f, s / 2, s / 2);
        device_->EndScene();
        device_->SetTexture(0, nullptr);
        return SurfaceImage(backBuffer_);
    }

    IDirect3DSurface9* backBuffer_ = nullptr;
};

TEST_F(TextureExpansionTest, ExpandedLevelsDrawWhatTheLevelsDraw) {
    int n = 0;
    for (D3DFORMAT format : {D3DFMT_A4R4G4B4, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_DXT1,
                             D3DFMT_DXT3, D3DFMT_DXT5})
        for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
            IDirect3DTexture9* texture = nullptr;
            ASSERT_EQ(device_->CreateTexture(kSide, kSide, 2, 0, format, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
            ++n;
            if (IsBlockFormat(format)) {
                FillBlocks(texture, 0, format, uint32_t(n));
                FillBlocks(texture, 1, format, uint32_t(100 + n));
            } else {
                Fill(texture, 0, Noise(uint32_t(n)));
                Fill(texture, 1, Noise(uint32_t(100 + n)));
            }
            SetTextureExpansionEnabled(false);
            const std::vector<D3DCOLOR> levels = Draw(texture, filter).pixels;
            EXPECT_FALSE(AsTexture(texture)->ExpandedLevelsCurrent());
            SetTextureExpansionEnabled(true);
            for (int draw = 0; draw < 3; ++draw)
                ASSERT_EQ(Draw(texture, filter).pixels, levels) << "format " << format << " filter " << filter
                                                                << " draw " << draw;
            EXPECT_TRUE(AsTexture(texture)->ExpandedLevelsCurrent()) << "format " << format;
            texture->Release();
        }
}

// The texture's texels after each way of writing them, drawn once the
// copy was current: the draw shows the new texels.
TEST_F(TextureExpansionTest, EveryWriteMakesTheCopyStale) {
    enum class Write { kTextureLock, kLevelLock, kUpdateSurface, kUpdateTexture };
    for (Write write : {Write::kTextureLock, Write::kLevelLock, Write::kUpdateSurface, Write::kUpdateTexture}) {
        const bool uploaded = write == Write::kUpdateSurface || write == Write::kUpdateTexture;
        IDirect3DTexture9 *texture = nullptr, *staging = nullptr;
        ASSERT_EQ(device_->CreateTexture(kSide, kSide, 1, 0, D3DFMT_A4R4G4B4,
                                         uploaded ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED, &texture, nullptr),
                  D3D_OK);
        ASSERT_EQ(device_->CreateTexture(kSide, kSide, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_SYSTEMMEM, &staging, nullptr),
                  D3D_OK);
        Fill(staging, 0, Noise(1));
        if (uploaded) {
            ASSERT_EQ(device_->UpdateTexture(staging, texture), D3D_OK);
        } else {
            Fill(texture, 0, Noise(1));
        }
        for (int draw = 0; draw < 3; ++draw) Draw(texture, D3DTEXF_POINT);
        ASSERT_TRUE(AsTexture(texture)->ExpandedLevelsCurrent());

        const std::vector<uint16_t> next = Noise(2);
        switch (write) {
            case Write::kTextureLock: Fill(texture, 0, next); break;
            case Write::kLevelLock: {
                IDirect3DSurface9* level = nullptr;
                ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
                D3DLOCKED_RECT locked{};
                ASSERT_EQ(level->LockRect(&locked, nullptr, 0), D3D_OK);
                for (UINT y = 0; y < kSide; ++y)
                    std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, &next[y * kSide], kSide * 2);
                level->UnlockRect();
                level->Release();
                break;
            }
            case Write::kUpdateSurface: {
                Fill(staging, 0, next);
                IDirect3DSurface9 *from = nullptr, *to = nullptr;
                staging->GetSurfaceLevel(0, &from);
                texture->GetSurfaceLevel(0, &to);
                ASSERT_EQ(device_->UpdateSurface(from, nullptr, to, nullptr), D3D_OK);
                from->Release();
                to->Release();
                break;
            }
            case Write::kUpdateTexture:
                Fill(staging, 0, next);
                ASSERT_EQ(device_->UpdateTexture(staging, texture), D3D_OK);
                break;
        }
        // The same as the levels drawn without a copy, and as a texture that
        // only ever held the new texels.
        const Image drawn = Draw(texture, D3DTEXF_POINT);
        SetTextureExpansionEnabled(false);
        EXPECT_EQ(drawn.pixels, Draw(texture, D3DTEXF_POINT).pixels) << "write " << int(write);
        SetTextureExpansionEnabled(true);
        IDirect3DTexture9* fresh = nullptr;
        ASSERT_EQ(device_->CreateTexture(kSide, kSide, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &fresh, nullptr), D3D_OK);
        Fill(fresh, 0, next);
        EXPECT_EQ(drawn.pixels, Draw(fresh, D3DTEXF_POINT).pixels) << "write " << int(write);
        fresh->Release();
        staging->Release();
        texture->Release();
    }
}

// A level locked for writing is sampled as it is, not from a copy.
TEST_F(TextureExpansionTest, LockedTexturesAreNotCopied) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(kSide, kSide, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    Fill(texture, 0, Noise(3));
    for (int draw = 0; draw < 3; ++draw) Draw(texture, D3DTEXF_POINT);
    ASSERT_TRUE(AsTexture(texture)->ExpandedLevelsCurrent());
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_FALSE(AsTexture(texture)->UseExpandedLevels(nullptr));
    texture->UnlockRect(0);
    texture->Release();
}

// A render-target texture drawn into after its copy was made: sampled
// again, it shows what was drawn.
TEST_F(TextureExpansionTest, DrawingIntoATextureMakesTheCopyStale) {
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(device_->CreateTexture(kSide, kSide, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R5G6B5, D3DPOOL_DEFAULT, &target,
                                     nullptr),
              D3D_OK);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &level), D3D_OK);
    auto paint = [&](D3DCOLOR colour) {
        device_->SetRenderTarget(0, level);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        device_->BeginScene();
        device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
        struct Coloured {
            float x, y, z, rhw;
            DWORD color;
        };
        const Coloured quad[4] = {{-0.5f, -0.5f, 0, 1, colour},
                                  {7.5f, -0.5f, 0, 1, colour},
                                  {-0.5f, 7.5f, 0, 1, colour},
                                  {7.5f, 7.5f, 0, 1, colour}};
        device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Coloured));
        device_->EndScene();
        device_->SetRenderTarget(0, backBuffer_);
    };
    paint(0xFFFF0000u);
    for (int draw = 0; draw < 3; ++draw) EXPECT_EQ(Draw(target, D3DTEXF_POINT).At(2, 2), 0xFFFF0000u);
    ASSERT_TRUE(AsTexture(target)->ExpandedLevelsCurrent());
    paint(0xFF0000FFu);
    EXPECT_EQ(Draw(target, D3DTEXF_POINT).At(2, 2), 0xFF0000FFu);
    EXPECT_FALSE(AsTexture(target)->UseExpandedLevels(AsSurface(level))) << "never while it is the draw's target";
    level->Release();
    target->Release();
}

// With raster threads a scene's draws wait for a flush, reading the copy
// later than they were made. A write to the level in the scene must land
// after them even when a later draw decodes the copy again in place.
class TextureExpansionThreadTest : public TextureExpansionTest {
protected:
    void TearDown() override {
        SetRasterThreadCount(0);
        TextureExpansionTest::TearDown();
    }

    std::vector<D3DCOLOR> WriteInAScene(int threads) {
        SetRasterThreadCount(threads);
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(device_->CreateTexture(kSide, kSide, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture, nullptr),
                  D3D_OK);
        Fill(texture, 0, Noise(7));
        for (int draw = 0; draw < 3; ++draw) Draw(texture, D3DTEXF_POINT);
        EXPECT_TRUE(AsTexture(texture)->ExpandedLevelsCurrent());

        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF808080u, 1.0f, 0);
        device_->BeginScene();
        device_->SetTexture(0, texture);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        const float s = float(kSide);
        auto quad = [&](float x) {
            const ScreenVertex v[4] = {{x, -0.5f, 0, 1, 0xFFFFFFFFu, 0, 0},
                                       {x + s, -0.5f, 0, 1, 0xFFFFFFFFu, 1, 0},
                                       {x, s - 0.5f, 0, 1, 0xFFFFFFFFu, 0, 1},
                                       {x + s, s - 0.5f, 0, 1, 0xFFFFFFFFu, 1, 1}};
            device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex));
        };
        quad(-0.5f);
        Fill(texture, 0, Noise(8));
        for (int draw = 1; draw <= 3; ++draw) quad(float(draw) * 10.0f - 0.5f);
        device_->EndScene();
        device_->SetTexture(0, nullptr);
        texture->Release();
        return SurfaceImage(backBuffer_).pixels;
    }
};

TEST_F(TextureExpansionThreadTest, AWriteInASceneLandsAfterTheDrawsBeforeIt) {
    const std::vector<D3DCOLOR> immediate = WriteInAScene(1);
    const std::vector<D3DCOLOR> kept = WriteInAScene(4);
    EXPECT_EQ(kept, immediate);
    // The first quad shows the old texels, the last the new ones.
    const Image image = SurfaceImage(backBuffer_);
    int differing = 0;
    for (UINT y = 0; y < kSide; ++y)
        for (UINT x = 0; x < kSide; ++x) differing += image.At(x, y) != image.At(30 + x, y);
    EXPECT_GT(differing, 0);
}

}  // namespace
}  // namespace texture_expansion_test
