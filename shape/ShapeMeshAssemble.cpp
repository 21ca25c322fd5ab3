// Reading the mesh records of a shape file through the stream allocator,
// in both passes: the sizing pass reads what sizes depend on (counts,
// primitives, indices), the copying pass fills the block.
#include <new>

#include "shape/KShapeMesh.h"
#include "shape/ShapeReadContext.h"
#include "shape/ShapeStrips.h"

namespace {

bool MaterialWordFits(uint32_t word, uint32_t materials) {
    return (word & kPrimitiveNoMaterial) || (word & kPrimitiveMaterialMask) < materials;
}

// Primitive ranges within the indices and material words within the list.
bool CheckPrimitiveTable(KShapeReadContext& c, const uint16_t* ranges, const uint32_t* words, uint32_t primitives,
                         uint32_t indexCount) {
    for (uint32_t p = 0; p < primitives; ++p) {
        if (uint32_t(ranges[2 * p]) + ranges[2 * p + 1] > indexCount) return c.Fail("a primitive runs past the indices");
        if (!MaterialWordFits(words[p], c.materialCount)) return c.Fail("a primitive's material is out of range");
    }
    return true;
}

}  // namespace

bool KShapeMesh::AssembleStandard(KShapeReadContext& c) {
    KShapeAlloc& a = c.alloc;
    if (!a.CheckGuard()) return false;
    frameCount = a.Get32();
    materialFrameCount = a.Get32();
    parent = a.GetI32();
    for (float& b : bounds) b = a.GetF32();
    centre.x = a.GetF32();
    centre.y = a.GetF32();
    centre.z = a.GetF32();
    radius = float(a.GetI32());
    if (a.Failed()) return false;
    if (parent >= 0) {
        // The arrays of an earlier mesh, as it lent them.
        if (uint32_t(parent) >= c.meshIndex || !c.lent[uint32_t(parent)].present)
            return c.Fail("a mesh's parent is not an earlier object mesh");
        const KShapeLentArrays& from = c.lent[uint32_t(parent)];
        vertices = from.vertices;
        normals = from.normals;
        texCoords = from.texCoords;
    } else {
        const uint32_t v = a.Get32();
        vertices.Set(a.Take<KShapeVec3>(v, false), v);
        const uint32_t t = a.Get32();
        texCoords.Set(a.Take<KShapeVec2>(t, false), t);
        normals.Set(a.Take<KShapeVec3>(v, false), v);
        if (c.version >= 22) a.Skip<uint8_t>(v);  // encoded normals: the float ones are kept
    }

    const uint32_t p = a.Get32();
    const uint16_t* ranges = a.Take<uint16_t>(uint64_t(p) * 2, true);
    a.Align();
    const uint32_t* words = a.Take<uint32_t>(p, true);
    const uint32_t n = a.Get32();
    const uint16_t* raw = a.Take<uint16_t>(n, true);
    a.Align();
    if (a.Failed() || !CheckPrimitiveTable(c, ranges, words, p, n)) return false;

    // Strips become lists: count, reserve, then write.
    uint64_t converted = 0;
    indexSpan = 0;
    for (uint32_t i = 0; i < p; ++i) {
        const uint16_t* at = raw + ranges[2 * i];
        const uint32_t count = ranges[2 * i + 1];
        converted += (words[i] & kPrimitiveStrip) ? StripToList(at, count, nullptr) : count;
        for (uint32_t k = 0; k < count; ++k)
            if (at[k] + 1u > indexSpan) indexSpan = at[k] + 1u;
    }
    if (indexSpan > vertices.count) return c.Fail("a mesh index is out of range");
    KShapePrimitive* out = a.Reserve<KShapePrimitive>(p);
    uint16_t* outIndices = a.Reserve<uint16_t>(converted);
    primitives.Set(out, p);
    indices.Set(outIndices, converted);
    a.Align();
    if (a.Failed()) return false;
    if (!a.Sizing()) {
        uint32_t written = 0;
        for (uint32_t i = 0; i < p; ++i) {
            const uint16_t* at = raw + ranges[2 * i];
            const uint32_t count = ranges[2 * i + 1];
            uint32_t material = words[i];
            uint32_t made = count;
            if (material & kPrimitiveStrip) {
                made = StripToList(at, count, outIndices + written);
                material &= ~kPrimitiveTypeMask;
            } else {
                for (uint32_t k = 0; k < count; ++k) outIndices[written + k] = at[k];
            }
            out[i] = {written, made, material};
            written += made;
        }
    }

    const uint32_t merges = a.Get32();
    mergeIndices.Set(a.Take<uint16_t>(merges, false), merges);
    a.Align();
    verticesPerFrame = a.Get32();
    typeFlags |= a.Get32();
    if (!a.CheckGuard()) return false;
    // Frames share the indices: each must lie within one frame.
    if (frameCount > 1 && indexSpan > verticesPerFrame) return c.Fail("a mesh index is beyond its frame");
    largestVertexCount = vertices.count;

    if (!a.Sizing() && c.version < 19) ComputeBounds(nullptr, bounds, -1, &centre, &radius);
    tangents.Set(a.Reserve<KShapeTangent>(vertices.count), vertices.count);
    if (a.Failed()) return false;
    if (!a.Sizing()) ComputeTangents(c);

    KShapeLentArrays& lend = c.lent[c.meshIndex];
    lend.present = true;
    lend.vertices = vertices;
    lend.normals = normals;
    lend.texCoords = texCoords;
    return true;
}

