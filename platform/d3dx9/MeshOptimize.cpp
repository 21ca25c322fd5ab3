// Optimising in place: faces sorted by attribute (ATTRSORT; VERTEXCACHE and
// STRIPREORDER sort the same way and reorder nothing further), vertices
// renumbered in the order the faces first use them so each attribute's
// vertices lie together, unused vertices dropped (COMPACT) or kept at the
// end. IGNOREVERTS leaves the vertices as they are.
#include <algorithm>
#include <numeric>

#include "AllocationGuard.h"
#include "MeshObject.h"

namespace d3dx {
namespace {

constexpr DWORD kSortFlags = D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE | D3DXMESHOPT_STRIPREORDER;
constexpr DWORD kUnused = 0xFFFFFFFF;

// New face f is old face order[f].
std::vector<DWORD> FaceOrder(const MeshContent& content, bool sortByAttribute) {
    std::vector<DWORD> order(content.FaceCount());
    std::iota(order.begin(), order.end(), 0);
    if (sortByAttribute)
        std::stable_sort(order.begin(), order.end(),
                         [&](DWORD a, DWORD b) { return content.attributes[a] < content.attributes[b]; });
    return order;
}

// New vertex v is old vertex order[v].
std::vector<DWORD> VertexOrder(const MeshContent& content, const std::vector<DWORD>& faceOrder, bool byFirstUse,
                               bool dropUnused) {
    const DWORD count = content.VertexCount();
    std::vector<bool> used(count, false);
    std::vector<DWORD> order;
    order.reserve(count);
    for (DWORD face : faceOrder) {
        for (DWORD k = 0; k < 3; ++k) {
            const uint32_t v = content.indices[size_t(face) * 3 + k];
            if (used[v]) continue;
            used[v] = true;
            if (byFirstUse) order.push_back(v);
        }
    }
    for (DWORD v = 0; v < count; ++v)
        if ((!byFirstUse && used[v]) || (!used[v] && !dropUnused)) order.push_back(v);
    return order;
}

MeshContent Reordered(const MeshContent& content, const std::vector<DWORD>& faceOrder,
                      const std::vector<DWORD>& vertexOrder) {
    MeshContent out;
    out.fvf = content.fvf;
    out.stride = content.stride;
    std::vector<DWORD> newIndexOf(content.VertexCount(), kUnused);
    out.vertices.resize(vertexOrder.size() * content.stride);
    for (DWORD v = 0; v < vertexOrder.size(); ++v) {
        newIndexOf[vertexOrder[v]] = v;
        std::copy_n(content.vertices.begin() + ptrdiff_t(size_t(vertexOrder[v]) * content.stride), content.stride,
                    out.vertices.begin() + ptrdiff_t(size_t(v) * content.stride));
    }
    out.indices.reserve(content.indices.size());
    out.attributes.reserve(faceOrder.size());
    for (DWORD face : faceOrder) {
        for (DWORD k = 0; k < 3; ++k) out.indices.push_back(newIndexOf[content.indices[size_t(face) * 3 + k]]);
        out.attributes.push_back(content.attributes[face]);
    }
    return out;
}

void SpanVertices(const MeshContent& content, D3DXATTRIBUTERANGE& range) {
    DWORD low = kUnused, high = 0;
    for (size_t i = size_t(range.FaceStart) * 3; i < size_t(range.FaceStart + range.FaceCount) * 3; ++i) {
        low = std::min<DWORD>(low, content.indices[i]);
        high = std::max<DWORD>(high, content.indices[i]);
    }
    range.VertexStart = range.FaceCount ? low : 0;
    range.VertexCount = range.FaceCount ? high - low + 1 : 0;
}

}  // namespace

bool AdjacencyFits(const DWORD* adjacency, DWORD faces) {
    for (size_t i = 0; i < size_t(faces) * 3; ++i)
        if (adjacency[i] != kNoNeighbour && adjacency[i] >= faces) return false;
    return true;
}

std::vector<DWORD> ReorderedAdjacency(const MeshContent& content, const DWORD* given,
                                      const std::vector<DWORD>& faceOrder) {
    const size_t sides = size_t(content.FaceCount()) * 3;
    std::vector<DWORD> old(sides);
    if (given) {
        std::copy_n(given, sides, old.begin());
    } else {
        const std::vector<DWORD> reps = PointRepresentatives(content, 0.0f);
        AdjacencyFromRepresentatives(content, reps.data(), old.data());
    }
    std::vector<DWORD> newFaceOf(faceOrder.size());
    for (DWORD f = 0; f < faceOrder.size(); ++f) newFaceOf[faceOrder[f]] = f;
    std::vector<DWORD> out(sides);
    for (DWORD f = 0; f < faceOrder.size(); ++f)
        for (DWORD k = 0; k < 3; ++k) {
            const DWORD neighbour = old[size_t(faceOrder[f]) * 3 + k];
            out[size_t(f) * 3 + k] = neighbour == kNoNeighbour ? kNoNeighbour : newFaceOf[neighbour];
        }
    return out;
}

std::vector<D3DXATTRIBUTERANGE> AttributeRuns(const MeshContent& content) {
    std::vector<D3DXATTRIBUTERANGE> table;
    for (DWORD face = 0; face < content.FaceCount(); ++face) {
        if (table.empty() || table.back().AttribId != content.attributes[face])
            table.push_back(D3DXATTRIBUTERANGE{content.attributes[face], face, 0, 0, 0});
        ++table.back().FaceCount;
    }
    for (D3DXATTRIBUTERANGE& range : table) SpanVertices(content, range);
    return table;
}

HRESULT Mesh::OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                              LPD3DXBUFFER* vertexRemap) {
    if (vertexRemap) *vertexRemap = nullptr;
    if (adjacencyIn && !AdjacencyFits(adjacencyIn, m_numFaces)) return D3DERR_INVALIDCALL;
    return GuardAllocation([&]() -> HRESULT {
        MeshContent content;
        HRESULT hr = ReadContent(content);
        if (SUCCEEDED(hr)) hr = CheckFaceIndices(content);
        if (FAILED(hr)) return hr;
        const bool sort = (flags & kSortFlags) != 0;
        const bool moveVertices = !(flags & D3DXMESHOPT_IGNOREVERTS) && (sort || (flags & D3DXMESHOPT_COMPACT));
        const std::vector<DWORD> faceOrder = FaceOrder(content, sort);
        std::vector<DWORD> vertexOrder(content.VertexCount());
        if (moveVertices)
            vertexOrder = VertexOrder(content, faceOrder, sort, (flags & D3DXMESHOPT_COMPACT) != 0);
        else
            std::iota(vertexOrder.begin(), vertexOrder.end(), 0);
        if (vertexOrder.empty()) return D3DERR_INVALIDCALL;
        const MeshContent result = Reordered(content, faceOrder, vertexOrder);

        std::vector<DWORD> adjacency;
        if (adjacencyOut) adjacency = ReorderedAdjacency(content, adjacencyIn, faceOrder);
        std::vector<D3DXATTRIBUTERANGE> table = sort ? AttributeRuns(result) : m_table;
        if (!sort)
            for (D3DXATTRIBUTERANGE& range : table) SpanVertices(result, range);
        ID3DXBuffer* remapBuffer = nullptr;
        if (vertexRemap) {
            hr = D3DXCreateBuffer(DWORD(vertexOrder.size() * sizeof(DWORD)), &remapBuffer);
            if (FAILED(hr)) return hr;
            std::copy(vertexOrder.begin(), vertexOrder.end(), static_cast<DWORD*>(remapBuffer->GetBufferPointer()));
        }
        hr = ReplaceContent(result);
        if (FAILED(hr)) {
            if (remapBuffer) remapBuffer->Release();
            return hr;
        }
        m_table.swap(table);
        if (adjacencyOut) std::copy(adjacency.begin(), adjacency.end(), adjacencyOut);
        if (faceRemap) std::copy(faceOrder.begin(), faceOrder.end(), faceRemap);
        if (vertexRemap) *vertexRemap = remapBuffer;
        return D3D_OK;
    });
}

HRESULT Mesh::Optimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                       LPD3DXBUFFER* vertexRemap, LPD3DXMESH* optMesh) {
    if (!optMesh) return D3DERR_INVALIDCALL;
    *optMesh = nullptr;
    ID3DXMesh* copy = nullptr;
    HRESULT hr = CloneMeshFVF(m_options, m_fvf, m_device, &copy);
    if (SUCCEEDED(hr)) hr = copy->OptimizeInplace(flags, adjacencyIn, adjacencyOut, faceRemap, vertexRemap);
    if (FAILED(hr)) {
        if (copy) copy->Release();
        return hr;
    }
    *optMesh = copy;
    return D3D_OK;
}

}  // namespace d3dx
