#include <windows.h>
#include <mmsystem.h>

#include "Win32TestFixture.h"

namespace {

using namespace lumiva::win32;
// The d3d9 tests built with these in one unit have a ResetForTests of their own.
using lumiva::win32::ResetForTests;

using ClockTest = Win32Test;

TEST_F(ClockTest, ManualClockDrivesAllThreeReadings) {
    InstallManualClock(5000);
    LARGE_INTEGER frequency{}, counter{};
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, 1000000);
    EXPECT_EQ(timeGetTime(), 5000u);
    EXPECT_EQ(GetTickCount(), 5000u);
    ASSERT_TRUE(QueryPerformanceCounter(&counter));
    EXPECT_EQ(counter.QuadPart, 5000000);

    AdvanceClock(250);
    AdvanceClockMicroseconds(700);
    EXPECT_EQ(timeGetTime(), 5250u);
    EXPECT_EQ(GetTickCount(), 5250u);
    ASSERT_TRUE(QueryPerformanceCounter(&counter));
    EXPECT_EQ(counter.QuadPart, 5250700);
}

TEST_F(ClockTest, MillisecondReadingsWrapAt32Bits) {
    InstallManualClock(0xFFFFFFF0ull);
    AdvanceClock(0x20);
    EXPECT_EQ(timeGetTime(), 0x10u);
    EXPECT_EQ(ClockMilliseconds(), 0x100000010ull);
}

TEST_F(ClockTest, SleepAdvancesTheManualClockInsteadOfSleeping) {
    InstallManualClock(100);
    Sleep(60000);  // a minute, at once
    EXPECT_EQ(timeGetTime(), 60100u);
}

TEST_F(ClockTest, SystemClockMovesForwardAndResetRestoresIt) {
    InstallManualClock(7);
    ResetForTests();
    EXPECT_FALSE(IsManualClock());
    LARGE_INTEGER a{}, b{};
    QueryPerformanceCounter(&a);
    QueryPerformanceCounter(&b);
    EXPECT_LE(a.QuadPart, b.QuadPart);
}

TEST_F(ClockTest, AdvancingTheSystemClockDoesNothing) {
    uint64_t before = ClockMilliseconds();
    AdvanceClock(1000000);
    EXPECT_LT(ClockMilliseconds(), before + 1000000);
}

}  // namespace
