// Region reading and the map pre-scan over generated maps: a region of
// 100 ground tiles, 30 ground records, 60 objects and 10 lights, read from
// a packed cache and from its loose file, and a 30 x 30 map pre-scanned
// from its pack and from its loose files (the queue emptied between runs,
// outside the timing).
#include <benchmark/benchmark.h>

#include <string>

#include "BenchScratch.h"
#include "MapGenerator.h"
#include "MapWriter.h"
#include "basrel/BasrelReset.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/DebugLog.h"
#include "place/PakPreload.h"
#include "place/RegionPack.h"
#include "place/RegionPrescan.h"
#include "place/RegionReader.h"
#include "place/SceneRegion.h"

namespace {

constexpr const char* kRegionFolder = "\\Maps\\bench_region";
constexpr const char* kMapFolder = "\\Maps\\bench_map";
constexpr int kMapSide = 30;

// Both maps written once, loose files and packs.
void PrepareMaps() {
    static const bool written = [] {
        BasrelResetForTests();
        basrel::SetDebugLogToFile(false);
        g_SetRootPath(BenchScratchFolder().c_str());
        GeneratedMapFields region;
        region.folder = kRegionFolder;
        region.width = region.height = 1;
        region.pack = true;
        GeneratedMapFields map = region;
        map.folder = kMapFolder;
        map.width = map.height = kMapSide;
        return WriteGeneratedMap(BenchScratchFolder(), region) && WriteGeneratedMap(BenchScratchFolder(), map);
    }();
    if (!written) std::abort();
    g_SetRootPath(BenchScratchFolder().c_str());
}

void UsePack(const char* folder, bool pack) {
    ReleaseRegionPack();
    if (pack) InstallRegionPack(LoadRegionPack(RegionPackPath(folder).c_str()));
    if (pack && !HasRegionPack()) std::abort();
}

void BM_PlaceRegionRead(benchmark::State& state) {
    PrepareMaps();
    UsePack(kRegionFolder, state.range(0) != 0);
    KSceneRegion region;
    for (auto _ : state) {
        region.SetRegionIndices(10, 10);
        if (!ReadRegionFile(region, kRegionFolder) || region.objectHeader.count != 60) std::abort();
        benchmark::DoNotOptimize(region.groundRecordCount);
    }
    ReleaseRegionPack();
}
BENCHMARK(BM_PlaceRegionRead)->ArgName("pack")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_PlacePrescanPerRegion(benchmark::State& state) {
    PrepareMaps();
    UsePack(kMapFolder, state.range(0) != 0);
    size_t queued = 0;
    for (auto _ : state) {
        PrescanRegions(kMapFolder);
        state.PauseTiming();
        queued = QueuedPakPreloads().size();
        ClearPakPreloadQueue();
        state.ResumeTiming();
    }
    if (queued != 25 + 12 + 40 + size_t(kMapSide * kMapSide)) std::abort();
    state.counters["time_per_region"] =
        benchmark::Counter(double(state.iterations()) * kMapSide * kMapSide,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    ReleaseRegionPack();
}
BENCHMARK(BM_PlacePrescanPerRegion)->ArgName("pack")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
