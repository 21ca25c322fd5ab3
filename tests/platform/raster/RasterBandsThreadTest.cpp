// Large draws rasterized in bands on worker threads leave exactly what one
// thread leaves, for any thread count and any order the bands run in.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "RasterTestKit.h"
#include "d3d9/Control.h"
#include "d3d9/raster/FrameBins.h"
#include "d3d9/raster/RasterWorkers.h"

namespace rastertest::raster_bands_thread_test {
namespace {

constexpr uint32_t kSize = 320;  // large enough for the banded path

struct ThreadsGuard {
    ~ThreadsGuard() {
        SetRasterThreads(0);
        SetBandOrderForTests(nullptr);
    }
};

Texture Checker() {
    std::vector<uint32_t> texels(16 * 16);
    for (uint32_t i = 0; i < texels.size(); ++i) texels[i] = ((i * 2654435761u) & 0x00FFFFFFu) | ((i * 37u) << 24);
    return Texture::Argb(16, 16, texels);
}

StateBlock SceneStates(bool depth, uint32_t fill) {
    StateBlock s = States2D(kSize, kSize);
    s.render[D3DRS_FILLMODE] = fill;
    s.render[D3DRS_ALPHABLENDENABLE] = 1;
    s.render[D3DRS_SRCBLEND] = D3DBLEND_SRCALPHA;
    s.render[D3DRS_DESTBLEND] = D3DBLEND_INVSRCALPHA;
    s.sampler[0][D3DSAMP_MINFILTER] = s.sampler[0][D3DSAMP_MAGFILTER] = D3DTEXF_LINEAR;
    if (depth) {
        s.render[D3DRS_ZENABLE] = D3DZB_TRUE;
        s.render[D3DRS_ZWRITEENABLE] = 1;
        s.projection = IdentityMatrix();
        s.projection.m[2][2] = 10.0f / 9.0f;  // near 1, far 10
        s.projection.m[2][3] = 1;
        s.projection.m[3][2] = -10.0f / 9.0f;
        s.projection.m[3][3] = 0;
    }
    return s;
}

struct Frame {
    std::vector<uint8_t> colour, depth;
    bool operator==(const Frame&) const = default;
};

// Overlapping screen quads, a fan, lines and points, then a perspective
// floor and wall through the depth buffer, clipped by the near plane.
Frame DrawScene(uint32_t fill) {
    const Texture tex = Checker();
    Target t(kSize, 0xFF203040u);
    Surface depth(D3DFMT_D24X8, kSize, kSize, 4, 0xFFFFFFFFu);
    const StateBlock flat = SceneStates(false, fill);
    for (int i = 0; i < 4; ++i) {
        const float o = float(i) * 37.0f;
        DrawUp(flat, t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2,
               Quad(-20.0f + o, -10.0f + o * 0.5f, 250.0f + o, 230.0f + o * 0.7f, 0x90FFFFFFu ^ uint32_t(i * 0x010203),
                    0, 0, 3.5f, 2.25f),
               &tex.view);
    }
    const std::vector<ScreenVtx> fan = {{160, 160, 0, 1, 0xFFFF0000u, 0.5f, 0.5f}, {0, 0, 0, 1, 0x8000FF00u, 0, 0},
                                        {320, 20, 0, 1, 0x400000FFu, 1, 0},       {300, 320, 0, 1, 0xC0FFFF00u, 1, 1},
                                        {10, 300, 0, 1, 0x80FFFFFFu, 0, 1},        {0, 0, 0, 1, 0x8000FF00u, 0, 0}};
    DrawUp(flat, t.view, kScreenFvf, D3DPT_TRIANGLEFAN, 4, fan, &tex.view);
    DrawUp(flat, t.view, kScreenFvf, D3DPT_LINESTRIP, 5, fan, &tex.view);
    DrawUp(flat, t.view, kScreenFvf, D3DPT_POINTLIST, 6, fan, &tex.view);

    const StateBlock scene = SceneStates(true, fill);
    const std::vector<SceneVtx> strip = {{-10, -1, 0.5f, 0xFF808080u, 0, 0}, {10, -1, 0.5f, 0xFFFFFFFFu, 8, 0},
                                         {-10, -1, 9, 0xFFFFFFFFu, 0, 8},    {10, -1, 9, 0xFF808080u, 8, 8},
                                         {-10, 10, 9, 0xFFC0C0C0u, 0, 0},    {10, 10, 9, 0xFFC0C0C0u, 8, 0}};
    DrawUp(scene, t.view, kSceneFvf, D3DPT_TRIANGLESTRIP, 4, strip, &tex.view, depth.view);
    return Frame{t.bytes, depth.bytes};
}

TEST(RasterBandsThreadTest, AnyThreadCountLeavesWhatOneThreadLeaves) {
    ThreadsGuard guard;
    for (uint32_t fill : {D3DFILL_SOLID, D3DFILL_WIREFRAME}) {
        SetRasterThreads(1);
        const Frame one = DrawScene(fill);
        for (int threads : {2, 3, 4, 7}) {
            SetRasterThreads(threads);
            EXPECT_TRUE(DrawScene(fill) == one) << threads << " threads, fill " << fill;
        }
    }
}

TEST(RasterBandsThreadTest, BandsInAnyOrderLeaveWhatOneThreadLeaves) {
    ThreadsGuard guard;
    SetRasterThreads(1);
    const Frame one = DrawScene(D3DFILL_SOLID);
    SetRasterThreads(4);
    int largest = 0;
    SetBandOrderForTests([&](int bands) {
        largest = std::max(largest, bands);
        std::vector<int> order(size_t(bands), 0);
        for (int i = 0; i < bands; ++i) order[size_t(i)] = bands - 1 - i;  // last band first
        return order;
    });
    EXPECT_TRUE(DrawScene(D3DFILL_SOLID) == one);
    constexpr int kStrip = raster::FrameBins::kStripRows;
    EXPECT_EQ(largest, (int(kSize) + kStrip - 1) / kStrip);  // one band a strip of rows
}

TEST(RasterBandsThreadTest, SmallDrawsStayOnTheCaller) {
    ThreadsGuard guard;
    SetRasterThreads(4);
    int runs = 0;
    SetBandOrderForTests([&](int bands) {
        ++runs;
        std::vector<int> order(size_t(bands), 0);
        for (int i = 0; i < bands; ++i) order[size_t(i)] = i;
        return order;
    });
    const Texture tex = Checker();
    Target t(kSize);
    DrawUp(SceneStates(false, D3DFILL_SOLID), t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2,
           Quad(10, 10, 74, 74, 0xFFFFFFFFu), &tex.view);
    EXPECT_EQ(runs, 0);
    DrawUp(SceneStates(false, D3DFILL_SOLID), t.view, kScreenFvf, D3DPT_TRIANGLESTRIP, 2,
           Quad(0, 0, float(kSize), float(kSize), 0xFFFFFFFFu), &tex.view);
    EXPECT_EQ(runs, 1);
}

TEST(RasterBandsThreadTest, TheCountIsADeviceSettingThatAResetPutsBack) {
    ThreadsGuard guard;
    const int processors = lumiva::d3d9::RasterThreadCount();
    EXPECT_GE(processors, 1);
    lumiva::d3d9::SetRasterThreadCount(3);
    EXPECT_EQ(RasterThreads(), 3);
    lumiva::d3d9::ResetForTests();
    EXPECT_EQ(lumiva::d3d9::RasterThreadCount(), processors);
}

}  // namespace
}  // namespace rastertest::raster_bands_thread_test
