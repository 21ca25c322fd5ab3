// Copies of a mesh in another vertex format, with other options or on
// another device: faces, attributes and the attribute table carry over.
#include "AllocationGuard.h"
#include "MeshObject.h"
#include "VertexFormat.h"

namespace d3dx {

HRESULT Mesh::CloneMeshFVF(DWORD options, DWORD fvf, LPDIRECT3DDEVICE9 device, LPD3DXMESH* cloneMesh) {
    if (!cloneMesh) return D3DERR_INVALIDCALL;
    *cloneMesh = nullptr;
    if (!device || D3DXGetFVFVertexSize(fvf) == 0) return D3DERR_INVALIDCALL;
    if (!(options & D3DXMESH_32BIT) && m_numVertices > 0xFFFF) return D3DERR_INVALIDCALL;
    return GuardAllocation([&]() -> HRESULT {
        MeshContent source;
        HRESULT hr = ReadContent(source);
        if (FAILED(hr)) return hr;
        MeshContent copy;
        copy.fvf = fvf;
        copy.stride = D3DXGetFVFVertexSize(fvf);
        copy.vertices.resize(size_t(m_numVertices) * copy.stride);
        ConvertVertices(source.vertices.data(), m_fvf, copy.vertices.data(), fvf, m_numVertices);
        copy.indices = std::move(source.indices);
        copy.attributes = std::move(source.attributes);
        Mesh* mesh = nullptr;
        hr = CreateFrom(copy, options, device, m_table, &mesh);
        *cloneMesh = mesh;
        return hr;
    });
}

// Cloning into a vertex declaration is not supported; CloneMeshFVF covers
// every vertex format.
HRESULT Mesh::CloneMesh(DWORD, const D3DVERTEXELEMENT9*, LPDIRECT3DDEVICE9, LPD3DXMESH* cloneMesh) {
    if (cloneMesh) *cloneMesh = nullptr;
    return E_NOTIMPL;
}

}  // namespace d3dx
