// The device compiles a draw's state once and reuses it while the state
// stands: every change a draw reads must reach the next draw, and nothing
// the draw does not read may throw the compiled state away.
#include <gtest/gtest.h>

#include <cstring>
#include <d3d9.h>
#include <functional>
#include <vector>

#include "d3d9/Control.h"
#include "d3d9/Device.h"
#include "RasterTestKit.h"
#include "support/WindowedDevice.h"
#include "win32/Control.h"

namespace draw_state_cache_test {
namespace {

using rastertest::ScreenVtx;
struct SceneVtx {
    float x, y, z;
};
using rastertest::kScreenFvf;
constexpr UINT kSize = 16;
constexpr D3DCOLOR kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kRed = 0xFFFF0000, kWhite = 0xFFFFFFFF,
                   kBlack = 0xFF000000;

class DrawStateCache : public ::testing::Test {
protected:
    void SetUp() override {
        lumiva::win32::ResetForTests();
        lumiva::d3d9::ResetForTests();
        window_ = CreateWindowExA(0, "Test", "Test", WS_POPUP | WS_VISIBLE, 0, 0, kSize, kSize, nullptr, nullptr,
                                  nullptr, nullptr);
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr);
        device_ = CreateScreenTestDevice(d3d_, window_, kSize);
        ASSERT_NE(device_, nullptr);
        green_ = MakeTexture({kGreen, kBlue});
        red_ = MakeTexture({kRed, kRed});
        device_->SetTexture(0, green_);
        device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        ASSERT_EQ(device_->BeginScene(), D3D_OK);
    }

    void TearDown() override {
        device_->EndScene();
        device_->SetTexture(0, nullptr);
        green_->Release();
        red_->Release();
        EXPECT_EQ(device_->Release(), 0u);
        d3d_->Release();
        DestroyWindow(window_);
        lumiva::d3d9::ResetForTests();
        lumiva::win32::ResetForTests();
    }

    // A managed texture one row high holding `texels`.
    IDirect3DTexture9* MakeTexture(const std::vector<D3DCOLOR>& texels) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(device_->CreateTexture(UINT(texels.size()), 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                         nullptr),
                  D3D_OK);
        Fill(texture, texels);
        return texture;
    }

    static void Fill(IDirect3DTexture9* texture, const std::vector<D3DCOLOR>& texels) {
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        std::memcpy(locked.pBits, texels.data(), texels.size() * 4);
        texture->UnlockRect(0);
    }

    // A screen quad over the whole target; u runs 0..uEnd across it.
    void DrawScreenQuad(D3DCOLOR diffuse = kWhite, float uEnd = 1.0f) {
        const float e = float(kSize);
        const ScreenVtx quad[4] = {{0, 0, 0.5f, 1, diffuse, 0, 0.5f},
                                   {e, 0, 0.5f, 1, diffuse, uEnd, 0.5f},
                                   {0, e, 0.5f, 1, diffuse, 0, 0.5f},
                                   {e, e, 0.5f, 1, diffuse, uEnd, 0.5f}};
        device_->SetFVF(kScreenFvf);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVtx)), D3D_OK);
    }

    // A quad filling clip space, position only.
    void DrawSceneQuad() {
        const SceneVtx quad[4] = {{-1, 1, 0.5f}, {1, 1, 0.5f}, {-1, -1, 0.5f}, {1, -1, 0.5f}};
        device_->SetFVF(D3DFVF_XYZ);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(SceneVtx)), D3D_OK);
    }

    D3DCOLOR Pixel(IDirect3DSurface9* surface, UINT x, UINT y) {
        D3DLOCKED_RECT locked{};
        D3DCOLOR value = 0;
        if (surface->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
            std::memcpy(&value, static_cast<const BYTE*>(locked.pBits) + y * UINT(locked.Pitch) + x * 4, 4);
            surface->UnlockRect();
        }
        return value | 0xFF000000u;
    }

    D3DCOLOR BackPixel(UINT x, UINT y) {
        IDirect3DSurface9* back = nullptr;
        EXPECT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        const D3DCOLOR value = Pixel(back, x, y);
        back->Release();
        return value;
    }

    uint64_t Generation() const { return lumiva::d3d9::AsDevice(device_)->StateGeneration(); }

    HWND window_ = nullptr;
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    IDirect3DTexture9* green_ = nullptr;
    IDirect3DTexture9* red_ = nullptr;
};

