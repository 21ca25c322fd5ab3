// Threads on std::thread. The handle is a kernel object that turns
// signalled when the routine returns; until then its exit code reads
// STILL_ACTIVE.
#include <windows.h>
#include <process.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

#include "KernelLock.h"
#include "KernelObjects.h"

namespace lumiva::win32 {
namespace {

using Routine = std::function<DWORD()>;

struct ThreadExit {
    DWORD code;
};

std::atomic<DWORD> g_nextThreadId{0x1004};

thread_local DWORD t_threadId = 0;
thread_local bool t_startedHere = false;
thread_local int t_priority = THREAD_PRIORITY_NORMAL;

DWORD NewThreadId() { return g_nextThreadId.fetch_add(4); }

struct ThreadObject : detail::KernelObject {
    ~ThreadObject() override {
        if (thread.joinable()) thread.detach();
    }
    bool IsSignaled() const override { return finished; }
    void OnHandleClosed() override {
        bool done;
        {
            std::lock_guard lock(detail::KernelLock());
            done = returned;
        }
        // A thread whose routine is over is joined so nothing is left
        // behind; a running one goes on without a handle, as on the platform.
        if (done && thread.get_id() != std::this_thread::get_id() && thread.joinable())
            thread.join();
        else if (thread.joinable())
            thread.detach();
    }

    std::thread thread;
    DWORD id = 0;
    // Guarded by KernelLock().
    DWORD suspendCount = 0;
    bool finished = false;  // the handle is signalled
    bool returned = false;  // the routine is over (or never ran)
    DWORD exitCode = STILL_ACTIVE;
    int priority = THREAD_PRIORITY_NORMAL;
};

void Finish(ThreadObject& self, DWORD code, bool routineOver) {
    {
        std::lock_guard lock(detail::KernelLock());
        if (routineOver) self.returned = true;
        if (self.finished) return;  // terminated from outside already
        self.finished = true;
        self.exitCode = code;
    }
    detail::NotifyKernelChange();
}

void RunThread(std::shared_ptr<ThreadObject> self, Routine routine) {
    t_threadId = self->id;
    t_startedHere = true;
    {
        std::unique_lock lock(detail::KernelLock());
        detail::KernelChanged().wait(lock, [&] { return self->suspendCount == 0 || self->finished; });
        if (self->finished) {
            self->returned = true;  // terminated before it ever ran
            return;
        }
    }
    DWORD code;
    try {
        code = routine();
    } catch (const ThreadExit& exit) {
        code = exit.code;
    }
    Finish(*self, code, true);
}

HANDLE StartThread(Routine routine, DWORD flags, DWORD* threadId) {
    auto self = std::make_shared<ThreadObject>();
    self->id = NewThreadId();
    self->suspendCount = (flags & CREATE_SUSPENDED) ? 1 : 0;
    try {
        self->thread = std::thread(RunThread, self, std::move(routine));
    } catch (const std::system_error&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (threadId) *threadId = self->id;
    return detail::AddHandle(self);
}

}  // namespace
}  // namespace lumiva::win32

using lumiva::win32::ThreadObject;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                    LPDWORD threadId) {
    if (!start) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return lumiva::win32::StartThread([=] { return start(parameter); }, flags, threadId);
}

uintptr_t _beginthreadex(void*, unsigned, unsigned(__stdcall* start)(void*), void* argument, unsigned flags,
                         unsigned* threadId) {
    if (!start) return 0;
    DWORD id = 0;
    HANDLE handle = lumiva::win32::StartThread([=] { return DWORD(start(argument)); }, flags, &id);
    if (handle && threadId) *threadId = id;
    return reinterpret_cast<uintptr_t>(handle);
}

void ExitThread(DWORD exitCode) {
    // Unwinds to the routine's caller in RunThread. A thread this layer did
    // not start has no such caller to return to.
    if (!lumiva::win32::t_startedHere) {
        std::fprintf(stderr, "ExitThread(%u) on a thread not started by CreateThread\n", unsigned(exitCode));
        std::abort();
    }
    throw lumiva::win32::ThreadExit{exitCode};
}

void _endthreadex(unsigned exitCode) { ExitThread(exitCode); }

DWORD ResumeThread(HANDLE thread) {
    DWORD previous;
    {
        std::lock_guard lock(lumiva::win32::detail::KernelLock());
        auto self = lumiva::win32::detail::ObjectAs<ThreadObject>(thread);
        if (!self) {
            SetLastError(ERROR_INVALID_HANDLE);
            return DWORD(-1);
        }
        previous = self->suspendCount;
        if (self->suspendCount > 0) --self->suspendCount;
    }
    lumiva::win32::detail::NotifyKernelChange();
    return previous;
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
    std::lock_guard lock(lumiva::win32::detail::KernelLock());
    auto self = lumiva::win32::detail::ObjectAs<ThreadObject>(thread);
    if (!self || !exitCode) {
        SetLastError(self ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *exitCode = self->finished ? self->exitCode : DWORD(STILL_ACTIVE);
    return TRUE;
}

BOOL TerminateThread(HANDLE thread, DWORD exitCode) {
    std::shared_ptr<ThreadObject> self;
    {
        std::lock_guard lock(lumiva::win32::detail::KernelLock());
        self = lumiva::win32::detail::ObjectAs<ThreadObject>(thread);
        if (!self) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    lumiva::win32::Finish(*self, exitCode, false);
    return TRUE;
}

DWORD GetCurrentThreadId() {
    if (!lumiva::win32::t_threadId) lumiva::win32::t_threadId = lumiva::win32::NewThreadId();
    return lumiva::win32::t_threadId;
}

// Priorities are recorded only: the host's scheduler is not ours to steer.
BOOL SetThreadPriority(HANDLE thread, int priority) {
    if (thread == GetCurrentThread()) {
        lumiva::win32::t_priority = priority;
        return TRUE;
    }
    std::lock_guard lock(lumiva::win32::detail::KernelLock());
    auto self = lumiva::win32::detail::ObjectAs<ThreadObject>(thread);
    if (!self) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    self->priority = priority;
    return TRUE;
}

int GetThreadPriority(HANDLE thread) {
    if (thread == GetCurrentThread()) return lumiva::win32::t_priority;
    std::lock_guard lock(lumiva::win32::detail::KernelLock());
    auto self = lumiva::win32::detail::ObjectAs<ThreadObject>(thread);
    if (!self) {
        SetLastError(ERROR_INVALID_HANDLE);
        return THREAD_PRIORITY_ERROR_RETURN;
    }
    return self->priority;
}
