// Entry point of the pixel work: one validated draw, from vertex fetch to
// the target's pixels.
#pragma once

#include "d3d9/raster/RasterTypes.h"

namespace raster {

enum class DrawResult {
    kDrawn,          // drawn (possibly nothing visible)
    kInvalidLayout,  // FVF or declaration unusable, or a stride below the vertex size
    kInvalidTarget,  // no target memory, or a format that cannot be drawn into
};

DrawResult Draw(const DrawCommand& draw);

}  // namespace raster
