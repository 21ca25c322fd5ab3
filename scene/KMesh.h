// The geometry of a model: read from a mesh file, built into a Direct3D
// mesh, with the skeleton's bones and the dummies (attachment points) that
// ride on them, drawn subset by subset with a material set. The model
// manager shares one per file name between the models that use it.
//
// Mesh files are checked whole before anything is kept: every offset,
// count and length against the file size in 64-bit arithmetic, at most
// 65536 vertices (indices reach the drawn mesh as 16 bits), face indices
// below the vertex count, at most 32 dummies, and the arrays the build needs
// (positions, normals, texture set 0, faces, face attributes) present.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>

#include <map>
#include <string>
#include <vector>

#include "scene/KShadowQuad.h"

struct ID3DXMesh;
struct ID3DXSkinInfo;
struct ID3DXBuffer;
struct _D3DXBONECOMBINATION;
typedef struct _D3DXBONECOMBINATION D3DXBONECOMBINATION;
class KAnimation;
class KMaterial;
class KModel;

constexpr size_t kMeshNameSize = 30;
constexpr int kMaxMeshDummies = 32;
constexpr DWORD kMaxMeshVertices = 65536;
constexpr DWORD kMaxMeshSubsets = 65536;
constexpr DWORD kMeshHasSkeleton = 4;  // flags bit 2
// Position, normal, diffuse, two texture sets: 44 bytes.
constexpr DWORD kMeshVertexFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX2;  // 0x252
constexpr DWORD kMeshVertexSize = 44;
constexpr const char* kDefaultShadowTexture = "\\Portrait\\common\\Shadow.png";

struct KMeshBone {
    char name[kMeshNameSize] = {};
    DWORD influenceCount = 0;
    std::vector<DWORD> vertexIndices;
    std::vector<float> weights;
    D3DXMATRIX offsetMatrix{};   // model space into the bone's space
    D3DXMATRIX currentMatrix{};  // the bone's transform now; the bind pose after Load
};

struct KMeshDummy {
    char name[kMeshNameSize] = {};
    char boneName[kMeshNameSize] = {};
    D3DXMATRIX localMatrix{};  // bind pose, model space
    D3DXMATRIX worldMatrix{};  // recomputed from its bone
};

class KMesh {
public:
    KMesh();
    KMesh(const KMesh&) = delete;
    KMesh& operator=(const KMesh&) = delete;

    // 0, or E_FAIL when the mesh is not built.
    virtual HRESULT Render(KMaterial* material, float alpha, IDirect3DBaseTexture9* texture, BYTE depthWrite);
    // Reads the file and builds the mesh; 0 or E_FAIL (the mesh stays empty).
    virtual HRESULT Load(const char* fileName);
    // `fileName` only names the file in the log when the skinning set-up
    // fails, whose code is returned.
    virtual HRESULT BuildMesh(const char* fileName);
    virtual HRESULT Stub3();
    // Runs Clear.
    virtual ~KMesh();

    // 1 for a null device (nothing stored), else 0.
    HRESULT SetDevice(IDirect3DDevice9* newDevice);
    // -1 for a null or empty name, no bones, or a name no bone has.
    int FindBoneIndex(const char* name) const;
    // 0 when stored; E_FAIL for null.
    HRESULT SetShadowTextureName(const char* name);
    // Frees everything Load and BuildMesh made.
    void Clear();
    // Takes `track` of `animation` at `time` (ms): vertex positions, vertex
    // offsets or bone matrices with their dummies. 0; E_FAIL for a track
    // or mode out of range, no source mesh for a vertex track, or a failed
    // lock. A null animation does nothing.
    HRESULT ApplyAnimation(KAnimation* animation, int track, int mode, float time);
    // The dummy's world matrix from its bone's current matrix, the bone's
    // scale taken out: local x (scaling(1 / row lengths) x current).
    void UpdateDummy(int dummy, int bone);

    // --- Skinning (MeshSkinning.cpp, MeshSkinnedDraw.cpp) ---
    // Hands the bones to D3DX, chooses the mode from the device wrapper's
    // caps and converts the source mesh. 0, also when the conversion fails
    // (the stamp stays set); E_FAIL without skin information; a bone's
    // refused influences give their code.
    HRESULT SetupSkinning();
    // The conversions; 0 or the failing call's code.
    HRESULT ConvertIndexed();
    HRESULT ConvertBlended();
    // Modes 2, 1 and 0. A mesh whose conversion has not succeeded draws
    // nothing; the last draw's status is returned.
    HRESULT DrawShaderSkinned(KMaterial* material, float alpha, IDirect3DBaseTexture9* texture, BYTE depthWrite);
    HRESULT DrawIndexedSkinned(KMaterial* material, float alpha, IDirect3DBaseTexture9* texture, BYTE depthWrite);
    HRESULT DrawBlendedSkinned(KMaterial* material, float alpha, IDirect3DBaseTexture9* texture, BYTE depthWrite);

