// DrawPrimitives over 1,000 sprite records of a cached picture per call:
// ns per record with the device's "no raster" switch on (the module's own
// cost) and off (with pixels). Records of type 4 reach the sprite renderer
// through the image cache, as the screen lists do.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include <d3d9.h>

#include "BenchShell.h"
#include "ByteWriter.h"
#include "SprWriter.h"
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

constexpr int kRecords = 1000;

void WriteSprite(const std::string& root) {
    const std::vector<uint32_t> pixels(32 * 32, 0xC0FF8040u);
    WriteFileBytes(root + "/s.spr", WriteSpr(SprSpriteInfo{32, 32, 16, 16, 1, 1}, {{32, 32, 0, 0, pixels}}));
}

struct SpriteScene : BenchShell {
    std::vector<KPrimPictureEx> records = std::vector<KPrimPictureEx>(kRecords);

    SpriteScene() : BenchShell("dispatch", WriteSprite) {
        for (int i = 0; i < kRecords; ++i) {
            KPrimPictureEx& r = records[size_t(i)];
            std::memset(static_cast<void*>(&r), 0, sizeof r);
            new (&r) KPrimPictureEx();
            r.ax = (i * 37) % 768, r.ay = (i * 53) % 568;
            r.blendMode = 0, r.imageType = 1;  // sprite
            std::strcpy(r.fileName, "s.spr");
            r.r0 = -1000, r.r1 = -1000, r.r2 = 1000, r.r3 = 1000;
        }
    }
};

void Run(benchmark::State& state, bool noRaster) {
    SpriteScene scene;
    lumiva::d3d9::SetNoRaster(noRaster);
    for (auto _ : state) scene.shell->DrawPrimitives(kRecords, scene.records.data(), PRIM_RECT_PICTURES, 1, 0, -1, -1);
    lumiva::d3d9::SetNoRaster(false);
    state.SetItemsProcessed(state.iterations() * kRecords);
    state.counters["ns_per_record"] = benchmark::Counter(double(state.iterations() * kRecords),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_DispatchSpritesNoRaster(benchmark::State& state) { Run(state, true); }
void BM_DispatchSpritesWithPixels(benchmark::State& state) { Run(state, false); }

}  // namespace

BENCHMARK(BM_DispatchSpritesNoRaster)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DispatchSpritesWithPixels)->Unit(benchmark::kMicrosecond);
