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
#include "support/SkinningContract.h"

namespace {

constexpr int kPaletteEntries = 30;

using SkinVertex = skinning_contract::Vertex;

raster::VertexProgram AssembleSkinningShader(int influences) {
    const std::vector<DWORD> tokens = skinning_contract::Tokens(influences);
    raster::VertexProgram program;
    size_t length = 0;
    EXPECT_FALSE(tokens.empty()) << influences;
    EXPECT_TRUE(raster::DecodeVertexProgram(tokens.data(), tokens.size(), program, length));
    EXPECT_EQ(length, tokens.size());
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

// Where the contract puts the vertex, in double precision.
void ContractPosition(const SkinVertex& v, int influences, const D3DXMATRIX& transform, double out[4]) {
    double blended[3] = {};
    double remaining = 1.0;
    for (int j = 0; j < influences; ++j) {
        const double w = j == influences - 1 ? remaining : double(v.weights[j]);
        remaining -= w;
        const D3DXMATRIX m = Bone(v.bones[j]);
        for (int c = 0; c < 3; ++c)
            blended[c] += w * (v.x * m.m[0][c] + v.y * m.m[1][c] + v.z * m.m[2][c] + m.m[3][c]);
    }
    for (int c = 0; c < 4; ++c)
        out[c] = blended[0] * transform.m[0][c] + blended[1] * transform.m[1][c] + blended[2] * transform.m[2][c] +
                 transform.m[3][c];
}

TEST(SkinningShaders, PlaceEveryPaletteEntryAsTheContractSays) {
    const D3DXMATRIX transform = ViewProjection();
    D3DXMATRIX bones[kPaletteEntries];
    for (int b = 0; b < kPaletteEntries; ++b) bones[b] = Bone(b);
    const std::vector<float> constants = skinning_contract::Constants(transform, bones, kPaletteEntries);
    const std::vector<raster::VertexElement> declaration = skinning_contract::RasterElements();
    // Every index 0 to 29 appears in every one of the four slots.
    std::vector<SkinVertex> vertices;
    for (int i = 0; i < kPaletteEntries; ++i) {
        SkinVertex v{float(i) * 0.5f - 3.0f, 1.0f - float(i) * 0.25f, 2.0f + float(i) * 0.1f,
                     {0.1f + float(i) / 100.0f, 0.2f, 0.3f - float(i) / 200.0f},
                     {BYTE(i), BYTE(29 - i), BYTE((7 * i + 3) % 30), BYTE((11 * i + 5) % 30)},
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
        draw.declaration = declaration.data();
        draw.states = &states;
        draw.vertexProgram = &program;
        draw.shaderConstants = reinterpret_cast<const float(*)[4]>(constants.data());
        draw.shaderConstantCount = uint32_t(constants.size() / 4);
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
