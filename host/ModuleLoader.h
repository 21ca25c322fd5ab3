// liblumiva.so opened the way the client opens it: by name, exports by symbol.
#pragma once

#include <string>

#include "lumiva/LumivaExports.h"

class IScenePlace;

class ModuleLoader {
public:
    ~ModuleLoader();
    // False (after printing why) when the file or one of the seven exports is missing.
    bool Load(const std::string& path);
    IKDrawShell* CreateShell() const;
    // The scene place; null before the shell exists.
    IScenePlace* CreateScenePlace() const;
    bool IsRecommended() const;

private:
    void* m_module = nullptr;
    KCreateLumivaShellFn m_createShell = nullptr;
    KCreateScenePlaceFn m_createPlace = nullptr;
    KIsModuleRecommendedFn m_isRecommended = nullptr;
};
