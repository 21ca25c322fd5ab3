// DrawSubset: the mesh's format, stream and indices, then one indexed draw
// per attribute range (or per run of faces when the mesh has no table). The
// recorder lists it as "Mesh::DrawSubset" (mesh, attribute) after the device
// calls it made.
#include "MeshObject.h"
#include "d3d9/Recorder.h"

namespace d3dx {

HRESULT Mesh::DrawFaces(DWORD firstFace, DWORD faceCount, DWORD minVertex, DWORD vertexCount) {
    return m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, minVertex, vertexCount, firstFace * 3, faceCount);
}

// Without a table the vertex span of a run is not known: the whole buffer.
HRESULT Mesh::DrawRunsOf(DWORD attribId) {
    DWORD face = 0;
    while (face < m_numFaces) {
        if (m_attributes[face] != attribId) {
            ++face;
            continue;
        }
        const DWORD first = face;
        while (face < m_numFaces && m_attributes[face] == attribId) ++face;
        const HRESULT hr = DrawFaces(first, face - first, 0, m_numVertices);
        if (FAILED(hr)) return hr;
    }
    return D3D_OK;
}

HRESULT Mesh::DrawSubset(DWORD attribId) {
    HRESULT hr = m_device->SetFVF(m_fvf);
    if (SUCCEEDED(hr)) hr = m_device->SetStreamSource(0, m_vertices, 0, m_stride);
    if (SUCCEEDED(hr)) hr = m_device->SetIndices(m_indices);
    if (SUCCEEDED(hr) && m_table.empty()) hr = DrawRunsOf(attribId);
    for (const D3DXATTRIBUTERANGE& range : m_table) {
        if (FAILED(hr)) break;
        if (range.AttribId == attribId && range.FaceCount > 0)
            hr = DrawFaces(range.FaceStart, range.FaceCount, range.VertexStart, range.VertexCount);
    }
    return lumiva::d3d9::RecordCall("Mesh::DrawSubset", {lumiva::d3d9::PointerArg(this), attribId}, hr);
}

}  // namespace d3dx
