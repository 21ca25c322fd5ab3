// The four skinning shaders, assembled and run by the software device's
// vertex stage, place a vertex where their register contract puts it: the
// blend indices read as a colour, scaled by c0.w into palette rows from c5,
// the last weight one minus the others, then c1 to c4.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include <d3dx9.h>

#include "d3d9/raster/VertexProcessing.h"
#include "shell/SkinningShaders.h"

namespace {

constexpr int kPaletteEntries = 30;
constexpr int kConstants = 5 + 3 * kPaletteEntries;

struct SkinVertex {
    float position[3];
    float weights[3];
    uint8_t indices[4];
    float u, v;
};

const raster::VertexElement kDeclaration[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_BLENDWEIGHT, 0},
    {0, 24, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_BLENDINDICES, 0},
    {0, 28, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
    {0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0}};

raster::VertexProgram AssembleSkinningShader(int influences) {
    const char* text = SkinningShaderSource(influences);
    ID3DXBuffer* tokens = nullptr;
    ID3DXBuffer* errors = nullptr;
    const HRESULT hr = D3DXAssembleShader(text, UINT(std::strlen(text)), nullptr, nullptr, 0, &tokens, &errors);
    raster::VertexProgram program;
    EXPECT_EQ(hr, D3D_OK) << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
    if (errors) errors->Release();
    if (FAILED(hr)) return program;
    size_t length = 0;
    EXPECT_TRUE(raster::DecodeVertexProgram(static_cast<const uint32_t*>(tokens->GetBufferPointer()),
                                            tokens->GetBufferSize() / 4, program, length));
    EXPECT_EQ(length * 4, tokens->GetBufferSize());
    tokens->Release();
    return program;
}

// Bone b's matrix: a turn about a tilted axis, a scale and a move, all
// different per bone.
D3DXMATRIX Bone(int b) {
    D3DXMATRIX turn, scale, move;
    const D3DXVECTOR3 axis(1.0f, float(b % 3), 2.0f);
    D3DXMatrixRotationAxis(&turn, &axis, 0.3f * float(b));
    D3DXMatrixScaling(&scale, 1.0f + float(b) / 50.0f, 1.0f, 1.0f - float(b) / 80.0f);
    D3DXMatrixTranslation(&move, float(b), -float(b) / 2.0f, float(b) / 3.0f);
    return turn * scale * move;
}

D3DXMATRIX ViewProjection() {
    D3DXMATRIX view, projection;
    const D3DXVECTOR3 eye(3.0f, 8.0f, -40.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 0.8f, 1.25f, 1.0f, 200.0f);
    return view * projection;
}

// The registers the skinned draw sets: c0, the transposed transform, then
// three rows of each transposed palette matrix.
std::vector<float> ShaderConstants(const D3DXMATRIX& transform) {
    std::vector<float> c(size_t(kConstants) * 4, 0.0f);
    const float c0[4] = {1.0f, 0.0f, 0.0f, 765.01f};
    std::memcpy(c.data(), c0, sizeof c0);
    D3DXMATRIX t;
    D3DXMatrixTranspose(&t, &transform);
    std::memcpy(&c[4], &t, sizeof t);
    for (int b = 0; b < kPaletteEntries; ++b) {
        const D3DXMATRIX bone = Bone(b);
        D3DXMatrixTranspose(&t, &bone);
        std::memcpy(&c[size_t(5 + 3 * b) * 4], &t, 12 * sizeof(float));
    }
    return c;
}

// Where the contract puts the vertex, in double precision.
void ContractPosition(const SkinVertex& v, int influences, const D3DXMATRIX& transform, double out[4]) {
    double blended[3] = {};
    double remaining = 1.0;
    for (int j = 0; j < influences; ++j) {
        const double w = j == influences - 1 ? remaining : double(v.weights[j]);
        remaining -= w;
        const D3DXMATRIX m = Bone(v.indices[j]);
        for (int c = 0; c < 3; ++c)
            blended[c] += w * (v.position[0] * m.m[0][c] + v.position[1] * m.m[1][c] + v.position[2] * m.m[2][c] +
                               m.m[3][c]);
    }
    for (int c = 0; c < 4; ++c)
        out[c] = blended[0] * transform.m[0][c] + blended[1] * transform.m[1][c] + blended[2] * transform.m[2][c] +
                 transform.m[3][c];
}

TEST(SkinningShaders, PlaceEveryPaletteEntryAsTheContractSays) {
    const D3DXMATRIX transform = ViewProjection();
    const std::vector<float> constants = ShaderConstants(transform);
    // Every index 0 to 29 appears in every one of the four slots.
    std::vector<SkinVertex> vertices;
    for (int i = 0; i < kPaletteEntries; ++i) {
        SkinVertex v{{float(i) * 0.5f - 3.0f, 1.0f - float(i) * 0.25f, 2.0f + float(i) * 0.1f},
                     {0.1f + float(i) / 100.0f, 0.2f, 0.3f - float(i) / 200.0f},
                     {uint8_t(i), uint8_t(29 - i), uint8_t((7 * i + 3) % 30), uint8_t((11 * i + 5) % 30)},
                     float(i) / 30.0f,
                     1.0f - float(i) / 60.0f};
        vertices.push_back(v);
    }
    raster::StateBlock states;
    raster::SetDefaultStates(states);
    for (int influences = 1; influences <= 4; ++influences) {
        const raster::VertexProgram program = AssembleSkinningShader(influences);
        raster::DrawCommand draw;
        draw.streams[0] = raster::StreamView{reinterpret_cast<const uint8_t*>(vertices.data()),
                                             vertices.size() * sizeof(SkinVertex), sizeof(SkinVertex)};
        draw.declaration = kDeclaration;
        draw.states = &states;
        draw.vertexProgram = &program;
        draw.shaderConstants = reinterpret_cast<const float(*)[4]>(constants.data());
        draw.shaderConstantCount = kConstants;
        raster::VertexSetup setup;
        ASSERT_TRUE(raster::BuildVertexSetup(draw, 1, setup));
        for (uint32_t i = 0; i < vertices.size(); ++i) {
            raster::ClipVertex out;
            ASSERT_TRUE(raster::ProcessVertex(setup, i, out));
            double expected[4];
            ContractPosition(vertices[i], influences, transform, expected);
            for (int c = 0; c < 4; ++c)
                EXPECT_NEAR(out.pos[c], expected[c], 1e-4 * (1.0 + std::fabs(expected[c])))
                    << influences << " influences, vertex " << i << ", component " << c;
            EXPECT_EQ(out.attr[raster::kTexcoord0], vertices[i].u);
            EXPECT_EQ(out.attr[raster::kTexcoord0 + 1], vertices[i].v);
            EXPECT_EQ(out.attr[raster::kDiffuseR + 3], 255.0f);  // oD0 unwritten: white
        }
    }
}

}  // namespace
