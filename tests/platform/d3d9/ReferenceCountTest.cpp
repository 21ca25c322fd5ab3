// Reference counts: over-release is reported and never frees twice; a
// device outlives its last resource; references the device hands out.
#include "DeviceFixture.h"

using namespace lumiva::d3d9;

namespace {

class ReferenceCountTest : public D3D9Test {
protected:
    void SetUp() override {
        D3D9Test::SetUp();
        CreateDevice();
    }
};

TEST_F(ReferenceCountTest, OverReleaseIsReportedNotFreedTwice) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    EXPECT_EQ(texture->AddRef(), 2u);
    EXPECT_EQ(texture->Release(), 1u);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_TRUE(OverReleases().empty());
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(texture->AddRef(), 0u);
    EXPECT_EQ(OverReleases(), (std::vector<std::string>{"IDirect3DTexture9", "IDirect3DTexture9"}));
    // The dead texture refuses work instead of touching freed memory.
    D3DLOCKED_RECT locked;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
}

TEST_F(ReferenceCountTest, PartsOfADeadTextureRefuseWork) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    IDirect3DSurface9* level = nullptr;
    texture->GetSurfaceLevel(0, &level);
    level->Release();
    texture->Release();
    // Both pointers are stale now; using them is reported or refused, never a crash.
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(level->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(locked.pBits, nullptr);
    void* container = nullptr;
    EXPECT_EQ(level->GetContainer(IID_IDirect3DTexture9, &container), D3DERR_INVALIDCALL);
    IDirect3DDevice9* owner = nullptr;
    EXPECT_EQ(texture->GetDevice(&owner), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetTexture(0, texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetRenderTarget(0, level), D3DERR_INVALIDCALL);
    EXPECT_TRUE(OverReleases().empty());
}

TEST_F(ReferenceCountTest, LevelOverReleaseCountsAgainstTheTexture) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    IDirect3DSurface9* level = nullptr;
    texture->GetSurfaceLevel(0, &level);
    EXPECT_EQ(level->Release(), 1u);
    EXPECT_EQ(level->Release(), 0u);  // one too many: it was the texture's own reference
    EXPECT_TRUE(OverReleases().empty());
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(OverReleases(), (std::vector<std::string>{"IDirect3DTexture9"}));
}

TEST_F(ReferenceCountTest, BuffersAndDeviceReportToo) {
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
    buffer->Release();
    buffer->Release();
    EXPECT_EQ(device_->Release(), 0u);
    EXPECT_EQ(device_->Release(), 0u);
    device_ = nullptr;
    EXPECT_EQ(OverReleases(), (std::vector<std::string>{"IDirect3DVertexBuffer9", "IDirect3DDevice9"}));
}

TEST_F(ReferenceCountTest, ResourcesOutliveTheirDevice) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    EXPECT_EQ(device_->Release(), 0u);
    device_ = nullptr;
    EXPECT_EQ(LiveDeviceCount(), 0u);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    texture->UnlockRect(0);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_TRUE(OverReleases().empty());
}

TEST_F(ReferenceCountTest, HandedOutReferencesBalance) {
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    IDirect3DSurface9* target = nullptr;
    ASSERT_EQ(device_->GetRenderTarget(0, &target), D3D_OK);
    EXPECT_EQ(target, back);
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(device_->GetDepthStencilSurface(&depth), D3D_OK);
    // The swap chain's own reference, the binding and what the test took.
    EXPECT_EQ(back->Release(), 3u);
    EXPECT_EQ(target->Release(), 2u);
    EXPECT_EQ(depth->Release(), 2u);
    EXPECT_TRUE(OverReleases().empty());
}

TEST_F(ReferenceCountTest, QueryInterfaceKnowsTheInterfaces) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    void* object = nullptr;
    ASSERT_EQ(texture->QueryInterface(IID_IDirect3DBaseTexture9, &object), S_OK);
    EXPECT_EQ(object, static_cast<IDirect3DBaseTexture9*>(texture));
    static_cast<IUnknown*>(texture)->Release();
    EXPECT_EQ(texture->QueryInterface(IID_IDirect3DSurface9, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    ASSERT_EQ(device_->QueryInterface(IID_IDirect3DDevice9, &object), S_OK);
    device_->Release();
    EXPECT_EQ(texture->Release(), 0u);
}

// A client runs for hours: the dead objects kept to catch late releases
// stay few, the oldest freed first, and a recent one still reports.
TEST_F(ReferenceCountTest, DeadObjectsKeptForLateReleasesStayBounded) {
    const size_t before = RetiredObjectCount();
    for (size_t i = 0; i < 2 * kRetiredObjectLimit; ++i) {
        IDirect3DVertexBuffer9* buffer = nullptr;
        ASSERT_EQ(device_->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
        buffer->Release();
        ASSERT_LE(RetiredObjectCount(), kRetiredObjectLimit) << i;
    }
    EXPECT_GT(RetiredObjectCount(), before);
    IDirect3DVertexBuffer9* late = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &late, nullptr), D3D_OK);
    late->Release();
    EXPECT_EQ(late->Release(), 0u);
    EXPECT_EQ(OverReleases(), (std::vector<std::string>{"IDirect3DVertexBuffer9"}));
}

}  // namespace
