// The meshes of a shape: one per object (or decal) and detail level, built
// while the shape is assembled, placed in the shape's data block, turned
// into managed vertex and index buffers on first draw.
//
//   KShapeMesh      standard mesh (type 0): strips converted to lists,
//                   tangents, the 76-byte vertex, frame rewrites, Render
//   KShapeSkinMesh  type 1: re-posed from its bones before each draw
//   KShapeSortMesh  type 3: a standard mesh with two further arrays
//   KShapeDecalMesh type 2: read and kept, never drawn
//
// Render reads the module-wide draw parameters (ShapeDrawParams.h).
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "shape/KBlockArray.h"
#include "shape/ShapeMath.h"

class KShapeMaterialList;
struct KShapeReadContext;

enum : uint32_t {
    kShapeMeshStandard = 0,
    kShapeMeshSkin = 1,
    kShapeMeshDecal = 2,
    kShapeMeshSort = 3,
    kShapeMeshBillboard = 0x80000000u,  // bit of the type and flags word
};

// Primitive material word.
enum : uint32_t {
    kPrimitiveMaterialMask = 0x0FFFFFFFu,
    kPrimitiveNoMaterial = 1u << 28,
    kPrimitiveStrip = 1u << 30,
    kPrimitiveFan = 1u << 31,
    kPrimitiveTypeMask = 0xC0000000u,
    kPrimitiveListLimit = 0x40000000u,
};

// The mesh vertex: position, normal, texture coordinate 0, coordinate 1
// (0, 0), tangent, binormal, normal again.
constexpr DWORD kShapeMeshFvf = 0x1500512;  // XYZ | NORMAL | TEX5, sets 2-4 three-dimensional
constexpr UINT kShapeMeshVertexBytes = 76;

// Triangles a primitive of this material word and index count draws: count
// / 3 for lists, count - 2 for strips and fans (none under 3 indices).
uint32_t PrimitiveTriangles(uint32_t material, uint32_t count);

struct KShapePrimitive {
    uint32_t start;
    uint32_t count;
    uint32_t material;
};

struct KShapeDrawable {
    IDirect3DIndexBuffer9* indices;
    D3DPRIMITIVETYPE type;
    uint32_t primitiveCount;
    uint32_t start;
    uint32_t minIndex;
    uint32_t vertexCount;
};

struct KShapeTangent {
    float x, y, z, w;  // w: handedness of the binormal
};

struct KShapeMatrix {
    float m[16];
};

// What every entry of a shape's mesh table starts with.
class KShapeMeshBase {
public:
    uint32_t Kind() const { return m_kind; }

protected:
    explicit KShapeMeshBase(uint32_t kind) : m_kind(kind) {}
    ~KShapeMeshBase() = default;

private:
    uint32_t m_kind;
};

class KShapeMesh : public KShapeMeshBase {
public:
    KShapeMesh() : KShapeMesh(kShapeMeshStandard) {}
    KShapeMesh(const KShapeMesh&) = delete;
    KShapeMesh& operator=(const KShapeMesh&) = delete;

    // Triangles: count / 3 for lists, count - 2 for strips and fans.
    virtual uint32_t GetPolyCount() const;
    // Box, centre and radius of one frame's vertices (all for frame -1),
    // each moved by transform (a node matrix; null for none).
    virtual void ComputeBounds(const float* transform, float* bounds, int frame, KShapeVec3* centre,
                               float* radius) const;
    // Reads the mesh record at the allocator's cursors.
    virtual bool Assemble(KShapeReadContext& context);
    virtual void Render(int frame, int materialFrame, const KShapeMaterialList& materials, IDirect3DDevice9* device);
    // Releases the buffers.
    virtual ~KShapeMesh();

    // Buffers as they stand (tests and the instance read them).
    IDirect3DVertexBuffer9* VertexBuffer() const { return vertexBuffer; }
    const std::vector<KShapeDrawable>& Drawables() const { return drawables; }
    // Vertex count, and the largest index + 1.
    uint32_t VertexCount() const { return vertices.count; }
    uint32_t IndexSpan() const { return indexSpan; }
    void ReleaseBuffers();

