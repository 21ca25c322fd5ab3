// One frame of the demo's client screen through the shell: with pixels, and
// with the device's "no raster" switch (the module's own share).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "BenchScratch.h"
#include "ClientScreen.h"
#include "SampleData.h"
#include "basrel/BasrelReset.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/HostGlobals.h"
#include "d3d9/Control.h"
#include "lumiva/IKDrawShell.h"
#include "shell/ModuleExports.h"
#include "win32/Control.h"

namespace {

const std::string& SampleDataFolder() {
    static const std::string folder = [] {
        const std::string path = BenchScratchFolder() + "/demo";
        if (!WriteSampleData(path)) std::abort();
        return path;
    }();
    return folder;
}

void DemoFrame(benchmark::State& state, bool noRaster) {
    BasrelResetForTests();
    lumiva::d3d9::ResetForTests();
    lumiva::win32::SetDesktopSize(1056, 856);
    g_SetRootPath(SampleDataFolder().c_str());
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
        if (!screen.Load(SampleDataFolder())) {
            state.SkipWithError("client screen data missing");
        } else {
            lumiva::d3d9::SetNoRaster(noRaster);
            int frame = 0;
            for (auto _ : state) screen.DrawFrame(frame++);
            lumiva::d3d9::SetNoRaster(false);
        }
    }
    shell->Release();
    DestroyWindow(window);
}

void BM_DemoFrame(benchmark::State& state) { DemoFrame(state, false); }
void BM_DemoFrameNoRaster(benchmark::State& state) { DemoFrame(state, true); }

}  // namespace

BENCHMARK(BM_DemoFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoFrameNoRaster)->Unit(benchmark::kMillisecond);