bool KShapeMesh::Assemble(KShapeReadContext& context) { return AssembleStandard(context); }

bool KShapeSkinMesh::Assemble(KShapeReadContext& c) {
    if (!AssembleStandard(c)) return false;
    KShapeAlloc& a = c.alloc;
    KShapeLentArrays& lend = c.lent[c.meshIndex];
    if (parent >= 0) {
        initialVertices = c.lent[uint32_t(parent)].initialVertices;
        initialNormals = c.lent[uint32_t(parent)].initialNormals;
    } else {
        const uint32_t v = a.Get32();
        initialVertices.Set(a.Take<KShapeVec3>(v, false), v);
        initialNormals.Set(a.Take<KShapeVec3>(v, false), v);
        if (c.version >= 22) a.Skip<uint8_t>(v);
    }
    lend.initialVertices = initialVertices;
    lend.initialNormals = initialNormals;
    const uint32_t bones = a.Get32();
    boneTransforms.Set(a.Take<KShapeMatrix>(bones, false), bones);
    const uint32_t w = a.Get32();
    weightVertices.Set(a.Take<int32_t>(w, true), w);
    weightBones.Set(a.Take<int32_t>(w, true), w);
    weights.Set(a.Take<float>(w, false), w);
    const uint32_t nodes = a.Get32();
    boneNodes.Set(a.Take<int32_t>(nodes, true), nodes);
    initialTangents.Set(a.Reserve<KShapeTangent>(tangents.count), tangents.count);
    if (a.Failed()) return false;

    const uint32_t posed = vertices.count < initialVertices.count ? vertices.count : initialVertices.count;
    for (uint32_t i = 0; i < w; ++i) {
        if (weightVertices[i] < 0 || uint32_t(weightVertices[i]) >= posed)
            return c.Fail("a weight's vertex is out of range");
        if (weightBones[i] < 0 || uint32_t(weightBones[i]) >= bones || uint32_t(weightBones[i]) >= nodes)
            return c.Fail("a weight's bone is out of range");
    }
    for (uint32_t b = 0; b < nodes; ++b)
        if (boneNodes[b] < 0 || uint32_t(boneNodes[b]) >= c.nodeCount) return c.Fail("a bone's node is out of range");
    if (!a.Sizing())
        for (uint32_t i = 0; i < tangents.count; ++i) initialTangents[i] = tangents[i];
    return true;
}

bool KShapeDecalMesh::Assemble(KShapeReadContext& c) {
    KShapeAlloc& a = c.alloc;
    if (c.version < 20) {
        a.CheckGuard();
        a.Skip<uint32_t>(15);
    }
    const uint32_t p = a.Get32();
    primitiveRanges.Set(a.Take<uint16_t>(uint64_t(p) * 2, true), uint64_t(p) * 2);
    a.Align();
    primitiveMaterials.Set(a.Take<uint32_t>(p, true), p);
    const uint32_t n = a.Get32();
    indices.Set(a.Take<uint16_t>(n, false), n);
    a.Align();
    if (c.version < 20) {
        a.Skip<uint32_t>(3);
        a.CheckGuard();
    }
    const uint32_t f = a.Get32();
    startFrames.Set(a.Take<uint32_t>(f, false), f);
    if (c.version >= 19) {
        texGenFirst.Set(a.Take<KShapeTexGen>(f, false), f);
        texGenSecond.Set(a.Take<KShapeTexGen>(f, false), f);
    }
    materialIndex = a.Get32();
    a.CheckGuard();
    if (a.Failed() || !CheckPrimitiveTable(c, primitiveRanges.data, primitiveMaterials.data, p, n)) return false;
    if (materialIndex != 0xFFFFFFFFu && materialIndex >= c.materialCount)
        return c.Fail("a decal's material is out of range");
    return true;
}

namespace {

template <class T>
KShapeMeshBase* PlaceMesh(KShapeReadContext& c, std::unique_ptr<T>& sizing) {
    T* room = c.alloc.Reserve<T>(1);
    if (c.alloc.Failed()) return nullptr;
    T* mesh;
    if (c.alloc.Sizing()) {
        sizing = std::make_unique<T>();
        mesh = sizing.get();
    } else {
        mesh = new (room) T();
        c.meshTable[c.meshIndex] = mesh;  // from here on the shape destroys it
    }
    return mesh->Assemble(c) ? mesh : nullptr;
}

}  // namespace

KShapeMeshBase* CreateMesh(uint32_t type, KShapeReadContext& context) {
    switch (type) {
        case kShapeMeshStandard: return PlaceMesh(context, context.sizingStandard);
        case kShapeMeshSkin: return PlaceMesh(context, context.sizingSkin);
        case kShapeMeshDecal: return PlaceMesh(context, context.sizingDecal);
        case kShapeMeshSort: return PlaceMesh(context, context.sizingSort);
        default: return nullptr;
    }
}

void DestroyMesh(KShapeMeshBase* mesh) {
    if (mesh->Kind() == kShapeMeshDecal)
        static_cast<KShapeDecalMesh*>(mesh)->~KShapeDecalMesh();
    else
        static_cast<KShapeMesh*>(mesh)->~KShapeMesh();
}
