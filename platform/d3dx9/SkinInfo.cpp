#include "SkinInfo.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "AllocationGuard.h"
#include "VertexFormat.h"

namespace d3dx {
namespace {

constexpr size_t kBlendLimit = 4;

// One entry per bone (repeats summed), above zero and at least the minimum,
// largest first (ties: the lower bone first).
InfluenceList Merged(InfluenceList influences, float minInfluence) {
    std::sort(influences.begin(), influences.end(), [](const Influence& a, const Influence& b) { return a.bone < b.bone; });
    InfluenceList merged;
    for (const Influence& influence : influences) {
        if (!merged.empty() && merged.back().bone == influence.bone)
            merged.back().weight += influence.weight;
        else
            merged.push_back(influence);
    }
    std::erase_if(merged, [&](const Influence& i) { return !(i.weight > 0.0f) || i.weight < minInfluence; });
    std::stable_sort(merged.begin(), merged.end(),
                     [](const Influence& a, const Influence& b) { return a.weight > b.weight; });
    return merged;
}

bool IsFinite(float value) { return std::isfinite(value); }

}  // namespace

InfluenceList BlendInfluences(InfluenceList influences, float minInfluence) {
    InfluenceList kept = Merged(std::move(influences), minInfluence);
    if (kept.size() > kBlendLimit) kept.resize(kBlendLimit);
    float sum = 0.0f;
    for (const Influence& influence : kept) sum += influence.weight;
    for (Influence& influence : kept) influence.weight /= sum;
    return kept;
}

SkinInfo::SkinInfo(DWORD numVertices, DWORD fvf, DWORD numBones)
    : m_numVertices(numVertices), m_fvf(fvf), m_bones(numBones) {
    for (Bone& bone : m_bones) D3DXMatrixIdentity(&bone.offset);
}

HRESULT SkinInfo::QueryInterface(REFIID riid, void** object) { return Answer(riid, object, IID_ID3DXSkinInfo); }

std::vector<InfluenceList> SkinInfo::VertexInfluences() const {
    std::vector<InfluenceList> perVertex(m_numVertices);
    for (DWORD b = 0; b < m_bones.size(); ++b) {
        const Bone& bone = m_bones[b];
        for (size_t i = 0; i < bone.vertices.size(); ++i)
            perVertex[bone.vertices[i]].push_back(Influence{b, bone.weights[i]});
    }
    for (InfluenceList& list : perVertex) list = Merged(std::move(list), m_minInfluence);
    return perVertex;
}

std::vector<InfluenceList> SkinInfo::VertexBlendInfluences() const {
    std::vector<InfluenceList> perVertex = VertexInfluences();
    for (InfluenceList& list : perVertex) list = BlendInfluences(std::move(list), m_minInfluence);
    return perVertex;
}

HRESULT SkinInfo::SetBoneInfluence(DWORD bone, DWORD numInfluences, const DWORD* vertices, const FLOAT* weights) {
    Bone* target = FindBone(bone);
    if (!target || (numInfluences > 0 && (!vertices || !weights))) return D3DERR_INVALIDCALL;
    for (DWORD i = 0; i < numInfluences; ++i)
        if (vertices[i] >= m_numVertices || !IsFinite(weights[i])) return D3DERR_INVALIDCALL;
    return GuardAllocation([&]() -> HRESULT {
        target->vertices.assign(vertices, vertices + numInfluences);
        target->weights.assign(weights, weights + numInfluences);
        return D3D_OK;
    });
}

HRESULT SkinInfo::SetBoneVertexInfluence(DWORD boneNum, DWORD influenceNum, float weight) {
    Bone* bone = FindBone(boneNum);
    if (!bone || influenceNum >= bone->weights.size() || !IsFinite(weight)) return D3DERR_INVALIDCALL;
    bone->weights[influenceNum] = weight;
    return D3D_OK;
}

DWORD SkinInfo::GetNumBoneInfluences(DWORD bone) {
    const Bone* found = FindBone(bone);
    return found ? DWORD(found->vertices.size()) : 0;
}

HRESULT SkinInfo::GetBoneInfluence(DWORD bone, DWORD* vertices, FLOAT* weights) {
    const Bone* found = FindBone(bone);
    if (!found || !vertices || !weights) return D3DERR_INVALIDCALL;
    std::copy(found->vertices.begin(), found->vertices.end(), vertices);
    std::copy(found->weights.begin(), found->weights.end(), weights);
    return D3D_OK;
}

HRESULT SkinInfo::GetBoneVertexInfluence(DWORD boneNum, DWORD influenceNum, float* weight, DWORD* vertexNum) {
    const Bone* bone = FindBone(boneNum);
    if (!bone || influenceNum >= bone->weights.size() || !weight || !vertexNum) return D3DERR_INVALIDCALL;
    *weight = bone->weights[influenceNum];
    *vertexNum = bone->vertices[influenceNum];
    return D3D_OK;
}

HRESULT SkinInfo::GetMaxVertexInfluences(DWORD* maxVertexInfluences) {
    if (!maxVertexInfluences) return D3DERR_INVALIDCALL;
    return GuardAllocation([&]() -> HRESULT {
        size_t most = 0;
        for (const InfluenceList& list : VertexInfluences()) most = std::max(most, list.size());
        *maxVertexInfluences = DWORD(most);
        return D3D_OK;
    });
}

HRESULT SkinInfo::FindBoneVertexInfluenceIndex(DWORD boneNum, DWORD vertexNum, DWORD* influenceIndex) {
    const Bone* bone = FindBone(boneNum);
    if (!bone || !influenceIndex) return D3DERR_INVALIDCALL;
    const auto found = std::find(bone->vertices.begin(), bone->vertices.end(), vertexNum);
    if (found == bone->vertices.end()) return D3DERR_NOTFOUND;
    *influenceIndex = DWORD(found - bone->vertices.begin());
    return D3D_OK;
}

HRESULT SkinInfo::GetMaxFaceInfluences(LPDIRECT3DINDEXBUFFER9 indexBuffer, DWORD numFaces, DWORD* maxFaceInfluences) {
    if (!indexBuffer || !maxFaceInfluences) return D3DERR_INVALIDCALL;
    D3DINDEXBUFFER_DESC desc{};
    HRESULT hr = indexBuffer->GetDesc(&desc);
    if (FAILED(hr)) return hr;
    const UINT indexSize = desc.Format == D3DFMT_INDEX32 ? 4 : 2;
    if (uint64_t(numFaces) * 3 * indexSize > desc.Size) return D3DERR_INVALIDCALL;
    void* data = nullptr;
    hr = indexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY);
    if (FAILED(hr)) return hr;
    hr = GuardAllocation([&]() -> HRESULT {
        const std::vector<InfluenceList> perVertex = VertexInfluences();
        size_t most = 0;
        std::vector<DWORD> bones;
        for (DWORD f = 0; f < numFaces; ++f) {
            bones.clear();
            for (DWORD k = 0; k < 3; ++k) {
                uint32_t index = 0;
                std::memcpy(&index, static_cast<const uint8_t*>(data) + (size_t(f) * 3 + k) * indexSize, indexSize);
                if (index >= m_numVertices) return D3DXERR_INVALIDMESH;
                for (const Influence& influence : perVertex[index]) bones.push_back(influence.bone);
            }
            std::sort(bones.begin(), bones.end());
            most = std::max<size_t>(most, std::unique(bones.begin(), bones.end()) - bones.begin());
        }
        *maxFaceInfluences = DWORD(most);
        return D3D_OK;
    });
    indexBuffer->Unlock();
    return hr;
}

