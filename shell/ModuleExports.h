// The module's export table, as the host's import table orders it; the
// entry points themselves are declared in the public header.
#pragma once

#include "lumiva/LumivaExports.h"

struct KModuleExport {
    int ordinal;
    const char* name;
};

// Ordinals 1..7 in the order the host's import table expects them.
extern const KModuleExport g_ModuleExports[7];

// Machines below these are not recommended: DirectDraw's total video memory
// and the physical memory.
constexpr unsigned long kRecommendedVideoMemory = 0x2000000;     // 32 MiB
constexpr unsigned long kRecommendedPhysicalMemory = 0x8000000;  // 128 MiB
