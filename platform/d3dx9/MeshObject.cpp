#include "MeshObject.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "AllocationGuard.h"
#include "VertexFormat.h"

namespace d3dx {
namespace {

constexpr DWORD kCreationOptions = 0x1FFFF;  // every D3DXMESH_* bit
constexpr DWORD kMax16BitVertices = 0xFFFF;

// The option bits that place one of the two buffers.
struct BufferOptions {
    DWORD systemMemory, managed, writeOnly, dynamic, software;
};
constexpr BufferOptions kVertexOptions = {D3DXMESH_VB_SYSTEMMEM, D3DXMESH_VB_MANAGED, D3DXMESH_VB_WRITEONLY,
                                          D3DXMESH_VB_DYNAMIC, D3DXMESH_VB_SOFTWAREPROCESSING};
constexpr BufferOptions kIndexOptions = {D3DXMESH_IB_SYSTEMMEM, D3DXMESH_IB_MANAGED, D3DXMESH_IB_WRITEONLY,
                                         D3DXMESH_IB_DYNAMIC, D3DXMESH_IB_SOFTWAREPROCESSING};

D3DPOOL PoolOf(DWORD options, const BufferOptions& bits) {
    if (options & bits.systemMemory) return D3DPOOL_SYSTEMMEM;
    if (options & bits.managed) return D3DPOOL_MANAGED;
    return D3DPOOL_DEFAULT;
}

DWORD UsageOf(DWORD options, const BufferOptions& bits) {
    const std::pair<DWORD, DWORD> usages[] = {
        {D3DXMESH_DONOTCLIP, D3DUSAGE_DONOTCLIP}, {D3DXMESH_POINTS, D3DUSAGE_POINTS},
        {D3DXMESH_RTPATCHES, D3DUSAGE_RTPATCHES}, {D3DXMESH_NPATCHES, D3DUSAGE_NPATCHES},
        {bits.writeOnly, D3DUSAGE_WRITEONLY},     {bits.dynamic, D3DUSAGE_DYNAMIC},
        {bits.software, D3DUSAGE_SOFTWAREPROCESSING},
    };
    DWORD usage = 0;
    for (auto [option, flag] : usages)
        if (options & option) usage |= flag;
    return usage;
}

UINT IndexBytes(DWORD options) { return (options & D3DXMESH_32BIT) ? 4 : 2; }

template <class T>
void ReleaseAndNull(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

}  // namespace

HRESULT CheckFaceIndices(const MeshContent& content) {
    const DWORD count = content.VertexCount();
    for (uint32_t index : content.indices)
        if (index >= count) return D3DXERR_INVALIDMESH;
    return D3D_OK;
}

Mesh::Mesh(IDirect3DDevice9* device, DWORD options, DWORD fvf, UINT stride)
    : m_device(device), m_options(options), m_fvf(fvf), m_stride(stride) {
    m_device->AddRef();
}

Mesh::~Mesh() {
    ReleaseAndNull(m_vertices);
    ReleaseAndNull(m_indices);
    m_device->Release();
}

HRESULT Mesh::Create(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, IDirect3DDevice9* device,
                     Mesh** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    options &= kCreationOptions;
    std::vector<D3DVERTEXELEMENT9> elements;
    UINT stride = 0;
    if (!device || numFaces == 0 || numVertices == 0 || !DescribeFvf(fvf, elements, stride) || stride == 0)
        return D3DERR_INVALIDCALL;
    if (!(options & D3DXMESH_32BIT) && numVertices > kMax16BitVertices) return D3DERR_INVALIDCALL;
    if (uint64_t(numVertices) * stride > UINT_MAX || uint64_t(numFaces) * 3 * IndexBytes(options) > UINT_MAX)
        return D3DERR_INVALIDCALL;
    Mesh* mesh = nullptr;
    HRESULT hr = GuardAllocation([&]() -> HRESULT {
        mesh = new Mesh(device, options, fvf, stride);
        mesh->m_attributes.assign(numFaces, 0);
        return D3D_OK;
    });
    if (SUCCEEDED(hr)) hr = mesh->CreateVertexBuffer(numVertices, &mesh->m_vertices);
    if (SUCCEEDED(hr))
        hr = device->CreateIndexBuffer(UINT(numFaces * 3 * IndexBytes(options)), UsageOf(options, kIndexOptions),
                                       (options & D3DXMESH_32BIT) ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                                       PoolOf(options, kIndexOptions), &mesh->m_indices, nullptr);
    if (FAILED(hr)) {
        if (mesh) mesh->Release();
        return hr;
    }
    mesh->m_numFaces = numFaces;
    mesh->m_numVertices = numVertices;
    *out = mesh;
    return D3D_OK;
}

HRESULT Mesh::CreateFrom(const MeshContent& content, DWORD options, IDirect3DDevice9* device,
                         std::vector<D3DXATTRIBUTERANGE> table, Mesh** out) {
    if (content.VertexCount() > kMax16BitVertices) options |= D3DXMESH_32BIT;
    Mesh* mesh = nullptr;
    HRESULT hr = Create(content.FaceCount(), content.VertexCount(), options, content.fvf, device, &mesh);
    if (FAILED(hr)) return hr;
    hr = mesh->WriteVertices(mesh->m_vertices, content.vertices);
    if (SUCCEEDED(hr)) hr = mesh->WriteIndices(content.indices);
    if (SUCCEEDED(hr))
        hr = GuardAllocation([&]() -> HRESULT {
            mesh->m_attributes = content.attributes;
            mesh->m_table = std::move(table);
            return D3D_OK;
        });
    if (FAILED(hr)) {
        mesh->Release();
        return hr;
    }
    *out = mesh;
    return D3D_OK;
}

HRESULT Mesh::CreateVertexBuffer(DWORD numVertices, IDirect3DVertexBuffer9** out) const {
    return m_device->CreateVertexBuffer(UINT(numVertices * m_stride), UsageOf(m_options, kVertexOptions), m_fvf,
                                        PoolOf(m_options, kVertexOptions), out, nullptr);
}

HRESULT Mesh::WriteVertices(IDirect3DVertexBuffer9* buffer, const std::vector<uint8_t>& bytes) {
    void* data = nullptr;
    HRESULT hr = buffer->Lock(0, 0, &data, 0);
    if (FAILED(hr)) return hr;
    std::memcpy(data, bytes.data(), bytes.size());
    return buffer->Unlock();
}

HRESULT Mesh::WriteIndices(const std::vector<uint32_t>& indices) {
    void* data = nullptr;
    HRESULT hr = m_indices->Lock(0, 0, &data, 0);
    if (FAILED(hr)) return hr;
    if (m_options & D3DXMESH_32BIT) {
        std::memcpy(data, indices.data(), indices.size() * 4);
    } else {
        for (size_t i = 0; i < indices.size(); ++i) {
            const WORD narrow = WORD(indices[i]);
            std::memcpy(static_cast<uint8_t*>(data) + i * 2, &narrow, 2);
        }
    }
    return m_indices->Unlock();
}

HRESULT Mesh::ReadContent(MeshContent& out) {
    return GuardAllocation([&]() -> HRESULT {
        out.fvf = m_fvf;
        out.stride = m_stride;
        out.attributes = m_attributes;
        void* data = nullptr;
        HRESULT hr = m_vertices->Lock(0, 0, &data, D3DLOCK_READONLY);
        if (FAILED(hr)) return hr;
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        out.vertices.assign(bytes, bytes + size_t(m_numVertices) * m_stride);
        m_vertices->Unlock();
        hr = m_indices->Lock(0, 0, &data, D3DLOCK_READONLY);
        if (FAILED(hr)) return hr;
        out.indices.resize(size_t(m_numFaces) * 3);
        for (size_t i = 0; i < out.indices.size(); ++i) {
            if (m_options & D3DXMESH_32BIT) {
                std::memcpy(&out.indices[i], static_cast<const uint8_t*>(data) + i * 4, 4);
            } else {
                WORD narrow = 0;
                std::memcpy(&narrow, static_cast<const uint8_t*>(data) + i * 2, 2);
                out.indices[i] = narrow;
            }
        }
        m_indices->Unlock();
        return D3D_OK;
    });
}

HRESULT Mesh::ReplaceContent(const MeshContent& content) {
    if (content.fvf != m_fvf || content.FaceCount() != m_numFaces) return D3DERR_INVALIDCALL;
    const DWORD numVertices = content.VertexCount();
    if (!(m_options & D3DXMESH_32BIT) && numVertices > kMax16BitVertices) return D3DERR_INVALIDCALL;
    IDirect3DVertexBuffer9* vertices = m_vertices;
    if (numVertices != m_numVertices) {
        if (numVertices == 0) return D3DERR_INVALIDCALL;
        vertices = nullptr;
        HRESULT hr = CreateVertexBuffer(numVertices, &vertices);
        if (FAILED(hr)) return hr;
    } else {
        vertices->AddRef();
    }
    HRESULT hr = WriteVertices(vertices, content.vertices);
    if (FAILED(hr)) {
        vertices->Release();
        return hr;
    }
    std::vector<DWORD> attributes;
    hr = GuardAllocation([&]() -> HRESULT {
        attributes = content.attributes;
        return WriteIndices(content.indices);
    });
    if (FAILED(hr)) {
        vertices->Release();
        return hr;
    }
    m_attributes.swap(attributes);
    m_vertices->Release();
    m_vertices = vertices;
    m_numVertices = numVertices;
    return D3D_OK;
}

HRESULT Mesh::QueryInterface(REFIID riid, void** object) { return Answer(riid, object, IID_ID3DXBaseMesh, IID_ID3DXMesh); }

HRESULT Mesh::GetDeclaration(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) {
    return D3DXDeclaratorFromFVF(m_fvf, declaration);
}

HRESULT Mesh::GetDevice(LPDIRECT3DDEVICE9* device) {
    if (!device) return D3DERR_INVALIDCALL;
    m_device->AddRef();
    *device = m_device;
    return D3D_OK;
}

HRESULT Mesh::GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9* vertexBuffer) {
    if (!vertexBuffer) return D3DERR_INVALIDCALL;
    m_vertices->AddRef();
    *vertexBuffer = m_vertices;
    return D3D_OK;
}

HRESULT Mesh::GetIndexBuffer(LPDIRECT3DINDEXBUFFER9* indexBuffer) {
    if (!indexBuffer) return D3DERR_INVALIDCALL;
    m_indices->AddRef();
    *indexBuffer = m_indices;
    return D3D_OK;
}

HRESULT Mesh::LockVertexBuffer(DWORD flags, LPVOID* data) { return m_vertices->Lock(0, 0, data, flags); }
HRESULT Mesh::UnlockVertexBuffer() { return m_vertices->Unlock(); }
HRESULT Mesh::LockIndexBuffer(DWORD flags, LPVOID* data) { return m_indices->Lock(0, 0, data, flags); }
HRESULT Mesh::UnlockIndexBuffer() { return m_indices->Unlock(); }

HRESULT Mesh::LockAttributeBuffer(DWORD, DWORD** data) {
    if (!data) return D3DERR_INVALIDCALL;
    ++m_attributeLocks;
    *data = m_attributes.data();
    return D3D_OK;
}

HRESULT Mesh::UnlockAttributeBuffer() {
    if (m_attributeLocks == 0) return D3DERR_INVALIDCALL;
    --m_attributeLocks;
    return D3D_OK;
}

HRESULT Mesh::GetAttributeTable(D3DXATTRIBUTERANGE* attribTable, DWORD* attribTableSize) {
    if (!attribTableSize) return D3DERR_INVALIDCALL;
    if (attribTable) std::copy(m_table.begin(), m_table.end(), attribTable);
    *attribTableSize = DWORD(m_table.size());
    return D3D_OK;
}

HRESULT Mesh::SetAttributeTable(const D3DXATTRIBUTERANGE* attribTable, DWORD attribTableSize) {
    if (!attribTable && attribTableSize > 0) return D3DERR_INVALIDCALL;
    for (DWORD i = 0; i < attribTableSize; ++i) {
        const D3DXATTRIBUTERANGE& range = attribTable[i];
        if (uint64_t(range.FaceStart) + range.FaceCount > m_numFaces ||
            uint64_t(range.VertexStart) + range.VertexCount > m_numVertices)
            return D3DERR_INVALIDCALL;
    }
    return GuardAllocation([&]() -> HRESULT {
        m_table.assign(attribTable, attribTable + attribTableSize);
        return D3D_OK;
    });
}

HRESULT Mesh::UpdateSemantics(D3DVERTEXELEMENT9*) { return E_NOTIMPL; }

}  // namespace d3dx

HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, LPDIRECT3DDEVICE9 device,
                          LPD3DXMESH* mesh) {
    if (!mesh) return D3DERR_INVALIDCALL;
    d3dx::Mesh* created = nullptr;
    const HRESULT hr = d3dx::Mesh::Create(numFaces, numVertices, options, fvf, device, &created);
    *mesh = created;
    return hr;
}
