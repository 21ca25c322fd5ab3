#include <string>

#include "CoreTestSupport.h"
#include "DebugLog.h"
#include "KTabFile.h"

namespace basrel_core_test {
namespace {

using KTabFileTest = DataRootTest;

TEST_F(KTabFileTest, RowsAndColumnsCountFromOne) {
    WriteHostFile("Settings/NpcRes/player_ani.txt",
                  "Name\tKind\tFile\r\n"
                  "walk\t1\twalk.ani\textra\r\n"
                  "run\t\t0x10\r\n");
    KTabFile tab;
    ASSERT_TRUE(tab.Load("\\settings\\npcres\\player_ani.txt"));
    EXPECT_EQ(tab.GetWidth(), 4);
    EXPECT_EQ(tab.GetHeight(), 3);

    char text[32];
    struct Case {
        int row, column;
        bool present;
        const char* text;
    };
    const Case cases[] = {
        {1, 1, true, "Name"}, {1, 3, true, "File"},  {2, 3, true, "walk.ani"}, {2, 4, true, "extra"},
        {3, 2, false, "-"},   {1, 4, false, "-"},    {0, 1, false, "-"},       {1, 0, false, "-"},
        {4, 1, false, "-"},   {2, 5, false, "-"},    {-1, -1, false, "-"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tab.GetString(c.row, c.column, "-", text, sizeof text) != 0, c.present) << c.row << "," << c.column;
        EXPECT_STREQ(text, c.text) << c.row << "," << c.column;
    }
    int value = 0;
    EXPECT_TRUE(tab.GetInteger(2, 2, -1, &value));
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(tab.GetInteger(3, 3, -1, &value));
    EXPECT_EQ(value, 16);
    EXPECT_FALSE(tab.GetInteger(2, 1, -1, &value));  // "walk"
    EXPECT_EQ(value, -1);
    EXPECT_FALSE(tab.GetInteger(3, 2, -2, &value));  // empty cell
    EXPECT_EQ(value, -2);
    EXPECT_TRUE(tab.GetString(2, 3, "", text, 5));
    EXPECT_STREQ(text, "walk");
}

TEST_F(KTabFileTest, LinesWithoutFinalBreakAndBlankRows) {
    WriteHostFile("t.txt", "a\n\nb\tc");
    KTabFile tab;
    ASSERT_TRUE(tab.Load("t.txt"));
    EXPECT_EQ(tab.GetHeight(), 3);
    EXPECT_EQ(tab.GetWidth(), 2);
    char text[8];
    EXPECT_FALSE(tab.GetString(2, 1, "d", text, sizeof text));
    EXPECT_TRUE(tab.GetString(3, 2, "d", text, sizeof text));
    EXPECT_STREQ(text, "c");
}

TEST_F(KTabFileTest, EmptyFileHasNoCells) {
    WriteHostFile("empty.txt", "");
    KTabFile tab;
    ASSERT_TRUE(tab.Load("empty.txt"));
    EXPECT_EQ(tab.GetHeight(), 0);
    EXPECT_EQ(tab.GetWidth(), 0);
}

TEST_F(KTabFileTest, BadFilesAreRefusedWithOneLogLine) {
    WriteHostFile("good.txt", "a\tb\n");
    WriteHostFile("nul.txt", std::string("a\t\0b\n", 5));
    KTabFile tab;
    ASSERT_TRUE(tab.Load("good.txt"));
    basrel::TakeCapturedLog();
    EXPECT_FALSE(tab.Load("nul.txt"));
    EXPECT_EQ(basrel::TakeCapturedLog().size(), 1u);
    EXPECT_EQ(tab.GetHeight(), 0);
    EXPECT_FALSE(tab.Load("missing.txt"));
    EXPECT_EQ(basrel::TakeCapturedLog().size(), 1u);
}

}  // namespace
}  // namespace basrel_core_test
