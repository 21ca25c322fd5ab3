#include <windows.h>
#include <gdiplus.h>

#include "shell/ShellGlobals.h"

namespace {

ULONG_PTR g_GdiplusToken = 0;

}  // namespace

void StartGdiplusSession() {
    if (g_GdiplusToken) return;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&g_GdiplusToken, &input, nullptr) != Gdiplus::Ok) g_GdiplusToken = 0;
}

void StopGdiplusSession() {
    if (!g_GdiplusToken) return;
    Gdiplus::GdiplusShutdown(g_GdiplusToken);
    g_GdiplusToken = 0;
}

bool GdiplusSessionActive() { return g_GdiplusToken != 0; }
