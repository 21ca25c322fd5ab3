// Stand-in for the platform's <windows.h>: base types plus the kernel32,
// user32 and winmm calls the module uses.
#pragma once

#include "win32/types.h"
#include "win32/api.h"
#include "wingdi.h"
