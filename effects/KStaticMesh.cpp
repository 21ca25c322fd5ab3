#include "effects/KStaticMesh.h"

#include <d3dx9tex.h>

#include <cmath>
#include <cstring>

#include "effects/EffectDeviceObjects.h"
#include "shell/ComRelease.h"

namespace {

// The box's extent on one axis, truncated toward zero and made non-negative.
float WholeExtent(float minimum, float maximum) { return std::fabs(std::trunc(maximum - minimum)); }

template <class Buffer>
bool Fill(Buffer* buffer, const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return true;
    if (!buffer) return false;
    void* target = nullptr;
    if (FAILED(buffer->Lock(0, UINT(bytes.size()), &target, 0))) return false;
    std::memcpy(target, bytes.data(), bytes.size());
    buffer->Unlock();
    return true;
}

}  // namespace

KStaticMesh::KStaticMesh() { TrackDeviceObjects(this); }

KStaticMesh::~KStaticMesh() {
    Release();
    ForgetDeviceObjects(this);
}

HRESULT KStaticMesh::CreateBuffers() {
    // The index buffer has room for twice the capacity in 16-bit indices.
    if (FAILED(device->CreateIndexBuffer(indexCapacity * 4, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &indexBuffer,
                                         nullptr))) {
        indexBuffer = nullptr;
        return E_FAIL;
    }
    if (FAILED(device->CreateVertexBuffer(vertexCapacity * sizeof(KMeshVertex), 0, kMeshVertexFvf,
                                          D3DPOOL_DEFAULT, &vertexBuffer, nullptr))) {
        vertexBuffer = nullptr;
        return E_FAIL;
    }
    return 0;
}

HRESULT KStaticMesh::Create(IDirect3DDevice9* newDevice, int32_t vertices, int32_t indices) {
    Release();
    if (!newDevice) return 1;
    constexpr int64_t kLargest = 0xFFFFFFFF;
    if (vertices < 0 || indices < 0 || int64_t{vertices} * 20 > kLargest || int64_t{indices} * 4 > kLargest)
        return E_FAIL;
    device = newDevice;
    vertexCapacity = uint32_t(vertices);
    indexCapacity = uint32_t(indices);
    return CreateBuffers();
}

// A count at or above the capacity is refused, like a missing pointer.
bool KStaticMesh::SetVertices(const void* vertices, uint32_t byteCount) {
    const uint32_t n = byteCount / sizeof(KMeshVertex);
    vertexCount = 0;
    if (!vertices || n >= vertexCapacity || !vertexBuffer) return false;
    const auto* bytes = static_cast<const uint8_t*>(vertices);
    m_lastVertices.assign(bytes, bytes + size_t{n} * sizeof(KMeshVertex));
    if (!Fill(vertexBuffer, m_lastVertices)) return false;
    vertexCount = n;
    if (n) D3DXComputeBoundingBox(static_cast<const D3DXVECTOR3*>(vertices), n, sizeof(KMeshVertex), &boxMin, &boxMax);
    return true;
}

bool KStaticMesh::SetIndices(const void* indices, uint32_t byteCount) {
    const uint32_t n = byteCount / sizeof(WORD);
    triangleCount = 0;
    if (!indices || n >= indexCapacity || !indexBuffer) return false;
    const auto* bytes = static_cast<const uint8_t*>(indices);
    m_lastIndices.assign(bytes, bytes + size_t{n} * sizeof(WORD));
    if (!Fill(indexBuffer, m_lastIndices)) return false;
    triangleCount = n / 3;
    return true;
}

bool KStaticMesh::SetTexture(const void* image, int32_t byteSize) {
    ReleaseAndNull(texture);
    if (!image || byteSize <= 0 || !device) return false;
    if (FAILED(D3DXCreateTextureFromFileInMemory(device, image, UINT(byteSize), &texture))) {
        texture = nullptr;
        return false;
    }
    return true;
}

void KStaticMesh::Render() {
    if (!vertexCount || !triangleCount || !device || !vertexBuffer || !indexBuffer) return;
    if (texture) device->SetTexture(0, texture);
    device->SetStreamSource(0, vertexBuffer, 0, sizeof(KMeshVertex));
    device->SetIndices(indexBuffer);
    device->SetFVF(kMeshVertexFvf);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, 0, triangleCount);
}

float KStaticMesh::GetSizeX() const { return WholeExtent(boxMin.x, boxMax.x); }
float KStaticMesh::GetSizeY() const { return WholeExtent(boxMin.y, boxMax.y); }
float KStaticMesh::GetSizeZ() const { return WholeExtent(boxMin.z, boxMax.z); }

void KStaticMesh::ReleaseBuffers() {
    ReleaseAndNull(vertexBuffer);
    ReleaseAndNull(indexBuffer);
}

void KStaticMesh::Release() {
    ReleaseBuffers();
    ReleaseAndNull(texture);
    vertexCapacity = indexCapacity = vertexCount = triangleCount = 0;
    m_lastVertices.clear();
    m_lastIndices.clear();
}

// A mesh that cannot get its buffers back draws nothing until it is filled
// again.
void KStaticMesh::RestoreBuffers() {
    if (!device || vertexBuffer || indexBuffer || (!vertexCapacity && !indexCapacity)) return;
    if (FAILED(CreateBuffers())) {
        ReleaseBuffers();
        vertexCount = triangleCount = 0;
        return;
    }
    if (vertexCount && !Fill(vertexBuffer, m_lastVertices)) vertexCount = 0;
    if (triangleCount && !Fill(indexBuffer, m_lastIndices)) triangleCount = 0;
}
