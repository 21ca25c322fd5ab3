#include <windows.h>
#include <process.h>

#include <atomic>

#include "Win32TestFixture.h"

namespace {

using namespace lumiva::win32;

using ThreadTest = Win32Test;

struct Gate {
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> seenId{0};
    std::atomic<int> runs{0};
    ~Gate() { CloseHandle(go); }
};

DWORD WINAPI WaitForGateThenReturn42(LPVOID parameter) {
    auto* gate = static_cast<Gate*>(parameter);
    gate->seenId = GetCurrentThreadId();
    ++gate->runs;
    WaitForSingleObject(gate->go, INFINITE);
    return 42;
}

unsigned __stdcall EndThroughEndThreadEx(void* parameter) {
    auto* gate = static_cast<Gate*>(parameter);
    ++gate->runs;
    _endthreadex(7);
    return 1;  // never reached
}

TEST_F(ThreadTest, ExitCodeIsStillActiveUntilTheRoutineReturns) {
    Gate gate;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, WaitForGateThenReturn42, &gate, 0, &id);
    ASSERT_NE(thread, nullptr);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, DWORD(STILL_ACTIVE));
    EXPECT_EQ(WaitForSingleObject(thread, 0), DWORD(WAIT_TIMEOUT));
    SetEvent(gate.go);
    ASSERT_EQ(WaitForSingleObject(thread, INFINITE), DWORD(WAIT_OBJECT_0));
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(gate.seenId.load(), id);
    EXPECT_NE(id, GetCurrentThreadId());
    EXPECT_EQ(WaitForSingleObject(thread, 0), DWORD(WAIT_OBJECT_0)) << "a finished thread stays signalled";
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_FALSE(GetExitCodeThread(thread, &code));
}

TEST_F(ThreadTest, SuspendedThreadRunsOnlyAfterResume) {
    Gate gate;
    SetEvent(gate.go);
    HANDLE thread = CreateThread(nullptr, 0, WaitForGateThenReturn42, &gate, CREATE_SUSPENDED, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 0), DWORD(WAIT_TIMEOUT));
    EXPECT_EQ(gate.runs.load(), 0);
    EXPECT_EQ(ResumeThread(thread), 1u);
    ASSERT_EQ(WaitForSingleObject(thread, INFINITE), DWORD(WAIT_OBJECT_0));
    EXPECT_EQ(gate.runs.load(), 1);
    EXPECT_EQ(ResumeThread(thread), 0u);
    CloseHandle(thread);
}

TEST_F(ThreadTest, BeginThreadExAndEndThreadEx) {
    Gate gate;
    unsigned id = 0;
    uintptr_t handle = _beginthreadex(nullptr, 0, EndThroughEndThreadEx, &gate, 0, &id);
    ASSERT_NE(handle, 0u);
    EXPECT_NE(id, 0u);
    HANDLE thread = reinterpret_cast<HANDLE>(handle);
    ASSERT_EQ(WaitForSingleObject(thread, INFINITE), DWORD(WAIT_OBJECT_0));
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 7u);
    EXPECT_EQ(gate.runs.load(), 1);
    CloseHandle(thread);
}

TEST_F(ThreadTest, ClosingARunningThreadsHandleDetachesIt) {
    auto gate = std::make_shared<Gate>();
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    struct Work {
        std::shared_ptr<Gate> gate;
        HANDLE done;
    };
    auto* work = new Work{gate, done};
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            std::unique_ptr<Work> w(static_cast<Work*>(p));
            WaitForSingleObject(w->gate->go, INFINITE);
            SetEvent(w->done);
            return 0;
        },
        work, 0, nullptr);
    int open = OpenHandleCount();
    ASSERT_TRUE(CloseHandle(thread));
    EXPECT_EQ(OpenHandleCount(), open - 1);
    SetEvent(gate->go);
    EXPECT_EQ(WaitForSingleObject(done, INFINITE), DWORD(WAIT_OBJECT_0)) << "the thread ran on";
    CloseHandle(done);
}

