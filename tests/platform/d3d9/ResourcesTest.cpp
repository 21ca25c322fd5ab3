// Textures, surfaces and buffers: levels, descriptions, locks with pitch,
// lock flags and refusals.
#include <cstring>

#include "DeviceFixture.h"

using namespace lumiva::d3d9;

namespace {

class ResourcesTest : public D3D9Test {
protected:
    void SetUp() override {
        D3D9Test::SetUp();
        CreateDevice();
    }
    IDirect3DTexture9* MakeTexture(UINT w, UINT h, UINT levels, D3DFORMAT format, D3DPOOL pool, DWORD usage = 0) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(device_->CreateTexture(w, h, levels, usage, format, pool, &texture, nullptr), D3D_OK);
        return texture;
    }
};

struct PitchCase {
    D3DFORMAT format;
    UINT width;
    UINT height;
    INT pitch;
};

TEST_F(ResourcesTest, LocksReportThePitchOfEachFormat) {
    const PitchCase cases[] = {
        {D3DFMT_A8R8G8B8, 10, 4, 40}, {D3DFMT_X8R8G8B8, 3, 3, 12}, {D3DFMT_R5G6B5, 10, 2, 20},
        {D3DFMT_A4R4G4B4, 7, 1, 14},  {D3DFMT_A1R5G5B5, 5, 5, 10}, {D3DFMT_L8, 9, 2, 9},
        {D3DFMT_A8, 3, 3, 3},         {D3DFMT_R8G8B8, 5, 1, 15},   {D3DFMT_DXT1, 16, 8, 32},
        {D3DFMT_DXT3, 8, 8, 32},      {D3DFMT_DXT5, 16, 16, 64},
    };
    for (const PitchCase& c : cases) {
        IDirect3DTexture9* texture = MakeTexture(c.width, c.height, 1, c.format, D3DPOOL_MANAGED);
        ASSERT_NE(texture, nullptr) << c.format;
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK) << c.format;
        EXPECT_EQ(locked.Pitch, c.pitch) << c.format;
        EXPECT_NE(locked.pBits, nullptr);
        EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
        texture->Release();
    }
}

