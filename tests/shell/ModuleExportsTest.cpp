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

#include <windows.h>

#include "DrawShellFixture.h"
#include "lumiva/basrel/HostGlobals.h"
#include "ddraw/Control.h"
#include "scene/NodeRegistration.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace shell_test {
namespace {

class ModuleRecommended : public DrawShellTest {};

TEST_F(ModuleRecommended, ThresholdsOfVideoAndPhysicalMemory) {
    const struct {
        DWORD video;
        SIZE_T physical;
        bool recommended;
    } cases[] = {
        {0x2000000, 0x8000000, true},
        {0x2000000 - 1, 0x8000000, false},
        {0x2000000, 0x8000000 - 1, false},
        {0x8000000, SIZE_T{1} << 32, true},
        {0, 0x8000000, false},
    };
    for (const auto& c : cases) {
        lumiva::ddraw::SetTotalVideoMemory(c.video);
        lumiva::win32::SetTotalPhysicalMemory(c.physical);
        EXPECT_EQ(LumivaIsModuleRecommended(), c.recommended) << c.video << " " << c.physical;
        EXPECT_EQ(lumiva::ddraw::LiveObjectCount(), 0);
    }
}

TEST_F(ModuleRecommended, FalseWithoutDirectDraw) {
    lumiva::ddraw::SetAvailable(false);
    EXPECT_FALSE(LumivaIsModuleRecommended());
}

class ModuleFactories : public DrawShellTest {};

TEST_F(ModuleFactories, ScenePlaceOnlyOnceTheShellExists) {
    EXPECT_EQ(CreateScenePlaceC(), nullptr);
    MakeShell();
    void* place = CreateScenePlaceC();
    EXPECT_NE(place, nullptr);
    EXPECT_EQ(CreateScenePlaceC(), place);
    TestTimerBegin();
    TestTimerEnd();
}

bool RegisterStub(IK3DSceneNode*) { return true; }

TEST_F(ModuleFactories, NodeRegistrationSettersStoreTheCallbacks) {
    g_SetRegisterNodeFn(RegisterStub);
    g_SetUnregisterNodeFn(nullptr);
    EXPECT_EQ(GetRegisterNodeFn(), &RegisterStub);
    EXPECT_EQ(GetUnregisterNodeFn(), nullptr);
    g_SetUnregisterNodeFn(RegisterStub);
    ResetShellForTests();
    EXPECT_EQ(GetRegisterNodeFn(), nullptr);
    EXPECT_EQ(GetUnregisterNodeFn(), nullptr);
}

TEST_F(ModuleFactories, EachCallMakesANewModuleShell) {
    IKDrawShell* first = CreateLumivaShell4();
    IKDrawShell* second = CreateLumivaShell4();
    EXPECT_NE(first, second);
    EXPECT_EQ(g_pDrawShell, static_cast<KDrawShell*>(second));
    first->Release();
    second->Release();
    EXPECT_EQ(g_pDrawShell, nullptr);
}

}  // namespace
}  // namespace shell_test

#include <dlfcn.h>

#include "d3d9/Control.h"

namespace shell_test {
namespace {

class LoadedModule : public DrawShellTest {};

// The host's road: load the library, make the shell through the export,
// create the device, release it all.
TEST_F(LoadedModule, ShellThroughTheLoadedLibrary) {
    HWND window =
        CreateWindowExA(0, "Host", "Host", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr);
    g_SetMainHWnd(window);
    void* module = dlopen(LUMIVA_MODULE_FILE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto create = reinterpret_cast<IKDrawShell* (*)()>(dlsym(module, "CreateLumivaShell4"));
    ASSERT_NE(create, nullptr);
    IKDrawShell* shell = create();
    ASSERT_NE(shell, nullptr);
    EXPECT_FALSE(shell->HasDevice());
    ASSERT_TRUE(shell->Create(800, 600, 0, 0, 0));
    EXPECT_TRUE(shell->HasDevice());
    EXPECT_EQ(shell->GetClientFlag(), 1);
    EXPECT_TRUE(InOrder(TakeRenderLog(), {"[D3DRender]g_D3DShell create ok!", "[D3DRender]InitDeviceObjects ok!"}));
    shell->Release();
    EXPECT_EQ(lumiva::d3d9::LiveDeviceCount(), 0u);
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), 0u);
    dlclose(module);
}

}  // namespace
}  // namespace shell_test
