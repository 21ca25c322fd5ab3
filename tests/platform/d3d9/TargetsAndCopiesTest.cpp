// Render targets, depth buffers, clears, and copies between surfaces and
// textures, checked both by their results and by the pixels.
#include <cstring>

#include "DeviceFixture.h"

using namespace lumiva::d3d9;

namespace targets_and_copies_test {
namespace {

constexpr D3DCOLOR kRed = 0xFFFF0000;
constexpr D3DCOLOR kGreen = 0xFF00FF00;
constexpr D3DCOLOR kBlue = 0xFF0000FF;

class TargetsAndCopiesTest : public D3D9Test {
protected:
    IDirect3DSurface9* BackBuffer() {
        IDirect3DSurface9* back = nullptr;
        EXPECT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        back->Release();  // the device keeps it alive
        return back;
    }
};

TEST_F(TargetsAndCopiesTest, StencilClearNeedsAStencilFormat) {
    D3DPRESENT_PARAMETERS pp = WindowedParameters();
    pp.AutoDepthStencilFormat = D3DFMT_D24X8;
    CreateDevice(pp);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device_->Clear(0, nullptr, 0, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.5f, 0), D3DERR_INVALIDCALL);
}

TEST_F(TargetsAndCopiesTest, DepthClearNeedsADepthBuffer) {
    D3DPRESENT_PARAMETERS pp = WindowedParameters();
    pp.EnableAutoDepthStencil = FALSE;
    CreateDevice(pp);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    DWORD zEnable = 1;
    device_->GetRenderState(D3DRS_ZENABLE, &zEnable);
    EXPECT_EQ(zEnable, static_cast<DWORD>(D3DZB_FALSE));
    IDirect3DSurface9* depth = reinterpret_cast<IDirect3DSurface9*>(1);
    EXPECT_EQ(device_->GetDepthStencilSurface(&depth), D3DERR_NOTFOUND);
    EXPECT_EQ(depth, nullptr);
}

TEST_F(TargetsAndCopiesTest, ClearKeepsToTheViewportAndRectangles) {
    CreateDevice();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, kRed, 1.0f, 0);
    const D3DVIEWPORT9 viewport{8, 8, 16, 16, 0.0f, 1.0f};
    device_->SetViewport(&viewport);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kGreen, 1.0f, 0), D3D_OK);
    IDirect3DSurface9* back = BackBuffer();
    EXPECT_EQ(PixelOf(back, 8, 8), kGreen);
    EXPECT_EQ(PixelOf(back, 23, 23), kGreen);
    EXPECT_EQ(PixelOf(back, 7, 8), kRed);
    EXPECT_EQ(PixelOf(back, 24, 8), kRed);
    // A rectangle reaching outside the viewport is cut to it.
    const D3DRECT rect{0, 0, 12, 12};
    ASSERT_EQ(device_->Clear(1, &rect, D3DCLEAR_TARGET, kBlue, 1.0f, 0), D3D_OK);
    EXPECT_EQ(PixelOf(back, 8, 8), kBlue);
    EXPECT_EQ(PixelOf(back, 11, 11), kBlue);
    EXPECT_EQ(PixelOf(back, 12, 12), kGreen);
    EXPECT_EQ(PixelOf(back, 4, 4), kRed);
}

TEST_F(TargetsAndCopiesTest, ClearEncodesIntoTheTargetFormat) {
    CreateDevice();
    const D3DFORMAT formats[] = {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8};
    for (D3DFORMAT format : formats) {
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT, &texture, nullptr),
                  D3D_OK);
        IDirect3DSurface9* level = nullptr;
        texture->GetSurfaceLevel(0, &level);
        ASSERT_EQ(device_->SetRenderTarget(0, level), D3D_OK);
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
        EXPECT_EQ(PixelOf(level, 3, 3), 0xFF00FF00u) << format;
        device_->SetRenderTarget(0, BackBuffer());
        level->Release();
        texture->Release();
    }
}

TEST_F(TargetsAndCopiesTest, DepthClearWritesDepthAndStencil) {
    CreateDevice();
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(device_->CreateDepthStencilSurface(kWidth, kHeight, D3DFMT_D16_LOCKABLE, D3DMULTISAMPLE_NONE, 0, FALSE,
                                                 &depth, nullptr),
              D3D_OK);
    ASSERT_EQ(device_->SetDepthStencilSurface(depth), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.5f, 0), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(depth->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(*static_cast<WORD*>(locked.pBits), 32768);
    depth->UnlockRect();
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 1), D3DERR_INVALIDCALL);
    device_->SetDepthStencilSurface(nullptr);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(depth->Release(), 0u);
}

