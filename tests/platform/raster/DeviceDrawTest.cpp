// Drawing through the device: the public calls reach the rasterizer and the
// pixels land in the back buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <d3d9.h>
#include <d3dx9.h>
#include <vector>

#include "d3d9/Control.h"
#include "support/WindowedDevice.h"
#include "win32/Control.h"

namespace device_draw_test {
namespace {

struct Vtx {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr UINT kSize = 16;

class DeviceDraw : public ::testing::Test {
protected:
    void SetUp() override {
        lumiva::win32::ResetForTests();
        lumiva::d3d9::ResetForTests();
        window_ = CreateWindowExA(0, "Test", "Test", WS_POPUP | WS_VISIBLE, 0, 0, kSize, kSize, nullptr, nullptr,
                                  nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr);
        D3DPRESENT_PARAMETERS pp = WindowedTestParametersWithDepth(window_, kSize, kSize);
        ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                     &pp, &device_),
                  D3D_OK);
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0), D3D_OK);
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        ASSERT_EQ(device_->BeginScene(), D3D_OK);
    }

    void TearDown() override {
        if (device_) {
            device_->EndScene();
            EXPECT_EQ(device_->Release(), 0u);
        }
        if (d3d_) d3d_->Release();
        DestroyWindow(window_);
        lumiva::d3d9::ResetForTests();
        lumiva::win32::ResetForTests();
    }

    // The back buffer's pixel, read through a lock.
    D3DCOLOR Pixel(UINT x, UINT y) {
        IDirect3DSurface9* back = nullptr;
        EXPECT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        D3DLOCKED_RECT locked{};
        D3DCOLOR value = 0;
        if (back && back->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
            std::memcpy(&value, static_cast<const BYTE*>(locked.pBits) + y * UINT(locked.Pitch) + x * 4, 4);
            back->UnlockRect();
        }
        if (back) back->Release();
        return value | 0xFF000000u;
    }

    static std::vector<Vtx> Quad(float x0, float y0, float x1, float y1, D3DCOLOR c, float z = 0.0f) {
        return {{x0, y0, z, 1, c, 0, 0}, {x1, y0, z, 1, c, 1, 0}, {x0, y1, z, 1, c, 0, 1}, {x1, y1, z, 1, c, 1, 1}};
    }

    HWND window_ = nullptr;
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
};

TEST_F(DeviceDraw, DrawPrimitiveUpFillsTheBackBuffer) {
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device_->SetFVF(kFvf);
    const auto quad = Quad(2, 3, 6, 9, 0xFF336699);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(Vtx)), D3D_OK);
    EXPECT_EQ(Pixel(2, 3), 0xFF336699u);
    EXPECT_EQ(Pixel(5, 8), 0xFF336699u);
    EXPECT_EQ(Pixel(6, 8), 0xFF000000u);
    EXPECT_EQ(Pixel(5, 9), 0xFF000000u);
}

TEST_F(DeviceDraw, TexturedQuadFromAManagedTexture) {
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    const D3DCOLOR texels[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    for (int y = 0; y < 2; ++y) std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch, texels + 2 * y, 8);
    texture->UnlockRect(0);
    device_->SetTexture(0, texture);
    device_->SetFVF(kFvf);
    const auto quad = Quad(3.5f, 3.5f, 5.5f, 5.5f, 0xFFFFFFFF);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(Vtx)), D3D_OK);
    EXPECT_EQ(Pixel(4, 4), 0xFFFF0000u);
    EXPECT_EQ(Pixel(5, 4), 0xFF00FF00u);
    EXPECT_EQ(Pixel(4, 5), 0xFF0000FFu);
    EXPECT_EQ(Pixel(5, 5), 0xFFFFFFFFu);
    device_->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(DeviceDraw, IndexedDrawWithBaseVertexAndStartIndex) {
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    // Vertices 0..3 are a decoy quad; 4..7 the drawn one, reached through
    // base vertex 4 and the second half of the index buffer.
    std::vector<Vtx> vertices = Quad(0, 0, 16, 16, 0xFFFF0000);
    const auto drawn = Quad(8, 8, 12, 12, 0xFF00FF00);
    vertices.insert(vertices.end(), drawn.begin(), drawn.end());
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(UINT(vertices.size() * sizeof(Vtx)), 0, kFvf, D3DPOOL_MANAGED, &vb, nullptr),
              D3D_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(12 * 2, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr), D3D_OK);
    void* p = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, vertices.data(), vertices.size() * sizeof(Vtx));
    vb->Unlock();
    const WORD indices[12] = {9, 9, 9, 9, 9, 9, 0, 1, 2, 2, 1, 3};
    ASSERT_EQ(ib->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, indices, sizeof(indices));
    ib->Unlock();
    device_->SetStreamSource(0, vb, 0, sizeof(Vtx));
    device_->SetIndices(ib);
    device_->SetFVF(kFvf);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 0, 4, 6, 2), D3D_OK);
    EXPECT_EQ(Pixel(8, 8), 0xFF00FF00u);
    EXPECT_EQ(Pixel(11, 11), 0xFF00FF00u);
    EXPECT_EQ(Pixel(2, 2), 0xFF000000u);
    device_->SetStreamSource(0, nullptr, 0, 0);
    device_->SetIndices(nullptr);
    vb->Release();
    ib->Release();
}

