// Painting a place: a 3 x 3 window of generated regions (about 300 wall,
// segment and point fragments, 100 tiles and 30 ground records a region),
// 50 host objects the host paints in every pass, and 36 map lights. µs per
// Paint with the device's "no raster" switch and with pixels, the light
// grid alone, and one 512-tile ground composition.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "BenchShell.h"
#include "MapGenerator.h"
#include "MapWriter.h"
#include "place/RegionLoaderHooks.h"
#include "place/RegionReader.h"
#include "place/ScenePlace.h"
#include "place/ScenePlaceHost.h"
#include "tests/support/ActiveRegionMerge.h"
#include "tests/support/QuietPlaceHost.h"

namespace {

constexpr int32_t kLeft = 10, kTop = 10;
constexpr int32_t kFocusX = (kLeft + 1) * 512 + 256, kFocusY = (kTop + 1) * 1024 + 512;

// Paints nothing itself: the module's cost, not the host's.
class BenchHost final : public test_support::QuietPlaceHost {
public:
    bool IsPlayerObject(int32_t kind, int32_t id) override { return kind == 6 && id == 1; }
    void GetObjectLight(int32_t, int32_t id, KHostObjectLight* light) override {
        *light = KHostObjectLight{kFocusX + id * 9, kFocusY, 0, 0xFF806040, 96};
    }
    void PaintObject(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) override { ++painted; }
    int painted = 0;
};

GeneratedMapFields Map() {
    GeneratedMapFields map;
    map.folder = "\\Maps\\paint";
    map.left = kLeft;
    map.top = kTop;
    map.objects = 40;  // 33 fragments and 7 flat objects a region
    map.lights = 4;
    map.pictures = true;
    return map;
}

// The benches read the pool's records by hand: the place's loader thread,
// which the map load wakes, must take none of them meanwhile, or it and the
// bench read the same records at once (and the bench's read finds a record
// the loader has taken).
struct LoaderHold {
    LoaderHold() { HoldRegionLoader(true); }
    ~LoaderHold() { HoldRegionLoader(false); }
};

// The place loaded and merged as the region merge leaves it.
struct PaintedPlace {
    BenchShell bench{"place_paint", [](const std::string& root) {
                         if (!WriteGeneratedMap(root, Map())) std::abort();
                     }};
    LoaderHold hold;
    BenchHost host;
    std::vector<KSceneObject*> objects;

    PaintedPlace() {
        KScenePlace& place = ScenePlace();
        SetScenePlaceHost(&host);
        if (!place.Init(nullptr) || !place.LoadMap(1, 0, 0)) std::abort();
        place.SetViewSize(800, 600);
        place.SetFocus(kFocusX, kFocusY, 0);
        place.CommitViewCenter();
        for (int i = 0; i < 9; ++i) {
            auto* region = const_cast<KSceneRegion*>(place.OrderedRegion(i));
            if (!ReadRegionFile(*region, Map().folder.c_str())) std::abort();
        }
        place.MarkLoadedForTests(9);
        place.RebuildActiveWindow();
        test_support::MergeActiveRegions(place);
        for (int i = 0; i < 50; ++i)
            objects.push_back(place.AddObject(i == 0 ? 6 : 3, 1 + i, kFocusX - 400 + i * 16, kFocusY - 600 + i * 24, 0,
                                              1 | 2 | 4 | (i % 5 == 0 ? 8 : 0)));
        place.InvalidateGround();
        place.Paint();  // the ground composed once
    }
    ~PaintedPlace() {
        for (KSceneObject*& object : objects) ScenePlace().RemoveObject(0, 0, &object);
        ResetScenePlaceForTests();
        SetScenePlaceHost(nullptr);
    }

};

void BM_PlacePaint(benchmark::State& state) {
    PaintedPlace place;
    lumiva::d3d9::SetNoRaster(state.range(0) == 0);
    for (auto _ : state) ScenePlace().Paint();
    lumiva::d3d9::SetNoRaster(false);
    state.counters["host_paints"] = double(place.host.painted) / double(state.iterations() + 1);
    state.counters["lights"] = double(ScenePlace().ObjectTree().Lights().size());
}
BENCHMARK(BM_PlacePaint)->ArgName("pixels")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_PlaceLightGrid(benchmark::State& state) {
    PaintedPlace place;
    KSceneObjectTree& tree = ScenePlace().ObjectTree();
    for (auto _ : state) {
        tree.BuildLightGrid();
        benchmark::DoNotOptimize(tree.LightGrid().Colours());
    }
    state.counters["lights"] = double(tree.Lights().size());
}
BENCHMARK(BM_PlaceLightGrid)->Unit(benchmark::kMicrosecond);

// 512 tiles of one region composed into its picture, no raster.
void BM_PlaceGroundComposition(benchmark::State& state) {
    BenchShell bench("place_ground", [](const std::string& root) {
        GeneratedMapFields map = Map();
        map.tiles = 512;
        map.groundRecords = 0;
        if (!WriteGeneratedMap(root, map)) std::abort();
    });
    LoaderHold hold;
    KScenePlace& place = ScenePlace();
    if (!place.Init(nullptr) || !place.LoadMap(1, 0, 0)) std::abort();
    place.SetFocus(kFocusX, kFocusY, 0);
    auto* region = const_cast<KSceneRegion*>(place.OrderedRegion(0));
    if (!ReadRegionFile(*region, Map().folder.c_str())) std::abort();
    place.MarkLoadedForTests(1);
    place.RebuildActiveWindow();
    if (!region->groundPicture) std::abort();
    lumiva::d3d9::SetNoRaster(true);
    place.BuildRegionGroundPicture(*region, true);  // pictures loaded once
    for (auto _ : state) place.BuildRegionGroundPicture(*region, true);
    lumiva::d3d9::SetNoRaster(false);
    state.counters["per_tile"] =
        benchmark::Counter(double(state.iterations()) * 512, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    ResetScenePlaceForTests();
}
BENCHMARK(BM_PlaceGroundComposition)->Unit(benchmark::kMicrosecond);

}  // namespace
