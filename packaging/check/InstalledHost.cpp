// A small host built against the installed package only: it creates the
// shell through the module's export, draws one frame with a filled bar on
// black, and checks what was presented.
#include <lumiva/IKDrawShell.h>
#include <lumiva/LumivaExports.h>
#include <lumiva/PrimitiveRecords.h>
#include <lumiva/basrel/BasrelCore.h>

#include <d3d9/Control.h>  // the software device's front buffer on the virtual desktop

#include <cstdio>

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr D3DCOLOR kBlack = 0xFF000000u;

bool Expect(bool condition, const char* what) {
    if (!condition) std::fprintf(stderr, "installed-host: %s\n", what);
    return condition;
}

KPrimBar FilledBar(int x1, int y1, int x2, int y2) {
    KPrimBar bar{};
    bar.ax = x1, bar.ay = y1, bar.bx = x2, bar.by = y2;
    bar.red = 0xE0, bar.green = 0x40, bar.blue = 0x20;
    return bar;
}

bool DrawAndCheckOneFrame(IKDrawShell* shell) {
    shell->BeginFrame(0, kBlack, nullptr);
    KPrimBar bar = FilledBar(8, 8, 56, 40);
    shell->DrawPrimitives(1, &bar, PRIM_BARS, 1, 0, -1, -1.0f);
    shell->EndFrame();

    const lumiva::d3d9::Image frame = lumiva::d3d9::FrontBuffer();
    if (!Expect(frame.width >= UINT(kWidth) && frame.height >= UINT(kHeight), "no frame was presented")) return false;
    const D3DCOLOR inside = frame.At(32, 24);
    const D3DCOLOR outside = frame.At(2, 2);
    std::printf("installed-host: bar pixel %08X, background %08X\n", unsigned(inside), unsigned(outside));
    return Expect(outside == kBlack, "the frame was not cleared to black") &&
           Expect(inside != kBlack && (inside >> 16 & 0xFF) > (inside & 0xFF), "the bar was not drawn");
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
    const bool drawn = DrawAndCheckOneFrame(shell);
    shell->Release();
    DestroyWindow(window);
    return drawn ? 0 : 1;
}
