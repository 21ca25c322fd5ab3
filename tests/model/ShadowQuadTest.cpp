// The blob shadow quad: its buffer made once from the values of the first
// draw, the states it sets and gives back, what it draws, and retries after
// a buffer it could not make or fill.
#include <gtest/gtest.h>

#include <cstring>

#include "ModelFixture.h"
#include "scene/KShadowQuad.h"
#include "textures/TextureManager.h"

namespace model_test {
namespace {

constexpr const char* kShadowPath = "\\portrait\\common\\shadow.png";

class ShadowQuadTest : public ModelTest {
protected:
    std::vector<KShadowVertex> BufferVertices(KShadowQuad& quad) {
        std::vector<KShadowVertex> vertices(6);
        void* bytes = nullptr;
        if (!quad.vertexBuffer || FAILED(quad.vertexBuffer->Lock(0, 0, &bytes, D3DLOCK_READONLY))) return {};
        std::memcpy(vertices.data(), bytes, sizeof(KShadowVertex) * 6);
        quad.vertexBuffer->Unlock();
        return vertices;
    }
    // Looking down the y axis at the plane y = 0: x to the right, z up the
    // target, 200 x 200 units across it.
    void UseTopCamera() {
        D3DXMATRIX world, view, projection;
        D3DXMatrixIdentity(&world);
        const D3DXVECTOR3 eye(0, 10, 0), at(0, 0, 0), up(0, 0, 1);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixOrthoLH(&projection, 200, 200, 1, 100);
        device->SetTransform(D3DTS_WORLD, &world);
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
    }
    // The quad's texture: 8 x 4 texels, the left half with alpha `left`,
    // the right half with alpha `right`, all white.
    void GiveTexture(KShadowQuad& quad, BYTE left, BYTE right) {
        std::vector<uint32_t> texels(32);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x) texels[size_t(y * 8 + x)] = uint32_t(x < 4 ? left : right) << 24 | 0xFFFFFF;
        WriteModuleFile(kShadowPath, Dds(texels, 8, 4));
        quad.texture = g_pTextureManager->LoadTexture(kShadowPath, nullptr, 0, 0, 0);
        ASSERT_NE(quad.texture, nullptr);
    }
};

TEST_F(ShadowQuadTest, Defaults) {
    KShadowQuad quad;
    EXPECT_EQ(quad.texture, nullptr);
    EXPECT_TRUE(quad.textureName.empty());
    EXPECT_EQ(quad.shadowFlag, 0);
    EXPECT_EQ(quad.vertexBuffer, nullptr);
    EXPECT_EQ(quad.centreX, 0.0f);
    EXPECT_EQ(quad.centreZ, 0.0f);
    EXPECT_EQ(quad.halfWidth, 50.0f);
    EXPECT_EQ(quad.halfDepth, 50.0f);
    EXPECT_EQ(quad.alpha, 255);
    EXPECT_EQ(quad.origin, D3DXVECTOR3(0, 0, 0));
}

TEST_F(ShadowQuadTest, SixVerticesFromTheFirstDrawOnly) {
    KShadowQuad quad;
    quad.centreX = 1, quad.centreZ = 2, quad.halfWidth = 10, quad.halfDepth = 20, quad.alpha = 0x80;
    quad.origin = D3DXVECTOR3(100, 5, 200);
    quad.Draw();
    const std::vector<KShadowVertex> expected = {
        {91, 5, 182, 0x80FFFFFF, 0, 0}, {111, 5, 182, 0x80FFFFFF, 1, 0}, {91, 5, 222, 0x80FFFFFF, 0, 1},
        {91, 5, 222, 0x80FFFFFF, 0, 1}, {111, 5, 182, 0x80FFFFFF, 1, 0}, {111, 5, 222, 0x80FFFFFF, 1, 1},
    };
    auto same = [](const std::vector<KShadowVertex>& a, const std::vector<KShadowVertex>& b) {
        return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(KShadowVertex)) == 0;
    };
    EXPECT_TRUE(same(BufferVertices(quad), expected));
    D3DVERTEXBUFFER_DESC desc{};
    quad.vertexBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 144u);
    EXPECT_EQ(desc.FVF, 0x142u);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);

    IDirect3DVertexBuffer9* const buffer = quad.vertexBuffer;
    quad.halfWidth = 1, quad.alpha = 0, quad.origin = D3DXVECTOR3(0, 0, 0);
    quad.Draw();
    EXPECT_EQ(quad.vertexBuffer, buffer);
    EXPECT_TRUE(same(BufferVertices(quad), expected));
}

