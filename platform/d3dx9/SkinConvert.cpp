// Skinned meshes into blended meshes. Faces are taken by attribute, in order,
// into bone combinations: a face joins the attribute's open combination
// while the bones of both fit its slots (the palette for an indexed mesh,
// the most bones any face needs for a non-indexed one), else it opens the
// next. Each combination gets its own copies of its vertices, so a vertex's
// weights and indices name the combination's slots; the result's attribute
// of a face is its combination's number, and its attribute table has one
// range per combination.
//
// Vertex layouts: a non-indexed vertex holds the weights of slots 0 to
// n - 2 of its combination (n the most bones of a face); the device implies
// the weight of the combination's last slot. An indexed vertex holds n - 1
// weights and four index bytes (n the most influences of a vertex): its
// influences, largest first, go to slots 0, 1, ... except the last, which
// goes to slot n - 1 whose weight the device implies, so the implied weight
// is exactly the one left over.
#include <algorithm>
#include <climits>
#include <cstring>
#include <unordered_map>

#include "AllocationGuard.h"
#include "MeshObject.h"
#include "SkinInfo.h"
#include "VertexFormat.h"

namespace d3dx {
namespace {

constexpr DWORD kEmptySlot = 0xFFFFFFFF;
constexpr DWORD kMaxIndexedSlots = 256;  // a blend index is one byte
constexpr DWORD kMaxBlendedSlots = 4;

struct Corners {
    InfluenceList corner[3];
};

struct Combination {
    DWORD attribute = 0;
    std::vector<DWORD> faces;
    std::vector<DWORD> bones;  // slot order
};

struct SplitVertex {
    DWORD source;
    DWORD combination;
    InfluenceList influences;
};

struct BlendedLayout {
    std::vector<SplitVertex> vertices;
    std::vector<uint32_t> indices;
    std::vector<DWORD> faceOrder;  // new face -> source face
};

std::vector<DWORD> BonesOf(const Corners& face) {
    std::vector<DWORD> bones;
    for (const InfluenceList& corner : face.corner)
        for (const Influence& influence : corner) bones.push_back(influence.bone);
    std::sort(bones.begin(), bones.end());
    bones.erase(std::unique(bones.begin(), bones.end()), bones.end());
    return bones;
}

void ScaleToOne(InfluenceList& list) {
    float sum = 0.0f;
    for (const Influence& influence : list) sum += influence.weight;
    for (Influence& influence : list) influence.weight /= sum;
}

// Keeps the limit bones with the largest weight summed over the face's
// corners (ties: the lower bone) and scales each corner back to one.
void LimitFaceBones(Corners& face, DWORD limit) {
    std::vector<DWORD> bones = BonesOf(face);
    if (bones.size() <= limit) return;
    std::vector<float> totals(bones.size(), 0.0f);
    for (const InfluenceList& corner : face.corner)
        for (const Influence& influence : corner)
            totals[std::lower_bound(bones.begin(), bones.end(), influence.bone) - bones.begin()] += influence.weight;
    std::vector<size_t> order(bones.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return totals[a] > totals[b]; });
    std::vector<DWORD> kept;
    for (DWORD i = 0; i < limit; ++i) kept.push_back(bones[order[i]]);
    for (InfluenceList& corner : face.corner) {
        std::erase_if(corner, [&](const Influence& i) { return std::find(kept.begin(), kept.end(), i.bone) == kept.end(); });
        ScaleToOne(corner);
    }
}

std::vector<Corners> FaceCorners(const MeshContent& content, const std::vector<InfluenceList>& perVertex,
                                 DWORD boneLimit) {
    std::vector<Corners> faces(content.FaceCount());
    for (DWORD f = 0; f < faces.size(); ++f) {
        for (DWORD k = 0; k < 3; ++k) faces[f].corner[k] = perVertex[content.indices[size_t(f) * 3 + k]];
        LimitFaceBones(faces[f], boneLimit);
    }
    return faces;
}

bool FitsWith(const Combination& combination, const std::vector<DWORD>& bones, DWORD slots) {
    size_t added = 0;
    for (DWORD bone : bones)
        if (std::find(combination.bones.begin(), combination.bones.end(), bone) == combination.bones.end()) ++added;
    return combination.bones.size() + added <= slots;
}

std::vector<Combination> GroupFaces(const MeshContent& content, const std::vector<Corners>& faces, DWORD slots) {
    std::vector<DWORD> order(content.FaceCount());
    for (DWORD f = 0; f < order.size(); ++f) order[f] = f;
    std::stable_sort(order.begin(), order.end(),
                     [&](DWORD a, DWORD b) { return content.attributes[a] < content.attributes[b]; });
    std::vector<Combination> combinations;
    for (DWORD f : order) {
        const std::vector<DWORD> bones = BonesOf(faces[f]);
        if (combinations.empty() || combinations.back().attribute != content.attributes[f] ||
            !FitsWith(combinations.back(), bones, slots))
            combinations.push_back(Combination{content.attributes[f], {}, {}});
        Combination& open = combinations.back();
        open.faces.push_back(f);
        for (DWORD bone : bones)
            if (std::find(open.bones.begin(), open.bones.end(), bone) == open.bones.end()) open.bones.push_back(bone);
    }
    return combinations;
}

// The vertex copies of each combination, in combination order: one per
// source vertex and set of influences its corners carry there.
BlendedLayout SplitVertices(const MeshContent& content, const std::vector<Corners>& faces,
                            const std::vector<Combination>& combinations) {
    BlendedLayout layout;
    for (DWORD c = 0; c < combinations.size(); ++c) {
        const Combination& combination = combinations[c];
        std::unordered_map<DWORD, std::vector<DWORD>> copies;  // source vertex -> its copies here
        for (DWORD f : combination.faces) {
            layout.faceOrder.push_back(f);
            for (DWORD k = 0; k < 3; ++k) {
                const DWORD source = content.indices[size_t(f) * 3 + k];
                const InfluenceList& influences = faces[f].corner[k];
                std::vector<DWORD>& mine = copies[source];
                auto same = std::find_if(mine.begin(), mine.end(),
                                         [&](DWORD v) { return layout.vertices[v].influences == influences; });
                if (same == mine.end()) {
                    mine.push_back(DWORD(layout.vertices.size()));
                    layout.vertices.push_back(SplitVertex{source, c, influences});
                    same = mine.end() - 1;
                }
                layout.indices.push_back(*same);
            }
        }
    }
    return layout;
}

DWORD SlotOf(const Combination& combination, DWORD bone) {
    return DWORD(std::find(combination.bones.begin(), combination.bones.end(), bone) - combination.bones.begin());
}

DWORD BlendedPosition(DWORD betas) { return betas == 0 ? D3DFVF_XYZ : D3DFVF_XYZRHW + 2 * betas; }

// Position, the blend part, then the source vertex after its position part.
void WriteVertex(const MeshContent& source, UINT sourcePositionBytes, const SplitVertex& vertex,
                 const float* weights, UINT weightCount, const BYTE* indices, uint8_t* out) {
    const uint8_t* in = source.vertices.data() + size_t(vertex.source) * source.stride;
    std::memcpy(out, in, 12);
    std::memcpy(out + 12, weights, weightCount * 4);
    UINT at = 12 + weightCount * 4;
    if (indices) {
        std::memcpy(out + at, indices, 4);
        at += 4;
    }
    std::memcpy(out + at, in + sourcePositionBytes, source.stride - sourcePositionBytes);
}

struct Conversion {
    bool indexed = false;
    DWORD paletteSize = 0;  // indexed: entries of each combination's BoneId
};

class SkinConverter {
public:
    SkinConverter(std::vector<InfluenceList> perVertex, const Conversion& kind)
        : m_perVertex(std::move(perVertex)), m_kind(kind) {}

