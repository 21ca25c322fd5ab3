// D3DXLoadMeshFromX: the meshes of a text .X file merged into one mesh.
// Polygons become fans of triangles from their first corner; a vertex whose
// corners name different normals is split, the first normal keeping the
// vertex's number and each other one getting a copy at the end of its
// mesh's vertices. The result has positions, normals when any mesh has them
// and one texture set when any mesh has coordinates (zero where a mesh has
// none). A mesh without a material list gets one white material. Meshes of
// more than 65535 vertices get 32-bit indices.
#include <climits>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "../../include/lumiva/basrel/DebugLog.h"
#include "../../include/lumiva/basrel/KPakFile.h"
#include "AllocationGuard.h"
#include "MeshObject.h"
#include "XFileParse.h"

namespace d3dx {
namespace {

constexpr uint32_t kMaxFileBytes = 64u << 20;
constexpr DWORD kNone = 0xFFFFFFFF;

struct MergedMesh {
    MeshContent content;
    std::vector<XMaterial> materials;
};

XMaterial DefaultMaterial() {
    XMaterial white;
    white.material.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    return white;
}

class MeshMerger {
public:
    explicit MeshMerger(const XScene& scene) : m_scene(scene) {
        for (const XMeshData& mesh : scene.meshes) {
            m_normals = m_normals || mesh.hasNormals;
            m_texcoords = m_texcoords || mesh.hasTexcoords;
        }
        m_out.content.fvf = D3DFVF_XYZ | (m_normals ? D3DFVF_NORMAL : 0) | (m_texcoords ? D3DFVF_TEX1 : 0);
        m_out.content.stride = D3DXGetFVFVertexSize(m_out.content.fvf);
    }

    // Empty on success, else why the meshes do not fit one mesh.
    std::string Merge() {
        for (const XMeshData& mesh : m_scene.meshes) {
            const DWORD firstVertex = m_out.content.VertexCount();
            const DWORD firstMaterial = DWORD(m_out.materials.size());
            const std::vector<DWORD> corners = CornerVertices(mesh, firstVertex);
            AddTriangles(mesh, corners, firstMaterial);
            if (mesh.hasMaterials)
                m_out.materials.insert(m_out.materials.end(), mesh.materials.begin(), mesh.materials.end());
            else
                m_out.materials.push_back(DefaultMaterial());
            if (uint64_t(m_out.content.VertexCount()) * m_out.content.stride > INT_MAX ||
                uint64_t(m_out.content.FaceCount()) * 3 * 4 > INT_MAX)
                return "too many vertices or faces for one mesh";
        }
        return {};
    }

    MergedMesh& Result() { return m_out; }

private:
    // The mesh's vertices (split by normal) appended to the output; the
    // output vertex of each corner.
    std::vector<DWORD> CornerVertices(const XMeshData& mesh, DWORD firstVertex) {
        std::vector<DWORD> corners(mesh.faceIndices.size());
        std::vector<DWORD> normalOf(mesh.positions.size(), kNone);
        std::unordered_map<uint64_t, DWORD> copies;  // position << 32 | normal -> output vertex
        std::vector<std::pair<DWORD, DWORD>> extra;  // position, normal of each copy
        for (size_t c = 0; c < corners.size(); ++c) {
            const DWORD position = mesh.faceIndices[c];
            corners[c] = firstVertex + position;
            if (!mesh.hasNormals) continue;
            const DWORD normal = mesh.normalIndices[c];
            if (normalOf[position] == kNone) normalOf[position] = normal;
            if (normalOf[position] == normal) continue;
            const uint64_t key = (uint64_t(position) << 32) | normal;
            auto [found, added] =
                copies.try_emplace(key, firstVertex + DWORD(mesh.positions.size() + extra.size()));
            if (added) extra.emplace_back(position, normal);
            corners[c] = found->second;
        }
        for (DWORD p = 0; p < mesh.positions.size(); ++p) AddVertex(mesh, p, normalOf[p]);
        for (const auto& [position, normal] : extra) AddVertex(mesh, position, normal);
        return corners;
    }