TEST_F(ResourcesTest, SubRectangleLocksPointIntoTheLevel) {
    IDirect3DTexture9* texture = MakeTexture(16, 16, 1, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    D3DLOCKED_RECT whole{}, part{};
    ASSERT_EQ(texture->LockRect(0, &whole, nullptr, 0), D3D_OK);
    texture->UnlockRect(0);
    const RECT r{3, 2, 8, 9};
    ASSERT_EQ(texture->LockRect(0, &part, &r, 0), D3D_OK);
    EXPECT_EQ(static_cast<BYTE*>(part.pBits) - static_cast<BYTE*>(whole.pBits), 2 * 64 + 3 * 4);
    // Written through the lock, read back through the surface.
    *static_cast<DWORD*>(part.pBits) = 0x11223344;
    texture->UnlockRect(0);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
    EXPECT_EQ(PixelOf(level, 3, 2), 0x11223344u);
    level->Release();

    const RECT block{4, 4, 8, 8};
    const RECT ragged{2, 0, 8, 4};
    IDirect3DTexture9* dxt = MakeTexture(16, 16, 1, D3DFMT_DXT5, D3DPOOL_MANAGED);
    ASSERT_EQ(dxt->LockRect(0, &part, &block, 0), D3D_OK);
    EXPECT_EQ(part.Pitch, 64);
    dxt->UnlockRect(0);
    EXPECT_EQ(dxt->LockRect(0, &part, &ragged, 0), D3DERR_INVALIDCALL);
    dxt->Release();
    texture->Release();
}

TEST_F(ResourcesTest, BadLocksAreRefused) {
    IDirect3DTexture9* texture = MakeTexture(16, 16, 2, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    D3DLOCKED_RECT locked{};
    const RECT outside{8, 8, 17, 12};
    const RECT inverted{8, 8, 4, 12};
    EXPECT_EQ(texture->LockRect(0, &locked, &outside, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->LockRect(0, &locked, &inverted, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->LockRect(2, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->LockRect(0, nullptr, nullptr, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(texture->LockRect(1, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 32);
    EXPECT_EQ(texture->LockRect(1, &locked, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
    EXPECT_EQ(texture->UnlockRect(1), D3D_OK);
    EXPECT_EQ(texture->UnlockRect(1), D3DERR_INVALIDCALL);
    texture->Release();

    // Default-pool textures lock only when dynamic.
    IDirect3DTexture9* target = MakeTexture(16, 16, 1, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET);
    EXPECT_EQ(target->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    target->Release();
    IDirect3DTexture9* dynamic = MakeTexture(16, 16, 1, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC);
    EXPECT_EQ(dynamic->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD), D3D_OK);
    dynamic->UnlockRect(0);
    dynamic->Release();
}

TEST_F(ResourcesTest, LevelsDescriptionsAndSurfaceReferences) {
    IDirect3DTexture9* texture = MakeTexture(64, 16, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED);
    ASSERT_EQ(texture->GetLevelCount(), 7u);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(3, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 8u);
    EXPECT_EQ(desc.Height, 2u);
    EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(desc.Type, D3DRTYPE_SURFACE);
    ASSERT_EQ(texture->GetLevelDesc(6, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 1u);
    EXPECT_EQ(desc.Height, 1u);
    EXPECT_EQ(texture->GetLevelDesc(7, &desc), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->GetType(), D3DRTYPE_TEXTURE);

    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(2, &level), D3D_OK);
    // A level keeps its texture alive.
    EXPECT_EQ(texture->Release(), 1u);
    IDirect3DTexture9* container = nullptr;
    ASSERT_EQ(level->GetContainer(IID_IDirect3DTexture9, reinterpret_cast<void**>(&container)), D3D_OK);
    EXPECT_EQ(container, texture);
    container->Release();
    ASSERT_EQ(level->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 16u);
    EXPECT_EQ(level->Release(), 0u);
    EXPECT_TRUE(OverReleases().empty());
}

TEST_F(ResourcesTest, TextureCreationRefusals) {
    IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
    auto create = [&](UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool) {
        return device_->CreateTexture(w, h, levels, usage, format, pool, &texture, nullptr);
    };
    EXPECT_EQ(create(0, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(create(8, 8, 5, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
    EXPECT_EQ(create(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
    EXPECT_EQ(create(8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
    EXPECT_EQ(create(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_DXT5, D3DPOOL_DEFAULT), D3DERR_INVALIDCALL);
    EXPECT_EQ(create(10, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
    EXPECT_EQ(create(4096, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
    EXPECT_EQ(create(8, 8, 1, 0, D3DFMT_D24S8, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr, nullptr),
              D3DERR_INVALIDCALL);
    RejectFormat(D3DFMT_A4R4G4B4);
    EXPECT_EQ(create(8, 8, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
}

TEST_F(ResourcesTest, PowerOfTwoCapsLimitTextureSizes) {
    device_->Release();
    device_ = nullptr;
    AdapterConfig adapter = DefaultAdapter();
    adapter.halCaps.TextureCaps |= D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_NONPOW2CONDITIONAL;
    SetAdapters({adapter});
    CreateDevice();
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device_->CreateTexture(24, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->CreateTexture(24, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    texture->Release();
}

TEST_F(ResourcesTest, VertexBufferLocksByOffsetAndSize) {
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(256, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &buffer,
                                          nullptr),
              D3D_OK);
    D3DVERTEXBUFFER_DESC desc{};
    ASSERT_EQ(buffer->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Size, 256u);
    EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC));
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(desc.Type, D3DRTYPE_VERTEXBUFFER);

    void* whole = nullptr;
    void* part = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &whole, D3DLOCK_DISCARD), D3D_OK);
    buffer->Unlock();
    ASSERT_EQ(buffer->Lock(112, 112, &part, D3DLOCK_NOOVERWRITE), D3D_OK);
    EXPECT_EQ(static_cast<BYTE*>(part) - static_cast<BYTE*>(whole), 112);
    std::memset(part, 0xAB, 112);
    buffer->Unlock();
    ASSERT_EQ(buffer->Lock(144, 0, &part, D3DLOCK_NOOVERWRITE), D3D_OK);  // to the end
    EXPECT_EQ(*static_cast<BYTE*>(part), 0xAB);
    buffer->Unlock();
    ASSERT_EQ(buffer->Lock(0, 256, &part, 0), D3D_OK);  // a run ending at the end
    buffer->Unlock();

    EXPECT_EQ(buffer->Lock(200, 57, &part, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(part, nullptr);
    EXPECT_EQ(buffer->Lock(257, 0, &part, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->Lock(0, 4, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->Lock(0, 4, &part, D3DLOCK_DISCARD | D3DLOCK_NOOVERWRITE), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL);
    buffer->Release();

    // Direct3D 9 accepts DISCARD on a buffer that is not dynamic and ignores
    // it: the contents stay.
    IDirect3DVertexBuffer9* fixed = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(64, 0, 0x142, D3DPOOL_MANAGED, &fixed, nullptr), D3D_OK);
    ASSERT_EQ(fixed->Lock(0, 0, &part, 0), D3D_OK);
    std::memset(part, 0x5C, 64);
    fixed->Unlock();
    ASSERT_EQ(fixed->Lock(0, 0, &part, D3DLOCK_DISCARD), D3D_OK);
    EXPECT_EQ(static_cast<BYTE*>(part)[63], 0x5C);
    fixed->Unlock();
    EXPECT_EQ(fixed->Lock(0, 0, &part, D3DLOCK_DISCARD | D3DLOCK_NOOVERWRITE), D3DERR_INVALIDCALL);
    IDirect3DIndexBuffer9* fixedIndices = nullptr;
    ASSERT_EQ(device_->CreateIndexBuffer(64, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &fixedIndices, nullptr), D3D_OK);
    EXPECT_EQ(fixedIndices->Lock(0, 0, &part, D3DLOCK_DISCARD), D3D_OK);
    fixedIndices->Unlock();
    EXPECT_EQ(fixedIndices->Release(), 0u);
    ASSERT_EQ(fixed->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.FVF, 0x142u);
    fixed->Release();
}

TEST_F(ResourcesTest, BufferCreationRefusals) {
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    EXPECT_EQ(device_->CreateVertexBuffer(0, 0, 0, D3DPOOL_MANAGED, &vertices, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateVertexBuffer(64, D3DUSAGE_DYNAMIC, 0, D3DPOOL_MANAGED, &vertices, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateIndexBuffer(64, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &indices, nullptr),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->CreateIndexBuffer(64, 0, D3DFMT_INDEX32, D3DPOOL_SYSTEMMEM, &indices, nullptr), D3D_OK);
    D3DINDEXBUFFER_DESC desc{};
    indices->GetDesc(&desc);
    EXPECT_EQ(desc.Format, D3DFMT_INDEX32);
    EXPECT_EQ(desc.Size, 64u);
    indices->Release();
}

TEST_F(ResourcesTest, SurfacesOfEachKind) {
    IDirect3DSurface9* plain = nullptr;
    ASSERT_EQ(device_->CreateOffscreenPlainSurface(20, 10, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &plain, nullptr), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(plain->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(locked.Pitch, 80);
    plain->UnlockRect();
    plain->Release();
    EXPECT_EQ(device_->CreateOffscreenPlainSurface(20, 10, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &plain, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(plain, nullptr);

    IDirect3DSurface9* target = nullptr;
    ASSERT_EQ(device_->CreateRenderTarget(16, 16, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &target, nullptr),
              D3D_OK);
    EXPECT_EQ(target->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);  // not lockable
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(device_->CreateDepthStencilSurface(16, 16, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, FALSE, &depth, nullptr),
              D3D_OK);
    depth->Release();
    EXPECT_EQ(device_->CreateDepthStencilSurface(16, 16, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &depth,
                                                 nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(depth, nullptr);
    EXPECT_EQ(device_->CreateRenderTarget(16, 16, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_4_SAMPLES, 0, FALSE, &depth,
                                          nullptr),
              D3DERR_INVALIDCALL);
    target->Release();
    EXPECT_EQ(plain, nullptr);

    // The back buffer locks because the device asked for it lockable.
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    ASSERT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(locked.Pitch, static_cast<INT>(kWidth * 4));
    back->UnlockRect();
    back->Release();
    EXPECT_EQ(device_->GetBackBuffer(0, 1, D3DBACKBUFFER_TYPE_MONO, &back), D3DERR_INVALIDCALL);
}

TEST_F(ResourcesTest, PrivateDataAndPriority) {
    IDirect3DTexture9* texture = MakeTexture(4, 4, 1, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    const GUID key{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    const int value = 42;
    ASSERT_EQ(texture->SetPrivateData(key, &value, sizeof value, 0), D3D_OK);
    int read = 0;
    DWORD size = sizeof read;
    ASSERT_EQ(texture->GetPrivateData(key, &read, &size), D3D_OK);
    EXPECT_EQ(read, 42);
    EXPECT_EQ(texture->FreePrivateData(key), D3D_OK);
    EXPECT_EQ(texture->GetPrivateData(key, &read, &size), D3DERR_NOTFOUND);
    EXPECT_EQ(texture->SetPriority(5), 0u);
    EXPECT_EQ(texture->GetPriority(), 5u);
    IDirect3DDevice9* owner = nullptr;
    ASSERT_EQ(texture->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, device_);
    owner->Release();
    EXPECT_EQ(texture->Release(), 0u);
}

}  // namespace