    // Fills the result's content and combinations; the blend count is the
    // most influences of a vertex (indexed) or bones of a face (non-indexed).
    HRESULT Convert(const MeshContent& source) {
        if (!SkinnablePosition(source.fvf)) return D3DERR_INVALIDCALL;
        const DWORD faceLimit = m_kind.indexed ? std::min(m_kind.paletteSize, kMaxIndexedSlots) : kMaxBlendedSlots;
        const std::vector<Corners> faces = FaceCorners(source, m_perVertex, faceLimit);
        m_blendCount = 1;
        if (!m_kind.indexed)
            for (const Corners& face : faces) m_blendCount = std::max(m_blendCount, DWORD(BonesOf(face).size()));
        m_combinations = GroupFaces(source, faces, m_kind.indexed ? faceLimit : m_blendCount);
        m_layout = SplitVertices(source, faces, m_combinations);
        if (m_kind.indexed)
            for (const SplitVertex& v : m_layout.vertices)
                m_blendCount = std::max(m_blendCount, DWORD(v.influences.size()));
        WriteContent(source);
        return D3D_OK;
    }

    DWORD BlendCount() const { return m_blendCount; }
    const MeshContent& Result() const { return m_result; }
    const std::vector<DWORD>& FaceOrder() const { return m_layout.faceOrder; }
    const std::vector<Combination>& Combinations() const { return m_combinations; }
    std::vector<DWORD> VertexSources() const {
        std::vector<DWORD> sources;
        for (const SplitVertex& v : m_layout.vertices) sources.push_back(v.source);
        return sources;
    }
    DWORD SlotsPerCombination() const { return m_kind.indexed ? m_kind.paletteSize : m_blendCount; }

private:
    static bool SkinnablePosition(DWORD fvf) {
        const DWORD position = fvf & D3DFVF_POSITION_MASK;
        return position == D3DFVF_XYZ || (position >= D3DFVF_XYZB1 && position <= D3DFVF_XYZB5);
    }

