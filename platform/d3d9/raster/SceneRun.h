// The interpolated values of a run of scene-span pixels, worked out two
// pixels at a time in vector registers before the pixels are shaded one by
// one. Every value is what the general span computes for the pixel, bit for
// bit: the same IEEE operations in the same order, then the same clamps and
// roundings (ColorChannel, TexelFixed, QuantizeDepth).
#pragma once

#include <cstdint>

#include "d3d9/raster/Interpolation.h"
#include "d3d9/raster/RasterTypes.h"

namespace raster::fast {

constexpr int kScenePixels = 16;

// One attribute along a row: row + dx * x, times w when divided; a
// constant attribute is a line of slope 0 not divided (c + 0 * x is c).
struct RowLine {
    double row = 0, dx = 0;
    bool divided = false;
};

struct SceneRunSetup {
    RowLine colour[4];  // diffuse r, g, b, a
    RowLine u, v;
    double zRow = 0, zdx = 0, qRow = 0, qdx = 0;
    bool perspective = false;
    bool colourVaries = true, alphaVaries = true;  // else the channels are not computed
    D3DFORMAT depth = D3DFMT_UNKNOWN;               // UNKNOWN: no depth values
    // Texel coordinates in 1/256 texel for one level this size, less
    // `bias` (128 for linear filtering); width 0 skips them.
    double width = 0, height = 0;
    int32_t bias = 0;
};

struct SceneRun {
    uint32_t depth[kScenePixels];
    int32_t colour[4][kScenePixels];
    int32_t fu[kScenePixels], fv[kScenePixels];
    double u[kScenePixels], v[kScenePixels], w[kScenePixels];
};

SceneRunSetup SceneRunFor(const Gradients& g, double fy);

// Pixels start .. start + n - 1 (n at most kScenePixels).
void ComputeSceneRun(const SceneRunSetup& setup, int start, int n, SceneRun& out);

}  // namespace raster::fast
