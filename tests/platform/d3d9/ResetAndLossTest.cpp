// The strict reset rule, managed resources across a reset, and the lost and
// not-reset cooperative levels.
#include "DeviceFixture.h"

using namespace lumiva::d3d9;

namespace {

class ResetAndLossTest : public D3D9Test {
protected:
    void SetUp() override {
        D3D9Test::SetUp();
        CreateDevice();
        pp_ = WindowedParameters();
    }
    D3DPRESENT_PARAMETERS pp_;
};

TEST_F(ResetAndLossTest, ResetRefusedWhileADefaultPoolTextureLives) {
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(device_->CreateTexture(32, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target,
                                     nullptr),
              D3D_OK);
    EXPECT_EQ(device_->Reset(&pp_), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    target->Release();
    EXPECT_EQ(device_->Reset(&pp_), D3D_OK);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(ResetAndLossTest, EveryDefaultPoolKindBlocksReset) {
    IDirect3DVertexBuffer9* vertices = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(256000, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &vertices,
                                          nullptr),
              D3D_OK);
    EXPECT_EQ(device_->Reset(&pp_), D3DERR_INVALIDCALL);
    vertices->Release();
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(device_->CreateRenderTarget(8, 8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &surface, nullptr),
              D3D_OK);
    EXPECT_EQ(device_->Reset(&pp_), D3DERR_INVALIDCALL);
    surface->Release();
    EXPECT_EQ(device_->Reset(&pp_), D3D_OK);
}

TEST_F(ResetAndLossTest, LiveDefaultPoolCountFollowsCreationAndRelease) {
    const UINT start = LiveDefaultPoolResourceCount();
    IDirect3DTexture9* target = nullptr;
    IDirect3DTexture9* managed = nullptr;
    IDirect3DVertexBuffer9* vertices = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target,
                                     nullptr),
              D3D_OK);
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr), D3D_OK);
    ASSERT_EQ(device_->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &vertices, nullptr), D3D_OK);
    EXPECT_EQ(LiveDefaultPoolResourceCount(), start + 2);
    target->Release();
    vertices->Release();
    EXPECT_EQ(LiveDefaultPoolResourceCount(), start);
    managed->Release();
}

TEST_F(ResetAndLossTest, InjectedResetFailureIsUsedUpByOneReset) {
    FailNextReset(D3DERR_DRIVERINTERNALERROR);
    EXPECT_EQ(device_->Reset(&pp_), D3DERR_DRIVERINTERNALERROR);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->Reset(&pp_), D3D_OK);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    // A lost device refuses Reset before the switch is looked at.
    FailNextReset();
    SetCooperativeLevel(D3DERR_DEVICELOST);
    EXPECT_EQ(device_->Reset(&pp_), D3DERR_DEVICELOST);
    SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device_->Reset(&pp_), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Reset(&pp_), D3D_OK);
}

TEST_F(ResetAndLossTest, HeldBackBufferBlocksReset) {
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    EXPECT_EQ(device_->Reset(&pp_), D3DERR_INVALIDCALL);
    back->Release();
    EXPECT_EQ(device_->Reset(&pp_), D3D_OK);
}

TEST_F(ResetAndLossTest, ManagedAndSystemResourcesSurviveReset) {
    IDirect3DTexture9* managed = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr), D3D_OK);
    D3DLOCKED_RECT locked;
    managed->LockRect(0, &locked, nullptr, 0);
    *static_cast<DWORD*>(locked.pBits) = 0xCAFEF00D;
    managed->UnlockRect(0);
    device_->SetTexture(0, managed);
    ASSERT_EQ(device_->Reset(&pp_), D3D_OK);
    ASSERT_EQ(managed->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(*static_cast<DWORD*>(locked.pBits), 0xCAFEF00Du);
    managed->UnlockRect(0);
    // Reset puts the states back to their defaults and unbinds.
    IDirect3DBaseTexture9* bound = nullptr;
    device_->GetTexture(0, &bound);
    EXPECT_EQ(bound, nullptr);
    EXPECT_EQ(managed->Release(), 0u);
}

TEST_F(ResetAndLossTest, ResetRestoresDefaultStatesAndNewSize) {
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    pp_.BackBufferWidth = 32;
    pp_.BackBufferHeight = 16;
    ASSERT_EQ(device_->Reset(&pp_), D3D_OK);
    DWORD lighting = 0;
    device_->GetRenderState(D3DRS_LIGHTING, &lighting);
    EXPECT_EQ(lighting, static_cast<DWORD>(TRUE));
    D3DVIEWPORT9 viewport;
    device_->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 32u);
    EXPECT_EQ(viewport.Height, 16u);
    IDirect3DSurface9* back = nullptr;
    device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 32u);
    back->Release();
}

TEST_F(ResetAndLossTest, LostThenNotResetThenRecovered) {
    SetCooperativeLevel(D3DERR_DEVICELOST);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->Reset(&pp_), D3DERR_DEVICELOST);
    // Drawing and clearing while lost succeed and do nothing.
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device_->BeginScene(), D3D_OK);
    EXPECT_EQ(device_->EndScene(), D3D_OK);

    SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    ASSERT_EQ(device_->Reset(&pp_), D3D_OK);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(ResetAndLossTest, ResetWithBadParametersLeavesTheDeviceNotReset) {
    EXPECT_EQ(device_->Reset(nullptr), D3DERR_INVALIDCALL);
    D3DPRESENT_PARAMETERS bad = pp_;
    bad.SwapEffect = static_cast<D3DSWAPEFFECT>(9);
    EXPECT_EQ(device_->Reset(&bad), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3D_OK);  // still safe to call
    ASSERT_EQ(device_->Reset(&pp_), D3D_OK);
}

TEST_F(ResetAndLossTest, ResetToFullScreenAndBack) {
    D3DPRESENT_PARAMETERS full = pp_;
    full.Windowed = FALSE;
    full.SwapEffect = D3DSWAPEFFECT_DISCARD;
    full.BackBufferWidth = 800;
    full.BackBufferHeight = 600;
    ASSERT_EQ(device_->Reset(&full), D3D_OK);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    ASSERT_EQ(device_->Reset(&pp_), D3D_OK);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
}

}  // namespace
