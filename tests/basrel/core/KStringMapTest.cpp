#include <cstring>
#include <string>

#include "CoreTestSupport.h"
#include "DebugLog.h"
#include "KStringMap.h"

namespace basrel_core_test {
namespace {

using KStringMapTest = DataRootTest;

TEST_F(KStringMapTest, BuiltInTextsCoverEveryNumberTheModuleShows) {
    const int used[] = {1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17,
                        25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 44, 48};
    for (int n : used) EXPECT_STRNE(g_cStringMap.GetString(n), "") << n;
    EXPECT_STREQ(g_cStringMap.GetString(4), "");
    EXPECT_STREQ(g_cStringMap.GetString(-1), "");
    EXPECT_STREQ(g_cStringMap.GetString(100000), "");
    // Text 32 takes two integers.
    char text[128];
    std::snprintf(text, sizeof text, g_cStringMap.GetString(32), 12, 345);
    EXPECT_NE(std::string(text).find("12.345"), std::string::npos) << text;
}

TEST_F(KStringMapTest, TableFileReplacesTextsOnFirstUse) {
    WriteHostFile("Settings/StringTable.txt",
                  "; client texts\r\n"
                  "44=Caption\r\n"
                  "\r\n"
                  "1000=two\\nlines\\tand \\\\ one\r\n"
                  "44=second ignored\r\n"
                  "7=\n");
    EXPECT_STREQ(g_cStringMap.GetString(44), "Caption");
    EXPECT_STREQ(g_cStringMap.GetString(1000), "two\nlines\tand \\ one");
    EXPECT_STREQ(g_cStringMap.GetString(7), "");
    EXPECT_STRNE(g_cStringMap.GetString(1), "");  // built-in stays where the file is silent
}

TEST_F(KStringMapTest, BadTableIsRefusedWholeAndBuiltInsStay) {
    const char* bad[] = {"44=fine\nno equals here\n", "x=text\n", "-3=text\n", "44=bad \\q escape\n",
                         "44=ends in \\"};
    for (const char* text : bad) {
        g_cStringMap.ResetForTests();
        WriteHostFile("settings/StringTable.txt", text);
        basrel::TakeCapturedLog();
        EXPECT_STREQ(g_cStringMap.GetString(44), "Lumiva") << text;
        EXPECT_EQ(basrel::TakeCapturedLog().size(), 1u) << text;
    }
}

TEST_F(KStringMapTest, PointersStayValidAcrossLoads) {
    const char* before = g_cStringMap.GetString(44);
    WriteHostFile("more.txt", "44=Other\n");
    ASSERT_TRUE(g_cStringMap.Load("more.txt"));
    EXPECT_STREQ(g_cStringMap.GetString(44), "Other");
    EXPECT_STREQ(before, "Lumiva");
}

}  // namespace
}  // namespace basrel_core_test
