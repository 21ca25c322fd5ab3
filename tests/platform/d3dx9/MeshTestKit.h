// Meshes filled from vectors and read back, attribute tables compared as
// values, and small screen targets for the mesh tests.
#pragma once

#include <cstring>
#include <memory>
#include <ostream>
#include <vector>

#include "DeviceFixture.h"
#include "d3d9/Control.h"

struct ReleaseObject {
    void operator()(IUnknown* object) const {
        if (object) object->Release();
    }
};
template <class T>
using Held = std::unique_ptr<T, ReleaseObject>;

inline bool operator==(const D3DXATTRIBUTERANGE& a, const D3DXATTRIBUTERANGE& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}
inline void PrintTo(const D3DXATTRIBUTERANGE& r, std::ostream* os) {
    *os << "{attr " << r.AttribId << ", faces " << r.FaceStart << "+" << r.FaceCount << ", vertices "
        << r.VertexStart << "+" << r.VertexCount << "}";
}

struct ScreenVertex {  // D3DFVF_XYZRHW | D3DFVF_DIFFUSE
    float x, y, z, rhw;
    D3DCOLOR color;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

template <class Vertex>
Held<ID3DXMesh> MakeMesh(IDirect3DDevice9* device, DWORD fvf, const std::vector<Vertex>& vertices,
                         const std::vector<uint32_t>& indices, const std::vector<DWORD>& attributes,
                         DWORD options = D3DXMESH_MANAGED) {
    ID3DXMesh* mesh = nullptr;
    EXPECT_EQ(D3DXCreateMeshFVF(DWORD(attributes.size()), DWORD(vertices.size()), options, fvf, device, &mesh), D3D_OK);
    if (!mesh) return nullptr;
    EXPECT_EQ(mesh->GetNumBytesPerVertex(), sizeof(Vertex));
    void* data = nullptr;
    EXPECT_EQ(mesh->LockVertexBuffer(0, &data), D3D_OK);
    std::memcpy(data, vertices.data(), vertices.size() * sizeof(Vertex));
    mesh->UnlockVertexBuffer();
    EXPECT_EQ(mesh->LockIndexBuffer(0, &data), D3D_OK);
    for (size_t i = 0; i < indices.size(); ++i) {
        if (options & D3DXMESH_32BIT) {
            static_cast<uint32_t*>(data)[i] = indices[i];
        } else {
            static_cast<uint16_t*>(data)[i] = uint16_t(indices[i]);
        }
    }
    mesh->UnlockIndexBuffer();
    DWORD* ids = nullptr;
    EXPECT_EQ(mesh->LockAttributeBuffer(0, &ids), D3D_OK);
    std::copy(attributes.begin(), attributes.end(), ids);
    mesh->UnlockAttributeBuffer();
    return Held<ID3DXMesh>(mesh);
}

template <class Vertex>
std::vector<Vertex> ReadVertices(ID3DXMesh* mesh) {
    std::vector<Vertex> out(mesh->GetNumVertices());
    EXPECT_EQ(mesh->GetNumBytesPerVertex(), sizeof(Vertex));
    void* data = nullptr;
    EXPECT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
    std::memcpy(out.data(), data, out.size() * sizeof(Vertex));
    mesh->UnlockVertexBuffer();
    return out;
}

inline std::vector<uint32_t> ReadIndices(ID3DXMesh* mesh) {
    std::vector<uint32_t> out(size_t(mesh->GetNumFaces()) * 3);
    void* data = nullptr;
    EXPECT_EQ(mesh->LockIndexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = (mesh->GetOptions() & D3DXMESH_32BIT) ? static_cast<uint32_t*>(data)[i]
                                                       : static_cast<uint16_t*>(data)[i];
    mesh->UnlockIndexBuffer();
    return out;
}

inline std::vector<DWORD> ReadAttributes(ID3DXMesh* mesh) {
    DWORD* ids = nullptr;
    EXPECT_EQ(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &ids), D3D_OK);
    std::vector<DWORD> out(ids, ids + mesh->GetNumFaces());
    mesh->UnlockAttributeBuffer();
    return out;
}

inline std::vector<D3DXATTRIBUTERANGE> ReadTable(ID3DXMesh* mesh) {
    DWORD count = 0;
    EXPECT_EQ(mesh->GetAttributeTable(nullptr, &count), D3D_OK);
    std::vector<D3DXATTRIBUTERANGE> table(count);
    EXPECT_EQ(mesh->GetAttributeTable(table.data(), &count), D3D_OK);
    return table;
}

class MeshDeviceTest : public D3dxDeviceTest {
protected:
    void SetUp() override {
        D3dxDeviceTest::SetUp();
        CreateDevice();
    }

    // Cleared to opaque black, in a scene, with culling off.
    void BeginFrame() {
        ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
        ASSERT_EQ(m_device->BeginScene(), D3D_OK);
        m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        m_device->SetRenderState(D3DRS_LIGHTING, FALSE);
    }

    lumiva::d3d9::Image EndFrame() {
        m_device->EndScene();
        IDirect3DSurface9* back = nullptr;
        EXPECT_EQ(m_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(back);
        back->Release();
        return image;
    }

    // Unbinds what draws bound, so the device can go at the end.
    void TearDown() override {
        if (m_device) {
            m_device->SetStreamSource(0, nullptr, 0, 0);
            m_device->SetIndices(nullptr);
            for (DWORD s = 0; s < 8; ++s) m_device->SetTexture(s, nullptr);
            m_device->SetVertexDeclaration(nullptr);
        }
        D3dxDeviceTest::TearDown();
    }
};

// Rows of '#' where the pixel differs from background, '.' where not.
inline std::vector<std::string> Mask(const lumiva::d3d9::Image& image, D3DCOLOR background) {
    std::vector<std::string> rows;
    for (UINT y = 0; y < image.height; ++y) {
        std::string row;
        for (UINT x = 0; x < image.width; ++x) row += (image.At(x, y) & 0xFFFFFF) == (background & 0xFFFFFF) ? '.' : '#';
        rows.push_back(row);
    }
    return rows;
}
