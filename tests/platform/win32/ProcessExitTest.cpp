#include <windows.h>

#include "Win32TestFixture.h"

namespace {

using namespace lumiva::win32;

using ProcessExitTest = Win32Test;

TEST_F(ProcessExitTest, HookSeesCodeAndKindInsteadOfTheProcessEnding) {
    std::vector<std::pair<UINT, ExitKind>> exits;
    SetFatalHook([&](UINT code, ExitKind kind) { exits.emplace_back(code, kind); });
    ExitProcess(1);
    EXPECT_TRUE(TerminateProcess(GetCurrentProcess(), 0));
    ASSERT_EQ(exits.size(), 2u);
    EXPECT_EQ(exits[0], std::make_pair(1u, ExitKind::RunExitList));
    EXPECT_EQ(exits[1], std::make_pair(0u, ExitKind::Immediate));
}

TEST_F(ProcessExitTest, TerminatingAnotherProcessFails) {
    bool called = false;
    SetFatalHook([&](UINT, ExitKind) { called = true; });
    EXPECT_FALSE(TerminateProcess(reinterpret_cast<HANDLE>(0x1234), 0));
    EXPECT_FALSE(called);
}

TEST(ProcessExitDeathTest, DefaultHookEndsTheProcessWithTheCode) {
    lumiva::win32::ResetForTests();
    EXPECT_EXIT(ExitProcess(3), ::testing::ExitedWithCode(3), "");
    EXPECT_EXIT(TerminateProcess(GetCurrentProcess(), 4), ::testing::ExitedWithCode(4), "");
}

}  // namespace
