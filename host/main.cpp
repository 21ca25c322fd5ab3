// The demo host: loads the module the way the game client does and drives
// it through its exported factory and the shell's slots only.
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "ClientScreen.h"
#include "DemoOptions.h"
#include "FrameOutput.h"
#include "MainWindow.h"
#include "ModuleLoader.h"
#include "SampleData.h"
#include "lumiva/IKDrawShell.h"
#include "lumiva/basrel/BasrelCore.h"

namespace {

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

int RunFrames(IKDrawShell* shell, const DemoOptions& options, MainWindow& window, FrameOutput& output) {
    ClientScreen screen(shell, options.width, options.height);
    if (!screen.Load(options.data)) return 1;
    for (int frame = 0; frame < options.frames; ++frame) {
        const auto start = std::chrono::steady_clock::now();
        screen.DrawFrame(frame);
        output.RecordFrameTime(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        const lumiva::d3d9::Image presented = window.PresentedFrame();
        if (!window.Show(presented)) break;
        if (output.IsKept(frame, options.frames) && !output.SaveFrame(presented, frame)) return 1;
    }
    if (window.IsShown() && !output.SavePng(window.ReadShown(), "window.png")) return 1;
    return output.SaveScreenShots(shell, options.data) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    DemoOptions options;
    if (!ParseDemoOptions(argc, argv, options)) return 2;
    const bool dataNamed = options.data != options.out + "/data";
    FrameOutput output(options.out);
    if (!output.Prepare() || !PrepareDataFolder(options, dataNamed)) return 1;

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
    if (!shell->Create(options.width, options.height, 0, 0, 0)) {
        std::fprintf(stderr, "lumiva-demo: the shell's Create failed (see the log in %s)\n", options.data.c_str());
        shell->Release();
        return 1;
    }
    std::printf("lumiva-demo: module loaded (recommended: %s), %dx%d, %s\n", module.IsRecommended() ? "yes" : "no",
                options.width, options.height, window.IsShown() ? "shown in a window" : "headless");
    const int result = RunFrames(shell, options, window, output);
    shell->Release();
    if (result == 0) output.PrintSummary();
    return result;
}
