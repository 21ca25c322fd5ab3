#include "shell/ModuleExports.h"

const KModuleExport g_ModuleExports[7] = {
    {1, "g_SetRegisterNodeFn"},
    {2, "g_SetUnregisterNodeFn"},
    {3, "CreateLumivaShell4"},
    {4, "CreateScenePlaceC"},
    {5, "LumivaIsModuleRecommended"},
    {6, "TestTimerBegin"},
    {7, "TestTimerEnd"},
};

// Placeholder bodies until the shell, scene and place subsystems land; each
// later issue replaces its own entry here.
LUMIVA_EXPORT void g_SetRegisterNodeFn(void*) {}
LUMIVA_EXPORT void g_SetUnregisterNodeFn(void*) {}
LUMIVA_EXPORT void* CreateLumivaShell4() { return nullptr; }
LUMIVA_EXPORT void* CreateScenePlaceC() { return nullptr; }
LUMIVA_EXPORT int LumivaIsModuleRecommended() { return 0; }
LUMIVA_EXPORT void TestTimerBegin() {}
LUMIVA_EXPORT void TestTimerEnd() {}
