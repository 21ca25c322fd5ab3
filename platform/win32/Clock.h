// Internal view of the process clock.
#pragma once

#include <cstdint>

namespace lumiva::win32::detail {

uint64_t NowMicroseconds();
bool ManualClockActive();
void ResetClock();

}  // namespace lumiva::win32::detail
