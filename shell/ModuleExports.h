// The module's exported entry points, as the host resolves them.
#pragma once

#define LUMIVA_EXPORT extern "C" __attribute__((visibility("default")))

class IKDrawShell;
class IK3DSceneNode;

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

LUMIVA_EXPORT void g_SetRegisterNodeFn(bool (*fn)(IK3DSceneNode*));
LUMIVA_EXPORT void g_SetUnregisterNodeFn(bool (*fn)(IK3DSceneNode*));
LUMIVA_EXPORT IKDrawShell* CreateLumivaShell4();
LUMIVA_EXPORT void* CreateScenePlaceC();
LUMIVA_EXPORT bool LumivaIsModuleRecommended();
LUMIVA_EXPORT void TestTimerBegin();
LUMIVA_EXPORT void TestTimerEnd();
