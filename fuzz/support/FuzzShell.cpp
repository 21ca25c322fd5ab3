#include "support/FuzzShell.h"

#include <windows.h>

#include <cstdlib>

#include "HostGlobals.h"
#include "d3d9/Control.h"
#include "shell/D3DDevice.h"
#include "shell/KDrawShell.h"
#include "shell/ModuleExports.h"

namespace lumiva::fuzz {
namespace {

struct MadeShell {
    KDrawShell* shell = nullptr;
    IDirect3DDevice9* device = nullptr;
};

MadeShell MakeShell() {
    // Whatever device another target left in the wrapper is not the shell's
    // to release.
    IDirect3DDevice9* other = g_D3DDevice.device;
    g_D3DDevice.device = nullptr;
    HWND window = CreateWindowExA(0, "LumivaFuzz", "LumivaFuzz", WS_POPUP, 0, 0, kFuzzScreenWidth,
                                  kFuzzScreenHeight, nullptr, nullptr, nullptr, nullptr);
    g_SetMainHWnd(window);
    auto* shell = static_cast<KDrawShell*>(CreateLumivaShell4());
    if (!shell || !shell->Create(kFuzzScreenWidth, kFuzzScreenHeight, 0, 0, 0) || !shell->GetDevice()) std::abort();
    MadeShell made{shell, g_D3DDevice.device};
    g_D3DDevice.device = other;
    return made;
}

}  // namespace

ShellScope::ShellScope(ScopeScene scene) : m_openScene(scene == ScopeScene::kOpen) {
    static const MadeShell made = MakeShell();
    m_shell = made.shell;
    m_savedDevice = g_D3DDevice.device;
    g_D3DDevice.device = made.device;
    m_savedNoRaster = lumiva::d3d9::NoRaster();
    lumiva::d3d9::SetNoRaster(true);
    if (m_openScene) made.device->BeginScene();
}

ShellScope::~ShellScope() {
    if (m_openScene) g_D3DDevice.device->EndScene();
    lumiva::d3d9::SetNoRaster(m_savedNoRaster);
    g_D3DDevice.device = static_cast<IDirect3DDevice9*>(m_savedDevice);
}

}  // namespace lumiva::fuzz
