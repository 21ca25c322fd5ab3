// The demo host: loads the module the way the game client does and drives it
// through its exported factories only.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* const kExports[] = {
    "g_SetRegisterNodeFn", "g_SetUnregisterNodeFn", "CreateLumivaShell4", "CreateScenePlaceC",
    "LumivaIsModuleRecommended", "TestTimerBegin", "TestTimerEnd",
};

struct Options {
    std::string module = LUMIVA_MODULE_FILE;
    std::string out = "out/demo";
    bool headless = false;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!std::strcmp(arg, "--headless")) {
            options.headless = true;
        } else if (!std::strcmp(arg, "--out") && i + 1 < argc) {
            options.out = argv[++i];
        } else if (!std::strcmp(arg, "--module") && i + 1 < argc) {
            options.module = argv[++i];
        } else {
            std::fprintf(stderr, "lumiva-demo: unknown option %s\n", arg);
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) return 2;

    void* module = dlopen(options.module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::fprintf(stderr, "lumiva-demo: cannot load %s: %s\n", options.module.c_str(), dlerror());
        return 1;
    }
    for (const char* name : kExports) {
        if (!dlsym(module, name)) {
            std::fprintf(stderr, "lumiva-demo: the module lacks %s\n", name);
            dlclose(module);
            return 1;
        }
    }
    auto isRecommended = reinterpret_cast<bool (*)()>(dlsym(module, "LumivaIsModuleRecommended"));
    std::printf("lumiva-demo: module loaded, recommended: %s\n", isRecommended() ? "yes" : "no");
    dlclose(module);
    return 0;
}
