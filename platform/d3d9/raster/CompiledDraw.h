// What a draw folds from its states, target and textures before it reads a
// vertex: the pixel state, the vertex setup and the fast-path plan. The
// device keeps one between draws and compiles it again only when something
// it was folded from changes.
#pragma once

#include "d3d9/raster/FastSpans.h"
#include "d3d9/raster/PixelState.h"
#include "d3d9/raster/PrimitiveSink.h"
#include "d3d9/raster/PrimitiveSink.h"
#include "d3d9/raster/RasterPipeline.h"
#include "d3d9/raster/VertexProcessing.h"

namespace raster {

struct CompiledDraw {
    DrawResult result = DrawResult::kInvalidTarget;  // kDrawn when draws may use it
    PixelState pixels;
    VertexSetup vertices;
    FastPathPlan fast;
};

// Folds the command's states, textures, target, vertex format and shader;
// its streams, indices and counts are not read. The texture views must
// outlive the compiled draw.
void CompileDraw(const DrawCommand& draw, CompiledDraw& out);

// Draws `draw` through states compiled from a command equal to it in all
// CompileDraw reads. The vertex setup is bound to this draw's streams.
// With a sink, the primitives go to it, with contexts pointing into
// `compiled`, instead of to the rasterizer.
DrawResult DrawCompiled(const DrawCommand& draw, CompiledDraw& compiled, PrimitiveSink* sink = nullptr);

}  // namespace raster
