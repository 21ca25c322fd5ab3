// Events, waits under the manual clock, re-entrant critical sections and
// interlocked counters. Nothing here sleeps: threads meet through events and
// the blocked-waiter count.
#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

#include "Win32TestFixture.h"

namespace {

using namespace lumiva::win32;

using EventTest = Win32Test;
using WaitTest = Win32Test;
using CriticalSectionTest = Win32Test;
using InterlockedTest = Win32Test;

TEST_F(EventTest, ManualResetStaysSignalledForEveryWaiter) {
    HANDLE e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(WaitForSingleObject(e, 0), DWORD(WAIT_TIMEOUT));
    ASSERT_TRUE(SetEvent(e));
    EXPECT_EQ(WaitForSingleObject(e, 0), DWORD(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(e, INFINITE), DWORD(WAIT_OBJECT_0));
    ASSERT_TRUE(ResetEvent(e));
    EXPECT_EQ(WaitForSingleObject(e, 0), DWORD(WAIT_TIMEOUT));
    EXPECT_TRUE(CloseHandle(e));
}

TEST_F(EventTest, AutoResetLetsOneWaitThrough) {
    HANDLE e = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(e, 0), DWORD(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(e, 0), DWORD(WAIT_TIMEOUT));
    SetEvent(e);
    SetEvent(e);  // signals do not pile up
    EXPECT_EQ(WaitForSingleObject(e, 0), DWORD(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(e, 0), DWORD(WAIT_TIMEOUT));
    CloseHandle(e);
}

TEST_F(EventTest, AutoResetReleasesExactlyOneOfTwoBlockedThreads) {
    HANDLE e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::atomic<int> released{0};
    auto waiter = [&] {
        if (WaitForSingleObject(e, INFINITE) == WAIT_OBJECT_0) ++released;
    };
    std::thread a(waiter), b(waiter);
    ASSERT_TRUE(WaitForBlockedWaiters(2));
    SetEvent(e);
    ASSERT_TRUE(WaitForBlockedWaiters(1));  // one went through, one still waits
    EXPECT_EQ(WaitForSingleObject(e, 0), DWORD(WAIT_TIMEOUT)) << "the released waiter took the signal";
    SetEvent(e);
    a.join();
    b.join();
    EXPECT_EQ(released.load(), 2);
    CloseHandle(e);
}

TEST_F(EventTest, ClosedAndUnknownHandlesFail) {
    HANDLE e = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    int before = OpenHandleCount();
    ASSERT_TRUE(CloseHandle(e));
    EXPECT_EQ(OpenHandleCount(), before - 1);
    EXPECT_FALSE(CloseHandle(e));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(SetEvent(e));
    EXPECT_EQ(WaitForSingleObject(e, 0), DWORD(WAIT_FAILED));
    EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(0x12345), INFINITE), DWORD(WAIT_FAILED));
    EXPECT_TRUE(CloseHandle(GetCurrentProcess())) << "pseudo handles close harmlessly";
}

TEST_F(WaitTest, TimedWaitExpiresOnlyWhenTheManualClockPassesTheDeadline) {
    InstallManualClock(1000);
    HANDLE e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> result{0xDEAD};
    std::atomic<DWORD> wokeAt{0};
    std::thread waiter([&] {
        result = WaitForSingleObject(e, 500);
        wokeAt = timeGetTime();
    });
    ASSERT_TRUE(WaitForBlockedWaiters(1));
    AdvanceClock(499);
    EXPECT_EQ(BlockedWaiters(), 1);
    EXPECT_EQ(result.load(), 0xDEADu);
    AdvanceClock(1);
    waiter.join();
    EXPECT_EQ(result.load(), DWORD(WAIT_TIMEOUT));
    EXPECT_EQ(wokeAt.load(), 1500u);
    CloseHandle(e);
}

TEST_F(WaitTest, SignalBeatsTheDeadline) {
    InstallManualClock(0);
    HANDLE e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::atomic<DWORD> result{0xDEAD};
    std::thread waiter([&] { result = WaitForSingleObject(e, 100); });
    ASSERT_TRUE(WaitForBlockedWaiters(1));
    AdvanceClock(50);
    SetEvent(e);
    waiter.join();
    EXPECT_EQ(result.load(), DWORD(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(e, 0), DWORD(WAIT_TIMEOUT)) << "the wait consumed the auto-reset signal";
    CloseHandle(e);
}

TEST_F(WaitTest, SleepOnAnotherThreadWakesTimedWaiters) {
    InstallManualClock(0);
    HANDLE e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> result{0xDEAD};
    std::thread waiter([&] { result = WaitForSingleObject(e, 30); });
    ASSERT_TRUE(WaitForBlockedWaiters(1));
    Sleep(30);
    waiter.join();
    EXPECT_EQ(result.load(), DWORD(WAIT_TIMEOUT));
    CloseHandle(e);
}

TEST_F(WaitTest, WaitStartedOnTheSystemClockMovesToTheManualClock) {
    HANDLE e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> result{0xDEAD};
    std::thread waiter([&] { result = WaitForSingleObject(e, 3600 * 1000); });
    ASSERT_TRUE(WaitForBlockedWaiters(1));
    InstallManualClock(0);
    AdvanceClock(3600 * 1000 - 1);
    EXPECT_EQ(result.load(), 0xDEADu);
    AdvanceClock(1);  // the time-out counts from the switch
    waiter.join();
    EXPECT_EQ(result.load(), DWORD(WAIT_TIMEOUT));
    CloseHandle(e);
}

TEST_F(WaitTest, ShortRealTimeoutExpires) {
    HANDLE e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(e, 1), DWORD(WAIT_TIMEOUT));
    CloseHandle(e);
}

TEST_F(WaitTest, WaitAnyGivesTheFirstSignalledIndex) {
    HANDLE e[3] = {CreateEventA(nullptr, TRUE, FALSE, nullptr), CreateEventA(nullptr, FALSE, TRUE, nullptr),
                   CreateEventA(nullptr, TRUE, TRUE, nullptr)};
    EXPECT_EQ(WaitForMultipleObjects(3, e, FALSE, 0), DWORD(WAIT_OBJECT_0 + 1));
    EXPECT_EQ(WaitForMultipleObjects(3, e, FALSE, 0), DWORD(WAIT_OBJECT_0 + 2));
    for (HANDLE h : e) CloseHandle(h);
}

TEST_F(WaitTest, WaitAllNeedsEveryObjectAndConsumesOnlyThen) {
    HANDLE e[2] = {CreateEventA(nullptr, FALSE, TRUE, nullptr), CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    EXPECT_EQ(WaitForMultipleObjects(2, e, TRUE, 0), DWORD(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(e[0], 0), DWORD(WAIT_OBJECT_0)) << "a failed wait-all takes nothing";
    SetEvent(e[0]);
    SetEvent(e[1]);
    EXPECT_EQ(WaitForMultipleObjects(2, e, TRUE, 0), DWORD(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForMultipleObjects(2, e, FALSE, 0), DWORD(WAIT_TIMEOUT));
    for (HANDLE h : e) CloseHandle(h);
}

TEST_F(WaitTest, BadArgumentsFail) {
    HANDLE e = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    HANDLE twice[2] = {e, e};
    EXPECT_EQ(WaitForMultipleObjects(2, twice, TRUE, 0), DWORD(WAIT_FAILED));
    EXPECT_EQ(WaitForMultipleObjects(0, twice, FALSE, 0), DWORD(WAIT_FAILED));
    EXPECT_EQ(WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS + 1, twice, FALSE, 0), DWORD(WAIT_FAILED));
    EXPECT_EQ(WaitForMultipleObjects(1, nullptr, FALSE, 0), DWORD(WAIT_FAILED));
    CloseHandle(e);
}

TEST_F(CriticalSectionTest, SameThreadEntersTwiceAndOthersWaitUntilBothLeaves) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);
    EXPECT_TRUE(TryEnterCriticalSection(&section));
    LeaveCriticalSection(&section);

    HANDLE tried = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> otherTry{true}, otherInside{false};
    std::thread other([&] {
        otherTry = TryEnterCriticalSection(&section) != FALSE;
        SetEvent(tried);
        EnterCriticalSection(&section);
        otherInside = true;
        LeaveCriticalSection(&section);
    });
    ASSERT_EQ(WaitForSingleObject(tried, INFINITE), DWORD(WAIT_OBJECT_0));
    EXPECT_FALSE(otherTry.load());

    LeaveCriticalSection(&section);  // still held once
    bool thirdTry = true;
    std::thread third([&] { thirdTry = TryEnterCriticalSection(&section) != FALSE; });
    third.join();
    EXPECT_FALSE(thirdTry);
    EXPECT_FALSE(otherInside.load());

    LeaveCriticalSection(&section);
    other.join();
    EXPECT_TRUE(otherInside.load());
    DeleteCriticalSection(&section);
    CloseHandle(tried);
}

TEST_F(CriticalSectionTest, GuardsACounterAcrossThreads) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                EnterCriticalSection(&section);
                ++counter;
                LeaveCriticalSection(&section);
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(counter, 40000);
    DeleteCriticalSection(&section);
}

TEST_F(InterlockedTest, OperationsReturnThePlatformsValues) {
    LONG volatile value = 5;
    EXPECT_EQ(InterlockedIncrement(&value), 6);
    EXPECT_EQ(InterlockedDecrement(&value), 5);
    EXPECT_EQ(InterlockedExchange(&value, 9), 5);
    EXPECT_EQ(InterlockedExchangeAdd(&value, 3), 9);
    EXPECT_EQ(value, 12);
    EXPECT_EQ(InterlockedCompareExchange(&value, 1, 7), 12) << "no match, no change";
    EXPECT_EQ(value, 12);
    EXPECT_EQ(InterlockedCompareExchange(&value, 1, 12), 12);
    EXPECT_EQ(value, 1);
    LONG volatile edge = 0x7FFFFFFF;
    EXPECT_EQ(InterlockedIncrement(&edge), LONG(0x80000000)) << "wraps like the platform";
}

TEST_F(InterlockedTest, CountsAreExactUnderContention) {
    LONG volatile count = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                InterlockedIncrement(&count);
                InterlockedExchangeAdd(&count, 2);
                InterlockedDecrement(&count);
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(count, 4 * 20000 * 2);
}

}  // namespace