    // Skin results.
    DWORD maxInfluences = 0;
    DWORD combinationCount = 0;
    DWORD firstSoftwareCombination = 0;
    DWORD skinningMode = 0;  // 0 blended, 1 indexed, 2 shader
    DWORD paletteSize = 0;
    IDirect3DVertexDeclaration9* declaration = nullptr;

    IDirect3DDevice9* device = nullptr;
    D3DCOLOR colour = 0xFFFFFFFF;  // the model's; the material's ambient colour
    D3DXVECTOR3 boxMin{0, 0, 0};
    D3DXVECTOR3 boxMax{0, 0, 0};
    KShadowQuad shadowQuad;
    DWORD flags = 0;
    DWORD subsetCount = 0;
    DWORD boneCount = 0;
    DWORD dummyCount = 0;
    DWORD conversionStamp = 0;  // GetTickCount while a skin conversion has not succeeded
    ID3DXMesh* skinnedMesh = nullptr;
    ID3DXMesh* sourceMesh = nullptr;
    ID3DXSkinInfo* skinInfo = nullptr;
    std::vector<KMeshBone> bones;
    std::vector<KMeshDummy> dummies;
    std::vector<D3DXMATRIX> paletteMatrices;
    std::vector<float> keptPositions;  // no skeleton: the file's positions, 3 a vertex
    ID3DXBuffer* combinationTable = nullptr;
    KModel* currentModel = nullptr;  // the model updating the mesh now

    // File data until the build.
    DWORD vertexCount = 0;
    DWORD faceCount = 0;
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<DWORD> colours;
    std::vector<float> textureSets[3];  // u, v and an unused real a vertex
    std::vector<DWORD> faces;
    std::vector<DWORD> faceAttributes;

    BYTE loaded = 0;
    BYTE built = 0;
    std::map<std::string, int> dummyMap;
    std::map<std::string, int> boneMap;
    int32_t dummyBones[kMaxMeshDummies];  // bone of each dummy, -1 = not resolved
    DWORD shapeFlag = 0;                  // 1 for a shape model

private:
    void FreeFileArrays();
    // The skinned and source meshes and the skin information.
    void ReleaseMeshObjects();
    // The source mesh's vertices locked (flags 0) and their count; null
    // without a source mesh or when the lock fails.
    BYTE* LockSourceVertices(DWORD* count);
    bool UnlockSourceVertices();
    HRESULT DrawSourceSubset(DWORD subset);
    void InstallSkeleton();
    void RenderPlain(KMaterial* material, float alpha);
    HRESULT FailBuild(HRESULT result);
    HRESULT FillMesh();
    void TakeShadowTexture();
    HRESULT AnimateVertices(const struct KAnimTrack& track, int f0, int f1, float t, bool offsets);
    void AnimateSkeleton(const struct KAnimTrack& track, int f0, int f1, float t);
    int TrackBoneToMeshBone(const struct KAnimTrack& track, DWORD trackBone) const;
    // Skinning helpers.
    bool HasUsableSkin() const;
    const D3DXBONECOMBINATION* Combinations() const;
    // Palette of modes 0 and 1: offset x current x world.
    void BuildWorldPalette(const D3DXMATRIX& world);
    // Palette of mode 2: transpose(offset x current).
    void BuildShaderPalette();
    // D3DTS_WORLDMATRIX(j) of every filled slot j below `slots`.
    void SetSlotMatrices(const D3DXBONECOMBINATION& combination, DWORD slots);
    // The highest filled slot below the maximum influences; 0 when none.
    DWORD LastBlendSlot(const D3DXBONECOMBINATION& combination) const;
    HRESULT AdjacencyOfSource(ID3DXBuffer** adjacency);
    HRESULT MakeShaderDeclaration();
    DWORD FirstSoftwareCombination(DWORD maxBlendMatrices) const;
};

// The skinning mode and palette size a device's caps give a skeleton of
// `bones` bones.
struct KSkinningChoice {
    DWORD mode;
    DWORD paletteSize;
};
KSkinningChoice ChooseSkinning(const D3DCAPS9& caps, DWORD bones);
