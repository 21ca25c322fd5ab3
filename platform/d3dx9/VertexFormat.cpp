#include "VertexFormat.h"

#include <algorithm>
#include <cstring>

#include "d3dx9mesh.h"

namespace d3dx {
namespace {

constexpr DWORD kKnownBits = D3DFVF_POSITION_MASK | D3DFVF_NORMAL | D3DFVF_PSIZE | D3DFVF_DIFFUSE |
                             D3DFVF_SPECULAR | D3DFVF_TEXCOUNT_MASK | D3DFVF_LASTBETA_UBYTE4 |
                             D3DFVF_LASTBETA_D3DCOLOR | 0xFFFF0000u;

BYTE FloatType(UINT count) { return BYTE(D3DDECLTYPE_FLOAT1 + (count - 1)); }

int FloatCount(BYTE type) { return type <= D3DDECLTYPE_FLOAT4 ? type - D3DDECLTYPE_FLOAT1 + 1 : 0; }

UINT TypeBytes(BYTE type) {
    const int floats = FloatCount(type);
    return floats ? UINT(floats) * 4 : 4;  // the declarator makes floats and four-byte colours only
}

UINT TexcoordCount(DWORD fvf, UINT set) {
    switch ((fvf >> (16 + set * 2)) & 3) {
        case D3DFVF_TEXTUREFORMAT1: return 1;
        case D3DFVF_TEXTUREFORMAT3: return 3;
        case D3DFVF_TEXTUREFORMAT4: return 4;
        default: return 2;
    }
}

class ElementList {
public:
    explicit ElementList(std::vector<D3DVERTEXELEMENT9>& out) : m_out(out) { m_out.clear(); }
    void Add(BYTE type, BYTE usage, BYTE usageIndex = 0) {
        m_out.push_back(D3DVERTEXELEMENT9{0, WORD(m_offset), type, D3DDECLMETHOD_DEFAULT, usage, usageIndex});
        m_offset += TypeBytes(type);
    }
    UINT Offset() const { return m_offset; }

private:
    std::vector<D3DVERTEXELEMENT9>& m_out;
    UINT m_offset = 0;
};

bool AddPosition(DWORD fvf, ElementList& list) {
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    const DWORD lastBeta = fvf & (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR);
    const bool blended = position >= D3DFVF_XYZB1 && position <= D3DFVF_XYZB5;
    if (lastBeta && !blended) return false;
    if (lastBeta == (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR)) return false;
    switch (position) {
        case 0: return true;
        case D3DFVF_XYZ: list.Add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION); return true;
        case D3DFVF_XYZW: list.Add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITION); return true;
        case D3DFVF_XYZRHW: list.Add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITIONT); return true;
        default: break;
    }
    if (!blended) return false;
    const UINT betas = (position - D3DFVF_XYZRHW) / 2;
    const UINT weights = lastBeta ? betas - 1 : betas;
    if (weights > 4) return false;
    list.Add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION);
    if (weights > 0) list.Add(FloatType(weights), D3DDECLUSAGE_BLENDWEIGHT);
    if (lastBeta)
        list.Add(lastBeta == D3DFVF_LASTBETA_UBYTE4 ? D3DDECLTYPE_UBYTE4 : D3DDECLTYPE_D3DCOLOR,
                 D3DDECLUSAGE_BLENDINDICES);
    return true;
}

const D3DVERTEXELEMENT9* FindElement(const std::vector<D3DVERTEXELEMENT9>& elements, BYTE usage, BYTE usageIndex) {
    for (const D3DVERTEXELEMENT9& e : elements)
        if (e.Usage == usage && e.UsageIndex == usageIndex) return &e;
    return nullptr;
}

}  // namespace

bool DescribeFvf(DWORD fvf, std::vector<D3DVERTEXELEMENT9>& elements, UINT& stride) {
    stride = 0;
    ElementList list(elements);
    if ((fvf & ~kKnownBits) != 0 || !AddPosition(fvf, list)) return false;
    if (fvf & D3DFVF_NORMAL) list.Add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL);
    if (fvf & D3DFVF_PSIZE) list.Add(D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE);
    if (fvf & D3DFVF_DIFFUSE) list.Add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0);
    if (fvf & D3DFVF_SPECULAR) list.Add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1);
    const UINT sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (sets > 8) return false;
    for (UINT set = 0; set < sets; ++set)
        list.Add(FloatType(TexcoordCount(fvf, set)), D3DDECLUSAGE_TEXCOORD, BYTE(set));
    stride = list.Offset();
    return true;
}

