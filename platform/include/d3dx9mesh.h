// D3DX meshes: triangle meshes in a vertex and an index buffer with one
// attribute (subset number) per face, skin information that binds vertices
// to bones, the conversions into vertex-blended meshes, and text .X files.
#pragma once

#include "d3d9.h"
#include "d3dx9core.h"
#include "d3dx9math.h"

// --- Mesh creation options ---
inline constexpr DWORD D3DXMESH_32BIT = 0x001;
inline constexpr DWORD D3DXMESH_DONOTCLIP = 0x002;
inline constexpr DWORD D3DXMESH_POINTS = 0x004;
inline constexpr DWORD D3DXMESH_RTPATCHES = 0x008;
inline constexpr DWORD D3DXMESH_NPATCHES = 0x4000;
inline constexpr DWORD D3DXMESH_VB_SYSTEMMEM = 0x010;
inline constexpr DWORD D3DXMESH_VB_MANAGED = 0x020;
inline constexpr DWORD D3DXMESH_VB_WRITEONLY = 0x040;
inline constexpr DWORD D3DXMESH_VB_DYNAMIC = 0x080;
inline constexpr DWORD D3DXMESH_VB_SOFTWAREPROCESSING = 0x8000;
inline constexpr DWORD D3DXMESH_IB_SYSTEMMEM = 0x100;
inline constexpr DWORD D3DXMESH_IB_MANAGED = 0x200;
inline constexpr DWORD D3DXMESH_IB_WRITEONLY = 0x400;
inline constexpr DWORD D3DXMESH_IB_DYNAMIC = 0x800;
inline constexpr DWORD D3DXMESH_IB_SOFTWAREPROCESSING = 0x10000;
inline constexpr DWORD D3DXMESH_VB_SHARE = 0x1000;
inline constexpr DWORD D3DXMESH_USEHWONLY = 0x2000;
inline constexpr DWORD D3DXMESH_SYSTEMMEM = 0x110;
inline constexpr DWORD D3DXMESH_MANAGED = 0x220;
inline constexpr DWORD D3DXMESH_WRITEONLY = 0x440;
inline constexpr DWORD D3DXMESH_DYNAMIC = 0x880;
inline constexpr DWORD D3DXMESH_SOFTWAREPROCESSING = 0x18000;

// --- Optimisation flags (OptimizeInplace, and accepted beside the creation
// options of the skin conversions) ---
inline constexpr DWORD D3DXMESHOPT_COMPACT = 0x01000000;
inline constexpr DWORD D3DXMESHOPT_ATTRSORT = 0x02000000;
inline constexpr DWORD D3DXMESHOPT_VERTEXCACHE = 0x04000000;
inline constexpr DWORD D3DXMESHOPT_STRIPREORDER = 0x08000000;
inline constexpr DWORD D3DXMESHOPT_IGNOREVERTS = 0x10000000;
inline constexpr DWORD D3DXMESHOPT_DONOTSPLIT = 0x20000000;
inline constexpr DWORD D3DXMESHOPT_DEVICEINDEPENDENT = 0x00400000;

typedef D3DXMATRIX* LPD3DXMATRIX;

#define MAX_FVF_DECL_SIZE (MAXD3DDECLLENGTH + 1)

typedef struct _D3DXATTRIBUTERANGE {
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
} D3DXATTRIBUTERANGE;
typedef D3DXATTRIBUTERANGE* LPD3DXATTRIBUTERANGE;

// One run of faces drawn with one set of bone matrices. BoneId holds the
// palette (indexed) or the blend slots (non-indexed); UINT_MAX marks an
// empty entry.
typedef struct _D3DXBONECOMBINATION {
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
    DWORD* BoneId;
} D3DXBONECOMBINATION;
typedef D3DXBONECOMBINATION* LPD3DXBONECOMBINATION;

typedef struct _D3DXMATERIAL {
    D3DMATERIAL9 MatD3D;
    LPSTR pTextureFilename;
} D3DXMATERIAL;
typedef D3DXMATERIAL* LPD3DXMATERIAL;

typedef enum _D3DXEFFECTDEFAULTTYPE {
    D3DXEDT_STRING = 1,
    D3DXEDT_FLOATS = 2,
    D3DXEDT_DWORD = 3,
    D3DXEDT_FORCEDWORD = 0x7fffffff
} D3DXEFFECTDEFAULTTYPE;

typedef struct _D3DXEFFECTDEFAULT {
    LPSTR pParamName;
    D3DXEFFECTDEFAULTTYPE Type;
    DWORD NumBytes;
    LPVOID pValue;
} D3DXEFFECTDEFAULT;

typedef struct _D3DXEFFECTINSTANCE {
    LPSTR pEffectFilename;
    DWORD NumDefaults;
    D3DXEFFECTDEFAULT* pDefaults;
} D3DXEFFECTINSTANCE;

