// Fill rate of the software rasterizer on the 2D workload: full 800x600
// frames of alpha-blended, textured screen quads, with the machine's memcpy
// bandwidth measured in the same run so the ratio can be read.
#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <vector>

#include "d3d9/raster/CompiledDraw.h"
#include "d3d9/raster/FastSpans.h"
#include "d3d9/raster/RasterPipeline.h"
#include "d3d9/raster/RasterWorkers.h"
#include "d3d9/raster/RowKernels.h"
#include "d3d9/raster/TexelFormats.h"

namespace {

using namespace raster;

constexpr uint32_t kWidth = 800, kHeight = 600;
constexpr uint32_t kTile = 64;  // sprite texture size

struct Vertex {
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};

// Millions of frame pixels a second, one frame an iteration.
benchmark::Counter FramePixelRate() {
    return benchmark::Counter(double(kWidth) * kHeight * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

struct Frame {
    std::vector<uint32_t> target = std::vector<uint32_t>(kWidth * kHeight, 0xFF203040u);
    std::vector<uint32_t> texels = std::vector<uint32_t>(kTile * kTile);
    TextureView texture;
    StateBlock states;
    std::vector<Vertex> vertices;  // 4 per quad, tiling the frame

    Frame(uint32_t filter, bool blend) {
        for (uint32_t i = 0; i < texels.size(); ++i) texels[i] = (i * 2654435761u) | 0x40000000u;
        texture.levelCount = 1;
        texture.levels[0] = SurfaceView{D3DFMT_A8R8G8B8, kTile, kTile, int32_t(kTile * 4),
                                        reinterpret_cast<uint8_t*>(texels.data())};
        SetDefaultStates(states);
        states.render[D3DRS_ZENABLE] = D3DZB_FALSE;
        states.render[D3DRS_LIGHTING] = 0;
        states.render[D3DRS_CULLMODE] = D3DCULL_NONE;
        states.render[D3DRS_ALPHABLENDENABLE] = blend;
        states.render[D3DRS_SRCBLEND] = D3DBLEND_SRCALPHA;
        states.render[D3DRS_DESTBLEND] = D3DBLEND_INVSRCALPHA;
        states.stage[0][D3DTSS_ALPHAOP] = D3DTOP_MODULATE;
        states.stage[0][D3DTSS_ALPHAARG2] = D3DTA_DIFFUSE;
        states.sampler[0][D3DSAMP_MINFILTER] = states.sampler[0][D3DSAMP_MAGFILTER] = filter;
        states.viewport = Viewport{0, 0, kWidth, kHeight, 0, 1};
        // Sprites as the module draws them: shifted half a pixel up-left.
        for (uint32_t y = 0; y < kHeight; y += kTile)
            for (uint32_t x = 0; x < kWidth; x += kTile) {
                const float x0 = float(x) - 0.5f, y0 = float(y) - 0.5f;
                const float x1 = x0 + float(kTile), y1 = y0 + float(kTile);
                const uint32_t c = 0xC0FFFFFFu;
                vertices.insert(vertices.end(), {{x0, y0, 0, 1, c, 0, 0},
                                                 {x1, y0, 0, 1, c, 1, 0},
                                                 {x0, y1, 0, 1, c, 0, 1},
                                                 {x1, y1, 0, 1, c, 1, 1}});
            }
    }

    // A textured strip of `primitiveCount` triangles onto the frame.
    DrawCommand StripCommand(uint32_t fvf, uint32_t primitiveCount) {
        DrawCommand d;
        d.primitiveType = D3DPT_TRIANGLESTRIP;
        d.primitiveCount = primitiveCount;
        d.fvf = fvf;
        d.textures[0] = &texture;
        d.target = SurfaceView{D3DFMT_X8R8G8B8, kWidth, kHeight, int32_t(kWidth * 4),
                               reinterpret_cast<uint8_t*>(target.data())};
        d.states = &states;
        return d;
    }

    void Draw() {
        DrawCommand d = StripCommand(0x144, 2);
        // One draw per sprite, as the picture renderers issue them.
        for (size_t q = 0; q < vertices.size(); q += 4) {
            d.streams[0] = StreamView{reinterpret_cast<const uint8_t*>(&vertices[q]), 4 * sizeof(Vertex), sizeof(Vertex)};
            raster::Draw(d);
        }
    }
};

// `adjust` changes the frame's states or texture before the frames are drawn.
void RunFrames(benchmark::State& state, uint32_t filter, bool blend, bool fast,
               const std::function<void(Frame&)>& adjust = nullptr) {
    SetFastPathsEnabled(fast);
    Frame frame(filter, blend);
    if (adjust) adjust(frame);
    for (auto _ : state) {
        frame.Draw();
        benchmark::DoNotOptimize(frame.target.data());
        benchmark::ClobberMemory();
    }
    SetFastPathsEnabled(true);
    state.counters["Mpixels/s"] = FramePixelRate();
}

void BM_AlphaBlendedPointQuads800x600(benchmark::State& state) { RunFrames(state, D3DTEXF_POINT, true, true); }
void BM_AlphaBlendedLinearQuads800x600(benchmark::State& state) { RunFrames(state, D3DTEXF_LINEAR, true, true); }
void BM_AlphaBlendedPointQuads800x600General(benchmark::State& state) { RunFrames(state, D3DTEXF_POINT, true, false); }

// The blended point sprites alpha-tested (GREATEREQUAL 0x80: about half the
// texels pass) or with a MODULATE2X stage; argument 1 the fast spans, 0 the
// general one, for the ratio between them.
void BM_AlphaTestedSprites800x600(benchmark::State& state) {
    RunFrames(state, D3DTEXF_POINT, true, state.range(0) != 0, [](Frame& frame) {
        frame.states.render[D3DRS_ALPHATESTENABLE] = 1;
        frame.states.render[D3DRS_ALPHAFUNC] = D3DCMP_GREATEREQUAL;
        frame.states.render[D3DRS_ALPHAREF] = 0x80;
    });
}
void BM_Modulate2xSprites800x600(benchmark::State& state) {
    RunFrames(state, D3DTEXF_POINT, true, state.range(0) != 0,
              [](Frame& frame) { frame.states.stage[0][D3DTSS_COLOROP] = D3DTOP_MODULATE2X; });
}

// Opaque ground tiles filtered linearly, a texture magnified over each
// (texels are not pixels, but the steps are exact binary fractions),
// modulated by the light at their corners:
// argument 0 one light a tile (the 2D span's linear rows), 1 a light a
// corner (the scene span), 2 the same drawn by the general span.
void BM_LitGroundTiles800x600(benchmark::State& state) {
    RunFrames(state, D3DTEXF_LINEAR, false, state.range(0) != 2, [&](Frame& frame) {
        const bool varying = state.range(0) != 0;
        for (size_t i = 0; i < frame.vertices.size(); ++i) {
            Vertex& v = frame.vertices[i];
            v.u = 0.25f + 0.5f * v.u;
            v.v = 0.25f + 0.5f * v.v;
            const uint32_t light = varying ? 0x60u + uint32_t((i * 37) % 0x90) : 0xA0u;
            v.color = 0xFF000000u | light << 16 | light << 8 | light;
        }
    });
}

// Blended point sprites from a DXT1 (argument 0: 1) or DXT5 (5) texture,
// sampled from the texture's decoded A8R8G8B8 copy as the device keeps it
// (argument 1: 1) or from the blocks texel by texel (0).
void BM_DxtSprites800x600(benchmark::State& state) {
    const D3DFORMAT format = state.range(0) == 1 ? D3DFMT_DXT1 : D3DFMT_DXT5;
    const uint32_t blockBytes = format == D3DFMT_DXT1 ? 8 : 16, across = kTile / 4;
    std::vector<uint8_t> blocks(size_t(across) * across * blockBytes);
    for (size_t i = 0; i < blocks.size(); ++i) blocks[i] = uint8_t((i * 2654435761u) >> 13);
    const SurfaceView compressed{format, kTile, kTile, int32_t(across * blockBytes), blocks.data()};
    std::vector<uint32_t> copy(size_t(kTile) * kTile);
    DecodeToArgb(compressed, reinterpret_cast<uint8_t*>(copy.data()), int32_t(kTile * 4));
    const SurfaceView expanded{D3DFMT_A8R8G8B8, kTile, kTile, int32_t(kTile * 4), reinterpret_cast<uint8_t*>(copy.data())};
    RunFrames(state, D3DTEXF_POINT, true, true,
              [&](Frame& frame) { frame.texture.levels[0] = state.range(1) ? expanded : compressed; });
}

// Making the copy: one 256 x 256 DXT5 texture decoded whole.
void BM_DxtExpand256(benchmark::State& state) {
    constexpr uint32_t kSide = 256;
    std::vector<uint8_t> blocks(size_t(kSide / 4) * (kSide / 4) * 16);
    for (size_t i = 0; i < blocks.size(); ++i) blocks[i] = uint8_t((i * 2654435761u) >> 13);
    const SurfaceView view{D3DFMT_DXT5, kSide, kSide, int32_t(kSide / 4 * 16), blocks.data()};
    std::vector<uint32_t> copy(size_t(kSide) * kSide);
    for (auto _ : state) {
        DecodeToArgb(view, reinterpret_cast<uint8_t*>(copy.data()), int32_t(kSide * 4));
        benchmark::DoNotOptimize(copy.data());
    }
    state.counters["Mtexels/s"] =
        benchmark::Counter(double(kSide) * kSide * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

// The same frame's bytes copied by memcpy: the bound any fill is measured against.
void BM_MemcpyFrame800x600(benchmark::State& state) {
    std::vector<uint32_t> src(kWidth * kHeight, 0x12345678u), dst(kWidth * kHeight);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size() * 4);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.counters["GB/s"] =
        benchmark::Counter(double(src.size()) * 4 * 1e-9, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["Mpixels/s"] = FramePixelRate();
}

// Per-draw cost: many small quads (8x12, like glyphs), one draw each, with
// the states compiled once as the device keeps them while they stand.
void RunSmallQuads(benchmark::State& state, bool compileEachDraw) {
    Frame frame(D3DTEXF_POINT, true);
    std::vector<Vertex> quad = {{10.5f, 10.5f, 0, 1, 0xFFFFFFFF, 0, 0},
                                {18.5f, 10.5f, 0, 1, 0xFFFFFFFF, 0.125f, 0},
                                {10.5f, 22.5f, 0, 1, 0xFFFFFFFF, 0, 0.1875f},
                                {18.5f, 22.5f, 0, 1, 0xFFFFFFFF, 0.125f, 0.1875f}};
    DrawCommand d = frame.StripCommand(0x144, 2);
    d.streams[0] = StreamView{reinterpret_cast<const uint8_t*>(quad.data()), 4 * sizeof(Vertex), sizeof(Vertex)};
    CompiledDraw compiled;
    CompileDraw(d, compiled);
    for (auto _ : state) {
        if (compileEachDraw) raster::Draw(d);
        else DrawCompiled(d, compiled);
        benchmark::ClobberMemory();
    }
    state.counters["draws/s"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_SmallQuadDraws(benchmark::State& state) { RunSmallQuads(state, false); }
// Every draw compiling its states: what each draw cost before the device kept them.
void BM_SmallQuadDrawsCompiledEachDraw(benchmark::State& state) { RunSmallQuads(state, true); }

// A scene frame: a perspective textured floor filling the screen, depth
// tested and written, Gouraud-shaded.
// The benchmark's argument is the thread count (0: the processor count).
// With `mipmapped` the floor's texture is 256 x 256 with its whole chain
// of levels, trilinear: the floor's far rows read the smaller levels.
void RunSceneFrame(benchmark::State& state, bool fast, bool mipmapped = false) {
    SetFastPathsEnabled(fast);
    SetRasterThreads(int(state.range(0)));
    Frame frame(D3DTEXF_LINEAR, false);
    std::vector<std::vector<uint32_t>> levels;
    if (mipmapped) {
        for (uint32_t size = 256; size >= 1; size /= 2) {
            levels.emplace_back(size_t(size) * size);
            for (uint32_t i = 0; i < levels.back().size(); ++i) levels.back()[i] = (i * 2654435761u) ^ size;
        }
        frame.texture.levelCount = uint32_t(levels.size());
        for (uint32_t l = 0; l < levels.size(); ++l) {
            const uint32_t size = 256u >> l;
            frame.texture.levels[l] = SurfaceView{D3DFMT_A8R8G8B8, size, size, int32_t(size * 4),
                                                  reinterpret_cast<uint8_t*>(levels[l].data())};
        }
        frame.states.sampler[0][D3DSAMP_MIPFILTER] = D3DTEXF_LINEAR;
    }
    std::vector<uint32_t> depth(kWidth * kHeight, 0xFFFFFFFFu);
    StateBlock s = frame.states;
    s.render[D3DRS_ZENABLE] = D3DZB_TRUE;
    s.render[D3DRS_ZWRITEENABLE] = 1;
    s.projection = IdentityMatrix();
    s.projection.m[2][2] = 10.0f / 9.0f;  // near 1, far 10
    s.projection.m[2][3] = 1;
    s.projection.m[3][2] = -10.0f / 9.0f;
    s.projection.m[3][3] = 0;
    struct SceneVertex {
        float x, y, z;
        uint32_t color;
        float u, v;
    };
    const std::vector<SceneVertex> floor = {{-10, -1, 9, 0xFFFFFFFF, 0, 8}, {10, -1, 9, 0xFF808080, 8, 8},
                                            {-10, -1, 1.01f, 0xFF808080, 0, 0}, {10, -1, 1.01f, 0xFFFFFFFF, 8, 0},
                                            {-10, 10, 9, 0xFFC0C0C0, 0, 0}, {10, 10, 9, 0xFFC0C0C0, 8, 0}};
    DrawCommand d = frame.StripCommand(0x142, 4);
    d.depth = SurfaceView{D3DFMT_D24X8, kWidth, kHeight, int32_t(kWidth * 4), reinterpret_cast<uint8_t*>(depth.data())};
    d.states = &s;
    // The floor strip and, behind it, a far wall: 0, 1, 2, 3 then 4, 5, 0, 1.
    const std::vector<SceneVertex> strip = {floor[2], floor[3], floor[0], floor[1], floor[4], floor[5]};
    d.streams[0] = StreamView{reinterpret_cast<const uint8_t*>(strip.data()), strip.size() * sizeof(SceneVertex),
                              sizeof(SceneVertex)};
    for (auto _ : state) {
        std::fill(depth.begin(), depth.end(), 0xFFFFFFFFu);
        raster::Draw(d);
        benchmark::ClobberMemory();
    }
    SetFastPathsEnabled(true);
    state.counters["threads"] = RasterThreads();
    SetRasterThreads(0);
    state.counters["Mpixels/s"] = FramePixelRate();
}
void BM_SceneFloor800x600(benchmark::State& state) { RunSceneFrame(state, true); }
void BM_SceneFloor800x600General(benchmark::State& state) { RunSceneFrame(state, false); }
void BM_SceneFloorMipMapped800x600(benchmark::State& state) { RunSceneFrame(state, true, true); }
void BM_SceneFloorMipMapped800x600General(benchmark::State& state) { RunSceneFrame(state, false, true); }
// The same floors with the scene run on two-double SSE2 lanes instead of
// the processor's widest.
void RunSceneFrameSse2(benchmark::State& state, bool mipmapped) {
    const SimdLevel widest = ActiveSimdLevel();
    SetSimdLevel(SimdLevel::kSse2);
    RunSceneFrame(state, true, mipmapped);
    SetSimdLevel(widest);
}
void BM_SceneFloor800x600Sse2(benchmark::State& state) { RunSceneFrameSse2(state, false); }
void BM_SceneFloorMipMapped800x600Sse2(benchmark::State& state) { RunSceneFrameSse2(state, true); }

// One opaque, point-sampled quad over the whole frame from a picture one
// texel a pixel (the corner of a 1024 x 1024 texture, so the steps are
// exact): the fill measured against the memcpy above. Argument: the thread
// count.
void BM_OpaquePointFill800x600(benchmark::State& state) {
    SetRasterThreads(int(state.range(0)));
    Frame frame(D3DTEXF_POINT, false);
    constexpr uint32_t kPicture = 1024;
    std::vector<uint32_t> picture(size_t(kPicture) * kPicture);
    for (uint32_t i = 0; i < picture.size(); ++i) picture[i] = i * 2654435761u;
    frame.texture.levels[0] = SurfaceView{D3DFMT_A8R8G8B8, kPicture, kPicture, int32_t(kPicture * 4),
                                          reinterpret_cast<uint8_t*>(picture.data())};
    const float x1 = float(kWidth) - 0.5f, y1 = float(kHeight) - 0.5f;
    const float u1 = float(kWidth) / float(kPicture), v1 = float(kHeight) / float(kPicture);
    std::vector<Vertex> quad = {{-0.5f, -0.5f, 0, 1, 0xFFFFFFFFu, 0, 0}, {x1, -0.5f, 0, 1, 0xFFFFFFFFu, u1, 0},
                                {-0.5f, y1, 0, 1, 0xFFFFFFFFu, 0, v1},    {x1, y1, 0, 1, 0xFFFFFFFFu, u1, v1}};
    DrawCommand d = frame.StripCommand(0x144, 2);
    d.streams[0] = StreamView{reinterpret_cast<const uint8_t*>(quad.data()), 4 * sizeof(Vertex), sizeof(Vertex)};
    for (auto _ : state) {
        raster::Draw(d);
        benchmark::DoNotOptimize(frame.target.data());
        benchmark::ClobberMemory();
    }
    state.counters["threads"] = RasterThreads();
    SetRasterThreads(0);
    state.counters["Mpixels/s"] = FramePixelRate();
}

// Threaded figures are wall-clock time: the caller's processor time leaves out the workers'.
BENCHMARK(BM_MemcpyFrame800x600)->UseRealTime();
BENCHMARK(BM_OpaquePointFill800x600)->Arg(1)->Arg(4)->Arg(0)->UseRealTime();
BENCHMARK(BM_SceneFloor800x600)->Arg(1)->Arg(4)->Arg(0)->UseRealTime();
BENCHMARK(BM_SceneFloor800x600General)->Arg(1)->UseRealTime();
BENCHMARK(BM_SceneFloorMipMapped800x600)->Arg(1)->Arg(4)->Arg(0)->UseRealTime();
BENCHMARK(BM_SceneFloorMipMapped800x600General)->Arg(1)->UseRealTime();
BENCHMARK(BM_SceneFloor800x600Sse2)->Arg(1)->UseRealTime();
BENCHMARK(BM_SceneFloorMipMapped800x600Sse2)->Arg(1)->UseRealTime();
BENCHMARK(BM_SmallQuadDraws);
BENCHMARK(BM_SmallQuadDrawsCompiledEachDraw);
BENCHMARK(BM_AlphaBlendedPointQuads800x600);
BENCHMARK(BM_AlphaBlendedLinearQuads800x600);
BENCHMARK(BM_AlphaBlendedPointQuads800x600General);
BENCHMARK(BM_AlphaTestedSprites800x600)->Arg(1)->Arg(0);
BENCHMARK(BM_Modulate2xSprites800x600)->Arg(1)->Arg(0);
BENCHMARK(BM_LitGroundTiles800x600)->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(BM_DxtSprites800x600)->Args({1, 1})->Args({1, 0})->Args({5, 1})->Args({5, 0});
BENCHMARK(BM_DxtExpand256);

}  // namespace
