// One frame of the demo's whole client scene as the host draws it (the
// place and its map, the figures, the shape, effects, weather and the 2D
// screen on top): with pixels on one raster thread and on the default
// count, and with the device's "no raster" switch (the module's own share).
#include <benchmark/benchmark.h>

#include "ClientScene.h"
#include "ClientScreen.h"
#include "DemoBenchShell.h"
#include "d3d9/Control.h"
#include "lumiva/IScenePlace.h"

namespace {

enum class Raster { kOneThread, kDefaultThreads, kNone };

void SceneFrame(benchmark::State& state, Raster raster) {
    DemoBenchShell bench;
    if (!bench.shell) {
        state.SkipWithError("shell Create failed");
        return;
    }
    ClientScreen screen(bench.shell, 800, 600);
    ClientScene scene(bench.shell, static_cast<IScenePlace*>(CreateScenePlaceC()), screen);
    if (!screen.Load(DemoSampleDataFolder()) || !scene.Load()) {
        state.SkipWithError("scene data missing");
    } else {
        lumiva::d3d9::SetRasterThreadCount(raster == Raster::kOneThread ? 1 : 0);
        lumiva::d3d9::SetNoRaster(raster == Raster::kNone);
        int frame = 0;
        // Weather from the first frame: the whole scene every time.
        for (auto _ : state) scene.DrawFrame(frame++, 0);
        lumiva::d3d9::SetNoRaster(false);
        lumiva::d3d9::SetRasterThreadCount(0);
    }
    scene.Release();
}

void BM_DemoSceneFrameOneThread(benchmark::State& state) { SceneFrame(state, Raster::kOneThread); }
void BM_DemoSceneFrameDefaultThreads(benchmark::State& state) { SceneFrame(state, Raster::kDefaultThreads); }
void BM_DemoSceneFrameNoRaster(benchmark::State& state) { SceneFrame(state, Raster::kNone); }

}  // namespace

BENCHMARK(BM_DemoSceneFrameOneThread)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoSceneFrameDefaultThreads)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoSceneFrameNoRaster)->Unit(benchmark::kMillisecond);
