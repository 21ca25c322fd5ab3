// From the device's hand-off (state, call, targets) to raster draws: drawn
// at once, or kept for the frame's strips.
#pragma once

#include <memory>
#include <vector>

#include "d3d9/DrawPipeline.h"
#include "d3d9/raster/CompiledDraw.h"
#include "d3d9/raster/FrameBins.h"

namespace raster {

// One device's draws. What a draw reads from the state (the state block,
// the texture views, the enabled lights, the declaration, and the compiled
// pixel state, vertex setup and fast-path plan) is built again only when the
// device's state generation moves or a target's memory is another.
//
// Inside a scene with more than one raster thread, draws are processed up
// to their screen primitives at once and kept in the frame's strips; the
// device flushes them before anything reads or changes what they touch.
class DeviceDrawCache {
public:
    void Draw(const lumiva::d3d9::DeviceState& state, uint64_t generation, const lumiva::d3d9::DrawCall& call,
              const lumiva::d3d9::DrawTargets& targets, bool inScene);
    // Rasterizes the kept draws; returns when their pixels are written.
    void Flush();
    bool Pending() const { return !framed_.empty(); }
    // True when kept draws read or write this memory (a surface's bytes).
    bool PendingUses(const void* memory) const { return Pending() && frame_.UsesMemory(memory); }

private:
    // Everything the draws of one state generation point into.
    struct Compiled {
        StateBlock states;
        std::vector<D3DLIGHT9> lights;
        TextureView textures[kMaxStages];
        const void* sources[kMaxStages][kMaxMipLevels] = {};  // see BoundTextures
        std::vector<VertexElement> declaration;
        DrawCommand command;  // the compiled-from fields; the draw's own are set per draw
        CompiledDraw draw;
        bool inFrame = false;  // the frame's draws point into it
    };

    // The textures a draw samples; sources hold a level's own memory where
    // the view reads its expanded copy.
    struct BoundTextures {
        bool present[kMaxStages] = {};
        TextureView views[kMaxStages];
        const void* sources[kMaxStages][kMaxMipLevels] = {};
    };

    static bool SameTextures(const Compiled& compiled, const BoundTextures& bound);
    bool Current(uint64_t generation, const lumiva::d3d9::DrawCall& call, const SurfaceView& target,
                 const SurfaceView& depth) const;
    static void Rebuild(const lumiva::d3d9::DeviceState& state, const lumiva::d3d9::DrawCall& call,
                        const BoundTextures& bound, Compiled& out);
    void KeepForFrame();
    std::shared_ptr<Compiled> FreeCompiled();

    uint64_t generation_ = 0;  // 0: nothing built yet
    // Reused by every draw: only the stages marked present, and their
    // levels, hold this draw's values, so nothing is cleared per draw.
    BoundTextures bound_;
    std::shared_ptr<Compiled> compiled_;
    // Compiled states the frame points into, and ones free again after a
    // flush, so that a frame that switches textures often allocates once.
    std::vector<std::shared_ptr<Compiled>> framed_, spare_;
    FrameBins frame_;
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
