// ID3DXMesh over a device vertex buffer, a device index buffer (16 or 32
// bits) and an attribute per face kept in memory. Its operations are spread
// over files by concern: MeshObject.cpp (creation, buffers, locks, queries),
// MeshDraw.cpp, MeshAdjacency.cpp, MeshClone.cpp, MeshOptimize.cpp.
#pragma once

#include <cstdint>
#include <vector>

#include "RefCounted.h"
#include "d3dx9mesh.h"

namespace d3dx {

inline constexpr DWORD kNoNeighbour = 0xFFFFFFFF;

// A mesh's data copied out of its buffers, indices widened to 32 bits.
struct MeshContent {
    DWORD fvf = 0;
    UINT stride = 0;
    std::vector<uint8_t> vertices;  // VertexCount() * stride bytes
    std::vector<uint32_t> indices;  // three per face
    std::vector<DWORD> attributes;  // one per face

    DWORD VertexCount() const { return stride ? DWORD(vertices.size() / stride) : 0; }
    DWORD FaceCount() const { return DWORD(attributes.size()); }
};

// D3DXERR_INVALIDMESH when a face names a vertex at or past the count:
// nothing that reads faces works on such a mesh.
HRESULT CheckFaceIndices(const MeshContent& content);

// One representative per vertex: the lowest-numbered vertex within epsilon
// of it in every coordinate (itself when none).
std::vector<DWORD> PointRepresentatives(const MeshContent& content, float epsilon);
// Three neighbours per face from the faces' edges between representatives:
// an edge meets the first unmatched face that runs the same edge backwards.
void AdjacencyFromRepresentatives(const MeshContent& content, const DWORD* representatives, DWORD* adjacency);

// Whether every neighbour of an adjacency array is a face of the mesh or none.
bool AdjacencyFits(const DWORD* adjacency, DWORD faces);
// The given adjacency (or the content's own, when none is given) renumbered
// for a new face order: new face f is old face faceOrder[f].
std::vector<DWORD> ReorderedAdjacency(const MeshContent& content, const DWORD* given,
                                      const std::vector<DWORD>& faceOrder);

// The attribute table of faces already sorted by attribute: one range per
// run, with the span of the vertices its faces use.
std::vector<D3DXATTRIBUTERANGE> AttributeRuns(const MeshContent& content);

class Mesh final : public RefCounted<ID3DXMesh> {
public:
    static HRESULT Create(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, IDirect3DDevice9* device,
                          Mesh** out);
    // A mesh holding content with the given attribute table. 32-bit indices
    // are chosen when the vertex count needs them.
    static HRESULT CreateFrom(const MeshContent& content, DWORD options, IDirect3DDevice9* device,
                              std::vector<D3DXATTRIBUTERANGE> table, Mesh** out);

    HRESULT ReadContent(MeshContent& out);
    // Rewrites the buffers with content of the same format and face count; a
    // new vertex buffer is made when the vertex count changes. Nothing
    // changes when that fails.
    HRESULT ReplaceContent(const MeshContent& content);
    const std::vector<D3DXATTRIBUTERANGE>& AttributeTable() const { return m_table; }

    // --- IUnknown ---
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;

