// What the reader works out once the tables are in the block: child, object
// and decal chains, shape flags, detail fade values, polygon counts,
// per-detail records, vertex slots, translucency and image-list frame times.
#include <algorithm>

#include "shape/KShape.h"
#include "shape/ShapeAssemble.h"

namespace {

// Appends item to the chain that starts at head and runs through next.
template <class Next>
void AppendToChain(int32_t& head, int32_t item, Next next) {
    int32_t* link = &head;
    while (*link != -1) link = &next(*link);
    *link = item;
}

void LinkTables(KShape& shape) {
    for (KShapeNode& node : shape.nodes) node.firstObject = node.firstChild = node.nextSibling = -1;
    for (uint32_t i = 0; i < shape.nodes.count; ++i) {
        const int32_t parent = shape.nodes[i].parent;
        if (parent >= 0)
            AppendToChain(shape.nodes[uint32_t(parent)].firstChild, int32_t(i),
                          [&](int32_t at) -> int32_t& { return shape.nodes[uint32_t(at)].nextSibling; });
    }
    for (KShapeObject& object : shape.objects) object.nextObject = object.firstDecal = -1;
    for (uint32_t i = 0; i < shape.objects.count; ++i) {
        const int32_t node = shape.objects[i].node;
        if (node >= 0)
            AppendToChain(shape.nodes[uint32_t(node)].firstObject, int32_t(i),
                          [&](int32_t at) -> int32_t& { return shape.objects[uint32_t(at)].nextObject; });
    }
    for (KShapeDecal& decal : shape.decals) decal.nextDecal = -1;
    for (uint32_t i = 0; i < shape.decals.count; ++i) {
        const int32_t object = shape.decals[i].object;
        if (object >= 0)  // a decal without an object stays unlinked
            AppendToChain(shape.objects[uint32_t(object)].firstDecal, int32_t(i),
                          [&](int32_t at) -> int32_t& { return shape.decals[uint32_t(at)].nextDecal; });
    }
}

void SetScaleKind(KShape& shape) {
    uint32_t kind = 0;
    for (const KShapeSequence& q : shape.sequences)
        if (q.ScaleKind() > kind) kind = q.ScaleKind();
    shape.flags = (shape.flags & ~kShapeScaleMask) | kind;
}

void SetDetailFades(KShape& shape) {
    const uint32_t n = shape.details.count;
    for (uint32_t i = 0; i < n; ++i) {
        float band = 0.15f, size = 0.1f;
        if (shape.details[i].size < 0.0f) {
            band = 0.0f;
            size = 0.0f;
        } else if (i + 1 == n || shape.details[i + 1].size < 0.0f) {
            band = 0.0f;
            size = -1.0f;
        } else if (shape.details[i + 1].subShape >= 0) {
            band = -1.0f;
            size = -1.0f;
        }
        shape.detailFadeBand[i] = band;
        shape.detailFadeSize[i] = size;
    }
}

void SetPolyCounts(KShape& shape) {
    for (KShapeDetail& detail : shape.details) {
        if (detail.subShape < 0) continue;
        const uint32_t s = uint32_t(detail.subShape);
        int32_t total = 0;
        const int32_t first = shape.subShapeFirstObject[s];
        for (int32_t o = first; o < first + shape.subShapeObjectCount[s]; ++o) {
            const KShapeObject& object = shape.objects[uint32_t(o)];
            if (object.meshCount <= detail.objectDetailLevel) continue;
            if (const KShapeMesh* mesh = shape.ObjectMesh(int64_t(object.firstMesh) + detail.objectDetailLevel))
                total += int32_t(mesh->GetPolyCount());
        }
        detail.polyCount = total;
    }
}

// Each object's meshes share one run of vertex slots, as long as its
// largest mesh.
bool SetVertexSlots(KShape& shape) {
    uint64_t total = 0;
    for (const KShapeObject& object : shape.objects) {
        uint32_t largest = 0;
        for (int32_t m = 0; m < object.meshCount; ++m) {
            if (KShapeMesh* mesh = shape.ObjectMesh(int64_t(object.firstMesh) + m)) {
                mesh->vertexBase = uint32_t(total);
                if (mesh->largestVertexCount > largest) largest = mesh->largestVertexCount;
            }
        }
        total += largest;
        if (total > UINT32_MAX) return false;
    }
    shape.vertexSlotTotal = uint32_t(total);
    return true;
}

// The first primitive of a sub-shape whose material draws translucent.
bool MarkTranslucency(KShape& shape) {
    const uint32_t subShapes = shape.SubShapeCount();
    if (!shape.firstTranslucentObject.Resize(subShapes)) return false;
    const KShapeMaterialList& list = shape.materials;
    for (uint32_t s = 0; s < subShapes; ++s) {
        const int32_t first = shape.subShapeFirstObject[s], end = first + shape.subShapeObjectCount[s];
        shape.firstTranslucentObject[s] = end;
        bool found = false;
        for (int32_t o = first; o < end && !found; ++o) {
            const KShapeObject& object = shape.objects[uint32_t(o)];
            for (int32_t m = 0; m < object.meshCount && !found; ++m) {
                const KShapeMesh* mesh = shape.ObjectMesh(int64_t(object.firstMesh) + m);
                if (!mesh) continue;
                for (const KShapePrimitive& primitive : mesh->primitives) {
                    if (primitive.material & kPrimitiveNoMaterial) continue;
                    const uint32_t index = primitive.material & kPrimitiveMaterialMask;
                    const uint32_t flags = index < list.Count() ? list.flags[index] : 0;
                    if (flags >= kMaterialFlagsLimit || !(flags & (kMaterialAdditive | kMaterialTranslucent))) continue;
                    shape.flags |= kShapeTranslucent;
                    if (flags & kMaterialAdditive) shape.flags |= kShapeAdditive;
                    shape.firstTranslucentObject[s] = o;
                    found = true;
                    break;
                }
            }
        }
    }
    return true;
}

// The file gives image lists no frame lengths: every frame shows for a
// thirtieth of a second, and a frame's time is when it ends. A list that
// reaches past the table's limit keeps no times and stays on its frame 0.
constexpr float kIflFrameSeconds = 1.0f / 30.0f;
constexpr int64_t kIflFrameTimesLimit = 1 << 16;

bool IflFramesFit(const KShapeIflMaterial& m) {
    return m.firstFrame >= 0 && m.frameCount > 0 && int64_t(m.firstFrame) + m.frameCount <= kIflFrameTimesLimit;
}

bool FillIflFrameTimes(KShape& shape) {
    int64_t size = 0;
    for (const KShapeIflMaterial& m : shape.iflMaterials)
        if (IflFramesFit(m)) size = std::max(size, int64_t(m.firstFrame) + m.frameCount);
    if (!shape.iflFrameTimes.Resize(uint32_t(size))) return false;
    for (float& time : shape.iflFrameTimes) time = 0.0f;
    for (const KShapeIflMaterial& m : shape.iflMaterials)
        if (IflFramesFit(m))
            for (int32_t k = 0; k < m.frameCount; ++k)
                shape.iflFrameTimes[uint32_t(m.firstFrame + k)] = float(k + 1) * kIflFrameSeconds;
    return true;
}

}  // namespace

bool DeriveShape(KShape& shape) {
    LinkTables(shape);
    SetScaleKind(shape);
    SetDetailFades(shape);
    SetPolyCounts(shape);
    if (!shape.detailRecords.Resize(shape.details.count)) return false;
    for (void*& record : shape.detailRecords) record = nullptr;
    return SetVertexSlots(shape) && MarkTranslucency(shape) && FillIflFrameTimes(shape);
}
