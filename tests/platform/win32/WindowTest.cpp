#include <windows.h>

#include "Win32TestFixture.h"

namespace {

using namespace lumiva::win32;
// The d3d9 tests built with these in one unit have a ResetForTests of their own.
using lumiva::win32::ResetForTests;

using WindowTest = Win32Test;

HWND CreateTopLevel(DWORD style, DWORD exStyle = 0, HMENU menu = nullptr) {
    return CreateWindowExA(exStyle, "LumivaTest", "Main", style, 10, 20, 300, 200, nullptr, menu, nullptr, nullptr);
}

struct FrameCase {
    const char* name;
    DWORD style;
    DWORD exStyle;
    bool menu;
    RECT adjusted;  // of the client rectangle (0, 0, 800, 600)
};

const FrameCase kFrames[] = {
    {"popup", WS_POPUP, WS_EX_APPWINDOW | WS_EX_TOPMOST, false, {0, 0, 800, 600}},
    {"fixed caption", WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, WS_EX_APPWINDOW, false,
     {-3, -22, 803, 603}},
    {"fixed caption and menu", WS_CAPTION | WS_SYSMENU, 0, true, {-3, -41, 803, 603}},
    {"sizable", WS_OVERLAPPEDWINDOW, 0, false, {-4, -23, 804, 604}},
    {"border only", WS_POPUP | WS_BORDER, 0, false, {-1, -1, 801, 601}},
    {"client edge", WS_POPUP, WS_EX_CLIENTEDGE, false, {-2, -2, 802, 602}},
    {"modal frame", WS_POPUP, WS_EX_DLGMODALFRAME, false, {-3, -3, 803, 603}},
};

TEST_F(WindowTest, AdjustWindowRectExAddsThePlatformFrames) {
    for (const FrameCase& c : kFrames) {
        RECT r{0, 0, 800, 600};
        ASSERT_TRUE(AdjustWindowRectEx(&r, c.style, c.menu, c.exStyle)) << c.name;
        EXPECT_EQ(r.left, c.adjusted.left) << c.name;
        EXPECT_EQ(r.top, c.adjusted.top) << c.name;
        EXPECT_EQ(r.right, c.adjusted.right) << c.name;
        EXPECT_EQ(r.bottom, c.adjusted.bottom) << c.name;
    }
}

TEST_F(WindowTest, AdjustedWindowGivesBackTheClientSize) {
    for (const FrameCase& c : kFrames) {
        HMENU menu = c.menu ? reinterpret_cast<HMENU>(0x77) : nullptr;
        HWND w = CreateTopLevel(c.style, c.exStyle, menu);
        ASSERT_NE(w, nullptr) << c.name;
        RECT r{0, 0, 640, 480};
        AdjustWindowRectEx(&r, DWORD(GetWindowLongA(w, GWL_STYLE)), GetMenu(w) != nullptr,
                           DWORD(GetWindowLongA(w, GWL_EXSTYLE)));
        ASSERT_TRUE(SetWindowPos(w, HWND_TOP, 50, 60, r.right - r.left, r.bottom - r.top, SWP_NOZORDER));
        RECT client{};
        ASSERT_TRUE(GetClientRect(w, &client));
        EXPECT_EQ(client.left, 0);
        EXPECT_EQ(client.top, 0);
        EXPECT_EQ(client.right, 640) << c.name;
        EXPECT_EQ(client.bottom, 480) << c.name;
        // The client origin on the desktop is the window origin minus the adjustment.
        RECT onDesktop{};
        ASSERT_TRUE(ClientAreaOnDesktop(w, &onDesktop));
        EXPECT_EQ(onDesktop.left, 50 - r.left) << c.name;
        EXPECT_EQ(onDesktop.top, 60 - r.top) << c.name;
        EXPECT_EQ(onDesktop.right - onDesktop.left, 640);
        EXPECT_EQ(onDesktop.bottom - onDesktop.top, 480);
        EXPECT_TRUE(DestroyWindow(w));
    }
}

TEST_F(WindowTest, OverlappedWindowsGetACaption) {
    HWND w = CreateTopLevel(WS_OVERLAPPED);
    EXPECT_EQ(DWORD(GetWindowLongA(w, GWL_STYLE)) & WS_CAPTION, DWORD(WS_CAPTION));
    HWND p = CreateTopLevel(WS_POPUP);
    EXPECT_EQ(DWORD(GetWindowLongA(p, GWL_STYLE)), DWORD(WS_POPUP));
}

TEST_F(WindowTest, SetWindowPosHonoursItsFlags) {
    HWND w = CreateTopLevel(WS_POPUP);
    RECT r{};
    ASSERT_TRUE(SetWindowPos(w, nullptr, 1, 2, 99, 98, SWP_NOSIZE | SWP_NOZORDER));
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 200);

