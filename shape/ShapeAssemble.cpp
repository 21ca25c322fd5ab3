// One pass over the memory buffer of a shape file, in the mode the
// allocator is in: the sizing pass only adds up sizes, the copying pass puts
// every table into the block.
#include "shape/ShapeAssemble.h"

#include <cstring>

#include "shape/KShape.h"
#include "shape/KShapeMesh.h"
#include "shape/ShapeReadContext.h"

namespace {

struct Counts {
    uint32_t nodes = 0, objects = 0, decals = 0, subShapes = 0, iflMaterials = 0;
    uint32_t rotations = 0, translations = 0, uniformScales = 0, alignedScales = 0, arbitraryScales = 0;
    uint32_t extraFrames = 0;
    uint32_t objectStates = 0, decalStates = 0, triggers = 0, details = 0, meshes = 0, skins = 0, names = 0;
};

bool ReadCounts(KShape& shape, KShapeReadContext& c, Counts& n) {
    KShapeAlloc& a = c.alloc;
    const uint32_t v = c.version;
    n.nodes = a.Get32();
    n.objects = a.Get32();
    n.decals = a.Get32();
    n.subShapes = a.Get32();
    n.iflMaterials = a.Get32();
    if (v >= 22) {
        n.rotations = a.Get32();
        n.translations = a.Get32();
        n.uniformScales = a.Get32();
        n.alignedScales = a.Get32();
        n.arbitraryScales = a.Get32();
    } else {
        // One count of the node defaults and the key frames together.
        const uint32_t keyed = a.Get32();
        if (!a.Failed() && keyed < n.nodes) return c.Fail("fewer rotations than nodes");
        n.rotations = n.translations = keyed - n.nodes;
    }
    if (v >= 24) n.extraFrames = a.Get32();
    n.objectStates = a.Get32();
    n.decalStates = a.Get32();
    n.triggers = a.Get32();
    n.details = a.Get32();
    n.meshes = a.Get32();
    if (v < 23) n.skins = a.Get32();
    n.names = a.Get32();
    shape.smallestVisibleSize = float(a.GetI32());
    shape.smallestVisibleDetail = a.GetI32();
    if (a.Failed()) return false;
    // Sets name nodes, objects, decals and image-list materials in 192 bits.
    if (n.nodes > KIntegerSet::kMembers || n.objects > KIntegerSet::kMembers || n.decals > KIntegerSet::kMembers ||
        n.iflMaterials > KIntegerSet::kMembers)
        return c.Fail("more than 192 nodes, objects, decals or image-list materials");
    // Mesh table entries are not backed by records of their own: keep them
    // within what the buffer could describe.
    const uint64_t bufferWords = a.SourceBytes() / 4;
    if (n.meshes > bufferWords || uint64_t(n.skins) * n.details > bufferWords)
        return c.Fail("more meshes than the buffer holds");
    return true;
}

void ReadBounds(KShape& shape, KShapeAlloc& a) {
    shape.radius = a.GetF32();
    shape.tubeRadius = a.GetF32();
    shape.centre.x = a.GetF32();
    shape.centre.y = a.GetF32();
    shape.centre.z = a.GetF32();
    for (float& b : shape.bounds) b = a.GetF32();
}

template <class T>
void TakeTable(KShapeAlloc& a, KBlockArray<T>& table, uint32_t n, bool readable = false) {
    table.Set(a.Take<T>(n, readable), n);
}

bool ReadRecords(KShape& shape, KShapeAlloc& a, const Counts& n) {
    TakeTable(a, shape.nodes, n.nodes);
    a.CheckGuard();
    TakeTable(a, shape.objects, n.objects, true);
    a.CheckGuard();
    TakeTable(a, shape.decals, n.decals, true);
    a.CheckGuard();
    TakeTable(a, shape.iflMaterials, n.iflMaterials);
    a.CheckGuard();
    TakeTable(a, shape.subShapeFirstNode, n.subShapes, true);
    TakeTable(a, shape.subShapeFirstObject, n.subShapes, true);
    TakeTable(a, shape.subShapeFirstDecal, n.subShapes, true);
    a.CheckGuard();
    TakeTable(a, shape.subShapeNodeCount, n.subShapes);
    TakeTable(a, shape.subShapeObjectCount, n.subShapes);
    TakeTable(a, shape.subShapeDecalCount, n.subShapes);
    a.CheckGuard();
    return !a.Failed();
}

// Default transforms, key-frame tables and scale tables; 16-bit blocks end
// with Align.
bool ReadKeyFrames(KShape& shape, KShapeAlloc& a, const Counts& n, uint32_t v) {
    if (v < 16) a.Skip<uint32_t>(a.Get32());
    TakeTable(a, shape.defaultRotations, n.nodes);
    a.Align();
    TakeTable(a, shape.defaultTranslations, n.nodes);
    TakeTable(a, shape.translations, n.translations);
    TakeTable(a, shape.rotations, n.rotations);
    a.Align();
    a.CheckGuard();
    if (v >= 22) {
        TakeTable(a, shape.uniformScales, n.uniformScales);
        TakeTable(a, shape.alignedScales, n.alignedScales);
        TakeTable(a, shape.arbitraryScaleFactors, n.arbitraryScales);
        TakeTable(a, shape.arbitraryScaleRotations, n.arbitraryScales);
        a.Align();
        a.CheckGuard();
    }
    if (v >= 24) {
        TakeTable(a, shape.extraTranslations, n.extraFrames);
        TakeTable(a, shape.extraRotations, n.extraFrames);
        a.Align();
        a.CheckGuard();
    }
    TakeTable(a, shape.objectStates, n.objectStates);
    a.CheckGuard();
    TakeTable(a, shape.decalStates, n.decalStates);
    a.CheckGuard();
    TakeTable(a, shape.triggers, n.triggers);
    a.CheckGuard();
    TakeTable(a, shape.details, n.details, true);
    a.CheckGuard();
    return !a.Failed();
}

bool ReadMeshes(KShape& shape, KShapeReadContext& c, const Counts& n) {
    KShapeAlloc& a = c.alloc;
    const uint64_t entries = uint64_t(n.meshes) + uint64_t(n.skins) * n.details;
    KShapeMeshBase** table = a.Reserve<KShapeMeshBase*>(entries);
    shape.meshes.Set(table, entries);
    c.meshTable = table;
    if (a.Failed()) return false;
    if (c.version < 16) return true;
    c.lent.assign(n.meshes, KShapeLentArrays{});
    for (uint32_t i = 0; i < n.meshes; ++i) {
        c.meshIndex = i;
        const uint32_t type = a.Get32();
        if (a.Failed()) return false;
        CreateMesh(type, c);
        if (a.Failed()) return false;
    }
    return true;
}

bool ReadNames(KShape& shape, KShapeAlloc& a, const Counts& n) {
    a.CheckGuard();
    const uint64_t bytes = a.StringBytes(n.names);
    const char* text = a.Take<char>(bytes, false);
    a.Align();
    const char** names = a.Reserve<const char*>(n.names);
    shape.names.Set(names, n.names);
    a.CheckGuard();
    if (a.Failed()) return false;
    if (!a.Sizing()) {
        for (uint32_t i = 0; i < n.names; ++i) {
            names[i] = text;
            text += std::strlen(text) + 1;
        }
    }
    return true;
}

}  // namespace

bool AssembleShape(KShape& shape, KShapeReadContext& c) {
    KShapeAlloc& a = c.alloc;
    Counts n;
    if (!ReadCounts(shape, c, n)) return false;
    c.nodeCount = n.nodes;
    a.CheckGuard();
    ReadBounds(shape, a);
    a.CheckGuard();
    if (!ReadRecords(shape, a, n) || !ReadKeyFrames(shape, a, n, c.version) || !ReadMeshes(shape, c, n) ||
        !ReadNames(shape, a, n))
        return false;
    shape.detailFadeBand.Set(a.Reserve<float>(n.details), n.details);
    shape.detailFadeSize.Set(a.Reserve<float>(n.details), n.details);
    shape.objectWords.Set(a.Reserve<int32_t>(n.objects), n.objects);
    if (a.Failed()) return false;
    if (!a.Sizing())
        for (int32_t& word : shape.objectWords) word = -1;
    return true;
}
