// From the device's hand-off (state, call, targets) to one raster draw.
#pragma once

#include "d3d9/DrawPipeline.h"

namespace raster {

void DrawFromDevice(const lumiva::d3d9::DeviceState& state, const lumiva::d3d9::DrawCall& call,
                    const lumiva::d3d9::DrawTargets& targets);

// What fixed-function blending of a draw would read, for the device's
// limits: whether its vertices are transformed at all, and the largest
// blend index that vertices [first, first + count) give their first
// `matrices` weights (-1 without indices).
struct BlendUse {
    bool transformed = false;
    bool hasIndices = false;
    int largestIndex = -1;
};
BlendUse InspectBlending(const lumiva::d3d9::DrawCall& call, uint32_t first, uint32_t count, int matrices);

}  // namespace raster
