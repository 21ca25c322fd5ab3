#include <string>

#include "BasrelCore.h"
#include "BasrelReset.h"
#include "CoreTestSupport.h"
#include "PakPreloads.h"

namespace basrel_core_test {
namespace {

using BasrelResetTest = DataRootTest;

TEST_F(BasrelResetTest, EveryLibraryWideObjectStartsOver) {
    WriteHostFile("maps/a.bin", "a");
    WriteHostFile("settings/StringTable.txt", "44=From file\n");
    ASSERT_TRUE(g_SetFilePath("maps"));
    ASSERT_TRUE(KPakFile::PreLoadingToMemory("a.bin", 1));
    ASSERT_STREQ(g_cStringMap.GetString(44), "From file");
    g_iCharacterSet = 1;
    g_SetMainHWnd(reinterpret_cast<HWND>(0x1234));
    g_DebugLog("kept");

    BasrelResetForTests();

    EXPECT_EQ(basrel::RootFolder(), ".");
    char path[16];
    g_GetFilePath(path, sizeof path);
    EXPECT_STREQ(path, "\\");
    EXPECT_EQ(basrel::PreloadCount(), 0u);
    EXPECT_TRUE(basrel::TakeCapturedLog().empty());
    EXPECT_EQ(g_iCharacterSet, 0);
    EXPECT_EQ(g_GetMainHWnd(), nullptr);
    g_SetRootPath(m_root.c_str());  // keep the log below out of the working folder
    g_DebugLog("not captured any more");
    EXPECT_TRUE(basrel::TakeCapturedLog().empty());
    // The table is read again from the (new) root on next use.
    WriteHostFile("settings/StringTable.txt", "44=Second file\n");
    EXPECT_STREQ(g_cStringMap.GetString(44), "Second file");
}

}  // namespace
}  // namespace basrel_core_test
