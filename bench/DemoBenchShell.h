// The demo's sample data, written once a run into the scratch folder, and a
// shell made through the exported factory on an 800 x 600 window on a fresh
// process state, as the demo host makes it.
#pragma once

#include <cstdlib>
#include <string>

#include "BenchScratch.h"
#include "SampleData.h"
#include "basrel/BasrelReset.h"
#include "d3d9/Control.h"
#include "lumiva/IKDrawShell.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/HostGlobals.h"
#include "shell/ModuleExports.h"
#include "win32/Control.h"

inline const std::string& DemoSampleDataFolder() {
    static const std::string folder = [] {
        const std::string path = BenchScratchFolder() + "/demo";
        if (!WriteSampleData(path)) std::abort();
        return path;
    }();
    return folder;
}

// `shell` is null when Create failed. Declared before what draws through
// the shell, so the shell goes last.
struct DemoBenchShell {
    HWND window = nullptr;
    IKDrawShell* shell = nullptr;

    DemoBenchShell() {
        BasrelResetForTests();
        lumiva::d3d9::ResetForTests();
        lumiva::win32::SetDesktopSize(1056, 856);
        g_SetRootPath(DemoSampleDataFolder().c_str());
        window = CreateWindowExA(0, "LumivaBench", "bench", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                                 nullptr, nullptr);
        g_SetMainHWnd(window);
        shell = CreateLumivaShell4();
        if (shell && !shell->Create(800, 600, 0, 0, 0)) {
            shell->Release();
            shell = nullptr;
        }
    }
    ~DemoBenchShell() {
        if (shell) shell->Release();
        DestroyWindow(window);
    }
    DemoBenchShell(const DemoBenchShell&) = delete;
    DemoBenchShell& operator=(const DemoBenchShell&) = delete;
};
