// A small host built against the installed package only: it creates the
// shell through the module's export, draws one frame with a filled bar on
// black, and checks what was presented; it also reaches the scene place
// through its export and public interface.
#include <lumiva/IKDrawShell.h>
#include <lumiva/IScenePlace.h>
#include <lumiva/LumivaExports.h>
#include <lumiva/PrimitiveRecords.h>
#include <lumiva/basrel/BasrelCore.h>

// The software device's front buffer and the windows on the virtual desktop.
#include <d3d9/Control.h>
#include <win32/Control.h>

#include <cstdio>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr D3DCOLOR kBackground = 0xFF102030u;
constexpr D3DCOLOR kBarColour = 0xFFE04020u;

bool Expect(bool condition, const char* what) {
    if (!condition) std::fprintf(stderr, "installed-host: %s\n", what);
    return condition;
}

KPrimBar FilledBar(int x1, int y1, int x2, int y2) {
    KPrimBar bar{};
    bar.ax = x1, bar.ay = y1, bar.bx = x2, bar.by = y2;
    bar.red = uint8_t(kBarColour >> 16), bar.green = uint8_t(kBarColour >> 8), bar.blue = uint8_t(kBarColour);
    return bar;
}

bool DrawAndCheckOneFrame(IKDrawShell* shell, HWND window) {
    shell->BeginFrame(0, kBackground, nullptr);
    KPrimBar bar = FilledBar(8, 8, 56, 40);
    shell->DrawPrimitives(1, &bar, PRIM_BARS, 1, 0, -1, -1.0f);
    shell->EndFrame();

    // The shell centres the window on the desktop; the frame lands in its client area.
    RECT area{};
    const lumiva::d3d9::Image desktop = lumiva::d3d9::FrontBuffer();
    if (!Expect(lumiva::win32::ClientAreaOnDesktop(window, &area) && area.left >= 0 && area.top >= 0 &&
                    area.right <= LONG(desktop.width) && area.bottom <= LONG(desktop.height) &&
                    area.right - area.left == kWidth && area.bottom - area.top == kHeight,
                "the window's client area is not on the desktop"))
        return false;
    const D3DCOLOR inside = desktop.At(UINT(area.left + 32), UINT(area.top + 24));
    const D3DCOLOR outside = desktop.At(UINT(area.left + 2), UINT(area.top + 2));
    std::printf("installed-host: bar pixel %08X, background %08X\n", unsigned(inside), unsigned(outside));
    return Expect(outside == kBackground, "the frame was not cleared") &&
           Expect(inside == kBarColour, "the bar was not drawn");
}

}  // namespace

int main(int argc, char** argv) {
    if (!Expect(argc == 2, "usage: installed-host DATA_FOLDER")) return 2;
    g_SetRootPath(argv[1]);
    HWND window = CreateWindowExA(0, "InstalledHost", "Installed host", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                  nullptr, nullptr, nullptr, nullptr);
    if (!Expect(window != nullptr, "no main window")) return 1;
    g_SetMainHWnd(window);

    IKDrawShell* shell = CreateLumivaShell4();
    if (!Expect(shell != nullptr, "CreateLumivaShell4 returned no shell")) return 1;
    if (!Expect(shell->Create(kWidth, kHeight, 0, 0, 0), "the shell's Create failed")) {
        shell->Release();
        return 1;
    }
    ShowWindow(window, SW_SHOW);
    auto* place = static_cast<IScenePlace*>(CreateScenePlaceC());
    const bool placeReached = Expect(place && place->GetShell() == shell && place->GetMapId() == -1,
                                     "the scene place is not reached through its interface");
    const bool drawn = placeReached && DrawAndCheckOneFrame(shell, window);
    shell->Release();
    DestroyWindow(window);
    return drawn ? 0 : 1;
}