    void AddVertex(const XMeshData& mesh, DWORD position, DWORD normal) {
        float values[8] = {};
        D3DXVECTOR3 place;
        D3DXVec3TransformCoord(&place, &mesh.positions[position], &mesh.transform);
        values[0] = place.x;
        values[1] = place.y;
        values[2] = place.z;
        size_t count = 3;
        if (m_normals) {
            if (mesh.hasNormals && normal != kNone) {
                const D3DXVECTOR3 turned = TurnNormal(mesh.normals[normal], mesh.transform);
                values[3] = turned.x;
                values[4] = turned.y;
                values[5] = turned.z;
            }
            count += 3;
        }
        if (m_texcoords) {
            if (mesh.hasTexcoords) {
                values[count] = mesh.texcoords[position].x;
                values[count + 1] = mesh.texcoords[position].y;
            }
            count += 2;
        }
        const auto* bytes = reinterpret_cast<const uint8_t*>(values);
        m_out.content.vertices.insert(m_out.content.vertices.end(), bytes, bytes + count * sizeof(float));
    }

    // Normals follow the inverse transpose of the frames' matrix, kept unit.
    static D3DXVECTOR3 TurnNormal(const D3DXVECTOR3& normal, const D3DXMATRIX& transform) {
        if (D3DXMatrixIsIdentity(&transform)) return normal;
        D3DXMATRIX inverse, inverseTranspose;
        if (!D3DXMatrixInverse(&inverse, nullptr, &transform)) return normal;
        D3DXMatrixTranspose(&inverseTranspose, &inverse);
        D3DXVECTOR3 turned, unit;
        D3DXVec3TransformNormal(&turned, &normal, &inverseTranspose);
        return D3DXVec3Length(&turned) > 0.0f ? *D3DXVec3Normalize(&unit, &turned) : turned;
    }

    void AddTriangles(const XMeshData& mesh, const std::vector<DWORD>& corners, DWORD firstMaterial) {
        size_t first = 0;
        for (size_t f = 0; f < mesh.faceSizes.size(); ++f) {
            const DWORD attribute = firstMaterial + (mesh.hasMaterials ? mesh.faceMaterials[f] : 0);
            for (DWORD k = 1; k + 1 < mesh.faceSizes[f]; ++k) {
                m_out.content.indices.push_back(corners[first]);
                m_out.content.indices.push_back(corners[first + k]);
                m_out.content.indices.push_back(corners[first + k + 1]);
                m_out.content.attributes.push_back(attribute);
            }
            first += mesh.faceSizes[f];
        }
    }

    const XScene& m_scene;
    bool m_normals = false;
    bool m_texcoords = false;
    MergedMesh m_out;
};

// D3DXMATERIAL records followed by their texture names.
HRESULT MaterialBuffer(const std::vector<XMaterial>& materials, ID3DXBuffer** out) {
    size_t bytes = materials.size() * sizeof(D3DXMATERIAL);
    for (const XMaterial& m : materials) bytes += m.texture.empty() ? 0 : m.texture.size() + 1;
    if (bytes > INT_MAX) return E_OUTOFMEMORY;
    HRESULT hr = D3DXCreateBuffer(DWORD(bytes), out);
    if (FAILED(hr)) return hr;
    auto* records = static_cast<D3DXMATERIAL*>((*out)->GetBufferPointer());
    char* names = reinterpret_cast<char*>(records + materials.size());
    for (size_t i = 0; i < materials.size(); ++i) {
        records[i].MatD3D = materials[i].material;
        records[i].pTextureFilename = nullptr;
        if (materials[i].texture.empty()) continue;
        std::memcpy(names, materials[i].texture.c_str(), materials[i].texture.size() + 1);
        records[i].pTextureFilename = names;
        names += materials[i].texture.size() + 1;
    }
    return D3D_OK;
}

struct LoadOutputs {
    ID3DXBuffer** adjacency;
    ID3DXBuffer** materials;
    ID3DXBuffer** effectInstances;
    DWORD* numMaterials;
    ID3DXMesh** mesh;
};

HRESULT BuildOutputs(MergedMesh& merged, DWORD options, IDirect3DDevice9* device, const LoadOutputs& out) {
    ID3DXBuffer* adjacency = nullptr;
    ID3DXBuffer* materials = nullptr;
    ID3DXBuffer* effects = nullptr;
    Mesh* mesh = nullptr;
    const DWORD count = DWORD(merged.materials.size());
    HRESULT hr = Mesh::CreateFrom(merged.content, options, device, {}, &mesh);
    if (SUCCEEDED(hr) && out.adjacency) hr = D3DXCreateBuffer(mesh->GetNumFaces() * 3 * sizeof(DWORD), &adjacency);
    if (SUCCEEDED(hr) && adjacency) {
        const std::vector<DWORD> reps = PointRepresentatives(merged.content, 0.0f);
        AdjacencyFromRepresentatives(merged.content, reps.data(), static_cast<DWORD*>(adjacency->GetBufferPointer()));
    }
    if (SUCCEEDED(hr) && out.materials) hr = MaterialBuffer(merged.materials, &materials);
    // No effects are read: one empty instance per material.
    if (SUCCEEDED(hr) && out.effectInstances) hr = D3DXCreateBuffer(count * sizeof(D3DXEFFECTINSTANCE), &effects);
    if (FAILED(hr)) {
        for (IUnknown* made : std::initializer_list<IUnknown*>{adjacency, materials, effects, mesh})
            if (made) made->Release();
        return hr;
    }
    if (out.adjacency) *out.adjacency = adjacency;
    if (out.materials) *out.materials = materials;
    if (out.effectInstances) *out.effectInstances = effects;
    if (out.numMaterials) *out.numMaterials = count;
    *out.mesh = mesh;
    return D3D_OK;
}

HRESULT LoadMeshFromText(std::string_view file, const char* name, DWORD options, IDirect3DDevice9* device,
                         const LoadOutputs& out) {
    return GuardAllocation([&]() -> HRESULT {
        XScene scene;
        std::string error = ParseXFile(file, scene);
        MeshMerger merger(scene);
        if (error.empty()) error = merger.Merge();
        if (!error.empty()) {
            g_DebugLog("[D3DX]%s: %s", name, error.c_str());
            return D3DXERR_INVALIDDATA;
        }
        if (merger.Result().content.FaceCount() == 0) {
            g_DebugLog("[D3DX]%s: no faces", name);
            return D3DXERR_LOADEDMESHHASNODATA;
        }
        return BuildOutputs(merger.Result(), options, device, out);
    });
}

HRESULT StartLoad(IDirect3DDevice9* device, const LoadOutputs& out) {
    for (ID3DXBuffer** buffer : {out.adjacency, out.materials, out.effectInstances})
        if (buffer) *buffer = nullptr;
    if (!out.mesh) return D3DERR_INVALIDCALL;
    *out.mesh = nullptr;
    return device ? D3D_OK : D3DERR_INVALIDCALL;
}

}  // namespace
}  // namespace d3dx

