// The last step of the vertex stage: which clip planes a vertex lies
// outside of, and where it lands on the target, found once per vertex.
#pragma once

#include "d3d9/raster/Clipper.h"
#include "d3d9/raster/Rasterizer.h"

namespace raster {

struct ScreenMapping {
    Viewport viewport;
    bool pretransformed = false;  // positions are screen x, y, z already
};

// Screen position and attributes of a clip-space vertex.
ScreenVertex MapToScreen(const ScreenMapping& mapping, const ClipVertex& v);

// A processed vertex ready for primitive assembly: its screen form is set
// only when it lies inside every plane.
struct PostVertex {
    ClipVertex clip;
    uint32_t outside = 0;
    ScreenVertex screen;
};

void FinishVertex(const ClipPlanes& planes, const ScreenMapping& mapping, PostVertex& v);

}  // namespace raster