// Each case draws once with `base` applied (the state is compiled),
// clears, applies `change` and draws again: the pixel shows the change.
// Screen quads read u from 0 to 2 over a green and a blue texel, wrapped.
struct ChangeCase {
    const char* name;
    std::function<void(IDirect3DDevice9*)> base;
    std::function<void(IDirect3DDevice9*)> change;
    bool scene;  // a transformed quad instead of a screen quad
    UINT x, y;
    D3DCOLOR before, after;
};

void Nothing(IDirect3DDevice9*) {}

TEST_F(DrawStateCache, EveryStateADrawReadsReachesTheNextDraw) {
    D3DMATERIAL9 blueEmissive{};
    blueEmissive.Emissive = D3DCOLORVALUE{0, 0, 1, 1};
    D3DMATRIX shifted{};
    shifted._11 = shifted._22 = shifted._33 = shifted._44 = 1;
    shifted._41 = 10;
    const auto scissorLeft = [](IDirect3DDevice9* d) {
        const RECT left{0, 0, 8, 16};
        d->SetScissorRect(&left);
    };
    const ChangeCase cases[] = {
        {"stage colour op", Nothing,
         [](IDirect3DDevice9* d) { d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2); },
         false, 2, 8, kGreen, kWhite},
        {"texture", Nothing, [this](IDirect3DDevice9* d) { d->SetTexture(0, red_); }, false, 2, 8,
         kGreen, kRed},
        {"texture unbound: the stage passes the diffuse",
         [](IDirect3DDevice9* d) {
             d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
             d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT);
         },
         [](IDirect3DDevice9* d) { d->SetTexture(0, nullptr); }, false, 2, 8, kRed | kBlue, kWhite},
        {"blend enable",
         [](IDirect3DDevice9* d) {
             d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
             d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
         },
         [](IDirect3DDevice9* d) { d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE); }, false, 2, 8,
         kGreen, kBlack},
        {"colour write mask", Nothing,
         [](IDirect3DDevice9* d) { d->SetRenderState(D3DRS_COLORWRITEENABLE, 0); }, false, 2, 8,
         kGreen, kBlack},
        {"sampler address", [](IDirect3DDevice9* d) { d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP); },
         [](IDirect3DDevice9* d) { d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP); },
         false, 9, 8, kBlue, kGreen},
        {"viewport", Nothing,
         [](IDirect3DDevice9* d) {
             const D3DVIEWPORT9 left{0, 0, 8, 16, 0, 1};
             d->SetViewport(&left);
         },
         false, 12, 8, kBlue, kBlack},
        {"scissor rectangle",
         [](IDirect3DDevice9* d) { d->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE); },
         [scissorLeft](IDirect3DDevice9* d) { scissorLeft(d); }, false, 12, 8, kBlue, kBlack},
        {"depth surface unbound",
         [](IDirect3DDevice9* d) {
             d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
             d->SetRenderState(D3DRS_ZFUNC, D3DCMP_NEVER);
         },
         [](IDirect3DDevice9* d) { d->SetDepthStencilSurface(nullptr); }, false, 2, 8, kBlack,
         kGreen},
        {"world transform",
         [](IDirect3DDevice9* d) { d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2); },
         [shifted](IDirect3DDevice9* d) { d->SetTransform(D3DTS_WORLD, &shifted); }, true, 8, 8,
         kWhite, kBlack},
        {"material",
         [](IDirect3DDevice9* d) {
             d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
             d->SetRenderState(D3DRS_LIGHTING, TRUE);
             d->SetRenderState(D3DRS_AMBIENT, 0);
         },
         [blueEmissive](IDirect3DDevice9* d) { d->SetMaterial(&blueEmissive); }, true, 8, 8, kBlack,
         kBlue},
        {"light enabled",
         [](IDirect3DDevice9* d) {
             d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
             d->SetRenderState(D3DRS_LIGHTING, TRUE);
             d->SetRenderState(D3DRS_AMBIENT, 0);
             D3DMATERIAL9 material{};
             material.Ambient = D3DCOLORVALUE{1, 1, 1, 1};
             d->SetMaterial(&material);
             D3DLIGHT9 light{};
             light.Type = D3DLIGHT_DIRECTIONAL;
             light.Ambient = D3DCOLORVALUE{0, 0, 1, 1};
             light.Direction = D3DVECTOR{0, 0, 1};
             d->SetLight(0, &light);
         },
         [](IDirect3DDevice9* d) { d->LightEnable(0, TRUE); }, true, 8, 8, kBlack, kBlue},
    };
    for (const ChangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        c.base(device_);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0);
        c.scene ? DrawSceneQuad() : DrawScreenQuad(kWhite, 2.0f);
        EXPECT_EQ(BackPixel(c.x, c.y), c.before);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0);
        c.change(device_);
        c.scene ? DrawSceneQuad() : DrawScreenQuad(kWhite, 2.0f);
        EXPECT_EQ(BackPixel(c.x, c.y), c.after);
    }
}

