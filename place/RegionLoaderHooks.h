// Test control of the region loader thread: a hook told of each step, so a
// test can hold the thread at a chosen point (inside a file open, after a
// completion) while the host's thread acts, and a hold that keeps the
// thread from taking any region. Module-wide; both unset by default.
#pragma once

#include <cstdint>
#include <functional>

enum class RegionLoaderStep {
    Waiting,     // about to wait on the wake event; no lock held
    Took,        // a region left the table for reading; no lock held
    OpenPacked,  // the region's bytes are asked of the map's pack (file lock held)
    OpenLoose,   // the loose file is opened through the pak layer (file lock held)
    Kept,        // the read landed on its record; activation follows (no lock held)
    Completed,   // the completion step ran (the read kept or dropped); no lock held
};

// Called on the loader thread with the region's indices (0, 0 for Waiting).
// The hook may block; the host's thread never waits for the file lock.
using RegionLoaderHook = std::function<void(RegionLoaderStep step, int32_t rx, int32_t ry)>;
void SetRegionLoaderHook(RegionLoaderHook hook);
void RunRegionLoaderHook(RegionLoaderStep step, int32_t rx, int32_t ry);

// While held the loader treats the table as empty: it takes nothing, and a
// request only wakes it to find nothing. After the hold, its next time-out
// or request finds the work.
void HoldRegionLoader(bool held);
bool RegionLoaderHeld();
