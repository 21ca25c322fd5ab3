// The module's exported entry points, as the host resolves them.
#pragma once

#define LUMIVA_EXPORT extern "C" __attribute__((visibility("default")))

struct KModuleExport {
    int ordinal;
    const char* name;
};

// Ordinals 1..7 in the order the host's import table expects them.
extern const KModuleExport g_ModuleExports[7];
