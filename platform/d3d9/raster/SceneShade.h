// Shading a scene run eight pixels at a time on AVX2: bilinear taps of
// 32-bit texels read as pairs by 64-bit loads, the two levels mixed, stage 0 and
// the writes, for the plain case (opaque, no alpha test) of a texture whose
// every level wraps by mask. Each
// channel is what SampleFixed, BilinearMix, MixLanes and ProductLanes give
// it (ScaledProductLanes for MODULATE2X and MODULATE4X), to the bit: the
// same integer sums, only more pixels a step.
#pragma once

#include <cstdint>

#include "d3d9/raster/SceneRun.h"

namespace raster::fast {

// A level as the gathers read it: sides minus one for the wrap masks.
struct ShadeLevel {
    const uint8_t* bits;
    int32_t pitch, widthMask, heightMask;
};

struct SceneShadeSetup {
    ShadeLevel levels[kMaxMipLevels];
    bool mip;          // else every pixel reads levels[0] and the run has no level picks
    bool opaqueTexels; // X8R8G8B8: the texels' alpha reads 255
    bool xTarget;      // the target's alpha is written 255
    // Stage 0's mode (ChannelMode) for the colour channels and for alpha.
    int colourMode, alphaMode;
    // Products doubled (MODULATE2X) or doubled twice (MODULATE4X), colour
    // channels and alpha apart: 1, 2 or 4.
    int colourScale, alphaScale;
    // The depth written where the depth test passed: 2 or 4 bytes a pixel,
    // 24 bits over 8 kept stencil bits for D24 formats; 0 for no write.
    int depthBytes;
    bool depthShifted;
};

// The depth test of n pixels (n at most kScenePixels) against a row of
// 32-bit depths (24 bits over 8 with `shifted`): bit i set where depth[i]
// passes against stored pixel i, as CompareMask::Passes decides.
uint32_t DepthPassesAvx2(const uint32_t* depth, const uint8_t* stored, int n, bool shifted, bool less, bool equal,
                         bool greater);

// Pixels start .. start + n - 1 of a run whose bits in `passing` are set
// (bit i for pixel start + i) take their colour in `row` and, with a depth
// write, their depth in `depthRow` (both the rows' first pixels).
void ShadeSceneRunAvx2(const SceneShadeSetup& setup, const SceneRun& run, int start, int n, uint32_t passing,
                       uint32_t* row, uint8_t* depthRow);

}  // namespace raster::fast
