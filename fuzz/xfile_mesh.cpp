// Text .X files through D3DXLoadMeshFromX and the pak layer. A loaded mesh
// must keep its promises (faces inside the vertices, attributes inside the
// materials, adjacency inside the faces) and sort by attribute as the debug
// meshes sort it.
#include <cstdlib>

#include "XFileWriter.h"
#include "d3dx9.h"
#include "support/FuzzDevice.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

namespace {

void Check(bool promise) {
    if (!promise) std::abort();
}

XFileScene Panels() {
    XFileMesh panels = XFileSquare(0, 0, 16, 16, 0.5f);
    panels.faces.push_back({1, 2, 3, 0});
    panels.normalFaces.push_back({0, 0, 0, 0});
    XFileMaterial red;
    red.diffuse = {1, 0, 0, 1};
    red.texture = "red.png";
    XFileMaterial shared;
    shared.name = "Shared";
    shared.byReference = true;
    panels.materials = {red, shared};
    panels.faceMaterials = {0, 1};
    XFileFrame inner{"Inner", std::array<float, 16>{0, 2, 0, 0, -2, 0, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1}, {panels}, {}};
    XFileFrame root{"Root", std::array<float, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 16, 8, 0, 1}, {}, {inner}};
    XFileScene scene;
    scene.withHeader = true;
    scene.frames = {root};
    return scene;
}

XFileScene SplitNormals() {
    XFileMesh square;
    square.positions = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}, {2, 1, 0}};
    square.faces = {{0, 1, 2}, {0, 2, 3, 4}};
    square.normals = {{0, 0, -1}, {1, 0, 0}};
    square.normalFaces = {{0, 0, 0}, {1, 1, 1, 0}};
    square.texcoords = {{0, 0}, {0, 1}, {1, 1}, {1, 0}, {2, 1}};
    XFileScene scene;
    scene.meshes = {square, XFileSquare(4, 4, 5, 5, 1)};
    return scene;
}

void CheckMesh(ID3DXMesh* mesh, ID3DXBuffer* adjacency, ID3DXBuffer* materials, DWORD materialCount) {
    const DWORD faces = mesh->GetNumFaces(), vertices = mesh->GetNumVertices();
    Check(materialCount >= 1 && materials->GetBufferSize() >= materialCount * sizeof(D3DXMATERIAL));
    Check(adjacency->GetBufferSize() == faces * 3 * sizeof(DWORD));
    const DWORD* neighbours = static_cast<const DWORD*>(adjacency->GetBufferPointer());
    for (DWORD i = 0; i < faces * 3; ++i) Check(neighbours[i] == 0xFFFFFFFF || neighbours[i] < faces);
    DWORD* attributes = nullptr;
    Check(SUCCEEDED(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes)));
    for (DWORD f = 0; f < faces; ++f) Check(attributes[f] < materialCount);
    mesh->UnlockAttributeBuffer();
    void* indices = nullptr;
    Check(SUCCEEDED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &indices)));
    for (DWORD i = 0; i < faces * 3; ++i) {
        const DWORD index = (mesh->GetOptions() & D3DXMESH_32BIT) ? static_cast<const DWORD*>(indices)[i]
                                                                  : static_cast<const WORD*>(indices)[i];
        Check(index < vertices);
    }
    mesh->UnlockIndexBuffer();
    Check(SUCCEEDED(mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT,
                                          static_cast<const DWORD*>(adjacency->GetBufferPointer()), nullptr, nullptr,
                                          nullptr)));
    DWORD ranges = 0;
    Check(SUCCEEDED(mesh->GetAttributeTable(nullptr, &ranges)) && ranges >= 1 && ranges <= materialCount);
}

}  // namespace

LUMIVA_FUZZ_SEEDS(xfile_mesh) {
    const std::string panels = WriteXFileText(Panels());
    return {
        {"panels", Text(panels)},
        {"split-normals", Text(WriteXFileText(SplitNormals()))},
        {"cut", Truncated(Text(panels), panels.size() / 2)},
    };
}

LUMIVA_FUZZ_TARGET(xfile_mesh, data, size) {
    ServeFile("\\fuzz\\mesh.x", data, size);
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* adjacency = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD materialCount = 0;
    if (FAILED(D3DXLoadMeshFromXA("\\fuzz\\mesh.x", D3DXMESH_MANAGED, FuzzDevice(), &adjacency, &materials, nullptr,
                                  &materialCount, &mesh))) {
        Check(!mesh && !adjacency && !materials);
        return;
    }
    CheckMesh(mesh, adjacency, materials, materialCount);
    adjacency->Release();
    materials->Release();
    mesh->Release();
}
