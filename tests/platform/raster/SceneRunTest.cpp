// The scene run's level picks against PickMip over the library's logarithm,
// where a polynomial one would decide differently: footprints whose level
// of detail lies on, just below and just above each 1/512 step at which
// the level or the weight changes. The single-precision run against the
// double one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "d3d9/raster/RowKernels.h"
#include "d3d9/raster/SceneRun.h"
#include "d3d9/raster/SceneRunFloat.h"

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
                for (double offset : offsets)
                    for (bool perspective : {true, false}) {
                        // One slope along x: the footprint is (slope * 256)^2 at every pixel.
                        const double slope = std::exp2(double(step) / 512.0 + offset) / 256.0;
                        Gradients g;
                        g.attr[kTexcoord0].dx = slope;
                        g.attr[kTexcoord0 + 1].c = 0.5;
                        g.constantMask = 1u << (kTexcoord0 + 1);
                        // 1 / w is 1 everywhere: the same footprint, picked pixel by pixel
                        // rather than once for the row.
                        g.perspective = perspective;
                        g.q.c = 1.0;
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
    EXPECT_GT(checked, 180000);
}

// Floors and walls seen at a slant on an 800 x 600 screen, a 256 x 256
// texture repeated a dozen times across (texel coordinates near 2^20 in
// 1/256 texel) and every level read, Gouraud-shaded: each pixel's position between the levels
// (level * 256 + weight) is within 1/256 of the double run's, its texel
// coordinates on a level both runs read within one 1/256 step, its
// diffuse channels within one step. Largest differences seen: 1 each.
TEST(SceneRun, SinglePrecisionRunsStayWithinAStepOfTheDoubleRun) {
    if (!SimdLevelSupported(SimdLevel::kAvx2)) GTEST_SKIP() << "no AVX2";
    const TextureView texture = LevelSizes(256);
    const struct {
        double q[3], u[3], v[3];  // c, dx, dy of 1/w, u/w and v/w
    } planes[] = {
        {{0.05, 0.0, 0.0016}, {-2.0, 0.01, 0.0}, {0.0, 0.0, 0.0025}},
        {{0.02, 0.00001, 0.0019}, {-12.0, 0.04, 0.001}, {3.0, -0.0007, 0.0031}},
        {{0.9, -0.0011, 0.0}, {5.0, 0.07, 0.002}, {-7.0, 0.004, 0.09}},
        {{0.01, 0.0004, 0.0004}, {-0.5, 0.00125, 0.00125}, {0.2, -0.00125, 0.00125}},
    };
    const double colour[4][3] = {{255.0, -0.2, 0.1}, {12.0, 0.3, 0.2}, {128.0, 0.0, 0.0}, {3.0, 0.01, 0.05}};
    int largestLevel = 0, largestTexel = 0, largestDiffuse = 0;
    for (const auto& p : planes)
        for (double lodBias : {0.0, 0.25}) {
            SamplerSetup sampler;
            sampler.texture = &texture;
            sampler.magFilter = sampler.minFilter = sampler.mipFilter = D3DTEXF_LINEAR;
            sampler.lodBias = lodBias;
            sampler.needsLod = true;
            Gradients g;
            g.perspective = true;
            g.q = Plane{p.q[0], p.q[1], p.q[2]};
            g.attr[kTexcoord0] = Plane{p.u[0], p.u[1], p.u[2]};
            g.attr[kTexcoord0 + 1] = Plane{p.v[0], p.v[1], p.v[2]};
            for (int c = 0; c < 4; ++c) {
                const double scale = p.q[0] + 300.0 * p.q[2];  // about a mid-screen pixel's 1 / w
                g.attr[kDiffuseR + c] = Plane{colour[c][0] * scale, colour[c][1] * scale, colour[c][2] * scale};
            }
            const fast::SceneMipSetup mip = fast::SceneMipFor(g, sampler, 128);
            for (int y = 0; y < 600; y += 23) {
                const fast::SceneRunSetup setup = fast::SceneRunFor(g, double(y));
                ASSERT_TRUE(fast::SceneFloatRunServes(setup, mip));
                for (int start = 0; start < 800; start += fast::kScenePixels) {
                    const int n = std::min(fast::kScenePixels, 800 - start);
                    fast::SceneRun exact, single;
                    fast::ComputeSceneRun(setup, &mip, start, n, exact);
                    fast::ComputeSceneFloatRunAvx2(setup, mip, start, n, single);
                    for (int i = 0; i < n; ++i) {
                        auto at = [](const fast::SceneRun& r, int k) { return int(r.level[k]) * 256 + int(r.weight[k]); };
                        largestLevel = std::max(largestLevel, std::abs(at(exact, i) - at(single, i)));
                        auto texel = [&](int32_t a, int32_t b) { largestTexel = std::max(largestTexel, std::abs(a - b)); };
                        if (exact.level[i] == single.level[i]) {
                            texel(exact.fu[i], single.fu[i]);
                            texel(exact.fv[i], single.fv[i]);
                        }
                        if (exact.nextLevel[i] == single.nextLevel[i]) {
                            texel(exact.fuNext[i], single.fuNext[i]);
                            texel(exact.fvNext[i], single.fvNext[i]);
                        }
                        for (int shift = 0; shift < 32; shift += 8)
                            largestDiffuse = std::max(largestDiffuse, std::abs(int((exact.diffuse[i] >> shift) & 255) -
                                                                               int((single.diffuse[i] >> shift) & 255)));
                        ASSERT_LE(largestLevel, 1) << "y " << y << " x " << start + i;
                        ASSERT_LE(largestTexel, 1) << "y " << y << " x " << start + i;
                        ASSERT_LE(largestDiffuse, 1) << "y " << y << " x " << start + i;
                    }
                }
            }
        }
}

}  // namespace
}  // namespace rastertest
