// The hand-off from the device to the rasterizer. The device validates a
// draw call (primitive type and count, streams bound and large enough, the
// index range inside the index buffer, a vertex format or declaration set),
// records it, then calls RasterizeDraw with everything resolved to memory:
//
//   - `state`: the whole pipeline state at the draw (render, stage and
//     sampler states, textures per sampler, transforms, viewport, material,
//     lights, FVF or declaration, shaders and constants). Textures are the
//     device's Texture objects: AsTexture(state.textures[i]) gives their
//     levels as PixelBuffers (format, width, height, pitch, bytes).
//   - `call`: primitive type and count, where vertices come from, indices.
//   - `targets`: render target 0 and the depth-stencil buffer as
//     PixelBuffers the rasterizer writes in place.
//
// Stream sizes bound every vertex read: index values of user-memory draws
// are the application's and are not checked by the device, so a vertex whose
// bytes fall outside `streams[s].size` must be skipped, not read.
#pragma once

#include <array>
#include <vector>

#include "d3d9/PixelBuffer.h"
#include "d3d9/State.h"

namespace raster {
class DeviceDrawCache;
}

namespace lumiva::d3d9 {

// Vertex memory of one stream for this draw: the buffer (or user memory)
// from the bound offset on.
struct StreamData {
    const BYTE* data = nullptr;
    UINT size = 0;  // readable bytes from `data`
    UINT stride = 0;
};

struct DrawCall {
    D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
    UINT primitiveCount = 0;
    // Vertices the primitives consume, in order: for an indexed draw the
    // number of indices read.
    UINT vertexCount = 0;

    bool indexed = false;
    bool userMemory = false;  // DrawPrimitiveUP / DrawIndexedPrimitiveUP

    // Non-indexed: vertex i of the draw is stream vertex startVertex + i.
    UINT startVertex = 0;

    // Indexed: vertex i of the draw is stream vertex baseVertexIndex + index i.
    INT baseVertexIndex = 0;
    UINT minVertexIndex = 0;
    UINT numVertices = 0;
    const BYTE* indices = nullptr;  // the first index used (start index applied)
    D3DFORMAT indexFormat = D3DFMT_INDEX16;

    std::array<StreamData, kStreamCount> streams{};

    // How to read a vertex: the declaration's elements when one is set (and
    // `fvf` is 0), else the flexible vertex format.
    DWORD fvf = 0;
    const std::vector<D3DVERTEXELEMENT9>* declaration = nullptr;

    // Float constants a vertex shader may read in the draw's processing
    // mode (the caps' count in hardware, the whole file in software).
    UINT vertexShaderConstants = 0;
};

struct DrawTargets {
    PixelBuffer* color = nullptr;  // render target 0; never null
    PixelBuffer* depth = nullptr;  // null without a depth-stencil surface
};

// The rasterizer's place: vertex fetch, transform, clipping, rasterizing,
// texture stages, alpha test, depth and stencil, blending. Not called when
// the "no raster" switch is on. `stateGeneration` moves whenever anything a
// draw reads from `state` changes: `cache` keeps what the draw compiled
// from the state for the next draws of the same generation.
// Inside a scene, with more than one raster thread, the pixels may come
// later: the cache keeps the draw for the frame's strips until FlushDraws.
void RasterizeDraw(const DeviceState& state, uint64_t stateGeneration, const DrawCall& call,
                   const DrawTargets& targets, bool inScene, raster::DeviceDrawCache& cache);
// Writes the pixels of every kept draw; with `memory` (a surface's bytes),
// only when a kept draw reads or writes it.
void FlushDraws(raster::DeviceDrawCache& cache);
void FlushDrawsUsing(raster::DeviceDrawCache& cache, const void* memory);

}  // namespace lumiva::d3d9
