// What a shape's tables must satisfy before anything walks them: every
// index that later steps (links, derived tables, instances, animation)
// follow must land inside its table.
#include "shape/KShape.h"
#include "shape/ShapeAssemble.h"

namespace {

// -1 or an index below count.
bool IsNoneOrBelow(int32_t index, uint32_t count) { return index == -1 || (index >= 0 && uint32_t(index) < count); }

bool RangeFits(int32_t first, int32_t count, uint32_t size) {
    if (count < 0) return false;
    if (count == 0) return true;
    return first >= 0 && uint64_t(first) + uint64_t(count) <= size;
}

const char* CheckNodes(const KShape& shape) {
    const uint32_t n = shape.nodes.count;
    for (const KShapeNode& node : shape.nodes)
        if (!IsNoneOrBelow(node.parent, n)) return "a node's parent is out of range";
    for (uint32_t i = 0; i < n; ++i) {
        int32_t at = shape.nodes[i].parent;
        for (uint32_t steps = 0; at != -1; ++steps) {
            if (steps >= n) return "the node parents form a cycle";
            at = shape.nodes[uint32_t(at)].parent;
        }
    }
    return nullptr;
}

const char* CheckObjectsAndDecals(const KShape& shape) {
    for (const KShapeObject& object : shape.objects) {
        if (!IsNoneOrBelow(object.node, shape.nodes.count)) return "an object's node is out of range";
        if (!RangeFits(object.firstMesh, object.meshCount, shape.meshes.count)) return "an object's meshes are out of range";
    }
    for (const KShapeDecal& decal : shape.decals) {
        if (!IsNoneOrBelow(decal.object, shape.objects.count)) return "a decal's object is out of range";
        if (!RangeFits(decal.firstMesh, decal.meshCount, shape.meshes.count)) return "a decal's meshes are out of range";
    }
    if (shape.objectStates.count < shape.objects.count) return "fewer object states than objects";
    if (shape.decalStates.count < shape.decals.count) return "fewer decal states than decals";
    return nullptr;
}

const char* CheckSubShapesAndDetails(const KShape& shape) {
    for (uint32_t s = 0; s < shape.SubShapeCount(); ++s) {
        if (!RangeFits(shape.subShapeFirstNode[s], shape.subShapeNodeCount[s], shape.nodes.count) ||
            !RangeFits(shape.subShapeFirstObject[s], shape.subShapeObjectCount[s], shape.objects.count) ||
            !RangeFits(shape.subShapeFirstDecal[s], shape.subShapeDecalCount[s], shape.decals.count))
            return "a sub-shape's range is out of range";
    }
    for (const KShapeDetail& detail : shape.details) {
        if (!IsNoneOrBelow(detail.subShape, shape.SubShapeCount())) return "a detail's sub-shape is out of range";
        if (detail.subShape >= 0 && detail.objectDetailLevel < 0) return "a detail's object level is negative";
    }
    return nullptr;
}

// The scale table a sequence of this scale kind reads.
uint32_t ScaleTableCount(const KShape& shape, uint32_t kind) {
    if (kind & kSequenceScaleAligned) return shape.alignedScales.count;
    if (kind & kSequenceScaleArbitrary) return shape.arbitraryScaleFactors.count;
    return shape.uniformScales.count;
}

// Key frames of members (running index j) at base + j x n + k, k below n.
bool KeysFit(uint32_t base, const KIntegerSet& members, uint32_t keyFrames, uint32_t size) {
    return uint64_t(base) + uint64_t(members.Count()) * keyFrames <= size;
}

const char* CheckSequence(const KShape& shape, const KShapeSequence& q) {
    if (uint64_t(q.firstTrigger) + q.triggerCount > shape.triggers.count) return "a sequence's triggers are out of range";
    const uint32_t nodes = shape.nodes.count, objects = shape.objects.count;
    if (q.rotationSet.End() > nodes || q.translationSet.End() > nodes || q.scaleSet.End() > nodes ||
        q.visibilitySet.End() > objects || q.frameSet.End() > objects || q.materialFrameSet.End() > objects ||
        q.decalSet.End() > shape.decals.count || q.iflSet.End() > shape.iflMaterials.count)
        return "a sequence set names a member out of range";
    KIntegerSet objectMembers;
    objectMembers.Copy(q.visibilitySet);
    objectMembers.Or(q.frameSet);
    objectMembers.Or(q.materialFrameSet);
    const uint32_t n = q.keyFrameCount;
    const bool keyed = !q.rotationSet.IsEmpty() || !q.translationSet.IsEmpty() || !q.scaleSet.IsEmpty() ||
                       !objectMembers.IsEmpty() || !q.decalSet.IsEmpty();
    if (keyed && n == 0) return "a sequence animates members without key frames";
    if (!KeysFit(q.baseRotation, q.rotationSet, n, shape.rotations.count) ||
        !KeysFit(q.baseTranslation, q.translationSet, n, shape.translations.count) ||
        !KeysFit(q.baseScale, q.scaleSet, n, ScaleTableCount(shape, q.ScaleKind())) ||
        !KeysFit(q.baseObjectState, objectMembers, n, shape.objectStates.count) ||
        !KeysFit(q.baseDecalState, q.decalSet, n, shape.decalStates.count))
        return "a sequence's key frames run past their table";
    return nullptr;
}

}  // namespace

const char* CheckShape(const KShape& shape) {
    if (const char* why = CheckNodes(shape)) return why;
    if (const char* why = CheckObjectsAndDecals(shape)) return why;
    if (const char* why = CheckSubShapesAndDetails(shape)) return why;
    for (const KShapeSequence& q : shape.sequences)
        if (const char* why = CheckSequence(shape, q)) return why;
    return nullptr;
}