HRESULT D3DXLoadMeshFromXInMemory(LPCVOID memory, DWORD sizeOfMemory, DWORD options, LPDIRECT3DDEVICE9 device,
                                  LPD3DXBUFFER* adjacency, LPD3DXBUFFER* materials, LPD3DXBUFFER* effectInstances,
                                  DWORD* numMaterials, LPD3DXMESH* mesh) {
    const d3dx::LoadOutputs out{adjacency, materials, effectInstances, numMaterials, mesh};
    HRESULT hr = d3dx::StartLoad(device, out);
    if (SUCCEEDED(hr) && !memory) hr = D3DERR_INVALIDCALL;
    if (FAILED(hr)) return hr;
    const std::string_view file(static_cast<const char*>(memory), sizeOfMemory);
    return d3dx::LoadMeshFromText(file, "memory", options, device, out);
}

HRESULT D3DXLoadMeshFromXA(LPCSTR filename, DWORD options, LPDIRECT3DDEVICE9 device, LPD3DXBUFFER* adjacency,
                           LPD3DXBUFFER* materials, LPD3DXBUFFER* effectInstances, DWORD* numMaterials,
                           LPD3DXMESH* mesh) {
    const d3dx::LoadOutputs out{adjacency, materials, effectInstances, numMaterials, mesh};
    HRESULT hr = d3dx::StartLoad(device, out);
    if (SUCCEEDED(hr) && !filename) hr = D3DERR_INVALIDCALL;
    if (FAILED(hr)) return hr;
    std::vector<uint8_t> bytes;
    hr = d3dx::GuardAllocation([&]() -> HRESULT {
        KPakFile file;
        if (!file.Open(filename)) return D3DERR_NOTFOUND;
        if (file.Size() > d3dx::kMaxFileBytes) return D3DXERR_INVALIDDATA;
        bytes.resize(file.Size());
        if (file.Read(bytes.data(), file.Size()) != bytes.size()) return D3DXERR_INVALIDDATA;
        return D3D_OK;
    });
    // The pak layer logs a file it cannot open.
    if (hr == D3DXERR_INVALIDDATA) g_DebugLog("[D3DX]%s: larger than 64 MiB or read short", filename);
    if (FAILED(hr)) return hr;
    const std::string_view file(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return d3dx::LoadMeshFromText(file, filename, options, device, out);
}
