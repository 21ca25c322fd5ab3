// The skinning shaders' register contract as a skinned draw fills it: the
// vertex they read, its declaration, the constants (c0, the transposed
// transform in c1 to c4, three rows of each transposed bone matrix from c5)
// and the assembled shader. Shared by the shaders' tests and the benchmarks.
//
// Header only: every folder under tests/ that holds a .cpp becomes a test
// program of its own, so this one holds none.
#pragma once

#include <cstring>
#include <vector>

#include <d3d9.h>
#include <d3dx9.h>

#include "d3d9/raster/RasterTypes.h"
#include "shell/SkinningShaders.h"

namespace skinning_contract {

// Position, three weights (the fourth is what they leave), four bone
// numbers as bytes read as a colour, one texture coordinate set.
struct Vertex {
    float x, y, z;
    float weights[3];
    BYTE bones[4];
    float u, v;
};

inline const D3DVERTEXELEMENT9 kElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_BLENDWEIGHT, 0},
    {0, 24, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_BLENDINDICES, 0},
    {0, 28, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END()};

// The same declaration as the vertex stage reads it.
inline std::vector<raster::VertexElement> RasterElements() {
    std::vector<raster::VertexElement> out;
    for (const D3DVERTEXELEMENT9& e : kElements)
        out.push_back(raster::VertexElement{e.Stream, e.Offset, e.Type, e.Method, e.Usage, e.UsageIndex});
    return out;
}

inline std::vector<float> Constants(const D3DXMATRIX& transform, const D3DXMATRIX* bones, int boneCount) {
    std::vector<float> c = {1.0f, 0.0f, 0.0f, 765.01f};
    D3DXMATRIX transposed;
    D3DXMatrixTranspose(&transposed, &transform);
    c.insert(c.end(), &transposed._11, &transposed._11 + 16);
    for (int b = 0; b < boneCount; ++b) {
        D3DXMatrixTranspose(&transposed, &bones[b]);
        c.insert(c.end(), &transposed._11, &transposed._11 + 12);
    }
    return c;
}

// A quarter turn about z (none to three of them) and a move: bone poses
// whose skinned results every path computes exactly.
inline D3DXMATRIX QuarterTurn(int quarterTurns, float x, float y) {
    static const float kCos[4] = {1, 0, -1, 0}, kSin[4] = {0, 1, 0, -1};
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m._11 = kCos[quarterTurns];
    m._12 = kSin[quarterTurns];
    m._21 = -kSin[quarterTurns];
    m._22 = kCos[quarterTurns];
    m._41 = x;
    m._42 = y;
    return m;
}

// The tokens of the shader for `influences` weights; empty when it does not assemble.
inline std::vector<DWORD> Tokens(int influences) {
    const char* text = SkinningShaderSource(influences);
    ID3DXBuffer* buffer = nullptr;
    if (!text || FAILED(D3DXAssembleShader(text, UINT(std::strlen(text)), nullptr, nullptr, 0, &buffer, nullptr)))
        return {};
    const DWORD* words = static_cast<const DWORD*>(buffer->GetBufferPointer());
    std::vector<DWORD> tokens(words, words + buffer->GetBufferSize() / sizeof(DWORD));
    buffer->Release();
    return tokens;
}

}  // namespace skinning_contract
