// The vertex stage with a vertex shader in place of the fixed pipeline.
#pragma once

#include "d3d9/raster/VertexProcessing.h"

namespace raster {

// Binds the draw's program and constants and finds each declared input's
// element (missing ones read (0, 0, 0, 1)).
void BindShader(const DrawCommand& draw, const VertexLayout& layout, ShaderBinding& out);

// Runs up to kVertexBatch vertices; ok[i] false where an input of
// vertices[i] lies outside its stream.
void ShadeVertices(const VertexSetup& setup, const uint32_t* vertices, int count, ClipVertex* const* out, bool* ok);

}  // namespace raster
