#include "DrawShellFixture.h"

#include "basrel/HostGlobals.h"
#include "shell/ModuleExports.h"
#include "shell/ShellGlobals.h"

namespace shell_test {

void DrawShellTest::SetUp() {
    ShellTest::SetUp();
    ResetShellForTests();
}

void DrawShellTest::TearDown() {
    ResetShellForTests();
    m_shell = nullptr;
    ShellTest::TearDown();
}

KDrawShell* DrawShellTest::MakeShell(bool withMainWindow) {
    if (withMainWindow) {
        m_window = CreateWindowExA(0, "LumivaTest", "Lumiva", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr,
                                   nullptr, nullptr);
        g_SetMainHWnd(m_window);
    }
    m_shell = static_cast<KDrawShell*>(CreateLumivaShell4());
    return m_shell;
}

KDrawShell* DrawShellTest::MakeCreatedShell(bool fullScreen) {
    KDrawShell* shell = MakeShell();
    EXPECT_TRUE(shell->Create(800, 600, fullScreen ? 1 : 0, 0, 0));
    return shell;
}

void DrawShellTest::ReleaseShell() {
    m_shell->Release();
    m_shell = nullptr;
}

bool InOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
    size_t next = 0;
    for (const std::string& line : lines)
        if (next < wanted.size() && line == wanted[next]) ++next;
    return next == wanted.size();
}

}  // namespace shell_test
