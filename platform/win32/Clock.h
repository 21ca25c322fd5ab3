// Internal view of the process clock.
#pragma once

#include <cstdint>

namespace lumiva::win32::detail {

uint64_t NowMicroseconds();
bool ManualClockActive();
void ResetClock();

// Each switch between the system and the manual clock starts an epoch; a
// timed wait that sees a new epoch starts its time-out over from the
// epoch's start, since readings of the two clocks do not compare.
struct ClockEpoch {
    uint64_t id;
    uint64_t startMicroseconds;
};
// The caller holds KernelLock().
ClockEpoch CurrentClockEpoch();

}  // namespace lumiva::win32::detail
