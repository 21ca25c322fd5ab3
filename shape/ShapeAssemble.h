// The shape reader's passes over the memory buffer, and what follows them.
#pragma once

class KShape;
struct KShapeReadContext;

// One pass over the memory buffer in the allocator's mode.
bool AssembleShape(KShape& shape, KShapeReadContext& context);
// Refuses what would make later steps read out of range: the reason, or
// null when the shape is sound.
const char* CheckShape(const KShape& shape);
// Links, flags, detail fade values, polygon counts, per-detail records,
// vertex slots and translucency. False when memory runs out.
bool DeriveShape(KShape& shape);
