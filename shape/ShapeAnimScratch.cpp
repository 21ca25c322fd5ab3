#include "shape/ShapeAnimScratch.h"

KShapeAnimScratch g_ShapeAnimScratch;

void KShapeAnimScratch::SizeNodes(uint32_t count) {
    if (rotations.size() >= count) return;
    rotations.resize(count);
    translations.resize(count);
    scales.resize(count);
    nodeFlags.resize(count);
    chain.reserve(count);
}

void KShapeAnimScratch::SizeItems(uint32_t count) {
    if (itemSet.size() < count) itemSet.resize(count);
}

void ResetShapeAnimScratch() { g_ShapeAnimScratch = KShapeAnimScratch{}; }
