// The module's exported entry points, and the pointer types a host that
// opens the library at run time resolves them into (dlsym by these names).
#pragma once

#define LUMIVA_EXPORT extern "C" __attribute__((visibility("default")))

class IKDrawShell;
class IK3DSceneNode;

// Called when a node becomes, or stops being, a registered root: enabled and
// without a parent. The result is not read.
using KNodeCallback = bool (*)(IK3DSceneNode* node);

using KSetNodeCallbackFn = void (*)(KNodeCallback fn);
using KCreateLumivaShellFn = IKDrawShell* (*)();
// The scene place's interface, or null while no shell exists.
using KCreateScenePlaceFn = void* (*)();
using KIsModuleRecommendedFn = bool (*)();
using KTestTimerFn = void (*)();

LUMIVA_EXPORT void g_SetRegisterNodeFn(KNodeCallback fn);
LUMIVA_EXPORT void g_SetUnregisterNodeFn(KNodeCallback fn);
// The one drawing shell; the host never deletes it, its Release does.
LUMIVA_EXPORT IKDrawShell* CreateLumivaShell4();
LUMIVA_EXPORT void* CreateScenePlaceC();
// True when the machine has at least 32 MiB of video memory and 128 MiB of
// physical memory.
LUMIVA_EXPORT bool LumivaIsModuleRecommended();
// No effect.
LUMIVA_EXPORT void TestTimerBegin();
LUMIVA_EXPORT void TestTimerEnd();
