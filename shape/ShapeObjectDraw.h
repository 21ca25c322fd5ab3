// Drawing one object of a shape at an object detail level: what a
// mesh-object instance does with its frame, material frame and visibility.
#pragma once

#include <d3d9.h>

#include <cstdint>

class KShape;
class KShapeMaterialList;

// Nothing when the visibility is 0.01 or less, or the object has no mesh at
// the level. Otherwise the mesh's current matrix becomes the transpose of
// its node's matrix from the draw parameters (identity without a node), the
// visibility is published, and the mesh renders.
void DrawShapeObject(const KShape& shape, uint32_t object, int32_t level, int frame, int materialFrame,
                     float visibility, const KShapeMaterialList& materials, IDirect3DDevice9* device);
