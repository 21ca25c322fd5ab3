// The immutable data of one .dts shape, which every instance animates and
// draws. ReadShape fills it from the bytes of a whole file; all tables and
// meshes live in one data block that the shape frees once, after its meshes
// have released their buffers.
#pragma once

#include <cstdint>

#include "shape/KBlockArray.h"
#include "shape/KGrowArray.h"
#include "shape/KShapeMesh.h"
#include "shape/ShapeMaterialList.h"
#include "shape/ShapeMath.h"
#include "shape/ShapeRecords.h"

// Shape flags.
enum : uint32_t {
    kShapeScaleMask = 7,  // largest scale kind of any sequence
    kShapeTranslucent = 1u << 7,
    kShapeAdditive = 1u << 9,  // some translucent material has flag bit 25
};

// The shape's plain fields and its tables in the block.
struct KShapeTables {
    uint32_t version = 0;
    float radius = 0.0f;
    float tubeRadius = 0.0f;
    KShapeVec3 centre = {};
    float bounds[6] = {};
    float smallestVisibleSize = 0.0f;
    int32_t smallestVisibleDetail = 0;
    uint32_t flags = 0;
    uint32_t vertexSlotTotal = 0;
    KBlockArray<int32_t> objectWords;  // -1 each
    KBlockArray<KShapeNode> nodes;
    KBlockArray<KShapeObject> objects;
    KBlockArray<KShapeDecal> decals;
    KBlockArray<KShapeIflMaterial> iflMaterials;
    KBlockArray<int32_t> subShapeFirstNode;
    KBlockArray<int32_t> subShapeFirstObject;
    KBlockArray<int32_t> subShapeFirstDecal;
    KBlockArray<int32_t> subShapeNodeCount;
    KBlockArray<int32_t> subShapeObjectCount;
    KBlockArray<int32_t> subShapeDecalCount;
    KBlockArray<KShapeQuat16> defaultRotations;
    KBlockArray<KShapeVec3> defaultTranslations;
    KBlockArray<KShapeObjectState> objectStates;
    KBlockArray<int32_t> decalStates;
    KBlockArray<KShapeDetail> details;
    KBlockArray<const char*> names;
    KBlockArray<KShapeMeshBase*> meshes;  // decal meshes included; null for types above 3
    KBlockArray<KShapeQuat16> rotations;
    KBlockArray<KShapeVec3> translations;
    KBlockArray<float> uniformScales;
    KBlockArray<KShapeVec3> alignedScales;
    KBlockArray<KShapeQuat16> arbitraryScaleRotations;
    KBlockArray<KShapeVec3> arbitraryScaleFactors;
    KBlockArray<KShapeVec3> extraTranslations;
    KBlockArray<KShapeQuat16> extraRotations;
    KBlockArray<KShapeTrigger> triggers;
    KBlockArray<float> detailFadeBand;
    KBlockArray<float> detailFadeSize;
    uint8_t* block = nullptr;  // holds every table above and the meshes
};

class KShape : public KShapeTables {
public:
    KShape() = default;
    ~KShape() { Clear(); }
    KShape(const KShape&) = delete;
    KShape& operator=(const KShape&) = delete;

    // Destroys the meshes (their buffers with them), frees the block and
    // empties every table.
    void Clear();

    // The mesh at a table index as an object mesh or a decal mesh; null when
    // the entry is empty, of the other kind, or out of range.
    KShapeMesh* ObjectMesh(int64_t index) const;
    KShapeDecalMesh* DecalMesh(int64_t index) const;
    // The name at a name index; "" when out of range.
    const char* Name(int64_t index) const;
    uint32_t SubShapeCount() const { return subShapeFirstNode.count; }
    uint32_t ScaleKind() const { return flags & kShapeScaleMask; }

    KGrowArray<KShapeSequence> sequences;
    KGrowArray<int32_t> firstTranslucentObject;  // per sub-shape
    KGrowArray<void*> detailRecords;  // per detail, all null
    KGrowArray<float> iflFrameTimes;
    KShapeMaterialList materials;
};

// Reads a whole shape file from memory into shape (cleared first). False on
// any bad or short input, with a log line; the shape is then partly filled
// and destroys cleanly.
bool ReadShape(const uint8_t* bytes, uint64_t size, KShape* shape);
