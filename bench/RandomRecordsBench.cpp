// One DrawPrimitives call of 7,500 records of random bytes, as a careless
// host may hand them over: pictures whose names do not exist (every record
// a miss of the image cache), bars and lines whose corners span the int
// range. Milliseconds per call: the module's own cost ("no raster"), and
// with pixels for pictures and lines. Bars are left out with pixels: each
// random bar fills the whole 800 x 600 target, so a call rasterizes some
// 3.6 billion pixels (seconds, all of it the rasterizer's).
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <new>
#include <random>
#include <string>
#include <vector>

#include <d3d9.h>

#include "BenchShell.h"
#include "basrel/BasrelReset.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/HostGlobals.h"
#include "d3d9/Control.h"
#include "lumiva/PrimitiveRecords.h"
#include "shell/D3DShellStartup.h"
#include "shell/KDrawShell.h"
#include "shell/ModuleExports.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace {

constexpr int kRecords = 15000;

struct RandomRecords : BenchShell {
    std::vector<KPrimPicture> records = std::vector<KPrimPicture>(kRecords);

    RandomRecords() : BenchShell("random-records") {
        std::mt19937 random(7);
        for (int i = 0; i < kRecords; ++i) {
            KPrimPicture& r = records[size_t(i)];
            std::memset(static_cast<void*>(&r), 0, sizeof r);
            new (&r) KPrimPicture();
            // Random bytes throughout, as a careless host leaves them.
            auto* bytes = reinterpret_cast<uint8_t*>(&r);
            for (size_t b = 0; b < sizeof r; ++b) bytes[b] = uint8_t(random());
            r.imageType = int16_t(random() % 2);
            const std::string name = "\\spr\\" + std::to_string(random()) + ".spr";
            std::strcpy(r.fileName, name.c_str());
        }
    }
};

void BM_DrawPrimitivesOfRandomRecords(benchmark::State& state) {
    RandomRecords scene;
    lumiva::d3d9::SetNoRaster(state.range(1) == 0);
    const DWORD type = DWORD(state.range(0));
    for (auto _ : state) scene.shell->DrawPrimitives(kRecords / 2, scene.records.data(), type, 1, 0, -1, -1);
    lumiva::d3d9::SetNoRaster(false);
    state.SetItemsProcessed(state.iterations() * kRecords);
}

}  // namespace

BENCHMARK(BM_DrawPrimitivesOfRandomRecords)
    ->ArgsProduct({{PRIM_PICTURES, PRIM_RECT_PICTURES, PRIM_BARS, PRIM_LINES}, {0}})
    ->ArgsProduct({{PRIM_PICTURES, PRIM_LINES}, {1}})->Unit(benchmark::kMillisecond);
