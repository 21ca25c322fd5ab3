// lumiva-soak-life: a game client's long life on the software device.
//
//   lumiva-soak-life [--cycles N] [--frames N] [-v]
//
// Map cycles: the demo's whole client scene is loaded (the place with its
// map, models, effects, a lightning bolt that two casters also load and
// unload), drawn a few frames, given back and the map unloaded; then the
// host lets the old map's pictures go and shows a loading screen while
// released models age out. Frames: the scene loaded once and drawn with the
// device's no-raster switch on. After every cycle, and every 1000 frames,
// the module's own counts (live resources, texture memory, cached
// definitions, records of every manager and cache) must equal those after
// the first cycle (the first 1000 frames), but for the ribbon template each
// load makes, which lives until the shell's Release. The heap in use may
// grow over each part by less than one cycle's working set (the heap that
// loading and drawing the scene takes), and over the second half of the
// cycles by a small share of it.
//
// The module's clock is the stand-ins' manual clock, stepped each frame;
// the place's loader threads run, and each frame waits for its regions.
#include <windows.h>
#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "PakPreloads.h"
#include "d3d9/Control.h"
#include "host/ClientScene.h"
#include "host/ClientScreen.h"
#include "host/SceneSampleData.h"
#include "lumiva/IKDrawShell.h"
#include "lumiva/IScenePlace.h"
#include "scene/KModelManager.h"
#include "shell/ModuleCounts.h"
#include "shell/ModuleExports.h"
#include "soak/SoakSupport.h"
#include "win32/Control.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LUMIVA_LIFE_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define LUMIVA_LIFE_ASAN 1
#endif
#if defined(LUMIVA_LIFE_ASAN)
#include <sanitizer/allocator_interface.h>
#endif

namespace {

namespace fs = std::filesystem;
namespace d3d = lumiva::d3d9;

constexpr int kWidth = 800, kHeight = 600;
constexpr uint64_t kFrameMs = 16;
constexpr int kFramesPerCycle = 3;
constexpr int kFrameCheckEvery = 1000;
// Of one cycle's working set, what the second half of the cycles may add.
constexpr int64_t kLateGrowthShare = 16;

struct Options {
    int cycles = 100;
    int frames = 20000;
    bool verbose = false;
};

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--cycles" || arg == "--frames") && i + 1 < argc) {
            const long value = std::strtol(argv[++i], nullptr, 10);
            if (value < 1 || value > 10000000) return false;
            (arg == "--cycles" ? options->cycles : options->frames) = int(value);
        } else if (arg == "-v") {
            options->verbose = true;
        } else {
            std::fprintf(stderr, "usage: lumiva-soak-life [--cycles N] [--frames N] [-v]\n");
            return false;
        }
    }
    return true;
}

