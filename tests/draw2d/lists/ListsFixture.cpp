#include "ListsFixture.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "ScratchFolder.h"
#include "ByteWriter.h"
#include "basrel/BasrelReset.h"
#include "basrel/DataRoot.h"
#include "basrel/HostGlobals.h"
#include "ddraw/Control.h"
#include "shell/D3DShellStartup.h"
#include "shell/ModuleExports.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace lists_test {

void ListsTest::SetUp() {
    BasrelResetForTests();
    lumiva::win32::ResetForTests();
    lumiva::win32::SetMessageBoxLog([](const std::string&) {});
    lumiva::d3d9::ResetForTests();
    lumiva::ddraw::ResetForTests();
    ResetDirect3DForTests();
    ResetShellForTests();
    m_root = MakeScratchFolder("lists");
    ASSERT_FALSE(m_root.empty());
    g_SetRootPath(m_root.c_str());
    HWND window = CreateWindowExA(0, "LumivaTest", "Lumiva", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    g_SetMainHWnd(window);
    m_shell = static_cast<KDrawShell*>(CreateLumivaShell4());
    ASSERT_NE(m_shell, nullptr);
    ASSERT_TRUE(m_shell->Create(800, 600, 0, 0, 0));
    ASSERT_NE(m_shell->GetDevice(), nullptr);
}

void ListsTest::TearDown() {
    ResetShellForTests();
    m_shell = nullptr;
    ResetDirect3DForTests();
    lumiva::d3d9::ResetForTests();
    lumiva::ddraw::ResetForTests();
    lumiva::win32::ResetForTests();
    BasrelResetForTests();
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
}

void ListsTest::BeginScene(D3DCOLOR colour) {
    Device()->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
    Device()->BeginScene();
}

void ListsTest::EndScene() { Device()->EndScene(); }

lumiva::d3d9::Image ListsTest::BackBuffer() const {
    IDirect3DSurface9* back = nullptr;
    if (FAILED(m_shell->GetDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return {};
    lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(back);
    back->Release();
    return image;
}

void ListsTest::WriteDataFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(WriteFileBytes(m_root + "/" + name, bytes)) << name;
}

}  // namespace lists_test
