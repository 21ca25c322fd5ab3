// Test control of the DirectDraw stand-in.
#pragma once

#include <windows.h>

namespace lumiva::ddraw {

// What GetCaps reports as dwVidMemTotal (and dwVidMemFree); 128 MiB by default.
void SetTotalVideoMemory(DWORD bytes);
DWORD TotalVideoMemory();
// While unavailable, DirectDrawCreateEx fails and hands out no object.
void SetAvailable(bool available);
// DirectDraw objects alive now.
int LiveObjectCount();
void ResetForTests();

}  // namespace lumiva::ddraw
