// A drawing shell made through the exported factory on the software device,
// with the host's main window on the virtual desktop.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "shell/KDrawShell.h"

namespace shell_test {

class DrawShellTest : public ShellTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new shell for a fresh main window (or none), as the host makes it.
    KDrawShell* MakeShell(bool withMainWindow = true);
    // MakeShell and Create (800 x 600, windowed unless asked).
    KDrawShell* MakeCreatedShell(bool fullScreen = false);
    // The shell's Release, after which the fixture forgets it.
    void ReleaseShell();
    // Lines of the log that start with "[D3DRender]", in order.
    std::vector<std::string> RenderLines() { return TakeRenderLog(); }

    HWND m_window = nullptr;
    KDrawShell* m_shell = nullptr;
};

// True when `wanted` occurs in `lines` in this order (other lines may lie between).
bool InOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted);

}  // namespace shell_test
