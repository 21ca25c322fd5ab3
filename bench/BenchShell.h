// A created 800 x 600 shell inside a scene, on a fresh process state, with
// its data root in the run's scratch folder. Data files are written through
// the callback before the shell starts, as a host's data is there first.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "BenchScratch.h"
#include "basrel/BasrelReset.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/HostGlobals.h"
#include "d3d9/Control.h"
#include "shell/D3DShellStartup.h"
#include "shell/KDrawShell.h"
#include "shell/ModuleExports.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

struct BenchShell {
    std::string root;
    KDrawShell* shell = nullptr;

    explicit BenchShell(const char* folder, const std::function<void(const std::string&)>& writeData = {}) {
        BasrelResetForTests();
        lumiva::win32::ResetForTests();
        lumiva::win32::SetMessageBoxLog([](const std::string&) {});
        lumiva::d3d9::ResetForTests();
        ResetDirect3DForTests();
        ResetShellForTests();
        root = BenchScratchFolder() + "/" + folder;
        std::filesystem::create_directories(root);
        g_SetRootPath(root.c_str());
        if (writeData) writeData(root);
        g_SetMainHWnd(CreateWindowExA(0, "LumivaBench", "Lumiva", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                      nullptr, nullptr, nullptr));
        shell = static_cast<KDrawShell*>(CreateLumivaShell4());
        if (!shell || !shell->Create(800, 600, 0, 0, 0)) std::abort();
        shell->GetDevice()->BeginScene();
        // Drawing happens inside a frame, where the image cache stamps uses
        // with the frame's clock reading.
        shell->imageCache.BeginFrameTick(GetTickCount());
    }
    ~BenchShell() {
        shell->GetDevice()->EndScene();
        ResetShellForTests();
        ResetDirect3DForTests();
        lumiva::d3d9::ResetForTests();
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    BenchShell(const BenchShell&) = delete;
    BenchShell& operator=(const BenchShell&) = delete;
};