// Bytes the allocator has handed out and not had back.
int64_t HeapInUse() {
#if defined(LUMIVA_LIFE_ASAN)
    return int64_t(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return int64_t(info.uordblks + info.hblkhd);
#endif
}

// Counts after a start compared with the reference; each difference fails.
void ExpectCounts(const char* when, int index, const ModuleCounts& reference, const ModuleCounts& now) {
    for (const std::string& difference : CountDifferences(reference, now))
        soak::Fail("%s %d: %s", when, index, difference.c_str());
    if (d3d::RetiredObjectCount() > d3d::kRetiredObjectLimit)
        soak::Fail("%s %d: the device keeps %zu dead objects", when, index, d3d::RetiredObjectCount());
}

// The stand-ins and the module at their start, a shell made and the place
// handed out, as a host starts them.
class World {
public:
    explicit World(fs::path root) : m_root(std::move(root)) {}

    bool Prepare() { return soak::PrepareSampleRoot(m_root); }

    bool Start() {
        soak::StartStandIns(m_root, kWidth, kHeight);
        shell = CreateLumivaShell4();
        if (!shell || !shell->Create(kWidth, kHeight, 0, 0, 0)) return false;
        place = static_cast<IScenePlace*>(CreateScenePlaceC());
        return place != nullptr;
    }

    void Finish() {
        if (shell) shell->Release();
        shell = nullptr;
        soak::ExpectNothingLeft("the end", 0);
        soak::ResetStandIns();
    }

    IKDrawShell* shell = nullptr;
    IScenePlace* place = nullptr;

private:
    fs::path m_root;
};

void Step() { lumiva::win32::AdvanceClock(kFrameMs); }

// Two casters of the scene's bolt load and unload it by name besides the
// scene's own hold.
void TwoCasters(IKDrawShell* shell) {
    shell->LoadLightning(scene_data::kLightning);
    shell->LoadLightning(scene_data::kLightning);
    shell->UnloadLightning(scene_data::kLightning);
    shell->UnloadLightning(scene_data::kLightning);
}

// One map cycle; the heap's peak above where it started.
int64_t MapCycle(World& world, ClientScreen& screen, int cycle) {
    const int64_t before = HeapInUse();
    int64_t peak = before;
    {
        ClientScene scene(world.shell, world.place, screen);
        if (!scene.Load()) {
            soak::Fail("cycle %d: the scene does not load", cycle);
            return 0;
        }
        scene.WaitForRegionsEachFrame();
        for (int k = 0; k < kFramesPerCycle; ++k) {
            Step();
            scene.DrawFrame(cycle * kFramesPerCycle + k, 0);
            if (k == 0) TwoCasters(world.shell);
        }
        peak = std::max(peak, HeapInUse());
        if (scene.RegionsMissed()) soak::Fail("cycle %d: the place's regions did not arrive", cycle);
        scene.Release();
        if (!scene.ModelsReleased()) soak::Fail("cycle %d: the shell's ReleaseModel kept a model", cycle);
    }
    // A host leaving a map lets the pictures of the old one go, and shows
    // a loading screen long enough for released models to age out.
    world.shell->SetTextureRelease(-1);
    lumiva::win32::AdvanceClock(kModelResourceKeepMs + 1000);
    world.shell->BeginFrame(0, 0xFF000000u, nullptr);
    world.shell->EndFrame();
    return peak - before;
}

struct Figures {
    int64_t workingSet = 0;
    int64_t cycleGrowth = 0;
    // Over the second half of the cycles, when every bounded list is full.
    int64_t lateCycleGrowth = 0;
    int64_t frameGrowth = 0;
};

void MapCycles(World& world, ClientScreen& screen, const Options& options, Figures& figures) {
    figures.workingSet = MapCycle(world, screen, 0);
    const ModuleCounts reference = GatherModuleCounts();
    // The host library's copies of files the place's preload thread read.
    const size_t preloads = basrel::PreloadCount();
    const int64_t heapAfterFirst = HeapInUse();
    const int half = std::max(1, options.cycles / 2);
    int64_t heapAtHalf = heapAfterFirst;
    for (int cycle = 1; cycle < options.cycles && soak::FailureCount() < 10; ++cycle) {
        MapCycle(world, screen, cycle);
        if (cycle == half) heapAtHalf = HeapInUse();
        // Ribbon templates live until the shell's Release, each with its
        // vertex buffer: the scene makes one per load.
        ModuleCounts expected = reference;
        expected.ribbonTemplates += size_t(cycle);
        expected.liveResources += size_t(cycle);
        ExpectCounts("cycle", cycle, expected, GatherModuleCounts());
        if (basrel::PreloadCount() != preloads)
            soak::Fail("cycle %d: preloaded files: %zu -> %zu", cycle, preloads, basrel::PreloadCount());
        if (options.verbose)
            std::printf("  cycle %4d: heap %+lld bytes, %zu dead device objects\n", cycle,
                        static_cast<long long>(HeapInUse() - heapAfterFirst), d3d::RetiredObjectCount());
    }
    figures.cycleGrowth = HeapInUse() - heapAfterFirst;
    figures.lateCycleGrowth = HeapInUse() - heapAtHalf;
}

void WholeSceneFrames(World& world, ClientScreen& screen, const Options& options, Figures& figures) {
    ClientScene scene(world.shell, world.place, screen);
    if (!scene.Load()) return soak::Fail("frames: the scene does not load");
    scene.WaitForRegionsEachFrame();
    d3d::SetNoRaster(true);
    ModuleCounts reference;
    int64_t heapAtReference = 0;
    // Short runs settle half-way.
    const int settle = std::min(kFrameCheckEvery, std::max(1, options.frames / 2));
    for (int frame = 0; frame < options.frames && soak::FailureCount() < 10; ++frame) {
        Step();
        scene.DrawFrame(frame, 0);
        if (frame + 1 == settle) {
            reference = GatherModuleCounts();
            heapAtReference = HeapInUse();
        } else if (frame + 1 > settle && ((frame + 1) % kFrameCheckEvery == 0 || frame + 1 == options.frames)) {
            ModuleCounts now = GatherModuleCounts();
            // The regions held, and so their objects, follow the walking focus.
            ModuleCounts expected = reference;
            expected.placeFlatObjects = now.placeFlatObjects;
            ExpectCounts("frame", frame + 1, expected, now);
            if (options.verbose)
                std::printf("  frame %6d: heap %+lld bytes\n", frame + 1,
                            static_cast<long long>(HeapInUse() - heapAtReference));
        }
    }
    figures.frameGrowth = HeapInUse() - heapAtReference;
    d3d::SetNoRaster(false);
    if (scene.RegionsMissed()) soak::Fail("frames: the place's regions did not arrive");
    scene.Release();
}

}  // namespace

