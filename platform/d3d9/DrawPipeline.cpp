#include "d3d9/DrawPipeline.h"

#include "d3d9/raster/DeviceAdapter.h"

namespace lumiva::d3d9 {

void RasterizeDraw(const DeviceState& state, uint64_t stateGeneration, const DrawCall& call,
                   const DrawTargets& targets, raster::DeviceDrawCache& cache) {
    cache.Draw(state, stateGeneration, call, targets);
}

}  // namespace lumiva::d3d9
