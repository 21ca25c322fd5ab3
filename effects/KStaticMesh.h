// A plain textured triangle mesh the host fills itself: vertices, 16-bit
// indices and a texture file image, drawn by the shell's turning preview.
// It keeps the axis-aligned box of its vertices, and a copy of the last
// data it was given so that its default-pool buffers come back filled
// after a device reset.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>

#include <cstdint>
#include <vector>

#include "draw2d/render/VertexBuilders.h"

class IKStaticMesh {
public:
    virtual bool SetVertices(const void* vertices, uint32_t byteCount) = 0;
    virtual bool SetIndices(const void* indices, uint32_t byteCount) = 0;
    virtual bool SetTexture(const void* image, int32_t byteSize) = 0;

protected:
    ~IKStaticMesh() = default;
};

class KStaticMesh final : public IKStaticMesh {
public:
    KStaticMesh();
    virtual ~KStaticMesh();
    KStaticMesh(const KStaticMesh&) = delete;
    KStaticMesh& operator=(const KStaticMesh&) = delete;

    bool SetVertices(const void* vertices, uint32_t byteCount) override;
    bool SetIndices(const void* indices, uint32_t byteCount) override;
    bool SetTexture(const void* image, int32_t byteSize) override;

    // 0, 1 without a device, or E_FAIL (a negative capacity, one whose
    // buffer would pass 32 bits, or a buffer the device refuses).
    HRESULT Create(IDirect3DDevice9* device, int32_t vertexCapacity, int32_t indexCapacity);
    void Render();
    float GetSizeX() const;
    float GetSizeY() const;
    float GetSizeZ() const;
    void Release();

    // Around a device reset: the buffers go, then come back with the last
    // vertices and indices.
    void ReleaseBuffers();
    void RestoreBuffers();

    D3DXVECTOR3 boxMin{0, 0, 0};
    D3DXVECTOR3 boxMax{0, 0, 0};
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
    IDirect3DIndexBuffer9* indexBuffer = nullptr;
    IDirect3DTexture9* texture = nullptr;
    IDirect3DDevice9* device = nullptr;
    uint32_t vertexCapacity = 0;
    uint32_t indexCapacity = 0;
    uint32_t vertexCount = 0;
    uint32_t triangleCount = 0;

private:
    HRESULT CreateBuffers();
    std::vector<uint8_t> m_lastVertices;
    std::vector<uint8_t> m_lastIndices;
};
