// From the device's hand-off (state, call, targets) to one raster draw.
#pragma once

#include "d3d9/DrawPipeline.h"

namespace raster {

void DrawFromDevice(const lumiva::d3d9::DeviceState& state, const lumiva::d3d9::DrawCall& call,
                    const lumiva::d3d9::DrawTargets& targets);

// Where fixed-function blending of a draw reads its blend indices, for the
// device's limits: whether its vertices are transformed at all, and the
// element holding the indices, if any.
struct BlendIndexSource {
    bool transformed = false;
    bool hasIndices = false;
    uint32_t stream = 0, offset = 0, type = 0;
};
BlendIndexSource FindBlendIndices(const lumiva::d3d9::DrawCall& call);

// The largest blend index that vertices [first, first + count) give their
// first `matrices` weights; -1 when none can be read.
int LargestBlendIndex(const lumiva::d3d9::DrawCall& call, const BlendIndexSource& source, uint32_t first,
                      uint32_t count, int matrices);

}  // namespace raster
