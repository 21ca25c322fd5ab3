// Host-wide settings the module reads: the character set and the main window.
#pragma once

#include <windows.h>

#include "BasrelApi.h"

// 0 for the GBK code page, 1 for Big5 (see MultiByteToWideChar).
extern BASREL_API int g_iCharacterSet;

BASREL_API HWND g_GetMainHWnd();
// The host sets its main window once it exists.
BASREL_API void g_SetMainHWnd(HWND window);
