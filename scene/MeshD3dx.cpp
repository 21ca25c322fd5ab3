// The D3DX side of the mesh: the source mesh filled from the file's arrays,
// its vertex buffer for vertex animation, its subsets for the plain draw.
#include <d3dx9.h>

#include <algorithm>

#include "scene/KMesh.h"
#include "shell/ComRelease.h"

namespace {

struct KMeshVertex {
    D3DXVECTOR3 position;
    D3DXVECTOR3 normal;
    D3DCOLOR diffuse;
    float u0, v0;
    float u1, v1;
};
static_assert(sizeof(KMeshVertex) == kMeshVertexSize);

// Runs of faces with one attribute, in face order, each with the vertices
// it reaches, so a subset draws its runs without a walk over every face.
std::vector<D3DXATTRIBUTERANGE> AttributeRuns(const std::vector<DWORD>& attributes, const std::vector<DWORD>& faces) {
    std::vector<D3DXATTRIBUTERANGE> runs;
    for (size_t f = 0; f < attributes.size(); ++f) {
        if (runs.empty() || runs.back().AttribId != attributes[f])
            runs.push_back({attributes[f], DWORD(f), 0, faces[f * 3], 0});
        D3DXATTRIBUTERANGE& run = runs.back();
        ++run.FaceCount;
        DWORD last = run.VertexStart + run.VertexCount;  // one past the highest so far
        for (int c = 0; c < 3; ++c) {
            const DWORD v = faces[f * 3 + c];
            run.VertexStart = std::min(run.VertexStart, v);
            last = std::max(last, v + 1);
        }
        run.VertexCount = last - run.VertexStart;
    }
    return runs;
}

}  // namespace

HRESULT KMesh::FillMesh() {
    HRESULT hr = D3DXCreateMeshFVF(faceCount, vertexCount, D3DXMESH_MANAGED, kMeshVertexFormat, device, &sourceMesh);
    if (FAILED(hr)) return hr;
    void* vertexBytes = nullptr;
    void* indexBytes = nullptr;
    DWORD* attributes = nullptr;
    hr = sourceMesh->LockVertexBuffer(0, &vertexBytes);
    if (FAILED(hr)) return hr;
    if (FAILED(hr = sourceMesh->LockIndexBuffer(0, &indexBytes))) {
        sourceMesh->UnlockVertexBuffer();
        return hr;
    }
    if (FAILED(hr = sourceMesh->LockAttributeBuffer(0, &attributes))) {
        sourceMesh->UnlockIndexBuffer();
        sourceMesh->UnlockVertexBuffer();
        return hr;
    }

    auto* vertices = static_cast<KMeshVertex*>(vertexBytes);
    const std::vector<float>& uv = textureSets[0];
    for (size_t v = 0; v < vertexCount; ++v) {
        KMeshVertex& out = vertices[v];
        out.position = D3DXVECTOR3(&positions[v * 3]);
        out.normal = D3DXVECTOR3(&normals[v * 3]);
        out.diffuse = 0xFFFFFFFF;
        out.u0 = out.u1 = uv[v * 3];
        out.v0 = out.v1 = uv[v * 3 + 1];
    }
    auto* indices = static_cast<WORD*>(indexBytes);
    for (size_t i = 0; i < size_t(faceCount) * 3; ++i) indices[i] = WORD(faces[i]);
    std::copy(faceAttributes.begin(), faceAttributes.end(), attributes);

    D3DXComputeBoundingBox(&vertices[0].position, vertexCount, kMeshVertexSize, &boxMin, &boxMax);
    shadowQuad.origin = D3DXVECTOR3((boxMin.x + boxMax.x) / 2, 0.0f, (boxMin.z + boxMax.z) / 2);

    const HRESULT attributesDone = sourceMesh->UnlockAttributeBuffer();
    const HRESULT indicesDone = sourceMesh->UnlockIndexBuffer();
    const HRESULT verticesDone = sourceMesh->UnlockVertexBuffer();
    for (HRESULT done : {attributesDone, indicesDone, verticesDone})
        if (FAILED(done)) return done;
    const std::vector<D3DXATTRIBUTERANGE> runs = AttributeRuns(faceAttributes, faces);
    return sourceMesh->SetAttributeTable(runs.data(), DWORD(runs.size()));
}

void KMesh::ReleaseMeshObjects() {
    ReleaseAndNull(skinnedMesh);
    ReleaseAndNull(sourceMesh);
    ReleaseAndNull(skinInfo);
}

BYTE* KMesh::LockSourceVertices(DWORD* count) {
    *count = 0;
    void* bytes = nullptr;
    if (!sourceMesh || FAILED(sourceMesh->LockVertexBuffer(0, &bytes))) return nullptr;
    *count = sourceMesh->GetNumVertices();
    return static_cast<BYTE*>(bytes);
}

bool KMesh::UnlockSourceVertices() { return sourceMesh && SUCCEEDED(sourceMesh->UnlockVertexBuffer()); }

HRESULT KMesh::DrawSourceSubset(DWORD subset) { return sourceMesh ? sourceMesh->DrawSubset(subset) : E_FAIL; }
