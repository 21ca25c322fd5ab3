// Loading one debug mesh record from its ".X" file and its textures.
#include <d3dx9tex.h>

#include <cstring>

#include "effects/KDebugMeshSet.h"
#include "shell/ComRelease.h"

KDebugMesh::~KDebugMesh() {
    ReleaseTextures();
    ReleaseAndNull(declaration);
    ReleaseAndNull(mesh);
}

void KDebugMesh::ReleaseTextures() {
    for (IDirect3DTexture9*& texture : textures) ReleaseAndNull(texture);
}

void KDebugMesh::LoadTextures(IDirect3DDevice9* device) {
    textures.resize(texturePaths.size(), nullptr);
    for (size_t i = 0; i < texturePaths.size(); ++i) {
        ReleaseAndNull(textures[i]);
        if (FAILED(D3DXCreateTextureFromFileExA(device, texturePaths[i].c_str(), D3DX_DEFAULT, D3DX_DEFAULT,
                                                D3DX_DEFAULT, 0, textureFormat, D3DPOOL_DEFAULT, D3DX_FILTER_LINEAR,
                                                D3DX_FILTER_LINEAR, 0, nullptr, nullptr, &textures[i])))
            textures[i] = nullptr;
    }
}

namespace {

// The materials the loader handed over, each lit by its own diffuse colour
// as ambient, with the path of its texture (the folder alone for none).
void TakeMaterials(KDebugMesh& record, ID3DXBuffer* buffer, DWORD count, const std::string& directory) {
    record.materialCount = count;
    const size_t room = buffer ? buffer->GetBufferSize() / sizeof(D3DXMATERIAL) : 0;
    for (DWORD i = 0; i < count && i < room; ++i) {
        D3DXMATERIAL material;
        std::memcpy(&material, static_cast<const BYTE*>(buffer->GetBufferPointer()) + i * sizeof material,
                    sizeof material);
        D3DMATERIAL9 own = material.MatD3D;
        own.Ambient = own.Diffuse;
        record.materials.push_back(own);
        record.texturePaths.push_back(directory + (material.pTextureFilename ? material.pTextureFilename : ""));
    }
    record.materialCount = DWORD(record.materials.size());
}

bool ReadAttributeTable(KDebugMesh& record) {
    DWORD count = 0;
    if (FAILED(record.mesh->GetAttributeTable(nullptr, &count))) return false;
    record.attributes.resize(count);
    return SUCCEEDED(record.mesh->GetAttributeTable(record.attributes.data(), &count)) &&
           count == record.attributes.size();
}

bool MakeDeclaration(KDebugMesh& record, IDirect3DDevice9* device) {
    D3DVERTEXELEMENT9 elements[MAX_FVF_DECL_SIZE];
    return SUCCEEDED(D3DXDeclaratorFromFVF(record.mesh->GetFVF(), elements)) &&
           SUCCEEDED(device->CreateVertexDeclaration(elements, &record.declaration));
}

}  // namespace

std::unique_ptr<KDebugMesh> KDebugMeshSet::LoadMeshFile(const char* directory, const char* file, D3DFORMAT format) {
    if (!m_device || !directory || !file) return nullptr;
    const std::string folder = directory;
    const std::string path = folder + file;
    auto record = std::make_unique<KDebugMesh>();
    record->textureFormat = format;
    ID3DXBuffer* adjacency = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD materialCount = 0;
    if (FAILED(D3DXLoadMeshFromXA(path.c_str(), D3DXMESH_MANAGED, m_device, &adjacency, &materials, nullptr,
                                  &materialCount, &record->mesh)) ||
        !adjacency) {
        if (adjacency) adjacency->Release();
        if (materials) materials->Release();
        return nullptr;
    }
    const HRESULT optimized = record->mesh->OptimizeInplace(
        D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT, static_cast<const DWORD*>(adjacency->GetBufferPointer()),
        nullptr, nullptr, nullptr);
    adjacency->Release();
    if (FAILED(optimized) || !ReadAttributeTable(*record)) {
        if (materials) materials->Release();
        return nullptr;
    }
    TakeMaterials(*record, materials, materialCount, folder);
    if (materials) materials->Release();
    record->LoadTextures(m_device);
    if (!MakeDeclaration(*record, m_device)) return nullptr;
    return record;
}
