// One frame of the demo's client screen through the shell: with pixels, and
// with the device's "no raster" switch (the module's own share).
#include <benchmark/benchmark.h>

#include "ClientScreen.h"
#include "DemoBenchShell.h"
#include "d3d9/Control.h"

namespace {

void DemoFrame(benchmark::State& state, bool noRaster) {
    DemoBenchShell bench;
    if (!bench.shell) {
        state.SkipWithError("shell Create failed");
        return;
    }
    ClientScreen screen(bench.shell, 800, 600);
    if (!screen.Load(DemoSampleDataFolder())) {
        state.SkipWithError("client screen data missing");
        return;
    }
    lumiva::d3d9::SetNoRaster(noRaster);
    int frame = 0;
    for (auto _ : state) screen.DrawFrame(frame++);
    lumiva::d3d9::SetNoRaster(false);
}

void BM_DemoFrame(benchmark::State& state) { DemoFrame(state, false); }
void BM_DemoFrameNoRaster(benchmark::State& state) { DemoFrame(state, true); }

}  // namespace

BENCHMARK(BM_DemoFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoFrameNoRaster)->Unit(benchmark::kMillisecond);