    ASSERT_TRUE(SetWindowPos(w, nullptr, 500, 500, 40, 30, SWP_NOMOVE | SWP_NOZORDER));
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.right, 41);
    EXPECT_EQ(r.bottom, 32);

    EXPECT_FALSE(IsWindowVisible(w));
    SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SetWindowPos(w, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW);
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) << "NOZORDER keeps the band";
    SetWindowPos(w, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_FALSE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(WindowTest, StyleChangesReshapeTheClientArea) {
    HWND w = CreateTopLevel(WS_POPUP);
    EXPECT_EQ(DWORD(SetWindowLongA(w, GWL_STYLE, LONG(0x00CA0000))), DWORD(WS_POPUP));
    EXPECT_EQ(SetWindowLongA(w, GWL_EXSTYLE, WS_EX_APPWINDOW), 0);
    RECT client{};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 300 - 6);
    EXPECT_EQ(client.bottom, 200 - 25);
    SetWindowLongA(w, GWL_STYLE, LONG(WS_POPUP | WS_VISIBLE));
    EXPECT_TRUE(IsWindowVisible(w));
}

TEST_F(WindowTest, MoveWindowAndTinyWindowsClampTheClient) {
    HWND w = CreateTopLevel(WS_OVERLAPPEDWINDOW);
    ASSERT_TRUE(MoveWindow(w, -5, -7, 4, 4, TRUE));
    RECT r{}, client{};
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, -5);
    EXPECT_EQ(r.top, -7);
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 0);
    EXPECT_EQ(client.bottom, 0);
}

TEST_F(WindowTest, DesktopHasASettableSize) {
    RECT r{};
    ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &r));
    EXPECT_EQ(r.right, 1024);
    EXPECT_EQ(r.bottom, 768);
    SetDesktopSize(1920, 1080);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
    GetClientRect(GetDesktopWindow(), &r);
    EXPECT_EQ(r.right, 1920);
    EXPECT_EQ(r.bottom, 1080);
    ResetForTests();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
}

TEST_F(WindowTest, ChildWindowsSitInTheirParentsClientArea) {
    HWND parent = CreateTopLevel(WS_OVERLAPPEDWINDOW | WS_VISIBLE);  // client origin (14, 43)
    HWND child = CreateWindowExA(0, "Child", "", WS_CHILD | WS_VISIBLE, 5, 6, 50, 40, parent,
                                 reinterpret_cast<HMENU>(3), nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetMenu(child), nullptr);
    EXPECT_EQ(GetWindowLongA(child, GWL_ID), 3);
    POINT p{1, 1};
    ASSERT_TRUE(ClientToScreen(child, &p));
    EXPECT_EQ(p.x, 10 + 4 + 5 + 1);
    EXPECT_EQ(p.y, 20 + 23 + 6 + 1);
    ASSERT_TRUE(ScreenToClient(child, &p));
    EXPECT_EQ(p.x, 1);
    EXPECT_EQ(p.y, 1);
    EXPECT_TRUE(IsWindowVisible(child));
    ShowWindow(parent, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(child)) << "a hidden parent hides the child";
    ASSERT_TRUE(DestroyWindow(parent));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(WindowCount(), 0);
}

TEST_F(WindowTest, ChildWithoutParentIsRefused) {
    EXPECT_EQ(CreateWindowExA(0, "C", "", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(WindowTest, StaleHandlesFail) {
    HWND w = CreateTopLevel(WS_POPUP);
    ASSERT_TRUE(DestroyWindow(w));
    RECT r{};
    EXPECT_FALSE(GetWindowRect(w, &r));
    EXPECT_FALSE(GetClientRect(w, &r));
    EXPECT_FALSE(SetWindowPos(w, nullptr, 0, 0, 1, 1, 0));
    EXPECT_FALSE(DestroyWindow(w));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowTest, ShowWindowReportsPreviousVisibility) {
    HWND w = CreateTopLevel(WS_POPUP);
    EXPECT_FALSE(ShowWindow(w, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_TRUE(ShowWindow(w, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(w));
}

TEST_F(WindowTest, TitlesRoundTripAndTruncate) {
    HWND w = CreateTopLevel(WS_POPUP);
    char text[8];
    EXPECT_EQ(GetWindowTextA(w, text, sizeof text), 4);
    EXPECT_STREQ(text, "Main");
    ASSERT_TRUE(SetWindowTextA(w, "A longer title"));
    EXPECT_EQ(GetWindowTextLengthA(w), 14);
    EXPECT_EQ(GetWindowTextA(w, text, sizeof text), 7);
    EXPECT_STREQ(text, "A longe");
}

TEST_F(WindowTest, MessageBoxRecordsAndAnswersAtOnce) {
    std::vector<std::string> lines;
    SetMessageBoxLog([&](const std::string& line) { lines.push_back(line); });
    HWND owner = CreateTopLevel(WS_POPUP);
    EXPECT_EQ(MessageBoxA(owner, "Device lost", "Warning", MB_OK | MB_ICONWARNING), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, 0), IDOK);
    auto calls = RecordedMessageBoxes();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].owner, owner);
    EXPECT_EQ(calls[0].text, "Device lost");
    EXPECT_EQ(calls[0].caption, "Warning");
    EXPECT_EQ(calls[0].type, UINT(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(calls[1].owner, nullptr);
    EXPECT_EQ(calls[1].text, "");
    EXPECT_EQ(calls[1].caption, "Error");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "MessageBox [Warning] Device lost");
    MessageBoxA(nullptr, "two\nlines", "C", 0);
    EXPECT_EQ(lines.back(), "MessageBox [C] two lines");
    EXPECT_EQ(RecordedMessageBoxes().back().text, "two\nlines");
    ResetForTests();
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

}  // namespace