TEST_F(ShadowQuadTest, StatesSetForTheDrawAndTheThreeGivenBack) {
    KShadowQuad quad;
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    BeginDraw();
    lumiva::d3d9::EnableRecording(true);
    quad.Draw();
    EndDraw();
    const auto draws = lumiva::d3d9::RecordedCallsNamed("DrawPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args, (std::vector<uint64_t>{D3DPT_TRIANGLELIST, 0, 2}));
    const lumiva::d3d9::DeviceState& at = *draws[0].state;
    EXPECT_EQ(at.renderStates[D3DRS_ALPHABLENDENABLE], DWORD(TRUE));
    EXPECT_EQ(at.renderStates[D3DRS_ZENABLE], DWORD(FALSE));
    EXPECT_EQ(at.renderStates[D3DRS_ZWRITEENABLE], DWORD(FALSE));
    EXPECT_EQ(at.renderStates[D3DRS_ALPHATESTENABLE], DWORD(TRUE));
    EXPECT_EQ(at.renderStates[D3DRS_ALPHAFUNC], DWORD(D3DCMP_GREATEREQUAL));
    EXPECT_EQ(at.renderStates[D3DRS_ALPHAREF], 10u);
    EXPECT_EQ(at.fvf, 0x142u);
    EXPECT_EQ(CallsNamed({"SetStreamSource"}).back(),
              "SetStreamSource 0 " + std::to_string(uintptr_t(quad.vertexBuffer)) + " 0 24");
    const std::vector<std::string> stages = {
        "SetTextureStageState 0 2 2", "SetTextureStageState 0 3 0", "SetTextureStageState 0 1 4",
        "SetTextureStageState 0 5 2", "SetTextureStageState 0 6 0", "SetTextureStageState 0 4 4",
        "SetTextureStageState 1 1 1", "SetTextureStageState 1 4 1"};
    EXPECT_EQ(CallsNamed({"SetTextureStageState"}), stages);

    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), DWORD(D3DZB_TRUE));
    EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), DWORD(TRUE));
    EXPECT_EQ(RenderState(D3DRS_ALPHATESTENABLE), DWORD(TRUE));  // left as set
}

// Texels whose alpha, times the quad's, falls below 10 are not drawn; the
// rest blend over the ground.
TEST_F(ShadowQuadTest, AlphaTestedAndBlendedPixels) {
    struct Case {
        BYTE quadAlpha;
        BYTE left, right;
        D3DCOLOR leftPixel, rightPixel;
    };
    const Case cases[] = {
        {255, 9, 255, 0x0000FF, 0xFFFFFF},  // alpha 9 is tested away
        {255, 10, 255, 0x0A0AFF, 0xFFFFFF},
        {0, 255, 255, 0x0000FF, 0x0000FF},  // nothing visible
        {128, 16, 255, 0x0000FF, 0x8080FF},  // 16 x 128 / 255 = 8
    };
    for (const Case& c : cases) {
        KShadowQuad quad;
        quad.alpha = c.quadAlpha;
        GiveTexture(quad, c.left, c.right);
        UseTopCamera();
        BeginDraw(0xFF0000FF);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        quad.Draw();
        EndDraw();
        EXPECT_NEAR(int(Pixel(5, 8) >> 16), int(c.leftPixel >> 16), 1) << int(c.quadAlpha) << " " << int(c.left);
        EXPECT_EQ(Pixel(5, 8) & 0xFF, c.leftPixel & 0xFF);
        EXPECT_NEAR(int(Pixel(10, 8) >> 16), int(c.rightPixel >> 16), 1) << int(c.quadAlpha);
        // Outside the 100 x 100 quad.
        EXPECT_EQ(Pixel(1, 8), 0x0000FFu);
        EXPECT_EQ(Pixel(8, 1), 0x0000FFu);
    }
}

TEST_F(ShadowQuadTest, BufferThatCouldNotBeMadeOrFilledIsTriedAgain) {
    KShadowQuad quad;
    BeginDraw();
    const UINT live = lumiva::d3d9::LiveResourceCount();
    lumiva::d3d9::EnableRecording(true);
    lumiva::d3d9::FailCreationAt(1);
    quad.Draw();
    EXPECT_EQ(quad.vertexBuffer, nullptr);
    lumiva::d3d9::FailBufferLockAt(1);
    quad.Draw();
    EXPECT_EQ(quad.vertexBuffer, nullptr);
    EXPECT_TRUE(lumiva::d3d9::RecordedCallsNamed("DrawPrimitive").empty());
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), live);  // the buffer it could not fill went
    quad.Draw();
    EndDraw();
    EXPECT_NE(quad.vertexBuffer, nullptr);
    const auto draws = lumiva::d3d9::RecordedCallsNamed("DrawPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].result, D3D_OK);
}

TEST_F(ShadowQuadTest, DestructorGivesTheTextureBack) {
    {
        KShadowQuad quad;
        GiveTexture(quad, 255, 255);
        quad.Draw();
    }
    EXPECT_EQ(g_pTextureManager->FindTexture(kShadowPath), nullptr);
}

}  // namespace
}  // namespace model_test
