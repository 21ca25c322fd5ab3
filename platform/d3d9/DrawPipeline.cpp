#include "d3d9/DrawPipeline.h"

#include "d3d9/raster/DeviceAdapter.h"

namespace lumiva::d3d9 {

void RasterizeDraw(const DeviceState& state, uint64_t stateGeneration, const DrawCall& call,
                   const DrawTargets& targets, bool inScene, raster::DeviceDrawCache& cache) {
    cache.Draw(state, stateGeneration, call, targets, inScene);
}

void FlushDraws(raster::DeviceDrawCache& cache) { cache.Flush(); }

void FlushDrawsUsing(raster::DeviceDrawCache& cache, const void* memory) {
    if (cache.PendingUses(memory)) cache.Flush();
}

}  // namespace lumiva::d3d9
