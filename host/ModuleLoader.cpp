#include "ModuleLoader.h"

#include <dlfcn.h>

#include <cstdio>

namespace {

const char* const kExports[] = {
    "g_SetRegisterNodeFn", "g_SetUnregisterNodeFn", "CreateLumivaShell4", "CreateScenePlaceC",
    "LumivaIsModuleRecommended", "TestTimerBegin", "TestTimerEnd",
};

}  // namespace

ModuleLoader::~ModuleLoader() {
    if (m_module) dlclose(m_module);
}

bool ModuleLoader::Load(const std::string& path) {
    m_module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_module) {
        std::fprintf(stderr, "lumiva-demo: cannot load %s: %s\n", path.c_str(), dlerror());
        return false;
    }
    for (const char* name : kExports) {
        if (!dlsym(m_module, name)) {
            std::fprintf(stderr, "lumiva-demo: the module lacks %s\n", name);
            return false;
        }
    }
    m_createShell = reinterpret_cast<KCreateLumivaShellFn>(dlsym(m_module, "CreateLumivaShell4"));
    m_createPlace = reinterpret_cast<KCreateScenePlaceFn>(dlsym(m_module, "CreateScenePlaceC"));
    m_isRecommended = reinterpret_cast<KIsModuleRecommendedFn>(dlsym(m_module, "LumivaIsModuleRecommended"));
    return true;
}

IKDrawShell* ModuleLoader::CreateShell() const { return m_createShell ? m_createShell() : nullptr; }

IScenePlace* ModuleLoader::CreateScenePlace() const {
    return m_createPlace ? static_cast<IScenePlace*>(m_createPlace()) : nullptr;
}

bool ModuleLoader::IsRecommended() const { return m_isRecommended && m_isRecommended(); }
