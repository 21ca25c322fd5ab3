#include <climits>

#include "CoreTestSupport.h"
#include "HostRandom.h"
#include "win32/Control.h"

namespace basrel_core_test {
namespace {

using HostRandomTest = DataRootTest;

TEST_F(HostRandomTest, NonPositiveRangesGiveZeroWithoutDrawing) {
    lumiva::win32::InstallScriptedRandom({7, 9});
    EXPECT_EQ(g_Random(0), 0);
    EXPECT_EQ(g_Random(-5), 0);
    EXPECT_EQ(g_Random(INT_MIN), 0);
    EXPECT_EQ(g_Random(10), 7);  // the script was not consumed above
}

TEST_F(HostRandomTest, ScriptedValuesLandWithinRange) {
    struct Case {
        int scripted;
        int n;
        int expected;
    };
    const Case cases[] = {
        {0, 1, 0},     {32767, 1, 0},   {5, 8, 5},          {8, 8, 0},   {32767, 8, 7},
        {1234, 1200, 34}, {-1, 10, 9}, {-32768, 3, 1}, {INT_MAX, 1000, 647},
    };
    for (const Case& c : cases) {
        lumiva::win32::InstallScriptedRandom({c.scripted});
        EXPECT_EQ(g_Random(c.n), c.expected) << c.scripted << " % " << c.n;
    }
}

TEST_F(HostRandomTest, WideRangesDrawTwice) {
    lumiva::win32::InstallScriptedRandom({1, 2});
    EXPECT_EQ(g_Random(1 << 20), (1 << 15 | 2) % (1 << 20));
    lumiva::win32::InstallScriptedRandom({0x7FFF, 0x7FFF});
    int top = g_Random(INT_MAX);
    EXPECT_EQ(top, (1 << 30) - 1);
}

TEST_F(HostRandomTest, PlatformSourceStaysInBounds) {
    lumiva::win32::UseDefaultRandom();
    for (int n : {1, 2, 3, 7, 100, 32768, 40000, INT_MAX}) {
        for (int i = 0; i < 2000; ++i) {
            int value = g_Random(n);
            ASSERT_GE(value, 0) << n;
            ASSERT_LT(value, n) << n;
        }
    }
}

}  // namespace
}  // namespace basrel_core_test