    uint32_t typeFlags = 0;  // type | the file's mesh flags; bit 31 billboard
    float bounds[6] = {};
    KShapeVec3 centre = {};
    float radius = 0.0f;
    int32_t parent = -1;
    uint32_t frameCount = 0;
    uint32_t materialFrameCount = 0;
    uint32_t verticesPerFrame = 0;
    float currentMatrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
    int bufferFrame = 0;
    int bufferMaterialFrame = 0;
    KBlockArray<KShapePrimitive> primitives;  // strips converted to lists
    std::vector<KShapeDrawable> drawables;
    KBlockArray<KShapeVec3> vertices;
    KBlockArray<KShapeVec3> normals;
    KBlockArray<KShapeVec2> texCoords;
    KBlockArray<uint8_t> encodedNormals;  // always empty
    KBlockArray<uint16_t> indices;
    KBlockArray<uint16_t> mergeIndices;
    KBlockArray<KShapeTangent> tangents;
    uint32_t vertexBase = 0;
    uint32_t largestVertexCount = 0;
    uint32_t indexSpan = 0;

protected:
    explicit KShapeMesh(uint32_t kind) : KShapeMeshBase(kind) { typeFlags = kind; }
    bool AssembleStandard(KShapeReadContext& context);
    bool BuildBuffers(IDirect3DDevice9* device);
    void RewriteFrame(int frame, int materialFrame);
    void DrawDrawables(const KShapeMaterialList& materials, IDirect3DDevice9* device, int frame);
    void SetTransforms(IDirect3DDevice9* device);
    void ComputeTangents(KShapeReadContext& context);
};

class KShapeSkinMesh : public KShapeMesh {
public:
    KShapeSkinMesh() : KShapeMesh(kShapeMeshSkin) {}
    bool Assemble(KShapeReadContext& context) override;
    void Render(int frame, int materialFrame, const KShapeMaterialList& materials, IDirect3DDevice9* device) override;

    // Moves vertices, normals and tangents by the bones' nodes.
    void Repose(const float* nodeMatrices, uint32_t nodeCount);

    KBlockArray<KShapeVec3> initialVertices;
    KBlockArray<KShapeVec3> initialNormals;
    KBlockArray<KShapeTangent> initialTangents;
    KBlockArray<KShapeMatrix> boneTransforms;
    KBlockArray<int32_t> weightVertices;
    KBlockArray<int32_t> weightBones;
    KBlockArray<float> weights;
    KBlockArray<int32_t> boneNodes;
};

class KShapeSortMesh : public KShapeMesh {
public:
    KShapeSortMesh() : KShapeMesh(kShapeMeshSort) {}

    KBlockArray<uint32_t> sortFirst;  // read as empty
    KBlockArray<uint32_t> sortSecond;
};

struct KShapeTexGen {
    float values[4];
};

class KShapeDecalMesh : public KShapeMeshBase {
public:
    KShapeDecalMesh() : KShapeMeshBase(kShapeMeshDecal) {}
    bool Assemble(KShapeReadContext& context);

    KShapeMesh* target = nullptr;  // the object mesh it lies on (set by the instance)
    KBlockArray<uint16_t> primitiveRanges;  // start, count per primitive
    KBlockArray<uint32_t> primitiveMaterials;
    KBlockArray<uint16_t> indices;
    KBlockArray<uint32_t> startFrames;
    KBlockArray<KShapeTexGen> texGenFirst;
    KBlockArray<KShapeTexGen> texGenSecond;
    uint32_t materialIndex = 0;
};

// Places a mesh of the type in reserved room of the block (a sizing mesh of
// the read in the sizing pass) and assembles it. Null for types above 3, and
// null with the allocator failed when the record is bad.
KShapeMeshBase* CreateMesh(uint32_t type, KShapeReadContext& context);
// Runs the right destructor of a mesh placed in a block.
void DestroyMesh(KShapeMeshBase* mesh);
