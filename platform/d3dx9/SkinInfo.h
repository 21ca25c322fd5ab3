// ID3DXSkinInfo: per bone a name, an offset matrix and the vertices it moves
// with their weights. The conversions into blended meshes live in
// SkinConvert.cpp.
#pragma once

#include <string>
#include <vector>

#include "RefCounted.h"
#include "d3dx9mesh.h"

namespace d3dx {

struct Influence {
    DWORD bone;
    float weight;
    bool operator==(const Influence&) const = default;
};
using InfluenceList = std::vector<Influence>;

// What a blended vertex keeps of the influences on it: one per bone (repeats
// summed), weights above zero and at least the minimum, the four largest
// (ties: the lower bone first), scaled to sum to one; largest first.
InfluenceList BlendInfluences(InfluenceList influences, float minInfluence);

class SkinInfo final : public RefCounted<ID3DXSkinInfo> {
public:
    SkinInfo(DWORD numVertices, DWORD fvf, DWORD numBones);

    // --- IUnknown ---
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;

    // --- ID3DXSkinInfo ---
    HRESULT STDMETHODCALLTYPE SetBoneInfluence(DWORD bone, DWORD numInfluences, const DWORD* vertices,
                                               const FLOAT* weights) override;
    HRESULT STDMETHODCALLTYPE SetBoneVertexInfluence(DWORD boneNum, DWORD influenceNum, float weight) override;
    DWORD STDMETHODCALLTYPE GetNumBoneInfluences(DWORD bone) override;
    HRESULT STDMETHODCALLTYPE GetBoneInfluence(DWORD bone, DWORD* vertices, FLOAT* weights) override;
    HRESULT STDMETHODCALLTYPE GetBoneVertexInfluence(DWORD boneNum, DWORD influenceNum, float* weight,
                                                     DWORD* vertexNum) override;
    HRESULT STDMETHODCALLTYPE GetMaxVertexInfluences(DWORD* maxVertexInfluences) override;
    DWORD STDMETHODCALLTYPE GetNumBones() override { return DWORD(m_bones.size()); }
    HRESULT STDMETHODCALLTYPE FindBoneVertexInfluenceIndex(DWORD boneNum, DWORD vertexNum,
                                                           DWORD* influenceIndex) override;
    HRESULT STDMETHODCALLTYPE GetMaxFaceInfluences(LPDIRECT3DINDEXBUFFER9 indexBuffer, DWORD numFaces,
                                                   DWORD* maxFaceInfluences) override;
    HRESULT STDMETHODCALLTYPE SetMinBoneInfluence(FLOAT minInfluence) override;
    FLOAT STDMETHODCALLTYPE GetMinBoneInfluence() override { return m_minInfluence; }
    HRESULT STDMETHODCALLTYPE SetBoneName(DWORD bone, LPCSTR name) override;
    LPCSTR STDMETHODCALLTYPE GetBoneName(DWORD bone) override;
    HRESULT STDMETHODCALLTYPE SetBoneOffsetMatrix(DWORD bone, const D3DXMATRIX* boneTransform) override;
    LPD3DXMATRIX STDMETHODCALLTYPE GetBoneOffsetMatrix(DWORD bone) override;
    HRESULT STDMETHODCALLTYPE Clone(LPD3DXSKININFO* skinInfo) override;
    HRESULT STDMETHODCALLTYPE Remap(DWORD numVertices, DWORD* vertexRemap) override;
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD fvf) override;
    HRESULT STDMETHODCALLTYPE SetDeclaration(const D3DVERTEXELEMENT9* declaration) override;
    DWORD STDMETHODCALLTYPE GetFVF() override { return m_fvf; }
    HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) override;
    HRESULT STDMETHODCALLTYPE UpdateSkinnedMesh(const D3DXMATRIX* boneTransforms,
                                                const D3DXMATRIX* boneInvTransposeTransforms, LPCVOID verticesSrc,
                                                PVOID verticesDst) override;
    HRESULT STDMETHODCALLTYPE ConvertToBlendedMesh(LPD3DXMESH mesh, DWORD options, const DWORD* adjacencyIn,
                                                   LPDWORD adjacencyOut, DWORD* faceRemap, LPD3DXBUFFER* vertexRemap,
                                                   DWORD* maxFaceInfl, DWORD* numBoneCombinations,
                                                   LPD3DXBUFFER* boneCombinationTable, LPD3DXMESH* result) override;
    HRESULT STDMETHODCALLTYPE ConvertToIndexedBlendedMesh(LPD3DXMESH mesh, DWORD options, DWORD paletteSize,
                                                          const DWORD* adjacencyIn, LPDWORD adjacencyOut,
                                                          DWORD* faceRemap, LPD3DXBUFFER* vertexRemap,
                                                          DWORD* maxVertexInfl, DWORD* numBoneCombinations,
                                                          LPD3DXBUFFER* boneCombinationTable,
                                                          LPD3DXMESH* result) override;

    // Every vertex's influences as BlendInfluences keeps them.
    std::vector<InfluenceList> VertexBlendInfluences() const;
    DWORD VertexCount() const { return m_numVertices; }

private:
    struct Bone {
        std::string name;
        bool named = false;
        D3DXMATRIX offset;
        std::vector<DWORD> vertices;
        std::vector<float> weights;
    };

    // Every vertex's influences above zero and at least the minimum, one per
    // bone, without the limit of four.
    std::vector<InfluenceList> VertexInfluences() const;
    Bone* FindBone(DWORD bone) { return bone < m_bones.size() ? &m_bones[bone] : nullptr; }

    DWORD m_numVertices;
    DWORD m_fvf;
    std::vector<Bone> m_bones;
    float m_minInfluence = 0.0f;
};

}  // namespace d3dx
