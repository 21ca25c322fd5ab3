// The one clock behind timeGetTime, GetTickCount and the performance counter.
#pragma once

#include "types.h"

DWORD timeGetTime();
DWORD GetTickCount();
// The counter runs at a fixed 1,000,000 ticks per second.
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
