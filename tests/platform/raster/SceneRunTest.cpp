// The scene run's level picks against PickMip over the library's logarithm,
// where a polynomial one would decide differently: footprints whose level
// of detail lies on, just below and just above each 1/512 step at which
// the level or the weight changes.
#include <gtest/gtest.h>

#include <cmath>

#include "d3d9/raster/SceneRun.h"

namespace rastertest {
namespace {

using namespace raster;

TextureView LevelSizes(uint32_t top) {
    TextureView view;
    for (uint32_t size = top; size >= 1; size /= 2) {
        SurfaceView& l = view.levels[view.levelCount++];
        l.format = D3DFMT_A8R8G8B8;
        l.width = l.height = size;
    }
    return view;
}

TEST(SceneRun, LevelPicksMatchTheLibraryLogarithmAtEveryDecision) {
    const TextureView texture = LevelSizes(256);
    const double offsets[] = {0.0, 1e-13, -1e-13, 1e-9, -1e-9, 1e-7, -1e-7, 3e-6, -3e-6};
    int checked = 0;
    for (uint32_t mipFilter : {D3DTEXF_POINT, D3DTEXF_LINEAR})
        for (double lodBias : {0.0, 0.25, -0.5}) {
            SamplerSetup sampler;
            sampler.texture = &texture;
            sampler.magFilter = sampler.minFilter = D3DTEXF_LINEAR;
            sampler.mipFilter = mipFilter;
            sampler.lodBias = lodBias;
            sampler.needsLod = true;
            for (int step = -700; step <= 4700; ++step)
                for (double offset : offsets) {
                    // One slope along x: the footprint is (slope * 256)^2 at every pixel.
                    const double slope = std::exp2(double(step) / 512.0 + offset) / 256.0;
                    Gradients g;
                    g.attr[kTexcoord0].dx = slope;
                    g.attr[kTexcoord0 + 1].c = 0.5;
                    g.constantMask = 1u << (kTexcoord0 + 1);
                    const fast::SceneRunSetup setup = fast::SceneRunFor(g, 0.0);
                    const fast::SceneMipSetup mip = fast::SceneMipFor(g, sampler, 128);
                    fast::SceneRun run;
                    fast::ComputeSceneRun(setup, &mip, 0, 2, run);
                    const MipPick expected = PickMip(sampler, SamplerLod(sampler, TexelDerivatives{slope, 0, 0, 0}));
                    ASSERT_EQ(run.level[0], expected.level) << "step " << step << " offset " << offset;
                    ASSERT_EQ(run.weight[0], expected.weight) << "step " << step << " offset " << offset;
                    ++checked;
                }
        }
    EXPECT_GT(checked, 90000);
}

}  // namespace
}  // namespace rastertest