TEST_F(TargetsAndCopiesTest, SetRenderTargetResetsTheViewportAndGetAddsAReference) {
    CreateDevice();
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(16, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture,
                                     nullptr),
              D3D_OK);
    IDirect3DSurface9* level = nullptr;
    texture->GetSurfaceLevel(0, &level);
    const D3DVIEWPORT9 small{1, 1, 4, 4, 0.0f, 1.0f};
    device_->SetViewport(&small);
    IDirect3DSurface9* previous = nullptr;
    ASSERT_EQ(device_->GetRenderTarget(0, &previous), D3D_OK);
    EXPECT_EQ(previous, BackBuffer());
    ASSERT_EQ(device_->SetRenderTarget(0, level), D3D_OK);
    D3DVIEWPORT9 viewport;
    device_->GetViewport(&viewport);
    EXPECT_EQ(viewport.X, 0u);
    EXPECT_EQ(viewport.Width, 16u);
    EXPECT_EQ(viewport.Height, 8u);
    IDirect3DSurface9* current = nullptr;
    ASSERT_EQ(device_->GetRenderTarget(0, &current), D3D_OK);
    EXPECT_EQ(current, level);
    EXPECT_EQ(current->Release(), 3u);  // the test's texture, its level and the device's binding
    ASSERT_EQ(device_->SetRenderTarget(0, previous), D3D_OK);
    previous->Release();
    level->Release();
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_TRUE(OverReleases().empty());
}

TEST_F(TargetsAndCopiesTest, SetRenderTargetRefusals) {
    CreateDevice();
    IDirect3DSurface9* plain = nullptr;
    ASSERT_EQ(device_->CreateOffscreenPlainSurface(8, 8, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &plain, nullptr), D3D_OK);
    EXPECT_EQ(device_->SetRenderTarget(0, plain), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetRenderTarget(1, BackBuffer()), D3DERR_INVALIDCALL);
    IDirect3DSurface9* target = nullptr;
    EXPECT_EQ(device_->GetRenderTarget(1, &target), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetDepthStencilSurface(plain), D3DERR_INVALIDCALL);
    plain->Release();
}

TEST_F(TargetsAndCopiesTest, RenderTargetDataComesBackToSystemMemory) {
    CreateDevice();
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R5G6B5, D3DPOOL_DEFAULT, &target, nullptr),
              D3D_OK);
    IDirect3DSurface9* level = nullptr;
    target->GetSurfaceLevel(0, &level);
    device_->ColorFill(level, nullptr, kBlue);
    IDirect3DTexture9* copy = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_R5G6B5, D3DPOOL_SYSTEMMEM, &copy, nullptr), D3D_OK);
    IDirect3DSurface9* copyLevel = nullptr;
    copy->GetSurfaceLevel(0, &copyLevel);
    ASSERT_EQ(device_->GetRenderTargetData(level, copyLevel), D3D_OK);
    EXPECT_EQ(PixelOf(copyLevel, 7, 7), kBlue);
    IDirect3DSurface9* wrongSize = nullptr;
    device_->CreateOffscreenPlainSurface(4, 4, D3DFMT_R5G6B5, D3DPOOL_SYSTEMMEM, &wrongSize, nullptr);
    EXPECT_EQ(device_->GetRenderTargetData(level, wrongSize), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->GetRenderTargetData(copyLevel, level), D3DERR_INVALIDCALL);
    wrongSize->Release();
    copyLevel->Release();
    copy->Release();
    level->Release();
    target->Release();
}

