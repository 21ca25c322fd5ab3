// The non-client frame a window's styles give it, in the platform's classic
// metrics at 96 dots per inch.
#pragma once

#include <windows.h>

namespace lumiva::win32::detail {

struct FrameInsets {
    LONG left = 0, top = 0, right = 0, bottom = 0;
};

FrameInsets FrameFor(DWORD style, DWORD exStyle, bool menu);

// GetSystemMetrics for the frame parts; 0 for other indexes.
int FrameMetric(int index);

}  // namespace lumiva::win32::detail
