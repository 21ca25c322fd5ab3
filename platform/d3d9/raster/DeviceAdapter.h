// From the device's hand-off (state, call, targets) to one raster draw.
#pragma once

#include <vector>

#include "d3d9/DrawPipeline.h"
#include "d3d9/raster/CompiledDraw.h"

namespace raster {

// One device's draws. What a draw reads from the state (the state block,
// the texture views, the enabled lights, the declaration, and the compiled
// pixel state, vertex setup and fast-path plan) is built again only when the
// device's state generation moves or a target's memory is another.
class DeviceDrawCache {
public:
    void Draw(const lumiva::d3d9::DeviceState& state, uint64_t generation, const lumiva::d3d9::DrawCall& call,
              const lumiva::d3d9::DrawTargets& targets);

private:
    bool Current(uint64_t generation, const lumiva::d3d9::DrawCall& call, const SurfaceView& target,
                 const SurfaceView& depth) const;
    void Rebuild(const lumiva::d3d9::DeviceState& state, const lumiva::d3d9::DrawCall& call);

    uint64_t generation_ = 0;  // 0: nothing built yet
    StateBlock states_;
    std::vector<D3DLIGHT9> lights_;
    TextureView textures_[kMaxStages];
    std::vector<VertexElement> declaration_;
    DrawCommand command_;  // the compiled-from fields; the draw's own are set per draw
    CompiledDraw compiled_;
};

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
