// Module-wide scratch tables of shape animation, grown to the largest shape
// animated so far and reused by every instance (animation runs on the
// drawing thread only).
#pragma once

#include <cstdint>
#include <vector>

#include "shape/ShapeMath.h"

// A node's scale in the widest form: uniform s is factors (s, s, s), aligned
// factors have the identity rotation.
struct KShapeScale {
    KShapeQuat rotation;
    KShapeVec3 factors;
};

struct KShapeAnimScratch {
    std::vector<KShapeQuat> rotations;  // per node
    std::vector<KShapeVec3> translations;
    std::vector<KShapeScale> scales;
    std::vector<uint8_t> nodeFlags;  // which values are set, and the walk to the roots
    std::vector<uint32_t> chain;  // a node and its ancestors not yet final
    std::vector<uint8_t> itemSet;  // per object or decal: state taken from a thread

    void SizeNodes(uint32_t count);
    void SizeItems(uint32_t count);
};

extern KShapeAnimScratch g_ShapeAnimScratch;

// Frees the tables (tests).
void ResetShapeAnimScratch();
