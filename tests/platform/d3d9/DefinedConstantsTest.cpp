// Constants a vs_1_1 shader defines for itself (def): applied while the
// shader is bound, ahead of the application's, which come back when another
// shader is bound and which GetVertexShaderConstantF keeps answering.
#include <cstring>
#include <string>

#include <d3dx9.h>

#include "DeviceFixture.h"

using namespace lumiva::d3d9;

namespace defined_constants_test {
namespace {

struct ClipVertex {
    float x, y, z, w;
};

constexpr float kRed[4] = {1, 0, 0, 1};
constexpr float kTeal[4] = {0, 0.5f, 0.75f, 1};

class DefinedConstantsTest : public D3D9Test {
protected:
    void SetUp() override {
        D3D9Test::SetUp();
        CreateDevice();
        const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END()};
        ASSERT_EQ(device_->CreateVertexDeclaration(elements, &declaration_), D3D_OK);
        ASSERT_EQ(device_->SetVertexDeclaration(declaration_), D3D_OK);
        device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        ASSERT_EQ(device_->GetRenderTarget(0, &target_), D3D_OK);
    }
    void TearDown() override {
        if (device_) {
            device_->SetVertexShader(nullptr);
            device_->SetVertexDeclaration(nullptr);
        }
        if (target_) target_->Release();
        if (declaration_) {
            EXPECT_EQ(declaration_->Release(), 0u);
        }
        D3D9Test::TearDown();
    }

    IDirect3DVertexShader9* Shader(const std::string& definitions) {
        const std::string text = "vs.1.1\n" + definitions + "dcl_position v0\nmov oPos, v0\nmov oD0, c4\n";
        ID3DXBuffer* tokens = nullptr;
        EXPECT_EQ(D3DXAssembleShader(text.c_str(), UINT(text.size()), nullptr, nullptr, 0, &tokens, nullptr), D3D_OK);
        if (!tokens) return nullptr;
        IDirect3DVertexShader9* shader = nullptr;
        EXPECT_EQ(device_->CreateVertexShader(static_cast<const DWORD*>(tokens->GetBufferPointer()), &shader), D3D_OK);
        tokens->Release();
        return shader;
    }

    // The left half of the target in the colour c4 gives.
    Image Draw() {
        const ClipVertex quad[4] = {{-1, 1, 0.5f, 1}, {0, 1, 0.5f, 1}, {-1, -1, 0.5f, 1}, {0, -1, 0.5f, 1}};
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        EXPECT_EQ(device_->BeginScene(), D3D_OK);
        EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ClipVertex)), D3D_OK);
        device_->EndScene();
        return SurfaceImage(target_);
    }

    IDirect3DVertexDeclaration9* declaration_ = nullptr;
    IDirect3DSurface9* target_ = nullptr;
};

// Direct3D 9: "def" constants take precedence over SetVertexShaderConstantF
// while their shader is set.
TEST_F(DefinedConstantsTest, DefDrawsAsTheSameConstantSetByTheApplication) {
    IDirect3DVertexShader9* defining = Shader("def c4, 0, 0.5, 0.75, 1\n");
    IDirect3DVertexShader9* plain = Shader("");
    ASSERT_NE(defining, nullptr);
    ASSERT_NE(plain, nullptr);
    EnableRecording(true);

    ASSERT_EQ(device_->SetVertexShaderConstantF(4, kRed, 1), D3D_OK);
    device_->SetVertexShader(defining);
    const Image defined = Draw();
    EXPECT_EQ(defined.At(8, 8), 0xFF0080BFu);
    EXPECT_EQ(defined.At(kWidth - 8, 8), 0xFF000000u);
    float read[4] = {};
    ASSERT_EQ(device_->GetVertexShaderConstantF(4, read, 1), D3D_OK);
    EXPECT_EQ(std::memcmp(read, kRed, sizeof read), 0);  // the application's value is untouched

    // Another shader reads the application's value again.
    device_->SetVertexShader(plain);
    EXPECT_EQ(Draw().At(8, 8), 0xFFFF0000u);

    // The same constant set through the API draws the same pixels.
    ASSERT_EQ(device_->SetVertexShaderConstantF(4, kTeal, 1), D3D_OK);
    EXPECT_EQ(Draw().pixels, defined.pixels);

    // Every draw was recorded, with the application's constants as they were.
    const std::vector<RecordedCall> draws = RecordedCallsNamed("DrawPrimitiveUP");
    ASSERT_EQ(draws.size(), 3u);
    const float* recorded[] = {kRed, kRed, kTeal};
    for (size_t i = 0; i < draws.size(); ++i) {
        EXPECT_EQ(draws[i].result, D3D_OK);
        ASSERT_NE(draws[i].state, nullptr);
        EXPECT_EQ(std::memcmp(draws[i].state->vertexFloatConstants[4].data(), recorded[i], 16), 0) << i;
    }
    EXPECT_EQ(draws[0].state->vertexShader, defining);
    EnableRecording(false);
    ClearRecording();
    device_->SetVertexShader(nullptr);
    EXPECT_EQ(defining->Release(), 0u);
    EXPECT_EQ(plain->Release(), 0u);
}

}  // namespace
}  // namespace defined_constants_test