    void WriteContent(const MeshContent& source) {
        const DWORD rest = source.fvf & ~DWORD(D3DFVF_POSITION_MASK | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR);
        const UINT weightCount = m_blendCount - 1;
        m_result.fvf = m_kind.indexed ? rest | BlendedPosition(m_blendCount) | D3DFVF_LASTBETA_UBYTE4
                                      : rest | BlendedPosition(weightCount);
        m_result.stride = D3DXGetFVFVertexSize(m_result.fvf);
        const UINT sourcePositionBytes = PositionBytes(source.fvf);
        m_result.vertices.assign(m_layout.vertices.size() * m_result.stride, 0);
        for (DWORD c = 0; c < m_combinations.size(); ++c) {
            const Combination& combination = m_combinations[c];
            for (size_t i = 0; i < combination.faces.size(); ++i) m_result.attributes.push_back(c);
        }
        for (size_t v = 0; v < m_layout.vertices.size(); ++v) {
            const SplitVertex& vertex = m_layout.vertices[v];
            WriteBlendPart(source, sourcePositionBytes, m_combinations[vertex.combination], vertex, weightCount,
                           m_result.vertices.data() + v * m_result.stride);
        }
        m_result.indices = m_layout.indices;
    }

    void WriteBlendPart(const MeshContent& source, UINT sourcePositionBytes, const Combination& combination,
                        const SplitVertex& vertex, UINT weightCount, uint8_t* out) const {
        float weights[4] = {0, 0, 0, 0};
        BYTE indices[4] = {0, 0, 0, 0};
        const InfluenceList& influences = vertex.influences;
        if (m_kind.indexed) {
            for (size_t i = 0; i + 1 < influences.size(); ++i) {
                weights[i] = influences[i].weight;
                indices[i] = BYTE(SlotOf(combination, influences[i].bone));
            }
            if (!influences.empty()) indices[weightCount] = BYTE(SlotOf(combination, influences.back().bone));
            WriteVertex(source, sourcePositionBytes, vertex, weights, weightCount, indices, out);
            return;
        }
        for (const Influence& influence : influences) {
            const DWORD slot = SlotOf(combination, influence.bone);
            if (slot < weightCount) weights[slot] = influence.weight;
        }
        WriteVertex(source, sourcePositionBytes, vertex, weights, weightCount, nullptr, out);
    }

