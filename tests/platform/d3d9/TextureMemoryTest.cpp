// The texture-memory budget: exact byte counts per format and level chain,
// pools that count, exhaustion and injected creation failures.
#include "DeviceFixture.h"

using namespace lumiva::d3d9;

namespace {

class TextureMemoryTest : public D3D9Test {
protected:
    void SetUp() override {
        D3D9Test::SetUp();
        CreateDevice();
    }
};

struct BytesCase {
    UINT width;
    UINT height;
    UINT levels;
    D3DFORMAT format;
    D3DPOOL pool;
    UINT bytes;
};

TEST_F(TextureMemoryTest, AvailableMemoryFallsAndRisesByExactBytes) {
    const BytesCase cases[] = {
        {256, 256, 1, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 262144},
        {256, 256, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 349524},  // 4 x (65536 + 16384 + ... + 1)
        {100, 50, 1, D3DFMT_R5G6B5, D3DPOOL_DEFAULT, 10000},
        {64, 64, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, 2744},  // 2048 + 512 + 128 + 32 + 3 levels of one block
        {8, 8, 1, D3DFMT_DXT5, D3DPOOL_MANAGED, 64},
        {16, 16, 1, D3DFMT_A4R4G4B4, D3DPOOL_DEFAULT, 512},
        {10, 10, 1, D3DFMT_L8, D3DPOOL_MANAGED, 100},
        {32, 32, 1, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, 0},
    };
    const UINT start = device_->GetAvailableTextureMem();
    EXPECT_EQ(start, 128u << 20);
    for (const BytesCase& c : cases) {
        IDirect3DTexture9* texture = nullptr;
        const DWORD usage = c.pool == D3DPOOL_DEFAULT ? D3DUSAGE_RENDERTARGET : 0;
        const D3DFORMAT format = c.format;
        ASSERT_EQ(device_->CreateTexture(c.width, c.height, c.levels, usage, format, c.pool, &texture, nullptr), D3D_OK)
            << c.format;
        EXPECT_EQ(start - device_->GetAvailableTextureMem(), c.bytes) << c.width << "x" << c.height << " " << c.format;
        texture->Release();
        EXPECT_EQ(device_->GetAvailableTextureMem(), start);
    }
}

TEST_F(TextureMemoryTest, TotalIsInjectableAndExhaustionFails) {
    SetTotalTextureMemory(300000);
    EXPECT_EQ(device_->GetAvailableTextureMem(), 300000u);
    IDirect3DTexture9* first = nullptr;
    IDirect3DTexture9* second = nullptr;
    ASSERT_EQ(device_->CreateTexture(256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &first, nullptr), D3D_OK);
    EXPECT_EQ(device_->GetAvailableTextureMem(), 300000u - 262144u);
    EXPECT_EQ(device_->CreateTexture(128, 128, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &second, nullptr),
              D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(second, nullptr);
    // System memory does not count against the budget.
    ASSERT_EQ(device_->CreateTexture(128, 128, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &second, nullptr), D3D_OK);
    second->Release();
    first->Release();
    ASSERT_EQ(device_->CreateTexture(128, 128, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &second, nullptr), D3D_OK);
    second->Release();
    EXPECT_EQ(device_->GetAvailableTextureMem(), 300000u);
}

TEST_F(TextureMemoryTest, NthCreationFailsAsInjected) {
    FailCreationAt(2, D3DERR_OUTOFVIDEOMEMORY, 2);
    IDirect3DTexture9* textures[4] = {};
    const HRESULT expected[4] = {D3D_OK, D3DERR_OUTOFVIDEOMEMORY, D3DERR_OUTOFVIDEOMEMORY, D3D_OK};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &textures[i], nullptr),
                  expected[i])
            << i;
    }
    EXPECT_EQ(textures[1], nullptr);
    EXPECT_EQ(ResourceCreationCount(), 4u);
    textures[0]->Release();
    textures[3]->Release();

    // Buffers count too, and other failures can be injected.
    FailCreationAt(1, E_OUTOFMEMORY);
    IDirect3DVertexBuffer9* buffer = nullptr;
    EXPECT_EQ(device_->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &buffer, nullptr), E_OUTOFMEMORY);
    ASSERT_EQ(device_->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
    buffer->Release();
    EXPECT_EQ(device_->GetAvailableTextureMem(), 128u << 20);
}

}  // namespace