int main(int argc, char** argv) {
    soak::SetProgramName("lumiva-soak-life");
    Options options;
    if (!ParseOptions(argc, argv, &options)) return 2;
    const char* base = std::getenv("LUMIVA_TEST_TMP");
    const fs::path root = fs::path(base ? base : fs::temp_directory_path().string()) / "lumiva-soak-life";
    World world(root);
    if (!world.Prepare()) {
        std::fprintf(stderr, "lumiva-soak-life: cannot write the sample data into %s\n", root.c_str());
        return 1;
    }
    Figures figures;
    if (world.Start()) {
        ClientScreen screen(world.shell, kWidth, kHeight);
        if (screen.Load(root.string())) {
            MapCycles(world, screen, options, figures);
            WholeSceneFrames(world, screen, options, figures);
        } else {
            soak::Fail("the client screen does not load");
        }
    } else {
        soak::Fail("the shell or the place does not start");
    }
    world.Finish();
    std::error_code error;
    fs::remove_all(root, error);
    std::printf("lumiva-soak-life: one cycle's working set %lld kB; heap %+lld kB over %d cycles (%+lld kB over "
                "the second half), %+lld kB over %d frames\n",
                static_cast<long long>(figures.workingSet >> 10), static_cast<long long>(figures.cycleGrowth / 1024),
                options.cycles, static_cast<long long>(figures.lateCycleGrowth / 1024),
                static_cast<long long>(figures.frameGrowth / 1024), options.frames);
    if (figures.cycleGrowth >= figures.workingSet)
        soak::Fail("the heap grew %lld bytes over the cycles, one cycle's working set is %lld",
                   static_cast<long long>(figures.cycleGrowth), static_cast<long long>(figures.workingSet));
    // Only the ribbon templates the scene makes each load may add up then.
    if (figures.lateCycleGrowth >= figures.workingSet / kLateGrowthShare)
        soak::Fail("the heap grew %lld bytes over the second half of the cycles",
                   static_cast<long long>(figures.lateCycleGrowth));
    if (figures.frameGrowth >= figures.workingSet)
        soak::Fail("the heap grew %lld bytes over the frames, one cycle's working set is %lld",
                   static_cast<long long>(figures.frameGrowth), static_cast<long long>(figures.workingSet));
    return soak::FailureCount() ? 1 : 0;
}
