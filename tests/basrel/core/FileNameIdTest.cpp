#include <gtest/gtest.h>

#include "BasrelCore.h"

namespace basrel_core_test {
namespace {

TEST(FileNameIdTest, StableValuesThatIgnoreCase) {
    // Published FNV-1a 32-bit values, so the id can be computed anywhere.
    EXPECT_EQ(g_FileName2Id("a"), 0xE40C292Cu);
    EXPECT_EQ(g_FileName2Id("foobar"), 0xBF9CF968u);
    EXPECT_EQ(g_FileName2Id("FooBar"), 0xBF9CF968u);
    EXPECT_EQ(g_FileName2Id("\\spr\\ui\\Button.SPR"), g_FileName2Id("\\spr\\ui\\button.spr"));
    EXPECT_NE(g_FileName2Id("\\spr\\ui\\button.spr"), g_FileName2Id("\\spr\\ui\\button2.spr"));
    // Bytes above 0x7F are taken as they are.
    EXPECT_NE(g_FileName2Id("\xD6\xD0.jpg"), g_FileName2Id("\xD6\xF0.jpg"));
}

TEST(FileNameIdTest, NoNameGivesZero) {
    EXPECT_EQ(g_FileName2Id(nullptr), 0u);
    EXPECT_EQ(g_FileName2Id(""), 0u);
}

}  // namespace
}  // namespace basrel_core_test
