#include <dlfcn.h>
#include <gtest/gtest.h>

#include "shell/ModuleExports.h"

namespace {

TEST(ModuleExports, LibraryExportsAllSevenByName) {
    void* module = dlopen(LUMIVA_MODULE_FILE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    for (const KModuleExport& entry : g_ModuleExports) {
        EXPECT_NE(dlsym(module, entry.name), nullptr) << entry.name;
    }
    dlclose(module);
}

TEST(ModuleExports, OrdinalsRunOneToSeven) {
    for (int i = 0; i < 7; ++i) EXPECT_EQ(g_ModuleExports[i].ordinal, i + 1);
}

TEST(ModuleExports, InternalsStayHidden) {
    void* module = dlopen(LUMIVA_MODULE_FILE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    EXPECT_EQ(dlsym(module, "g_ModuleExports"), nullptr);
    dlclose(module);
}

}  // namespace
