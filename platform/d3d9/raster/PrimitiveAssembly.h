// Which vertices make primitive i of each primitive type, with the winding
// of odd strip triangles put back in order.
#pragma once

#include <cstdint>

#include "d3d9/raster/RasterTypes.h"

namespace raster {

// Vertices a primitive type consumes for count primitives (0 for unknown types).
uint64_t VerticesForPrimitives(uint32_t type, uint64_t count);
// Largest primitive count whose vertices fit in the given number of vertices.
uint64_t PrimitivesForVertices(uint32_t type, uint64_t vertices);

// Positions (within the draw's vertex sequence) of primitive i's vertices.
void TriangleCorners(uint32_t type, uint64_t i, uint64_t corners[3]);
void LineEnds(uint32_t type, uint64_t i, uint64_t ends[2]);

// The vertex whose colour a flat-shaded triangle takes (index into corners).
int ProvokingCorner(uint32_t type, uint64_t i);

}  // namespace raster
