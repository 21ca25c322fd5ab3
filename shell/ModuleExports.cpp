#include "shell/ModuleExports.h"

#include <windows.h>
#include <ddraw.h>

#include <new>

#include "scene/NodeRegistration.h"
#include "shell/KDrawShell.h"
#include "shell/NeighbourServices.h"
#include "shell/ShellGlobals.h"

const KModuleExport g_ModuleExports[7] = {
    {1, "g_SetRegisterNodeFn"},       {2, "g_SetUnregisterNodeFn"}, {3, "CreateLumivaShell4"}, {4, "CreateScenePlaceC"},
    {5, "LumivaIsModuleRecommended"}, {6, "TestTimerBegin"},        {7, "TestTimerEnd"},
};

LUMIVA_EXPORT void g_SetRegisterNodeFn(KNodeCallback fn) { SetRegisterNodeFn(fn); }
LUMIVA_EXPORT void g_SetUnregisterNodeFn(KNodeCallback fn) { SetUnregisterNodeFn(fn); }

LUMIVA_EXPORT IKDrawShell* CreateLumivaShell4() { return new (std::nothrow) KDrawShell(); }

LUMIVA_EXPORT void* CreateScenePlaceC() { return g_pDrawShell ? neighbours::ScenePlaceInterface() : nullptr; }

LUMIVA_EXPORT bool LumivaIsModuleRecommended() {
    IDirectDraw7* directDraw = nullptr;
    if (FAILED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr)) ||
        !directDraw)
        return false;
    DDCAPS halCaps{};
    DDCAPS helCaps{};
    halCaps.dwSize = sizeof halCaps;
    helCaps.dwSize = sizeof helCaps;
    const HRESULT caps = directDraw->GetCaps(&halCaps, &helCaps);
    directDraw->Release();
    if (FAILED(caps) || halCaps.dwVidMemTotal < kRecommendedVideoMemory) return false;
    MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    return status.dwTotalPhys >= kRecommendedPhysicalMemory;
}

LUMIVA_EXPORT void TestTimerBegin() {}
LUMIVA_EXPORT void TestTimerEnd() {}
