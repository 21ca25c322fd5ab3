// From the device's hand-off (state, call, targets) to one raster draw.
#pragma once

#include "d3d9/DrawPipeline.h"

namespace raster {

void DrawFromDevice(const lumiva::d3d9::DeviceState& state, const lumiva::d3d9::DrawCall& call,
                    const lumiva::d3d9::DrawTargets& targets);

}  // namespace raster