    std::vector<InfluenceList> m_perVertex;
    Conversion m_kind;
    DWORD m_blendCount = 1;
    std::vector<Combination> m_combinations;
    BlendedLayout m_layout;
    MeshContent m_result;
};

HRESULT CombinationTable(const SkinConverter& converter, ID3DXBuffer** out) {
    const std::vector<Combination>& combinations = converter.Combinations();
    const uint64_t slots = converter.SlotsPerCombination();
    const uint64_t bytes = combinations.size() * (sizeof(D3DXBONECOMBINATION) + slots * sizeof(DWORD));
    if (bytes > INT_MAX) return D3DERR_INVALIDCALL;
    HRESULT hr = D3DXCreateBuffer(DWORD(bytes), out);
    if (FAILED(hr)) return hr;
    auto* records = static_cast<D3DXBONECOMBINATION*>((*out)->GetBufferPointer());
    DWORD* ids = reinterpret_cast<DWORD*>(records + combinations.size());
    DWORD faceStart = 0;
    DWORD vertexStart = 0;
    const MeshContent& result = converter.Result();
    for (size_t c = 0; c < combinations.size(); ++c) {
        const Combination& combination = combinations[c];
        D3DXBONECOMBINATION& record = records[c];
        record.AttribId = combination.attribute;
        record.FaceStart = faceStart;
        record.FaceCount = DWORD(combination.faces.size());
        DWORD vertexEnd = vertexStart;
        for (size_t i = size_t(faceStart) * 3; i < size_t(faceStart + record.FaceCount) * 3; ++i)
            vertexEnd = std::max<DWORD>(vertexEnd, result.indices[i] + 1);
        record.VertexStart = vertexStart;
        record.VertexCount = vertexEnd - vertexStart;
        record.BoneId = ids + c * slots;
        for (uint64_t s = 0; s < slots; ++s)
            record.BoneId[s] = s < combination.bones.size() ? combination.bones[s] : kEmptySlot;
        faceStart += record.FaceCount;
        vertexStart = vertexEnd;
    }
    return D3D_OK;
}

HRESULT ConvertSkinnedMesh(const SkinInfo& skin, ID3DXMesh* mesh, DWORD options, const Conversion& kind,
                           const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                           ID3DXBuffer** vertexRemap, DWORD* blendCount, DWORD* numCombinations,
                           ID3DXBuffer** combinationTable, ID3DXMesh** result) {
    if (vertexRemap) *vertexRemap = nullptr;
    if (combinationTable) *combinationTable = nullptr;
    if (!result) return D3DERR_INVALIDCALL;
    *result = nullptr;
    if (!mesh || mesh->GetNumVertices() != skin.VertexCount() || (kind.indexed && kind.paletteSize == 0))
        return D3DERR_INVALIDCALL;
    if (adjacencyIn && !AdjacencyFits(adjacencyIn, mesh->GetNumFaces())) return D3DERR_INVALIDCALL;
    IDirect3DDevice9* device = nullptr;
    ID3DXBuffer* table = nullptr;
    ID3DXBuffer* remap = nullptr;
    Mesh* converted = nullptr;
    HRESULT hr = GuardAllocation([&]() -> HRESULT {
        MeshContent source;
        HRESULT status = AsMesh(mesh)->ReadContent(source);
        if (SUCCEEDED(status)) status = CheckFaceIndices(source);
        if (FAILED(status)) return status;
        SkinConverter converter(skin.VertexBlendInfluences(), kind);
        status = converter.Convert(source);
        if (FAILED(status)) return status;
        std::vector<DWORD> adjacency;
        if (adjacencyOut) adjacency = ReorderedAdjacency(source, adjacencyIn, converter.FaceOrder());
        const std::vector<DWORD> sources = converter.VertexSources();
        status = CombinationTable(converter, &table);
        if (SUCCEEDED(status) && vertexRemap) status = D3DXCreateBuffer(DWORD(sources.size() * sizeof(DWORD)), &remap);
        if (SUCCEEDED(status)) status = mesh->GetDevice(&device);
        if (SUCCEEDED(status))
            status = Mesh::CreateFrom(converter.Result(), options, device, AttributeRuns(converter.Result()), &converted);
        if (FAILED(status)) return status;
        if (remap) std::copy(sources.begin(), sources.end(), static_cast<DWORD*>(remap->GetBufferPointer()));
        if (adjacencyOut) std::copy(adjacency.begin(), adjacency.end(), adjacencyOut);
        if (faceRemap) std::copy(converter.FaceOrder().begin(), converter.FaceOrder().end(), faceRemap);
        if (blendCount) *blendCount = converter.BlendCount();
        if (numCombinations) *numCombinations = DWORD(converter.Combinations().size());
        return D3D_OK;
    });
    if (device) device->Release();
    if (FAILED(hr)) {
        if (table) table->Release();
        if (remap) remap->Release();
        if (converted) converted->Release();
        return hr;
    }
    if (combinationTable) *combinationTable = table;
    else table->Release();
    if (vertexRemap) *vertexRemap = remap;
    *result = converted;
    return D3D_OK;
}

}  // namespace

HRESULT SkinInfo::ConvertToBlendedMesh(LPD3DXMESH mesh, DWORD options, const DWORD* adjacencyIn,
                                       LPDWORD adjacencyOut, DWORD* faceRemap, LPD3DXBUFFER* vertexRemap,
                                       DWORD* maxFaceInfl, DWORD* numBoneCombinations,
                                       LPD3DXBUFFER* boneCombinationTable, LPD3DXMESH* result) {
    return ConvertSkinnedMesh(*this, mesh, options, Conversion{false, 0}, adjacencyIn, adjacencyOut, faceRemap,
                              vertexRemap, maxFaceInfl, numBoneCombinations, boneCombinationTable, result);
}

HRESULT SkinInfo::ConvertToIndexedBlendedMesh(LPD3DXMESH mesh, DWORD options, DWORD paletteSize,
                                              const DWORD* adjacencyIn, LPDWORD adjacencyOut, DWORD* faceRemap,
                                              LPD3DXBUFFER* vertexRemap, DWORD* maxVertexInfl,
                                              DWORD* numBoneCombinations, LPD3DXBUFFER* boneCombinationTable,
                                              LPD3DXMESH* result) {
    return ConvertSkinnedMesh(*this, mesh, options, Conversion{true, paletteSize}, adjacencyIn, adjacencyOut,
                              faceRemap, vertexRemap, maxVertexInfl, numBoneCombinations, boneCombinationTable,
                              result);
}

}  // namespace d3dx
