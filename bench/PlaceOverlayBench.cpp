// The place's overlays, each with the device's "no raster" switch on (the
// module's own cost) and off (with pixels):
// - a weather frame (update, ambient and paint) of about 2,000 drops, in ns
//   per drop;
// - the type 1 background filling 800 x 600 from a 300 x 200 picture, its
//   fragments grouped by tile (one draw a tile) and, to compare, one call
//   and one draw a fragment;
// - a rebuild of the mini-map's 64 blocks from its picture, beside a plain
//   565-to-8888 loop over as many pixels.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <d3d9.h>

#include "BenchShell.h"
#include "ByteWriter.h"
#include "JpegWriter.h"
#include "KIniFile.h"
#include "MapWriter.h"
#include "PlaceOverlayWriter.h"
#include "basrel/BasrelReset.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/HostGlobals.h"
#include "d3d9/Control.h"
#include "place/PlaceClocks.h"
#include "place/PlaceMap.h"
#include "place/ScrollBackground.h"
#include "place/ScrollSetting.h"
#include "place/Weather.h"
#include "shell/D3DShellStartup.h"
#include "shell/KDrawShell.h"
#include "shell/ModuleExports.h"
#include "shell/ShellGlobals.h"
#include "shell/VideoPolicy.h"
#include "win32/Control.h"

namespace {

constexpr int kMapSide = 1024;  // the mini-map picture: all 64 blocks inside it

std::vector<uint8_t> Pattern(int width, int height) {
    std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 3);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 7 + i / 2048);
    return pixels;
}

void WriteOverlayData(const std::string& root) {
    ResetPlaceClocksForTests();
    WriteFileBytes(root + "/bg.jpg", EncodeJpeg(Pattern(300, 200), 300, 200));
    WriteFileBytes(root + "/Maps/b24.jpg", EncodeJpeg(Pattern(kMapSide, kMapSide), kMapSide, kMapSide));
    WorSettings wor;
    wor.mapLTRegionIndex = std::array<int, 2>{0, 0};
    WriteDataText(root, "\\Maps\\b.wor", WriteWorSettings(wor));
    WeatherSection rain;
    rain.id = 1;
    rain.particleNum = 8000;  // 400 drops an update, each living about 5
    rain.downSpeed = 2000;
    rain.flareTime = 1;
    rain.lifeTimeMin = rain.lifeTimeMax = 1000000;
    WriteDataText(root, kWeatherIniPath, WriteWeatherIni({rain}));
}

struct OverlayScene : BenchShell {
    OverlayScene() : BenchShell("overlays", WriteOverlayData) {}
    ~OverlayScene() { lumiva::d3d9::SetNoRaster(false); }
};

void WeatherFrame(benchmark::State& state, bool noRaster) {
    OverlayScene scene;
    lumiva::d3d9::SetNoRaster(noRaster);
    auto weather = std::make_unique<KWeather>();
    if (!weather->Load(1)) std::abort();
    weather->SetFocus(5000, 8000);
    for (int i = 0; i < 20; ++i) weather->Update();
    uint32_t clock = 1000;
    int64_t drops = 0;
    for (auto _ : state) {
        SetWeatherClock(clock += 40);
        benchmark::DoNotOptimize(weather->ApplyToAmbient(0xFF808080));
        weather->Update();
        weather->Paint(scene.shell);
        drops += int64_t(weather->Particles().size());
    }
    state.counters["drops"] = double(drops) / double(std::max<int64_t>(state.iterations(), 1));
    state.counters["ns_per_drop"] =
        benchmark::Counter(double(drops), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BackgroundFill(benchmark::State& state, bool noRaster, bool oneByOne = false) {
    OverlayScene scene;
    lumiva::d3d9::SetNoRaster(noRaster);
    KScrollBackground background;
    if (!background.LoadPicture("bg.jpg")) std::abort();
    background.Picture().DrawFragmentsOneByOne(oneByOne);
    KScrollSetting setting{};
    setting.speedOrRating = 2;
    setting.paintRight = 800;
    setting.paintBottom = 600;
    background.Setup(setting);
    background.SetEnabled(true);
    int focus = 0;
    for (auto _ : state) {
        focus += 7;
        background.Paint(focus, focus);
    }
}

void MiniMapRebuild(benchmark::State& state, bool noRaster) {
    OverlayScene scene;
    lumiva::d3d9::SetNoRaster(noRaster);
    KIniFile ini;
    if (!ini.Load("\\Maps\\b.wor")) std::abort();
    // 32-bit blocks: every pixel goes through the 565-to-8888 conversion.
    g_PictureTextureFormat = D3DFMT_X8R8G8B8;
    KPlaceMap map;
    map.LoadMap(&ini, "\\Maps\\b");
    map.SetSize(200, 200);
    // The centre in block 3 of a window starting at the map's corner.
    map.SetCentre(3 * 2048 + 1024, 3 * 4096 + 2048, false);
    map.SetFlags(KPlaceMap::kFlagShown);
    if (!map.HasPicture()) std::abort();
    for (auto _ : state) map.BuildPicture();
    state.SetItemsProcessed(state.iterations() * KPlaceMap::kBlockCount * KPlaceMap::kBlockSide *
                            KPlaceMap::kBlockSide);
}

// The conversion alone over the 64 blocks' pixels.
void Plain565To8888(benchmark::State& state) {
    constexpr size_t kPixels = size_t(KPlaceMap::kBlockCount) * KPlaceMap::kBlockSide * KPlaceMap::kBlockSide;
    std::vector<uint16_t> source(kPixels);
    for (size_t i = 0; i < kPixels; ++i) source[i] = uint16_t(i * 2654435761u);
    std::vector<uint32_t> target(kPixels);
    for (auto _ : state) {
        for (size_t i = 0; i < kPixels; ++i) {
            const uint32_t c = source[i];
            target[i] = 0xFF000000u | ((c >> 11) & 0x1F) << 19 | ((c >> 5) & 0x3F) << 10 | (c & 0x1F) << 3;
        }
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(kPixels));
}

void BM_PlaceWeatherFrameNoRaster(benchmark::State& state) { WeatherFrame(state, true); }
void BM_PlaceWeatherFrameWithPixels(benchmark::State& state) { WeatherFrame(state, false); }
void BM_PlaceBackgroundFillNoRaster(benchmark::State& state) { BackgroundFill(state, true); }
void BM_PlaceBackgroundFillWithPixels(benchmark::State& state) { BackgroundFill(state, false); }
void BM_PlaceBackgroundFillOneByOneNoRaster(benchmark::State& state) { BackgroundFill(state, true, true); }
void BM_PlaceMiniMapRebuildNoRaster(benchmark::State& state) { MiniMapRebuild(state, true); }
void BM_PlaceMiniMapRebuildWithPixels(benchmark::State& state) { MiniMapRebuild(state, false); }
void BM_Plain565To8888Loop(benchmark::State& state) { Plain565To8888(state); }

}  // namespace

BENCHMARK(BM_PlaceWeatherFrameNoRaster)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlaceWeatherFrameWithPixels)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlaceBackgroundFillNoRaster)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlaceBackgroundFillWithPixels)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlaceBackgroundFillOneByOneNoRaster)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlaceMiniMapRebuildNoRaster)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlaceMiniMapRebuildWithPixels)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Plain565To8888Loop)->Unit(benchmark::kMicrosecond);