TEST_F(DrawStateCache, VertexFormatAndTargetChangesReachTheNextDraw) {
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    DrawScreenQuad(kRed);
    EXPECT_EQ(BackPixel(4, 4), kRed);

    // The same bytes read as specular: the diffuse colour falls back to white.
    const float e = float(kSize);
    const ScreenVtx quad[4] = {{0, 0, 0, 1, kRed, 0, 0}, {e, 0, 0, 1, kRed, 1, 0}, {0, e, 0, 1, kRed, 0, 1},
                               {e, e, 0, 1, kRed, 1, 1}};
    device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_SPECULAR | D3DFVF_TEX1);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVtx)), D3D_OK);
    EXPECT_EQ(BackPixel(4, 4), kWhite);

    IDirect3DSurface9* target = nullptr;
    ASSERT_EQ(device_->CreateRenderTarget(kSize, kSize, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &target,
                                          nullptr),
              D3D_OK);
    IDirect3DSurface9* back = nullptr;
    device_->GetRenderTarget(0, &back);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0);
    ASSERT_EQ(device_->SetRenderTarget(0, target), D3D_OK);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0);
    DrawScreenQuad(kBlue);
    EXPECT_EQ(Pixel(target, 4, 4), kBlue);
    EXPECT_EQ(BackPixel(4, 4), kBlack);
    device_->SetRenderTarget(0, back);
    DrawScreenQuad(kGreen);
    EXPECT_EQ(BackPixel(4, 4), kGreen);
    EXPECT_EQ(Pixel(target, 4, 4), kBlue);
    back->Release();
    target->Release();
}

TEST_F(DrawStateCache, TexelsWrittenUnderTheSamePointerAreSampled) {
    DrawScreenQuad();
    EXPECT_EQ(BackPixel(4, 8), kGreen);
    Fill(green_, {kRed, kRed});
    DrawScreenQuad();
    EXPECT_EQ(BackPixel(4, 8), kRed);

    // A copy into the bound texture's level, too.
    IDirect3DTexture9* source = nullptr;
    ASSERT_EQ(device_->CreateTexture(2, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &source, nullptr), D3D_OK);
    Fill(source, {kBlue, kBlue});
    IDirect3DTexture9* bound = nullptr;
    ASSERT_EQ(device_->CreateTexture(2, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &bound, nullptr), D3D_OK);
    device_->SetTexture(0, bound);
    ASSERT_EQ(device_->UpdateTexture(source, bound), D3D_OK);
    DrawScreenQuad();
    EXPECT_EQ(BackPixel(4, 8), kBlue);
    device_->SetTexture(0, green_);
    bound->Release();
    source->Release();
}

TEST_F(DrawStateCache, OnlyChangesMoveTheGeneration) {
    DrawScreenQuad();
    const uint64_t drawn = Generation();
    // Setting what is already set, and a draw from user memory (which
    // unbinds stream 0), leave the compiled state standing.
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device_->SetTexture(0, green_);
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device_->SetFVF(kScreenFvf);
    DrawScreenQuad();
    EXPECT_EQ(Generation(), drawn);

    device_->SetRenderState(D3DRS_ALPHAREF, 7);
    EXPECT_GT(Generation(), drawn);
    const uint64_t changed = Generation();
    device_->SetTexture(0, red_);
    EXPECT_GT(Generation(), changed);
}

}  // namespace
}  // namespace draw_state_cache_test