TEST_F(DeviceDraw, IndexedDrawFromUserMemory) {
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device_->SetFVF(kFvf);
    const auto quad = Quad(4, 4, 8, 8, 0xFF0000FF);
    const WORD indices[6] = {0, 1, 2, 2, 1, 3};
    ASSERT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16, quad.data(),
                                              sizeof(Vtx)),
              D3D_OK);
    EXPECT_EQ(Pixel(4, 4), 0xFF0000FFu);
    EXPECT_EQ(Pixel(7, 7), 0xFF0000FFu);
    EXPECT_EQ(Pixel(8, 8), 0xFF000000u);
}

TEST_F(DeviceDraw, IndexedVertexBlendingReadsTheWholePalette) {
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    D3DMATRIX shift{};
    shift._11 = shift._22 = shift._33 = shift._44 = 1.0f;
    shift._41 = 0.5f;
    device_->SetTransform(D3DTS_WORLDMATRIX(10), &shift);
    device_->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_1WEIGHTS);
    device_->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, TRUE);
    struct Blended {
        float x, y, z, weight;
        BYTE indices[4];
        D3DCOLOR color;
    };
    // All weight on matrix 10: x 0 -> 0.5 in clip space -> column (0.5 + 1) * 8.
    const Blended point = {0, 0, 0.5f, 1.0f, {10, 0, 0, 0}, 0xFFFFFFFF};
    device_->SetFVF(D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_DIFFUSE);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof(Blended)), D3D_OK);
    EXPECT_EQ(Pixel(12, 8), 0xFFFFFFFFu);
}

TEST_F(DeviceDraw, DrawsWithAVertexShaderRunIt) {
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    // The shader moves the quad right by c0.x in clip space and colours it from c1.
    const char text[] =
        "vs.1.1\n"
        "dcl_position v0\n"
        "add oPos, v0, c0\n"
        "mov oD0, c1\n";
    ID3DXBuffer* tokens = nullptr;
    ASSERT_EQ(D3DXAssembleShader(text, sizeof text - 1, nullptr, nullptr, 0, &tokens, nullptr), D3D_OK);
    IDirect3DVertexShader9* shader = nullptr;
    ASSERT_EQ(device_->CreateVertexShader(static_cast<const DWORD*>(tokens->GetBufferPointer()), &shader), D3D_OK);
    tokens->Release();
    const float constants[8] = {1.0f, 0, 0, 0, 0.2f, 0.4f, 0.6f, 1.0f};
    ASSERT_EQ(device_->SetVertexShaderConstantF(0, constants, 2), D3D_OK);
    device_->SetVertexShader(shader);
    struct Position {
        float x, y, z;
    };
    const Position quad[4] = {{-1, 1, 0.5f}, {0, 1, 0.5f}, {-1, -1, 0.5f}, {0, -1, 0.5f}};  // left half
    device_->SetFVF(D3DFVF_XYZ);
    lumiva::d3d9::EnableRecording(true);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Position)), D3D_OK);
    lumiva::d3d9::EnableRecording(false);
    EXPECT_EQ(Pixel(4, 8), 0xFF000000u);
    EXPECT_EQ(Pixel(12, 8), 0xFF336699u);
    const auto draws = lumiva::d3d9::RecordedCallsNamed("DrawPrimitiveUP");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].state->vertexShader, shader);
    device_->SetVertexShader(nullptr);
    shader->Release();
}

TEST_F(DeviceDraw, DepthBufferOfTheDevice) {
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    device_->SetFVF(kFvf);
    const auto near = Quad(0, 0, 8, 8, 0xFFFF0000, 0.25f);
    const auto far = Quad(0, 0, 8, 8, 0xFF00FF00, 0.5f);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, near.data(), sizeof(Vtx));
    device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, far.data(), sizeof(Vtx));
    EXPECT_EQ(Pixel(4, 4), 0xFFFF0000u);
}

TEST_F(DeviceDraw, VertexDeclarationDraw) {
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITIONT, 0},
        {0, 16, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
        D3DDECL_END()};
    IDirect3DVertexDeclaration9* declaration = nullptr;
    ASSERT_EQ(device_->CreateVertexDeclaration(elements, &declaration), D3D_OK);
    device_->SetVertexDeclaration(declaration);
    const auto quad = Quad(1, 1, 3, 3, 0xFF123456);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(Vtx)), D3D_OK);
    EXPECT_EQ(Pixel(1, 1), 0xFF123456u);
    EXPECT_EQ(Pixel(3, 3), 0xFF000000u);
    device_->SetVertexDeclaration(nullptr);
    declaration->Release();
}

TEST_F(DeviceDraw, NoRasterSwitchLeavesPixelsAlone) {
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device_->SetFVF(kFvf);
    lumiva::d3d9::SetNoRaster(true);
    const auto quad = Quad(0, 0, 16, 16, 0xFFFFFFFF);
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(Vtx)), D3D_OK);
    EXPECT_EQ(Pixel(8, 8), 0xFF000000u);
    // Clears and presents too: they still check their arguments.
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 2.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(Pixel(8, 8), 0xFF000000u);
    device_->EndScene();
    const lumiva::d3d9::Image before = lumiva::d3d9::FrontBuffer();
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), D3D_OK);
    lumiva::d3d9::SetNoRaster(false);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
    lumiva::d3d9::SetNoRaster(true);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(lumiva::d3d9::FrontBuffer().pixels, before.pixels);
    lumiva::d3d9::SetNoRaster(false);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_NE(lumiva::d3d9::FrontBuffer().pixels, before.pixels);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(Vtx)), D3D_OK);
    EXPECT_EQ(Pixel(8, 8), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace device_draw_test