// Identifiers of this stand-in's own objects.
inline constexpr IID IID_ID3DXBaseMesh = {0x4f2a61c0, 0x1d7e, 0x4b53, {0x9a, 0x11, 0x5e, 0x30, 0x64, 0x2c, 0x7a, 0x01}};
inline constexpr IID IID_ID3DXMesh = {0x4f2a61c0, 0x1d7e, 0x4b53, {0x9a, 0x11, 0x5e, 0x30, 0x64, 0x2c, 0x7a, 0x02}};
inline constexpr IID IID_ID3DXSkinInfo = {0x4f2a61c0, 0x1d7e, 0x4b53, {0x9a, 0x11, 0x5e, 0x30, 0x64, 0x2c, 0x7a, 0x03}};

struct ID3DXMesh;
typedef ID3DXMesh* LPD3DXMESH;

DECLARE_INTERFACE_(ID3DXBaseMesh, IUnknown) {
    // Draws the faces whose attribute is attribId: each matching range of the
    // attribute table, or each run of such faces when the mesh has none.
    STDMETHOD(DrawSubset)(DWORD attribId) PURE;
    STDMETHOD_(DWORD, GetNumFaces)() PURE;
    STDMETHOD_(DWORD, GetNumVertices)() PURE;
    STDMETHOD_(DWORD, GetFVF)() PURE;
    STDMETHOD(GetDeclaration)(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) PURE;
    STDMETHOD_(DWORD, GetNumBytesPerVertex)() PURE;
    STDMETHOD_(DWORD, GetOptions)() PURE;
    STDMETHOD(GetDevice)(LPDIRECT3DDEVICE9* device) PURE;
    STDMETHOD(CloneMeshFVF)(DWORD options, DWORD fvf, LPDIRECT3DDEVICE9 device, LPD3DXMESH* cloneMesh) PURE;
    STDMETHOD(CloneMesh)(DWORD options, const D3DVERTEXELEMENT9* declaration, LPDIRECT3DDEVICE9 device,
                         LPD3DXMESH* cloneMesh) PURE;
    STDMETHOD(GetVertexBuffer)(LPDIRECT3DVERTEXBUFFER9* vertexBuffer) PURE;
    STDMETHOD(GetIndexBuffer)(LPDIRECT3DINDEXBUFFER9* indexBuffer) PURE;
    STDMETHOD(LockVertexBuffer)(DWORD flags, LPVOID* data) PURE;
    STDMETHOD(UnlockVertexBuffer)() PURE;
    STDMETHOD(LockIndexBuffer)(DWORD flags, LPVOID* data) PURE;
    STDMETHOD(UnlockIndexBuffer)() PURE;
    // With a null table only the count is given.
    STDMETHOD(GetAttributeTable)(D3DXATTRIBUTERANGE* attribTable, DWORD* attribTableSize) PURE;
    STDMETHOD(ConvertPointRepsToAdjacency)(const DWORD* pointReps, DWORD* adjacency) PURE;
    STDMETHOD(ConvertAdjacencyToPointReps)(const DWORD* adjacency, DWORD* pointReps) PURE;
    // Three neighbours per face (UINT_MAX: none); vertices closer than
    // epsilon in every coordinate count as one.
    STDMETHOD(GenerateAdjacency)(FLOAT epsilon, DWORD* adjacency) PURE;
    STDMETHOD(UpdateSemantics)(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) PURE;

protected:
    ~ID3DXBaseMesh() = default;
};

DECLARE_INTERFACE_(ID3DXMesh, ID3DXBaseMesh) {
    STDMETHOD(LockAttributeBuffer)(DWORD flags, DWORD** data) PURE;
    STDMETHOD(UnlockAttributeBuffer)() PURE;
    STDMETHOD(Optimize)(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                        LPD3DXBUFFER* vertexRemap, LPD3DXMESH* optMesh) PURE;
    STDMETHOD(OptimizeInplace)(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                               LPD3DXBUFFER* vertexRemap) PURE;
    STDMETHOD(SetAttributeTable)(const D3DXATTRIBUTERANGE* attribTable, DWORD attribTableSize) PURE;

protected:
    ~ID3DXMesh() = default;
};

struct ID3DXSkinInfo;
typedef ID3DXSkinInfo* LPD3DXSKININFO;

