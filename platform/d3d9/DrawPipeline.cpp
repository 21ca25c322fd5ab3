#include "d3d9/DrawPipeline.h"

#include "d3d9/raster/DeviceAdapter.h"

namespace lumiva::d3d9 {

void RasterizeDraw(const DeviceState& state, const DrawCall& call, const DrawTargets& targets) {
    raster::DrawFromDevice(state, call, targets);
}

}  // namespace lumiva::d3d9
