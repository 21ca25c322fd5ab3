// Window styles and placement on the virtual desktop for windowed,
// full-screen and toggled modes, and the screen size the mode takes.
#include <gtest/gtest.h>

#include "DrawShellFixture.h"
#include "shell/D3DDevice.h"
#include "shell/D3DShell.h"
#include "win32/Control.h"

namespace shell_test {
namespace {

class DrawShellWindow : public DrawShellTest {
protected:
    RECT WindowRect() {
        RECT rect{};
        GetWindowRect(m_window, &rect);
        return rect;
    }
    static RECT Adjusted(int width, int height, DWORD style, DWORD exStyle) {
        RECT rect{0, 0, width, height};
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
        return rect;
    }
    DWORD Style() { return static_cast<DWORD>(GetWindowLongA(m_window, GWL_STYLE)); }
    DWORD ExStyle() { return static_cast<DWORD>(GetWindowLongA(m_window, GWL_EXSTYLE)); }
};

TEST_F(DrawShellWindow, WindowedCreateCentresAHiddenWindow) {
    MakeCreatedShell(false);
    EXPECT_EQ(Style(), 0x00CA0000u);
    EXPECT_EQ(ExStyle(), 0x00040000u);
    EXPECT_FALSE(IsWindowVisible(m_window));
    const RECT adjusted = Adjusted(800, 600, 0x10CA0000, 0x00040000);
    const RECT rect = WindowRect();
    EXPECT_EQ(rect.left, (1024 - 800) / 2);
    EXPECT_EQ(rect.top, (768 - 600) / 2);
    EXPECT_EQ(rect.right - rect.left, adjusted.right - adjusted.left);
    EXPECT_EQ(rect.bottom - rect.top, adjusted.bottom - adjusted.top);
    EXPECT_EQ(g_Windowed, 1);
}

TEST_F(DrawShellWindow, FullScreenCreateIsATopmostPopupAtTheOrigin) {
    MakeCreatedShell(true);
    EXPECT_EQ(Style(), static_cast<DWORD>(WS_POPUP));
    EXPECT_EQ(ExStyle() & 0x00040008u, 0x00040008u);
    const RECT rect = WindowRect();
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 800);
    EXPECT_EQ(rect.bottom, 600);
    EXPECT_EQ(g_Windowed, 0);
    EXPECT_FALSE(g_D3DDevice.presentParams.Windowed);
}

TEST_F(DrawShellWindow, ToggleSwitchesModesAndShowsTheWindow) {
    KDrawShell* shell = MakeCreatedShell(false);
    ASSERT_TRUE(shell->ToggleWindowMode());
    EXPECT_EQ(shell->IsWindowed(), 0);
    EXPECT_EQ(Style(), static_cast<DWORD>(WS_POPUP | WS_VISIBLE));
    EXPECT_TRUE(IsWindowVisible(m_window));
    EXPECT_EQ(WindowRect().left, 0);

    ASSERT_TRUE(shell->ToggleWindowMode());
    EXPECT_EQ(shell->IsWindowed(), 1);
    EXPECT_EQ(Style(), 0x10CA0000u);
    EXPECT_EQ(ExStyle() & WS_EX_TOPMOST, 0u);
    EXPECT_TRUE(IsWindowVisible(m_window));
    EXPECT_EQ(WindowRect().left, 112);
    EXPECT_TRUE(g_D3DDevice.presentParams.Windowed);
}

TEST_F(DrawShellWindow, LargeScreenDecidesTheDisplayMode) {
    KDrawShell* shell = MakeShell();
    ASSERT_TRUE(shell->Create(1024, 768, 0, 0, 0));
    // Without the large-screen switch the device stays 800 x 600 while the
    // window is sized for the size asked.
    EXPECT_EQ(g_D3DDevice.presentParams.BackBufferWidth, 800u);
    EXPECT_EQ(g_ScreenWidth, 800);
    const RECT adjusted = Adjusted(1024, 768, 0x10CA0000, 0x00040000);
    EXPECT_EQ(WindowRect().right - WindowRect().left, adjusted.right - adjusted.left);
    ReleaseShell();

    shell = MakeShell();
    shell->SetLargeScreen(1);
    ASSERT_TRUE(shell->Create(1024, 768, 0, 0, 0));
    EXPECT_EQ(g_D3DDevice.presentParams.BackBufferWidth, 1024u);
    EXPECT_EQ(g_ScreenHeight, 768);
}

TEST_F(DrawShellWindow, WindowedModeChangePullsAnOffDesktopWindowBack) {
    KDrawShell* shell = MakeCreatedShell(false);
    // The cache's default-pool pictures must go before a reset.
    ASSERT_EQ(shell->InvalidateDeviceObjects(), 0);
    ASSERT_TRUE(shell->ChangeDisplayMode(800, 600, 0, 0));
    // The adjusted rectangle starts left of and above (0, 0): moved to the origin.
    const RECT rect = WindowRect();
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(Style(), 0x10CA0000u);
}

}  // namespace
}  // namespace shell_test
