#include "HostGlobals.h"

int g_iCharacterSet = 0;

namespace {
HWND g_mainWindow = nullptr;
}

HWND g_GetMainHWnd() { return g_mainWindow; }

void g_SetMainHWnd(HWND window) { g_mainWindow = window; }
