// Entry point of the pixel work: one validated draw, from vertex fetch to
// the target's pixels.
#pragma once

#include "d3d9/raster/RasterTypes.h"

namespace raster {

enum class DrawResult {
    kDrawn,          // drawn (possibly nothing visible)
    kSkipped,        // the "no raster" switch is on: no pixel was touched
    kInvalidLayout,  // FVF or declaration unusable, or a stride below the vertex size
    kInvalidTarget,  // no target memory, or a format that cannot be drawn into
};

DrawResult Draw(const DrawCommand& draw);

// The "no raster" switch: draws skip the pixel work while it is off, so the
// module's own cost can be measured apart from the rasterizer's.
void SetRasterEnabled(bool enabled);
bool IsRasterEnabled();
void ResetRasterSwitch();  // back to enabled; for tests

}  // namespace raster
