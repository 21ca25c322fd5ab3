// The demo host: loads the module the way the game client does and drives
// it through its exported factory and the shell's slots only.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "ClientScene.h"
#include "ClientScreen.h"
#include "DemoOptions.h"
#include "FrameOutput.h"
#include "MainWindow.h"
#include "ModuleLoader.h"
#include "SampleData.h"
#include "d3d9/Control.h"
#include "win32/Control.h"
#include "lumiva/IKDrawShell.h"
#include "lumiva/basrel/BasrelCore.h"

namespace {

// Frames drawn again without pixels for the summary.
constexpr int kNoRasterFrames = 30;
// Where the manual clock starts under --step-ms: not 0, which the module's
// clocks read as "not started".
constexpr uint64_t kFixedStepClockStartMs = 100000;

// The default data folder is written afresh each run, so it always matches
// this build's screen; a folder the user names must be complete.
bool PrepareDataFolder(const DemoOptions& options, bool dataNamed) {
    if (dataNamed) {
        if (HasSampleData(options.data)) return true;
        std::fprintf(stderr, "lumiva-demo: %s is not a demo data folder (no %s)\n", options.data.c_str(),
                     kSampleDataMarker);
        return false;
    }
    if (!WriteSampleData(options.data)) {
        std::fprintf(stderr, "lumiva-demo: cannot write the sample data into %s\n", options.data.c_str());
        return false;
    }
    return true;
}

using FrameDrawer = std::function<void(int frame)>;

// Under a fixed step the module's clock moves only here, by the step, before
// each frame.
FrameDrawer Stepped(const DemoOptions& options, FrameDrawer draw) {
    if (options.stepMs <= 0) return draw;
    return [step = uint64_t(options.stepMs), draw = std::move(draw)](int frame) {
        lumiva::win32::AdvanceClock(step);
        draw(frame);
    };
}

double TimedMs(const FrameDrawer& draw, int frame) {
    const auto start = std::chrono::steady_clock::now();
    draw(frame);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The frames as shown and saved, the screenshots, then a few more frames
// with the device's "no raster" switch on: the module's own share.
int DrawAndKeepFrames(IKDrawShell* shell, const DemoOptions& options, MainWindow& window, FrameOutput& output,
                      const FrameDrawer& draw) {
    for (int frame = 0; frame < options.frames; ++frame) {
        output.RecordFrameTime(TimedMs(draw, frame));
        const lumiva::d3d9::Image presented = window.PresentedFrame();
        if (!window.Show(presented)) break;
        if (output.IsKept(frame, options.frames) && !output.SaveFrame(presented, frame)) return 1;
    }
    if (window.IsShown() && !output.SavePng(window.ReadShown(), "window.png")) return 1;
    if (!output.SaveScreenShots(shell, options.data)) return 1;
    lumiva::d3d9::SetNoRaster(true);
    const int noRasterFrames = std::min(options.frames, kNoRasterFrames);
    for (int k = 0; k < noRasterFrames; ++k) output.RecordNoRasterFrameTime(TimedMs(draw, options.frames + k));
    lumiva::d3d9::SetNoRaster(false);
    return 0;
}

int RunFrames(IKDrawShell* shell, IScenePlace* place, const DemoOptions& options, MainWindow& window,
              FrameOutput& output) {
    ClientScreen screen(shell, options.width, options.height);
    if (!screen.Load(options.data)) return 1;
    if (options.scene2d)
        return DrawAndKeepFrames(shell, options, window, output,
                                 Stepped(options, [&](int frame) { screen.DrawFrame(frame); }));
    if (!place) {
        std::fprintf(stderr, "lumiva-demo: CreateScenePlaceC returned no scene place\n");
        return 1;
    }
    ClientScene scene(shell, place, screen);
    if (!scene.Load()) return 1;
    if (options.stepMs > 0) scene.WaitForRegionsEachFrame();
    // The rain starts and stops within the frames shown.
    int result = DrawAndKeepFrames(shell, options, window, output,
                                   Stepped(options, [&](int frame) { scene.DrawFrame(frame, options.frames); }));
    if (scene.RegionsMissed()) result = 1;
    output.SetRegionsStreamed(scene.RegionsStreamed());
    std::printf("lumiva-demo: the place painted the player %d times\n", scene.PlayerPaints());
    std::printf("lumiva-demo: rain from frame %d, asked to stop at frame %d\n", scene.RainStartedAt(),
                scene.RainStopAskedAt());
    // Everything goes back before the shell's Release.
    scene.Release();
    if (!scene.ModelsReleased()) {
        std::fprintf(stderr, "lumiva-demo: the shell's ReleaseModel kept a model\n");
        return 1;
    }
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    DemoOptions options;
    if (!ParseDemoOptions(argc, argv, options)) return 2;
    const bool dataNamed = options.data != options.out + "/data";
    FrameOutput output(options.out);
    if (!output.Prepare() || !PrepareDataFolder(options, dataNamed)) return 1;

    // Before the module starts, so every clock it reads is the manual one.
    if (options.stepMs > 0) lumiva::win32::InstallManualClock(kFixedStepClockStartMs);
    ModuleLoader module;
    if (!module.Load(options.module)) return 1;
    g_SetRootPath(std::filesystem::absolute(options.data).c_str());

    MainWindow window;
    if (!window.Open(options.width, options.height, options.headless)) {
        std::fprintf(stderr, "lumiva-demo: cannot create the main window\n");
        return 1;
    }
    g_SetMainHWnd(window.Handle());

    IKDrawShell* shell = module.CreateShell();
    if (!shell) {
        std::fprintf(stderr, "lumiva-demo: CreateLumivaShell4 returned no shell\n");
        return 1;
    }
    // The shell sizes its back buffer by its screen setting, not by Create's
    // arguments: a client asks for the large screen before creating it.
    shell->SetLargeScreen(options.width >= 1024 ? 1 : 0);
    if (!shell->Create(options.width, options.height, 0, 0, 0)) {
        std::fprintf(stderr, "lumiva-demo: the shell's Create failed (see the log in %s)\n", options.data.c_str());
        shell->Release();
        return 1;
    }
    std::printf("lumiva-demo: module loaded (recommended: %s), %dx%d, %s\n", module.IsRecommended() ? "yes" : "no",
                options.width, options.height, window.IsShown() ? "shown in a window" : "headless");
    if (options.stepMs > 0) std::printf("lumiva-demo: the module's clock steps %d ms a frame\n", options.stepMs);
    const int result = RunFrames(shell, module.CreateScenePlace(), options, window, output);
    shell->Release();
    if (result == 0) output.PrintSummary();
    return result;
}
