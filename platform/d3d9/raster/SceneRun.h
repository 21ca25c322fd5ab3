// The interpolated values of a run of scene-span pixels, worked out two or
// four pixels at a time in vector registers before the pixels are shaded.
// Every value is what the general span computes for the pixel, bit for
// bit: the same IEEE operations in the same order, then the same clamps and
// roundings (ColorChannel, TexelFixed, QuantizeDepth). The level of detail
// takes a polynomial logarithm, and the library's where the result lies
// near a decision of the level or weight, so the picks are the same too.
#pragma once

#include <cstdint>

#include "d3d9/raster/Interpolation.h"
#include "d3d9/raster/RasterTypes.h"
#include "d3d9/raster/TextureSampler.h"

namespace raster::fast {

constexpr int kScenePixels = 32;  // at most 32: a run's pixels are bits of a 32-bit mask

// One attribute along a row: row + dx * x, times w when divided; a
// constant attribute is a line of slope 0 not divided (c + 0 * x is c).
struct RowLine {
    double row, dx;
    bool divided;
};

// Set up once a row, so no member starts zeroed: SceneRunFor sets every one.
struct SceneRunSetup {
    RowLine colour[4];  // diffuse r, g, b, a
    RowLine u, v;
    double zRow, zdx, qRow, qdx;
    bool perspective;
    bool colourVaries, alphaVaries;  // else the channels are not computed
    uint32_t fixedDiffuse;           // the packed channels that are not computed
    D3DFORMAT depth;                 // for ComputeSceneDepths
    // Texel coordinates in 1/256 texel for one level this size, less
    // `bias` (128 for linear filtering); width 0 skips them.
    double width, height;
    int32_t bias;
    // The same on a second level this size into fuNext, fvNext; 0 skips them.
    double nextWidth, nextHeight;
};

// With levels: the level and weight of each pixel (as PickMip gives them)
// and the texel coordinates on that level and the next, less `bias`.
struct SceneMipSetup {
    const SamplerSetup* sampler = nullptr;
    int32_t bias = 0;
    double uDx = 0, uDy = 0, vDx = 0, vDy = 0, qDx = 0, qDy = 0;  // 0 for a constant coordinate
    bool uVaries = false, vVaries = false;
    double topWidth = 0, topHeight = 0;
    double levelWidth[kMaxMipLevels], levelHeight[kMaxMipLevels];  // the texture's levels
    // PickMip's constants: the first and last level it may pick, whether
    // it picks only the first, or the nearest level (POINT) rather than two.
    int32_t base = 0, last = 0;
    bool firstOnly = false, nearestLevel = false;
    double lodBias = 0;
    MipPick flatPick;  // without perspective: every pixel's pick
};

struct SceneRun {
    uint32_t depth[kScenePixels];
    int32_t fu[kScenePixels], fv[kScenePixels];
    double u[kScenePixels], v[kScenePixels];
    uint32_t diffuse[kScenePixels];  // the four colour channels packed as A8R8G8B8
    int32_t level[kScenePixels];
    uint32_t weight[kScenePixels];   // toward level + 1, in 1/256
    int32_t fuNext[kScenePixels], fvNext[kScenePixels];  // on level + 1 where the weight is not 0
    int32_t nextLevel[kScenePixels];                     // level + 1 there, else the level
};

SceneRunSetup SceneRunFor(const Gradients& g, double fy);

// Computed channels whose line is flat over the row (a constant, or an
// affine slope of 0) packed into fixedDiffuse once: every pixel would
// compute the same value.
void FoldFlatChannels(SceneRunSetup& setup);

// The level picking of `sampler` (several levels) over a triangle.
SceneMipSetup SceneMipFor(const Gradients& g, const SamplerSetup& sampler, int32_t bias);

// The quantized depths of pixels start .. start + n - 1 in setup.depth's
// format (n at most kScenePixels), written to out[0 .. n rounded up to even).
void ComputeSceneDepths(const SceneRunSetup& setup, int start, int n, uint32_t* out);

// The other values of pixels start .. start + n - 1; with `mip` the levels
// too.
void ComputeSceneRun(const SceneRunSetup& setup, const SceneMipSetup* mip, int start, int n, SceneRun& out);

}  // namespace raster::fast