// Conversions into blended meshes keep at most four influences per vertex
// (the largest) and, for a non-indexed blended mesh, at most four bones per
// face (the four with the largest weight over the face's corners); an
// indexed face keeps at most paletteSize bones the same way. Kept weights
// are scaled to sum to one, as the blended formats imply.
DECLARE_INTERFACE_(ID3DXSkinInfo, IUnknown) {
    STDMETHOD(SetBoneInfluence)(DWORD bone, DWORD numInfluences, const DWORD* vertices, const FLOAT* weights) PURE;
    STDMETHOD(SetBoneVertexInfluence)(DWORD boneNum, DWORD influenceNum, float weight) PURE;
    STDMETHOD_(DWORD, GetNumBoneInfluences)(DWORD bone) PURE;
    STDMETHOD(GetBoneInfluence)(DWORD bone, DWORD* vertices, FLOAT* weights) PURE;
    STDMETHOD(GetBoneVertexInfluence)(DWORD boneNum, DWORD influenceNum, float* weight, DWORD* vertexNum) PURE;
    STDMETHOD(GetMaxVertexInfluences)(DWORD* maxVertexInfluences) PURE;
    STDMETHOD_(DWORD, GetNumBones)() PURE;
    STDMETHOD(FindBoneVertexInfluenceIndex)(DWORD boneNum, DWORD vertexNum, DWORD* influenceIndex) PURE;
    STDMETHOD(GetMaxFaceInfluences)(LPDIRECT3DINDEXBUFFER9 indexBuffer, DWORD numFaces,
                                    DWORD* maxFaceInfluences) PURE;
    STDMETHOD(SetMinBoneInfluence)(FLOAT minInfluence) PURE;
    STDMETHOD_(FLOAT, GetMinBoneInfluence)() PURE;
    STDMETHOD(SetBoneName)(DWORD bone, LPCSTR name) PURE;
    STDMETHOD_(LPCSTR, GetBoneName)(DWORD bone) PURE;
    STDMETHOD(SetBoneOffsetMatrix)(DWORD bone, const D3DXMATRIX* boneTransform) PURE;
    STDMETHOD_(LPD3DXMATRIX, GetBoneOffsetMatrix)(DWORD bone) PURE;
    STDMETHOD(Clone)(LPD3DXSKININFO* skinInfo) PURE;
    STDMETHOD(Remap)(DWORD numVertices, DWORD* vertexRemap) PURE;
    STDMETHOD(SetFVF)(DWORD fvf) PURE;
    STDMETHOD(SetDeclaration)(const D3DVERTEXELEMENT9* declaration) PURE;
    STDMETHOD_(DWORD, GetFVF)() PURE;
    STDMETHOD(GetDeclaration)(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) PURE;
    STDMETHOD(UpdateSkinnedMesh)(const D3DXMATRIX* boneTransforms, const D3DXMATRIX* boneInvTransposeTransforms,
                                 LPCVOID verticesSrc, PVOID verticesDst) PURE;
    STDMETHOD(ConvertToBlendedMesh)(LPD3DXMESH mesh, DWORD options, const DWORD* adjacencyIn, LPDWORD adjacencyOut,
                                    DWORD* faceRemap, LPD3DXBUFFER* vertexRemap, DWORD* maxFaceInfl,
                                    DWORD* numBoneCombinations, LPD3DXBUFFER* boneCombinationTable,
                                    LPD3DXMESH* result) PURE;
    STDMETHOD(ConvertToIndexedBlendedMesh)(LPD3DXMESH mesh, DWORD options, DWORD paletteSize,
                                           const DWORD* adjacencyIn, LPDWORD adjacencyOut, DWORD* faceRemap,
                                           LPD3DXBUFFER* vertexRemap, DWORD* maxVertexInfl,
                                           DWORD* numBoneCombinations, LPD3DXBUFFER* boneCombinationTable,
                                           LPD3DXMESH* result) PURE;

protected:
    ~ID3DXSkinInfo() = default;
};

HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, LPDIRECT3DDEVICE9 device,
                          LPD3DXMESH* mesh);
HRESULT D3DXCreateSkinInfoFVF(DWORD numVertices, DWORD fvf, DWORD numBones, LPD3DXSKININFO* skinInfo);

// The elements that read a vertex of the format, ending with D3DDECL_END().
HRESULT D3DXDeclaratorFromFVF(DWORD fvf, D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]);
// Bytes of one vertex of the format; 0 for a format the declarator refuses.
UINT D3DXGetFVFVertexSize(DWORD fvf);

// A text .X file read through the host library's pak layer: every mesh of
// every frame, placed by the frames' transforms, merged into one mesh whose
// attributes number the materials of all meshes in file order. A damaged
// file gives D3DXERR_INVALIDDATA and one log line.
HRESULT D3DXLoadMeshFromXA(LPCSTR filename, DWORD options, LPDIRECT3DDEVICE9 device, LPD3DXBUFFER* adjacency,
                           LPD3DXBUFFER* materials, LPD3DXBUFFER* effectInstances, DWORD* numMaterials,
                           LPD3DXMESH* mesh);
// The same over file bytes held in memory.
HRESULT D3DXLoadMeshFromXInMemory(LPCVOID memory, DWORD sizeOfMemory, DWORD options, LPDIRECT3DDEVICE9 device,
                                  LPD3DXBUFFER* adjacency, LPD3DXBUFFER* materials, LPD3DXBUFFER* effectInstances,
                                  DWORD* numMaterials, LPD3DXMESH* mesh);
