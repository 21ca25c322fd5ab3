// A development aid: ".X" meshes from the debug-mesh folder, lit by one
// fixed directional light and turning slowly about the vertical, drawn at a
// scene point the host gives. Meshes are kept per 16-bit id and loaded on
// an id's first draw; a file that fails is not tried again for that id.
// One module-wide set; drawing thread only.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9mesh.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// Under the data root, with its trailing separator.
constexpr const char* kDebugMeshDirectory = "\\debugmesh\\";
constexpr const char* kDebugMeshFile = "Mesh.X";

// One loaded ".X" file. Its textures live in the default pool, so the
// device's reset takes them away and the kept paths bring them back.
struct KDebugMesh {
    KDebugMesh() = default;
    ~KDebugMesh();
    KDebugMesh(const KDebugMesh&) = delete;
    KDebugMesh& operator=(const KDebugMesh&) = delete;

    void LoadTextures(IDirect3DDevice9* device);
    void ReleaseTextures();

    ID3DXMesh* mesh = nullptr;
    std::vector<D3DMATERIAL9> materials;
    std::vector<IDirect3DTexture9*> textures;  // null where none loaded
    std::vector<std::string> texturePaths;
    DWORD materialCount = 0;
    std::vector<D3DXATTRIBUTERANGE> attributes;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    D3DFORMAT textureFormat = D3DFMT_A8R8G8B8;
};

// The meshes of one id; an entry is null when its file did not load.
using KDebugMeshList = std::vector<std::unique_ptr<KDebugMesh>>;

class KDebugMeshSet {
public:
    void SetDevice(IDirect3DDevice9* device) { m_device = device; }
    IDirect3DDevice9* Device() const { return m_device; }

    void DrawDebugMeshes(WORD id, int x, int y);
    KDebugMeshList* GetOrLoadDebugMeshes(WORD id);
    std::unique_ptr<KDebugMeshList> LoadDebugMesh(WORD id);
    // Null when the mesh, its attribute table or its declaration cannot be
    // had; a texture that does not load stays null.
    std::unique_ptr<KDebugMesh> LoadMeshFile(const char* directory, const char* file, D3DFORMAT format);
    // 0, or E_FAIL when the mesh's buffers cannot be had or a draw fails.
    HRESULT DrawMesh(KDebugMesh* record, int x, int y, IDirect3DVertexDeclaration9* declaration,
                     IDirect3DVertexShader9* shader);

    // Default-pool textures go before a device reset and come back after.
    void InvalidateDeviceObjects();
    void RestoreDeviceObjects();

    // Every list freed: the meshes, declarations and textures belong to the
    // device that is going. An id drawn later loads again.
    void DeleteDeviceObjects();

    size_t ListCount() const { return m_meshes.size(); }
    // Every list freed and the device forgotten.
    void ResetForTests();

private:
    void SetUpLight();

    std::map<WORD, std::unique_ptr<KDebugMeshList>> m_meshes;
    IDirect3DDevice9* m_device = nullptr;
    D3DLIGHT9 m_light{};
};

KDebugMeshSet& DebugMeshSet();

// The turn of every debug mesh, advanced by each mesh drawn.
extern float g_DebugMeshAngle;
