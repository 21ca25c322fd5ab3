// One frame of the demo's whole client scene as the host draws it (the
// place and its map, the figures, the shape, effects, weather and the 2D
// screen on top): with pixels on one raster thread and on the default
// count, and with the device's "no raster" switch (the module's own share).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "BenchScratch.h"
#include "ClientScene.h"
#include "ClientScreen.h"
#include "SampleData.h"
#include "basrel/BasrelReset.h"
#include "d3d9/Control.h"
#include "lumiva/IKDrawShell.h"
#include "lumiva/IScenePlace.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/HostGlobals.h"
#include "shell/ModuleExports.h"
#include "win32/Control.h"

namespace {

const std::string& SceneDataFolder() {
    static const std::string folder = [] {
        const std::string path = BenchScratchFolder() + "/demo-scene";
        if (!WriteSampleData(path)) std::abort();
        return path;
    }();
    return folder;
}

enum class Raster { kOneThread, kDefaultThreads, kNone };

void SceneFrame(benchmark::State& state, Raster raster) {
    BasrelResetForTests();
    lumiva::d3d9::ResetForTests();
    lumiva::win32::SetDesktopSize(1056, 856);
    g_SetRootPath(SceneDataFolder().c_str());
    HWND window = CreateWindowExA(0, "LumivaBench", "bench", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                                  nullptr, nullptr);
    g_SetMainHWnd(window);
    IKDrawShell* shell = CreateLumivaShell4();
    if (!shell || !shell->Create(800, 600, 0, 0, 0)) {
        state.SkipWithError("shell Create failed");
        return;
    }
    {
        ClientScreen screen(shell, 800, 600);
        ClientScene scene(shell, static_cast<IScenePlace*>(CreateScenePlaceC()), screen);
        if (!screen.Load(SceneDataFolder()) || !scene.Load()) {
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
    shell->Release();
    DestroyWindow(window);
}

void BM_DemoSceneFrameOneThread(benchmark::State& state) { SceneFrame(state, Raster::kOneThread); }
void BM_DemoSceneFrameDefaultThreads(benchmark::State& state) { SceneFrame(state, Raster::kDefaultThreads); }
void BM_DemoSceneFrameNoRaster(benchmark::State& state) { SceneFrame(state, Raster::kNone); }

}  // namespace

BENCHMARK(BM_DemoSceneFrameOneThread)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoSceneFrameDefaultThreads)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoSceneFrameNoRaster)->Unit(benchmark::kMillisecond);
