// Setting a skinned mesh up: the bones handed to D3DX, the mode chosen once
// from the device wrapper's caps, and the source mesh converted into bone
// combinations. The conversion stamp stays set while a conversion has not
// succeeded; the model that holds the mesh rebuilds it after a while.
#include <d3dx9.h>

#include <algorithm>

#include "scene/KMesh.h"
#include "shell/ComRelease.h"
#include "shell/D3DDevice.h"
#include "shell/SkinningShaders.h"

namespace {

constexpr DWORD kSkinConversionOptions = D3DXMESH_MANAGED | D3DXMESHOPT_VERTEXCACHE;  // 0x4000220
constexpr DWORD kLeastShaderConstants = 41;  // c0 to c4 and a palette of twelve bones
constexpr DWORD kLeastBlendMatrixIndex = 12;
constexpr DWORD kSkinEmptyBoneSlot = 0xFFFFFFFF;

}  // namespace

KSkinningChoice ChooseSkinning(const D3DCAPS9& caps, DWORD bones) {
    KSkinningChoice choice{0, 0};
    if (caps.VertexShaderVersion >= D3DVS_VERSION(1, 1) && caps.MaxVertexShaderConst >= kLeastShaderConstants)
        choice = {2, std::min((caps.MaxVertexShaderConst - DWORD(kBonePaletteFirstRegister)) / DWORD(kRegistersPerBone), bones)};
    else if (caps.MaxVertexBlendMatrixIndex >= kLeastBlendMatrixIndex)
        choice = {1, std::min(caps.MaxVertexBlendMatrixIndex + 1, bones)};
    if (choice.paletteSize < 2) choice = {0, 0};
    return choice;
}

// A skeleton without bones moves nothing: the plain path draws the mesh.
HRESULT KMesh::SetupSkinning() {
    if (boneCount == 0) return 0;
    ReleaseAndNull(skinInfo);
    if (FAILED(D3DXCreateSkinInfoFVF(sourceMesh->GetNumVertices(), sourceMesh->GetFVF(), boneCount, &skinInfo)))
        return E_FAIL;
    for (DWORD b = 0; b < boneCount; ++b) {
        const KMeshBone& bone = bones[b];
        const HRESULT hr =
            skinInfo->SetBoneInfluence(b, bone.influenceCount, bone.vertexIndices.data(), bone.weights.data());
        if (FAILED(hr)) return hr;
        skinInfo->SetBoneName(b, bone.name);
        skinInfo->SetBoneOffsetMatrix(b, &bone.offsetMatrix);
    }
    paletteMatrices.assign(boneCount, D3DXMATRIX{});
    const KSkinningChoice choice = ChooseSkinning(g_D3DDevice.GetCaps(), boneCount);
    skinningMode = choice.mode;
    paletteSize = choice.paletteSize;
    if (skinningMode == 0)
        ConvertBlended();
    else
        ConvertIndexed();
    return 0;
}

// The adjacency of the source mesh in a new buffer; nothing is kept on
// failure.
HRESULT KMesh::AdjacencyOfSource(ID3DXBuffer** adjacency) {
    *adjacency = nullptr;
    HRESULT hr = D3DXCreateBuffer(sourceMesh->GetNumFaces() * 3 * sizeof(DWORD), adjacency);
    if (FAILED(hr)) return hr;
    hr = sourceMesh->GenerateAdjacency(0.0f, static_cast<DWORD*>((*adjacency)->GetBufferPointer()));
    if (FAILED(hr)) ReleaseAndNull(*adjacency);
    return hr;
}

HRESULT KMesh::ConvertIndexed() {
    conversionStamp = GetTickCount();
    ID3DXBuffer* adjacency = nullptr;
    HRESULT hr = AdjacencyOfSource(&adjacency);
    if (FAILED(hr)) return hr;
    ReleaseAndNull(skinnedMesh);
    ReleaseAndNull(combinationTable);
    hr = skinInfo->ConvertToIndexedBlendedMesh(sourceMesh, kSkinConversionOptions, paletteSize,
                                               static_cast<const DWORD*>(adjacency->GetBufferPointer()), nullptr,
                                               nullptr, nullptr, &maxInfluences, &combinationCount,
                                               &combinationTable, &skinnedMesh);
    adjacency->Release();
    if (FAILED(hr)) return hr;
    conversionStamp = 0;
    if (skinningMode == 2) return MakeShaderDeclaration();
    return 0;
}

// The shaders read the four index bytes as a colour and scale them with
// c0.w; the vertices stay as they are.
HRESULT KMesh::MakeShaderDeclaration() {
    DWORD fvf = skinnedMesh->GetFVF();
    if (fvf & D3DFVF_LASTBETA_UBYTE4) fvf = (fvf & ~DWORD(D3DFVF_LASTBETA_UBYTE4)) | D3DFVF_LASTBETA_D3DCOLOR;
    D3DVERTEXELEMENT9 elements[MAX_FVF_DECL_SIZE];
    HRESULT hr = D3DXDeclaratorFromFVF(fvf, elements);
    if (FAILED(hr)) return hr;
    ReleaseAndNull(declaration);
    return device->CreateVertexDeclaration(elements, &declaration);
}

HRESULT KMesh::ConvertBlended() {
    conversionStamp = GetTickCount();
    ID3DXBuffer* adjacency = nullptr;
    HRESULT hr = AdjacencyOfSource(&adjacency);
    if (FAILED(hr)) return hr;
    ReleaseAndNull(skinnedMesh);
    ReleaseAndNull(combinationTable);
    hr = skinInfo->ConvertToBlendedMesh(sourceMesh, kSkinConversionOptions,
                                        static_cast<const DWORD*>(adjacency->GetBufferPointer()), nullptr, nullptr,
                                        nullptr, &maxInfluences, &combinationCount, &combinationTable, &skinnedMesh);
    adjacency->Release();
    if (FAILED(hr)) return hr;
    firstSoftwareCombination = FirstSoftwareCombination(g_D3DDevice.GetCaps().MaxVertexBlendMatrices);
    if (firstSoftwareCombination < combinationCount) {
        ID3DXMesh* clone = nullptr;
        hr = skinnedMesh->CloneMeshFVF(skinnedMesh->GetOptions() | D3DXMESH_SOFTWAREPROCESSING, skinnedMesh->GetFVF(),
                                       device, &clone);
        // The unclonable mesh goes too: it cannot draw the software pass.
        ReleaseAndNull(skinnedMesh);
        if (FAILED(hr)) return hr;
        skinnedMesh = clone;
    }
    conversionStamp = 0;
    return 0;
}

// The first combination that blends more matrices than the hardware does;
// the combination count when none does.
DWORD KMesh::FirstSoftwareCombination(DWORD maxBlendMatrices) const {
    const D3DXBONECOMBINATION* table = Combinations();
    for (DWORD i = 0; i < combinationCount; ++i) {
        DWORD used = 0;
        for (DWORD k = 0; k < maxInfluences; ++k)
            if (table[i].BoneId[k] != kSkinEmptyBoneSlot) ++used;
        if (used > maxBlendMatrices) return i;
    }
    return combinationCount;
}

const D3DXBONECOMBINATION* KMesh::Combinations() const {
    return combinationTable ? static_cast<const D3DXBONECOMBINATION*>(combinationTable->GetBufferPointer()) : nullptr;
}
