// Region streaming of the scene place over a generated 40 x 40 map (regions
// 10..49, 100 ground tiles, 30 ground records, 60 objects and 10 lights
// each): regions per second the loader thread reads for a full request of
// the 7 x 7 window, from the packed cache and from loose files; and the
// host's time per frame (SetFocus + UpdateFrame) while the focus walks one
// region every 10 frames across the packed map, with the loader and the
// merge running: median and worst frame.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <vector>

#include "BenchShell.h"
#include "MapGenerator.h"
#include "lumiva/basrel/DebugLog.h"
#include "place/PakPreload.h"
#include "place/RegionLoaderHooks.h"
#include "place/RegionPack.h"
#include "place/ScenePlace.h"

namespace {

constexpr int kMapSide = 40;
constexpr const char* kLooseFolder = "\\Maps\\stream_loose";
constexpr const char* kPackedFolder = "\\Maps\\stream_packed";
constexpr int kPackedMapId = 2;
constexpr int kFramesPerRegion = 10;

// Both maps written once into a folder every benchmark's data root links to.
const std::string& MapData() {
    static const std::string data = [] {
        const std::string folder = BenchScratchFolder() + "/streaming-maps";
        GeneratedMapFields loose;
        loose.folder = kLooseFolder;
        loose.width = loose.height = kMapSide;
        GeneratedMapFields packed = loose;
        packed.folder = kPackedFolder;
        packed.looseFiles = false;
        packed.pack = true;
        packed.mapId = kPackedMapId;
        if (!WriteGeneratedMap(folder, loose) || !WriteGeneratedMap(folder, packed)) std::abort();
        return folder;
    }();
    return data;
}

void LinkMapData(const std::string& root) {
    for (const auto& entry : std::filesystem::directory_iterator(MapData()))
        std::filesystem::create_directory_symlink(entry.path(), root + "/" + entry.path().filename().string());
}

// Counts the loader's completed reads.
struct Completions {
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;

    Completions() {
        SetRegionLoaderHook([this](RegionLoaderStep step, int32_t, int32_t) {
            if (step != RegionLoaderStep::Completed) return;
            std::lock_guard lock(mutex);
            ++count;
            changed.notify_all();
        });
    }
    ~Completions() { SetRegionLoaderHook({}); }
    void WaitFor(int total) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return count >= total; });
    }
};

struct StreamingPlace {
    BenchShell shell{"place_streaming", LinkMapData};
    Completions completions;

    explicit StreamingPlace(bool packed) {
        basrel::SetDebugLogToFile(false);
        ResetScenePlaceForTests();
        KScenePlace& place = ScenePlace();
        if (!place.Init(nullptr)) std::abort();
        const bool loaded = packed ? place.LoadMap(kPackedMapId, 0, 0) : place.LoadMapFromFolder(kLooseFolder);
        if (!loaded) std::abort();
    }
    ~StreamingPlace() {
        ResetScenePlaceForTests();
        ResetPakPreloadForTests();
        ResetRegionPackForTests();
    }
    // Focus in region (rx, ry); waits until `regions` more reads completed.
    void FocusAndWait(int32_t rx, int32_t ry, int regions) {
        const int before = completions.count;
        ScenePlace().SetFocus(rx * 512 + 100, ry * 1024 + 100, 0);
        completions.WaitFor(before + regions);
    }
};

void BM_PlaceFullRequest(benchmark::State& state) {
    MapData();
    StreamingPlace streaming(state.range(0) != 0);
    int32_t centre = 15;
    for (auto _ : state) {
        // Eight regions away: every record of the window is read again.
        centre = centre == 15 ? 23 : 15;
        streaming.FocusAndWait(centre, 20, 49);
    }
    state.SetItemsProcessed(state.iterations() * 49);
    state.SetLabel(state.range(0) ? "packed" : "loose");
}
BENCHMARK(BM_PlaceFullRequest)->Arg(1)->Arg(0)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_PlaceWalkFrame(benchmark::State& state) {
    MapData();
    StreamingPlace streaming(true);
    KScenePlace& place = ScenePlace();
    constexpr int32_t kStart = 13, kEnd = 46, kRow = 25;
    streaming.FocusAndWait(kStart, kRow, 49);
    place.UpdateFrame();
    std::vector<double> frames;
    int64_t x = int64_t(kStart) * 512 + 100;
    int64_t step = 512 / kFramesPerRegion;
    for (auto _ : state) {
        x += step;
        if (x >= int64_t(kEnd) * 512 || x <= int64_t(kStart) * 512) step = -step;
        const auto begin = std::chrono::steady_clock::now();
        place.SetFocus(int32_t(x), kRow * 1024 + 100, 0);
        place.UpdateFrame();
        const auto end = std::chrono::steady_clock::now();
        frames.push_back(std::chrono::duration<double, std::micro>(end - begin).count());
    }
    std::sort(frames.begin(), frames.end());
    state.counters["median_us"] = frames.empty() ? 0 : frames[frames.size() / 2];
    state.counters["worst_us"] = frames.empty() ? 0 : frames.back();
    state.counters["frames"] = double(frames.size());
}
BENCHMARK(BM_PlaceWalkFrame)->Iterations(3000)->Unit(benchmark::kMicrosecond);

}  // namespace