TEST_F(ThreadTest, WaitForAnyThreadOrEvent) {
    Gate gate;
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, WaitForGateThenReturn42, &gate, 0, nullptr);
    HANDLE both[2] = {stop, thread};
    SetEvent(gate.go);
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, INFINITE), DWORD(WAIT_OBJECT_0 + 1));
    SetEvent(stop);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, INFINITE), DWORD(WAIT_OBJECT_0));
    CloseHandle(thread);
    CloseHandle(stop);
}

TEST_F(ThreadTest, TerminateThreadSignalsAtOnceWithTheGivenCode) {
    Gate gate;
    HANDLE thread = CreateThread(nullptr, 0, WaitForGateThenReturn42, &gate, CREATE_SUSPENDED, nullptr);
    ASSERT_TRUE(TerminateThread(thread, 3));
    EXPECT_EQ(WaitForSingleObject(thread, 0), DWORD(WAIT_OBJECT_0));
    ResumeThread(thread);  // a terminated thread never runs its routine
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 3u);
    CloseHandle(thread);
    EXPECT_EQ(gate.runs.load(), 0);
}

TEST_F(ThreadTest, ClosingATerminatedButStillRunningThreadDoesNotBlock) {
    // Whether the routine starts before the terminate is a race, so its gate
    // lives for the whole process rather than being handed over.
    static Gate gate;
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto* g = static_cast<Gate*>(p);
            ++g->runs;
            WaitForSingleObject(g->go, INFINITE);
            return 42;
        },
        &gate, 0, nullptr);
    ASSERT_TRUE(TerminateThread(thread, 9));
    EXPECT_TRUE(CloseHandle(thread)) << "returns although the routine may still wait";
    SetEvent(gate.go);
}

TEST_F(ThreadTest, PrioritiesAreRecorded) {
    Gate gate;
    SetEvent(gate.go);
    HANDLE thread = CreateThread(nullptr, 0, WaitForGateThenReturn42, &gate, CREATE_SUSPENDED, nullptr);
    ASSERT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL));
    EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_TIME_CRITICAL);
    ASSERT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST));
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_HIGHEST);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    ResumeThread(thread);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_ERROR_RETURN);
}

TEST_F(ThreadTest, BadThreadHandlesFail) {
    HANDLE e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD code = 0;
    EXPECT_FALSE(GetExitCodeThread(e, &code)) << "an event is not a thread";
    EXPECT_EQ(ResumeThread(e), DWORD(-1));
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    CloseHandle(e);
}

}  // namespace

namespace {

using ProcessSchedulingTest = Win32Test;

TEST_F(ProcessSchedulingTest, PriorityClassAndAffinityRoundTripAndReset) {
    HANDLE self = GetCurrentProcess();
    EXPECT_EQ(GetPriorityClass(self), DWORD(NORMAL_PRIORITY_CLASS));
    DWORD_PTR processMask = 0, systemMask = 0;
    ASSERT_TRUE(GetProcessAffinityMask(self, &processMask, &systemMask));
    EXPECT_NE(systemMask, DWORD_PTR(0));
    EXPECT_EQ(processMask, systemMask);

    ASSERT_TRUE(SetPriorityClass(self, REALTIME_PRIORITY_CLASS));
    ASSERT_TRUE(SetProcessAffinityMask(self, 1));
    EXPECT_EQ(GetPriorityClass(self), DWORD(REALTIME_PRIORITY_CLASS));
    GetProcessAffinityMask(self, &processMask, &systemMask);
    EXPECT_EQ(processMask, DWORD_PTR(1));

    EXPECT_FALSE(SetProcessAffinityMask(self, 0));
    EXPECT_FALSE(SetPriorityClass(self, 0x12345));
    EXPECT_FALSE(SetPriorityClass(reinterpret_cast<HANDLE>(0x40), NORMAL_PRIORITY_CLASS));

    lumiva::win32::ResetForTests();
    EXPECT_EQ(GetPriorityClass(self), DWORD(NORMAL_PRIORITY_CLASS));
    GetProcessAffinityMask(self, &processMask, &systemMask);
    EXPECT_EQ(processMask, systemMask);
}

}  // namespace
