#include "d3d9/raster/VertexLayout.h"

namespace raster {

namespace {

void Place(AttributeSlot& slot, uint8_t stream, uint32_t offset, uint8_t type) {
    slot.present = true;
    slot.stream = stream;
    slot.offset = uint16_t(offset);
    slot.type = type;
}

uint8_t FloatType(int count) { return uint8_t(D3DDECLTYPE_FLOAT1 + (count - 1)); }

void AddUsage(VertexLayout& layout, uint8_t usage, uint8_t usageIndex, const AttributeSlot& slot) {
    if (layout.elementCount >= kMaxLayoutElements) return;
    layout.elements[layout.elementCount++] = UsageSlot{usage, usageIndex, slot};
}

// The usages a flexible vertex format's parts stand for.
void AddFvfUsages(VertexLayout& layout) {
    AddUsage(layout, layout.pretransformed ? D3DDECLUSAGE_POSITIONT : D3DDECLUSAGE_POSITION, 0, layout.position);
    if (layout.blendWeights.present) AddUsage(layout, D3DDECLUSAGE_BLENDWEIGHT, 0, layout.blendWeights);
    if (layout.blendIndices.present) AddUsage(layout, D3DDECLUSAGE_BLENDINDICES, 0, layout.blendIndices);
    if (layout.normal.present) AddUsage(layout, D3DDECLUSAGE_NORMAL, 0, layout.normal);
    if (layout.diffuse.present) AddUsage(layout, D3DDECLUSAGE_COLOR, 0, layout.diffuse);
    if (layout.specular.present) AddUsage(layout, D3DDECLUSAGE_COLOR, 1, layout.specular);
    for (int set = 0; set < kMaxStages; ++set)
        if (layout.texcoord[set].present) AddUsage(layout, D3DDECLUSAGE_TEXCOORD, uint8_t(set), layout.texcoord[set]);
}

// Coordinates per set from the TEXCOORDSIZE bits at 16 + 2 * set.
int TexcoordDims(uint32_t fvf, int set) {
    switch ((fvf >> (16 + set * 2)) & 3) {
        case D3DFVF_TEXTUREFORMAT1: return 1;
        case D3DFVF_TEXTUREFORMAT3: return 3;
        case D3DFVF_TEXTUREFORMAT4: return 4;
        default: return 2;
    }
}

}  // namespace

bool LayoutFromFvf(uint32_t fvf, VertexLayout& layout) {
    layout = VertexLayout{};
    uint32_t offset = 0;
    const uint32_t position = fvf & D3DFVF_POSITION_MASK;
    switch (position) {
        case D3DFVF_XYZ: Place(layout.position, 0, 0, D3DDECLTYPE_FLOAT3); offset = 12; break;
        case D3DFVF_XYZW: Place(layout.position, 0, 0, D3DDECLTYPE_FLOAT4); offset = 16; break;
        case D3DFVF_XYZRHW:
            Place(layout.position, 0, 0, D3DDECLTYPE_FLOAT4);
            layout.pretransformed = true;
            offset = 16;
            break;
        case D3DFVF_XYZB1:
        case D3DFVF_XYZB2:
        case D3DFVF_XYZB3:
        case D3DFVF_XYZB4:
        case D3DFVF_XYZB5: {
            Place(layout.position, 0, 0, D3DDECLTYPE_FLOAT3);
            offset = 12;
            const int betas = int((position - D3DFVF_XYZRHW) / 2);  // XYZB1 = 0x006 ... XYZB5 = 0x00E
            const bool lastIsIndices = (fvf & (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR)) != 0;
            const int weights = lastIsIndices ? betas - 1 : betas;
            if (weights > 0) {
                // Blending reads at most three weights; a fifth beta only takes room.
                const int read = weights < 4 ? weights : 4;
                Place(layout.blendWeights, 0, offset, FloatType(read));
                layout.weightCount = read;
                offset += 4 * uint32_t(weights);
            }
            if (lastIsIndices) {
                const uint8_t type = (fvf & D3DFVF_LASTBETA_UBYTE4) ? D3DDECLTYPE_UBYTE4 : D3DDECLTYPE_D3DCOLOR;
                Place(layout.blendIndices, 0, offset, type);
                offset += 4;
            }
            break;
        }
        default: return false;
    }
    if (fvf & D3DFVF_NORMAL) {
        Place(layout.normal, 0, offset, D3DDECLTYPE_FLOAT3);
        offset += 12;
    }
    if (fvf & D3DFVF_PSIZE) offset += 4;
    if (fvf & D3DFVF_DIFFUSE) {
        Place(layout.diffuse, 0, offset, D3DDECLTYPE_D3DCOLOR);
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        Place(layout.specular, 0, offset, D3DDECLTYPE_D3DCOLOR);
        offset += 4;
    }
    const uint32_t sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (sets > uint32_t(kMaxStages)) return false;
    for (uint32_t set = 0; set < sets; ++set) {
        const int dims = TexcoordDims(fvf, int(set));
        Place(layout.texcoord[set], 0, offset, FloatType(dims));
        offset += 4 * uint32_t(dims);
    }
    layout.streamBytes[0] = offset;
    AddFvfUsages(layout);
    return true;
}

uint32_t FvfVertexSize(uint32_t fvf) {
    VertexLayout layout;
    return LayoutFromFvf(fvf, layout) ? layout.streamBytes[0] : 0;
}

bool LayoutFromDeclaration(const VertexElement* elements, VertexLayout& layout) {
    layout = VertexLayout{};
    if (!elements) return false;
    for (const VertexElement* e = elements; e->stream != 0xFF; ++e) {
        if (e->stream >= kMaxStreams) return false;
        const int size = DeclTypeSize(e->type);
        if (size == 0) return false;
        AttributeSlot* slot = nullptr;
        switch (e->usage) {
            case D3DDECLUSAGE_POSITION:
                if (e->usageIndex == 0) slot = &layout.position;
                break;
            case D3DDECLUSAGE_POSITIONT:
                if (e->usageIndex == 0) {
                    slot = &layout.position;
                    layout.pretransformed = true;
                }
                break;
            case D3DDECLUSAGE_BLENDWEIGHT:
                if (e->usageIndex == 0) {
                    slot = &layout.blendWeights;
                    layout.weightCount = e->type <= D3DDECLTYPE_FLOAT4 ? e->type - D3DDECLTYPE_FLOAT1 + 1 : 0;
                }
                break;
            case D3DDECLUSAGE_BLENDINDICES:
                if (e->usageIndex == 0) slot = &layout.blendIndices;
                break;
            case D3DDECLUSAGE_NORMAL:
                if (e->usageIndex == 0) slot = &layout.normal;
                break;
            case D3DDECLUSAGE_COLOR:
                if (e->usageIndex == 0) slot = &layout.diffuse;
                if (e->usageIndex == 1) slot = &layout.specular;
                break;
            case D3DDECLUSAGE_TEXCOORD:
                if (e->usageIndex < kMaxStages) slot = &layout.texcoord[e->usageIndex];
                break;
            default: break;
        }
        if (slot) Place(*slot, uint8_t(e->stream), e->offset, e->type);
        AttributeSlot any;
        Place(any, uint8_t(e->stream), e->offset, e->type);
        AddUsage(layout, e->usage, e->usageIndex, any);
        const uint32_t end = uint32_t(e->offset) + uint32_t(size);
        if (end > layout.streamBytes[e->stream]) layout.streamBytes[e->stream] = end;
    }
    return true;
}

const AttributeSlot* VertexLayout::Find(uint8_t usage, uint8_t usageIndex) const {
    for (int i = 0; i < elementCount; ++i)
        if (elements[i].usage == usage && elements[i].usageIndex == usageIndex) return &elements[i].slot;
    return nullptr;
}

}  // namespace raster