HRESULT SkinInfo::SetMinBoneInfluence(FLOAT minInfluence) {
    if (!IsFinite(minInfluence)) return D3DERR_INVALIDCALL;
    m_minInfluence = minInfluence;
    return D3D_OK;
}

HRESULT SkinInfo::SetBoneName(DWORD bone, LPCSTR name) {
    Bone* target = FindBone(bone);
    if (!target || !name) return D3DERR_INVALIDCALL;
    return GuardAllocation([&]() -> HRESULT {
        target->name = name;
        target->named = true;
        return D3D_OK;
    });
}

LPCSTR SkinInfo::GetBoneName(DWORD bone) {
    const Bone* found = FindBone(bone);
    return found && found->named ? found->name.c_str() : nullptr;
}

HRESULT SkinInfo::SetBoneOffsetMatrix(DWORD bone, const D3DXMATRIX* boneTransform) {
    Bone* target = FindBone(bone);
    if (!target || !boneTransform) return D3DERR_INVALIDCALL;
    target->offset = *boneTransform;
    return D3D_OK;
}

LPD3DXMATRIX SkinInfo::GetBoneOffsetMatrix(DWORD bone) {
    Bone* found = FindBone(bone);
    return found ? &found->offset : nullptr;
}

HRESULT SkinInfo::Clone(LPD3DXSKININFO* skinInfo) {
    if (!skinInfo) return D3DERR_INVALIDCALL;
    SkinInfo* copy = nullptr;
    const HRESULT hr = GuardAllocation([&]() -> HRESULT {
        copy = new SkinInfo(m_numVertices, m_fvf, 0);
        copy->m_bones = m_bones;
        copy->m_minInfluence = m_minInfluence;
        return D3D_OK;
    });
    if (FAILED(hr) && copy) {
        copy->Release();
        copy = nullptr;
    }
    *skinInfo = copy;
    return hr;
}

HRESULT SkinInfo::SetFVF(DWORD fvf) {
    if (D3DXGetFVFVertexSize(fvf) == 0) return D3DERR_INVALIDCALL;
    m_fvf = fvf;
    return D3D_OK;
}

HRESULT SkinInfo::GetDeclaration(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) {
    return D3DXDeclaratorFromFVF(m_fvf, declaration);
}

// Software skinning, remapping and declarations beyond vertex formats are
// not supported: blended meshes are drawn by the device.
HRESULT SkinInfo::Remap(DWORD, DWORD*) { return E_NOTIMPL; }
HRESULT SkinInfo::SetDeclaration(const D3DVERTEXELEMENT9*) { return E_NOTIMPL; }
HRESULT SkinInfo::UpdateSkinnedMesh(const D3DXMATRIX*, const D3DXMATRIX*, LPCVOID, PVOID) { return E_NOTIMPL; }

}  // namespace d3dx

HRESULT D3DXCreateSkinInfoFVF(DWORD numVertices, DWORD fvf, DWORD numBones, LPD3DXSKININFO* skinInfo) {
    if (!skinInfo) return D3DERR_INVALIDCALL;
    *skinInfo = nullptr;
    if (D3DXGetFVFVertexSize(fvf) == 0) return D3DERR_INVALIDCALL;
    return d3dx::GuardAllocation([&]() -> HRESULT {
        *skinInfo = new d3dx::SkinInfo(numVertices, fvf, numBones);
        return D3D_OK;
    });
}
