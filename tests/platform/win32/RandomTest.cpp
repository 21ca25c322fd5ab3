#include <cstdlib>

#include "Win32TestFixture.h"

namespace {

using namespace lumiva::win32;

using RandomTest = Win32Test;

TEST_F(RandomTest, DefaultGeneratorIsThePlatformsLcgSeededWithOne) {
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int value : expected) EXPECT_EQ(rand(), value);
}

TEST_F(RandomTest, SrandRestartsTheSequence) {
    srand(1);
    EXPECT_EQ(rand(), 41);
    srand(12345);
    int first = rand();
    srand(12345);
    EXPECT_EQ(rand(), first);
    EXPECT_EQ(LastRandomSeed(), 12345u);
}

TEST_F(RandomTest, ValuesStayWithinRandMax) {
    static_assert(RAND_MAX == 0x7FFF);
    srand(987654321);
    for (int i = 0; i < 1000; ++i) {
        int value = rand();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, RAND_MAX);
    }
}

TEST_F(RandomTest, ScriptedValuesReachRandCalledFromThisProgram) {
    InstallScriptedRandom({7, 0, 32767, 5});
    srand(99);  // recorded, the script goes on regardless
    EXPECT_EQ(rand(), 7);
    EXPECT_EQ(rand(), 0);
    EXPECT_EQ(rand(), 32767);
    EXPECT_EQ(rand(), 5);
    EXPECT_EQ(rand(), 7) << "the script starts over";
    EXPECT_EQ(LastRandomSeed(), 99u);
}

TEST_F(RandomTest, ScriptedRandomReachesCallsThroughAFunctionPointer) {
    // A caller holding the address sees the same source as a direct call.
    int (*viaPointer)() = &rand;
    InstallScriptedRandom({1234});
    EXPECT_EQ(viaPointer(), 1234);
}

TEST_F(RandomTest, UseDefaultRandomRestartsTheGenerator) {
    InstallScriptedRandom({3});
    UseDefaultRandom();
    EXPECT_EQ(rand(), 41);
}

}  // namespace
