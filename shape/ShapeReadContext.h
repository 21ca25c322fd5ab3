// Everything one read of a shape file needs besides the shape itself: the
// stream allocator, the per-mesh tables through which a mesh lends its
// arrays to later meshes that name it as parent, and the meshes the sizing
// pass assembles. It belongs to one read, so reads never share state.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "shape/KBlockArray.h"
#include "shape/KShapeAlloc.h"
#include "shape/KShapeMesh.h"

// Arrays a mesh lends to later meshes (counts hold in both passes; the data
// only in the copying pass).
struct KShapeLentArrays {
    bool present = false;
    KBlockArray<KShapeVec3> vertices;
    KBlockArray<KShapeVec3> normals;
    KBlockArray<KShapeVec2> texCoords;
    KBlockArray<KShapeVec3> initialVertices;
    KBlockArray<KShapeVec3> initialNormals;
};

struct KShapeReadContext {
    KShapeAlloc alloc;
    uint32_t version = 0;
    uint32_t nodeCount = 0;
    uint32_t materialCount = 0;
    // The mesh being assembled, its table (null while sizing) and the lent
    // arrays by mesh index.
    uint32_t meshIndex = 0;
    KShapeMeshBase** meshTable = nullptr;
    std::vector<KShapeLentArrays> lent;
    // Sizing-pass meshes, one of each kind, made on first use.
    std::unique_ptr<KShapeMesh> sizingStandard;
    std::unique_ptr<KShapeSkinMesh> sizingSkin;
    std::unique_ptr<KShapeSortMesh> sizingSort;
    std::unique_ptr<KShapeDecalMesh> sizingDecal;
    // Binormal sums while tangents are made.
    std::vector<KShapeVec3> binormalSums;

    bool Fail(const char* why) { return alloc.Fail(why); }
};