// A candidate read off the usages, then checked by describing it again:
// only an exact match is the declaration's format.
DWORD FvfOfElements(const std::vector<D3DVERTEXELEMENT9>& elements) {
    DWORD fvf = 0;
    UINT betas = 0, sets = 0;
    bool position = false, screen = false, fourFloats = false;
    for (const D3DVERTEXELEMENT9& e : elements) {
        switch (e.Usage) {
            case D3DDECLUSAGE_POSITION:
                position = true;
                fourFloats = e.Type == D3DDECLTYPE_FLOAT4;
                break;
            case D3DDECLUSAGE_POSITIONT: screen = true; break;
            case D3DDECLUSAGE_BLENDWEIGHT: betas += UINT(std::max(FloatCount(e.Type), 1)); break;
            case D3DDECLUSAGE_BLENDINDICES:
                ++betas;
                fvf |= e.Type == D3DDECLTYPE_UBYTE4 ? D3DFVF_LASTBETA_UBYTE4 : D3DFVF_LASTBETA_D3DCOLOR;
                break;
            case D3DDECLUSAGE_NORMAL: fvf |= D3DFVF_NORMAL; break;
            case D3DDECLUSAGE_PSIZE: fvf |= D3DFVF_PSIZE; break;
            case D3DDECLUSAGE_COLOR: fvf |= e.UsageIndex == 0 ? D3DFVF_DIFFUSE : D3DFVF_SPECULAR; break;
            case D3DDECLUSAGE_TEXCOORD: {
                if (e.UsageIndex >= 8) return 0;
                sets = std::max(sets, UINT(e.UsageIndex) + 1);
                const int floats = FloatCount(e.Type);
                const DWORD format = floats == 1   ? D3DFVF_TEXTUREFORMAT1
                                     : floats == 3 ? D3DFVF_TEXTUREFORMAT3
                                     : floats == 4 ? D3DFVF_TEXTUREFORMAT4
                                                   : D3DFVF_TEXTUREFORMAT2;
                fvf |= format << (16 + 2 * e.UsageIndex);
                break;
            }
            default: return 0;
        }
    }
    if (screen) fvf |= D3DFVF_XYZRHW;
    else if (position && betas > 0 && betas <= 5) fvf |= D3DFVF_XYZRHW + 2 * betas;
    else if (position) fvf |= fourFloats ? D3DFVF_XYZW : D3DFVF_XYZ;
    fvf |= sets << D3DFVF_TEXCOUNT_SHIFT;
    std::vector<D3DVERTEXELEMENT9> described;
    UINT stride = 0;
    if (elements.empty() || !DescribeFvf(fvf, described, stride) || described.size() != elements.size()) return 0;
    for (size_t i = 0; i < described.size(); ++i)
        if (std::memcmp(&described[i], &elements[i], sizeof(D3DVERTEXELEMENT9)) != 0) return 0;
    return fvf;
}

UINT PositionBytes(DWORD fvf) {
    std::vector<D3DVERTEXELEMENT9> elements;
    UINT stride = 0;
    if (!DescribeFvf(fvf, elements, stride)) return 0;
    UINT end = 0;
    for (const D3DVERTEXELEMENT9& e : elements) {
        if (e.Usage != D3DDECLUSAGE_POSITION && e.Usage != D3DDECLUSAGE_POSITIONT &&
            e.Usage != D3DDECLUSAGE_BLENDWEIGHT && e.Usage != D3DDECLUSAGE_BLENDINDICES)
            break;
        end = e.Offset + TypeBytes(e.Type);
    }
    return end;
}

void ConvertVertices(const uint8_t* source, DWORD sourceFvf, uint8_t* destination, DWORD destinationFvf,
                     size_t count) {
    std::vector<D3DVERTEXELEMENT9> from, to;
    UINT fromStride = 0, toStride = 0;
    if (!DescribeFvf(sourceFvf, from, fromStride) || !DescribeFvf(destinationFvf, to, toStride)) return;
    std::memset(destination, 0, count * toStride);
    for (const D3DVERTEXELEMENT9& out : to) {
        const D3DVERTEXELEMENT9* in = FindElement(from, out.Usage, out.UsageIndex);
        if (!in) continue;
        const int inFloats = FloatCount(in->Type), outFloats = FloatCount(out.Type);
        const UINT copy = inFloats && outFloats ? UINT(std::min(inFloats, outFloats)) * 4
                          : in->Type == out.Type ? TypeBytes(out.Type)
                                                 : 0;
        // A three-float position widened to four gets w = 1, as a point does.
        const bool widenPoint = out.Usage == D3DDECLUSAGE_POSITION && inFloats == 3 && outFloats == 4;
        for (size_t v = 0; v < count; ++v) {
            uint8_t* target = destination + v * toStride + out.Offset;
            std::memcpy(target, source + v * fromStride + in->Offset, copy);
            if (widenPoint) {
                const float one = 1.0f;
                std::memcpy(target + 12, &one, 4);
            }
        }
    }
}

}  // namespace d3dx

HRESULT D3DXDeclaratorFromFVF(DWORD fvf, D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) {
    if (!declaration) return D3DERR_INVALIDCALL;
    std::vector<D3DVERTEXELEMENT9> elements;
    UINT stride = 0;
    if (!d3dx::DescribeFvf(fvf, elements, stride)) return D3DERR_INVALIDCALL;
    std::copy(elements.begin(), elements.end(), declaration);
    declaration[elements.size()] = D3DVERTEXELEMENT9 D3DDECL_END();
    return D3D_OK;
}

UINT D3DXGetFVFVertexSize(DWORD fvf) {
    std::vector<D3DVERTEXELEMENT9> elements;
    UINT stride = 0;
    return d3dx::DescribeFvf(fvf, elements, stride) ? stride : 0;
}