TEST_F(TargetsAndCopiesTest, UpdateTextureCopiesOnlyTheDirtyRegion) {
    CreateDevice();
    IDirect3DTexture9* source = nullptr;
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &source, nullptr), D3D_OK);
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target,
                                     nullptr),
              D3D_OK);
    auto fill = [&](D3DCOLOR color, DWORD flags) {
        D3DLOCKED_RECT locked;
        ASSERT_EQ(source->LockRect(0, &locked, nullptr, flags), D3D_OK);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x] = color;
        source->UnlockRect(0);
    };
    IDirect3DSurface9* level = nullptr;
    target->GetSurfaceLevel(0, &level);

    fill(kRed, 0);
    ASSERT_EQ(device_->UpdateTexture(source, target), D3D_OK);
    EXPECT_EQ(PixelOf(level, 0, 0), kRed);
    EXPECT_EQ(PixelOf(level, 7, 7), kRed);

    // Written without marking: nothing goes across until a dirty rectangle says so.
    fill(kGreen, D3DLOCK_NO_DIRTY_UPDATE);
    ASSERT_EQ(device_->UpdateTexture(source, target), D3D_OK);
    EXPECT_EQ(PixelOf(level, 0, 0), kRed);
    const RECT dirty{2, 2, 4, 4};
    ASSERT_EQ(source->AddDirtyRect(&dirty), D3D_OK);
    ASSERT_EQ(device_->UpdateTexture(source, target), D3D_OK);
    EXPECT_EQ(PixelOf(level, 2, 2), kGreen);
    EXPECT_EQ(PixelOf(level, 3, 3), kGreen);
    EXPECT_EQ(PixelOf(level, 4, 4), kRed);
    ASSERT_EQ(source->AddDirtyRect(nullptr), D3D_OK);
    ASSERT_EQ(device_->UpdateTexture(source, target), D3D_OK);
    EXPECT_EQ(PixelOf(level, 7, 7), kGreen);

    EXPECT_EQ(device_->UpdateTexture(target, source), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->UpdateTexture(source, nullptr), D3DERR_INVALIDCALL);
    IDirect3DTexture9* otherFormat = nullptr;
    device_->CreateTexture(8, 8, 1, 0, D3DFMT_R5G6B5, D3DPOOL_DEFAULT, &otherFormat, nullptr);
    EXPECT_EQ(device_->UpdateTexture(source, otherFormat), D3DERR_INVALIDCALL);
    otherFormat->Release();
    level->Release();
    source->Release();
    target->Release();
}

TEST_F(TargetsAndCopiesTest, StretchRectConvertsAndScales) {
    CreateDevice();
    IDirect3DSurface9* source = nullptr;
    ASSERT_EQ(device_->CreateRenderTarget(4, 4, D3DFMT_R5G6B5, D3DMULTISAMPLE_NONE, 0, FALSE, &source, nullptr),
              D3D_OK);
    device_->ColorFill(source, nullptr, kGreen);
    const RECT half{0, 0, 2, 4};
    device_->ColorFill(source, &half, kRed);
    const RECT dest{0, 0, 16, 8};
    ASSERT_EQ(device_->StretchRect(source, nullptr, BackBuffer(), &dest, D3DTEXF_POINT), D3D_OK);
    EXPECT_EQ(PixelOf(BackBuffer(), 0, 0), kRed);
    EXPECT_EQ(PixelOf(BackBuffer(), 7, 7), kRed);
    EXPECT_EQ(PixelOf(BackBuffer(), 8, 0), kGreen);
    EXPECT_EQ(PixelOf(BackBuffer(), 15, 7), kGreen);
    IDirect3DSurface9* system = nullptr;
    device_->CreateOffscreenPlainSurface(4, 4, D3DFMT_R5G6B5, D3DPOOL_SYSTEMMEM, &system, nullptr);
    EXPECT_EQ(device_->StretchRect(system, nullptr, BackBuffer(), nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    const RECT outside{0, 0, 5, 4};
    EXPECT_EQ(device_->StretchRect(source, &outside, BackBuffer(), nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    system->Release();
    source->Release();
}

TEST_F(TargetsAndCopiesTest, UpdateSurfaceCopiesARectangleToAPoint) {
    CreateDevice();
    IDirect3DSurface9* source = nullptr;
    IDirect3DSurface9* target = nullptr;
    ASSERT_EQ(device_->CreateOffscreenPlainSurface(8, 8, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &source, nullptr), D3D_OK);
    ASSERT_EQ(device_->CreateRenderTarget(8, 8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &target, nullptr),
              D3D_OK);
    D3DLOCKED_RECT locked;
    source->LockRect(&locked, nullptr, 0);
    static_cast<DWORD*>(locked.pBits)[1] = 0xFF123456;
    source->UnlockRect();
    const RECT from{1, 0, 2, 1};
    const POINT to{5, 6};
    ASSERT_EQ(device_->UpdateSurface(source, &from, target, &to), D3D_OK);
    EXPECT_EQ(PixelOf(target, 5, 6), 0xFF123456u);
    const POINT outside{8, 0};
    EXPECT_EQ(device_->UpdateSurface(source, &from, target, &outside), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->UpdateSurface(target, nullptr, source, nullptr), D3DERR_INVALIDCALL);
    source->Release();
    target->Release();
}

}  // namespace
}  // namespace targets_and_copies_test
