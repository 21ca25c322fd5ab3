// A scene run of a perspective, trilinearly filtered texture in single
// precision, eight pixels a step, for the eight-pixel shading. The general
// span's values come within a rounding of each: the texel coordinates
// within a 1/256 texel step, the diffuse channels within one step, the
// level weight within 1/256 (a level changes where the weight reaches 256,
// so the mix is continuous there). The depths are not taken here: they
// stay ComputeSceneDepths' exact values.
#pragma once

#include "d3d9/raster/SceneRun.h"

namespace raster::fast {

// Whether the single-precision run serves a span: perspective, a linear mip
// filter (or the first level only) and the processor's AVX2.
bool SceneFloatRunServes(const SceneRunSetup& setup, const SceneMipSetup& mip);

// diffuse, level, weight, nextLevel and the texel coordinates on both levels
// (less mip.bias) of pixels start .. start + n - 1, n at most kScenePixels;
// the entries up to n rounded up to 8 are written.
void ComputeSceneFloatRunAvx2(const SceneRunSetup& setup, const SceneMipSetup& mip, int start, int n, SceneRun& out);

}  // namespace raster::fast
