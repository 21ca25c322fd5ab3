// The mesh object's life: construction, the device, bone lookup, the
// shadow texture name, and freeing what loading and building made.
#include <d3dx9.h>

#include <cmath>

#include "scene/KMesh.h"
#include "shell/ComRelease.h"

KMesh::KMesh() {
    for (int32_t& entry : dummyBones) entry = -1;
}

KMesh::~KMesh() { Clear(); }

HRESULT KMesh::Stub3() { return 0; }

HRESULT KMesh::SetDevice(IDirect3DDevice9* newDevice) {
    if (!newDevice) return 1;
    device = newDevice;
    return 0;
}

int KMesh::FindBoneIndex(const char* name) const {
    if (!name || !name[0] || boneCount == 0) return -1;
    const auto found = boneMap.find(name);
    return found == boneMap.end() ? -1 : found->second;
}

HRESULT KMesh::SetShadowTextureName(const char* name) {
    if (!name) return E_FAIL;
    shadowQuad.textureName = name;
    return 0;
}

void KMesh::FreeFileArrays() {
    for (auto* words : {&colours, &faces, &faceAttributes}) std::vector<DWORD>().swap(*words);
    for (auto* reals : {&positions, &normals, &textureSets[0], &textureSets[1], &textureSets[2]})
        std::vector<float>().swap(*reals);
}

// The maps, the skeleton flag and the dummy table go too: a mesh loaded
// again must not find the bones and dummies of its last file.
void KMesh::Clear() {
    bones.clear();
    dummies.clear();
    boneCount = dummyCount = 0;
    boneMap.clear();
    dummyMap.clear();
    for (int32_t& entry : dummyBones) entry = -1;
    flags &= ~kMeshHasSkeleton;
    paletteMatrices.clear();
    ReleaseAndNull(combinationTable);
    keptPositions.clear();
    ReleaseMeshObjects();
    FreeFileArrays();
    ReleaseAndNull(declaration);
}

void KMesh::UpdateDummy(int dummy, int bone) {
    const D3DXMATRIX& current = bones[size_t(bone)].currentMatrix;
    // A row of length 0 or no finite length leaves its axis unscaled.
    auto unscaleOf = [&current](int r) {
        const float* row = current.m[r];
        const float length = std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]);
        if (!(length > 0.0f) || !std::isfinite(length)) return 1.0f;
        const float inverse = 1.0f / length;
        return std::isfinite(inverse) ? inverse : 1.0f;
    };
    D3DXMATRIX unscale, boneFrame;
    D3DXMatrixScaling(&unscale, unscaleOf(0), unscaleOf(1), unscaleOf(2));
    D3DXMatrixMultiply(&boneFrame, &unscale, &current);
    KMeshDummy& d = dummies[size_t(dummy)];
    D3DXMatrixMultiply(&d.worldMatrix, &d.localMatrix, &boneFrame);
}
