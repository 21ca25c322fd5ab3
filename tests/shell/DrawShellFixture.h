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
    // Lines of the log that start with "[D3DRender]", in order.
    std::vector<std::string> RenderLines() { return TakeRenderLog(); }
};

// True when `wanted` occurs in `lines` in this order (other lines may lie between).
bool InOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted);

}  // namespace shell_test
