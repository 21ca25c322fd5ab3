// Where each vertex attribute lives, from an FVF code or a declaration.
#pragma once

#include <cstdint>

#include "d3d9/raster/RasterTypes.h"

namespace raster {

struct AttributeSlot {
    bool present = false;
    uint8_t stream = 0;
    uint16_t offset = 0;
    uint8_t type = D3DDECLTYPE_UNUSED;
};

// One element of the layout by what it feeds: the shader stage binds its
// declared inputs through these.
struct UsageSlot {
    uint8_t usage = 0;
    uint8_t usageIndex = 0;
    AttributeSlot slot;
};
constexpr int kMaxLayoutElements = 64;

struct VertexLayout {
    AttributeSlot position;
    bool pretransformed = false;  // XYZRHW / POSITIONT: screen x, y, z and rhw
    AttributeSlot blendWeights;
    int weightCount = 0;  // floats of explicit weights (the last is implied)
    AttributeSlot blendIndices;
    AttributeSlot normal;
    AttributeSlot diffuse;
    AttributeSlot specular;
    AttributeSlot texcoord[kMaxStages];
    uint32_t streamBytes[kMaxStreams] = {};  // bytes one vertex needs per stream
    UsageSlot elements[kMaxLayoutElements];
    int elementCount = 0;

    // The element of a usage and index; null when the layout has none.
    const AttributeSlot* Find(uint8_t usage, uint8_t usageIndex) const;
};

// False for codes the platform rejects (no position, too many coordinate
// sets, weights without XYZ-style position).
bool LayoutFromFvf(uint32_t fvf, VertexLayout& layout);
// False for malformed elements. A declaration may lack a position: a vertex
// shader reads what it declares.
bool LayoutFromDeclaration(const VertexElement* elements, VertexLayout& layout);

uint32_t FvfVertexSize(uint32_t fvf);

// Bytes of one element of a declaration type; 0 for unknown types.
inline int DeclTypeSize(uint8_t type) {
    switch (type) {
        case D3DDECLTYPE_FLOAT1: return 4;
        case D3DDECLTYPE_FLOAT2: return 8;
        case D3DDECLTYPE_FLOAT3: return 12;
        case D3DDECLTYPE_FLOAT4: return 16;
        case D3DDECLTYPE_D3DCOLOR:
        case D3DDECLTYPE_UBYTE4:
        case D3DDECLTYPE_UBYTE4N:
        case D3DDECLTYPE_SHORT2:
        case D3DDECLTYPE_SHORT2N:
        case D3DDECLTYPE_USHORT2N: return 4;
        case D3DDECLTYPE_SHORT4:
        case D3DDECLTYPE_SHORT4N:
        case D3DDECLTYPE_USHORT4N: return 8;
        default: return 0;
    }
}

}  // namespace raster