    // --- ID3DXBaseMesh ---
    HRESULT STDMETHODCALLTYPE DrawSubset(DWORD attribId) override;
    DWORD STDMETHODCALLTYPE GetNumFaces() override { return m_numFaces; }
    DWORD STDMETHODCALLTYPE GetNumVertices() override { return m_numVertices; }
    DWORD STDMETHODCALLTYPE GetFVF() override { return m_fvf; }
    HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) override;
    DWORD STDMETHODCALLTYPE GetNumBytesPerVertex() override { return m_stride; }
    DWORD STDMETHODCALLTYPE GetOptions() override { return m_options; }
    HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9* device) override;
    HRESULT STDMETHODCALLTYPE CloneMeshFVF(DWORD options, DWORD fvf, LPDIRECT3DDEVICE9 device,
                                           LPD3DXMESH* cloneMesh) override;
    HRESULT STDMETHODCALLTYPE CloneMesh(DWORD options, const D3DVERTEXELEMENT9* declaration, LPDIRECT3DDEVICE9 device,
                                        LPD3DXMESH* cloneMesh) override;
    HRESULT STDMETHODCALLTYPE GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9* vertexBuffer) override;
    HRESULT STDMETHODCALLTYPE GetIndexBuffer(LPDIRECT3DINDEXBUFFER9* indexBuffer) override;
    HRESULT STDMETHODCALLTYPE LockVertexBuffer(DWORD flags, LPVOID* data) override;
    HRESULT STDMETHODCALLTYPE UnlockVertexBuffer() override;
    HRESULT STDMETHODCALLTYPE LockIndexBuffer(DWORD flags, LPVOID* data) override;
    HRESULT STDMETHODCALLTYPE UnlockIndexBuffer() override;
    HRESULT STDMETHODCALLTYPE GetAttributeTable(D3DXATTRIBUTERANGE* attribTable, DWORD* attribTableSize) override;
    HRESULT STDMETHODCALLTYPE ConvertPointRepsToAdjacency(const DWORD* pointReps, DWORD* adjacency) override;
    HRESULT STDMETHODCALLTYPE ConvertAdjacencyToPointReps(const DWORD* adjacency, DWORD* pointReps) override;
    HRESULT STDMETHODCALLTYPE GenerateAdjacency(FLOAT epsilon, DWORD* adjacency) override;
    HRESULT STDMETHODCALLTYPE UpdateSemantics(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) override;

    // --- ID3DXMesh ---
    HRESULT STDMETHODCALLTYPE LockAttributeBuffer(DWORD flags, DWORD** data) override;
    HRESULT STDMETHODCALLTYPE UnlockAttributeBuffer() override;
    HRESULT STDMETHODCALLTYPE Optimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                                       LPD3DXBUFFER* vertexRemap, LPD3DXMESH* optMesh) override;
    HRESULT STDMETHODCALLTYPE OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut,
                                              DWORD* faceRemap, LPD3DXBUFFER* vertexRemap) override;
    HRESULT STDMETHODCALLTYPE SetAttributeTable(const D3DXATTRIBUTERANGE* attribTable, DWORD attribTableSize) override;

private:
    Mesh(IDirect3DDevice9* device, DWORD options, DWORD fvf, UINT stride);
    ~Mesh() override;

    HRESULT CreateVertexBuffer(DWORD numVertices, IDirect3DVertexBuffer9** out) const;
    HRESULT WriteVertices(IDirect3DVertexBuffer9* buffer, const std::vector<uint8_t>& bytes);
    HRESULT WriteIndices(const std::vector<uint32_t>& indices);
    // DrawIndexedPrimitive over faces [first, first + count), vertices [minVertex, minVertex + vertexCount).
    HRESULT DrawFaces(DWORD firstFace, DWORD faceCount, DWORD minVertex, DWORD vertexCount);
    HRESULT DrawRunsOf(DWORD attribId);

    IDirect3DDevice9* m_device;
    DWORD m_options;  // creation options, without optimisation flags
    DWORD m_fvf;
    UINT m_stride;
    DWORD m_numFaces = 0;
    DWORD m_numVertices = 0;
    IDirect3DVertexBuffer9* m_vertices = nullptr;
    IDirect3DIndexBuffer9* m_indices = nullptr;
    std::vector<DWORD> m_attributes;
    UINT m_attributeLocks = 0;
    std::vector<D3DXATTRIBUTERANGE> m_table;
};

// Every ID3DXMesh is one of these.
inline Mesh* AsMesh(ID3DXMesh* mesh) { return static_cast<Mesh*>(mesh); }

}  // namespace d3dx
