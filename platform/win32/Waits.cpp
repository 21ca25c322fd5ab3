// Waits on events and threads. Deadlines are read on the process clock: in
// real time for the system clock, and for the manual clock whenever it
// moves (advancing it wakes every waiter to look again).
#include "Waits.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "Clock.h"
#include "KernelLock.h"
#include "KernelObjects.h"
#include "win32/Control.h"

namespace lumiva::win32 {
namespace {

using detail::KernelObject;
using Objects = std::vector<std::shared_ptr<KernelObject>>;

int g_blockedWaiters = 0;  // guarded by KernelLock()

// The result when the wait can end now, or WAIT_TIMEOUT when it cannot.
DWORD TrySatisfy(const Objects& objects, bool waitAll) {
    if (waitAll) {
        for (const auto& o : objects)
            if (!o->IsSignaled()) return WAIT_TIMEOUT;
        for (const auto& o : objects) o->OnWaitSatisfied();
        return WAIT_OBJECT_0;
    }
    for (size_t i = 0; i < objects.size(); ++i) {
        if (objects[i]->IsSignaled()) {
            objects[i]->OnWaitSatisfied();
            return DWORD(WAIT_OBJECT_0 + i);
        }
    }
    return WAIT_TIMEOUT;
}

bool HasDuplicates(const Objects& objects) {
    for (size_t i = 0; i < objects.size(); ++i)
        for (size_t j = i + 1; j < objects.size(); ++j)
            if (objects[i] == objects[j]) return true;
    return false;
}

struct BlockedWaiter {
    explicit BlockedWaiter(std::unique_lock<std::mutex>&) {
        ++g_blockedWaiters;
        detail::NotifyKernelChange();
    }
    ~BlockedWaiter() {
        --g_blockedWaiters;
        detail::NotifyKernelChange();
    }
};

DWORD Block(std::unique_lock<std::mutex>& lock, const Objects& objects, bool waitAll, DWORD milliseconds) {
    const uint64_t timeout = uint64_t(milliseconds) * 1000;
    detail::ClockEpoch epoch = detail::CurrentClockEpoch();
    uint64_t deadline = detail::NowMicroseconds() + timeout;
    BlockedWaiter blocked(lock);
    for (;;) {
        DWORD result = TrySatisfy(objects, waitAll);
        if (result != WAIT_TIMEOUT) return result;
        if (milliseconds == INFINITE || detail::ManualClockActive()) {
            detail::KernelChanged().wait(lock);
        } else {
            uint64_t now = detail::NowMicroseconds();
            if (now >= deadline) return WAIT_TIMEOUT;
            detail::KernelChanged().wait_for(lock, std::chrono::microseconds(deadline - now));
        }
        if (milliseconds == INFINITE) continue;
        detail::ClockEpoch current = detail::CurrentClockEpoch();
        if (current.id != epoch.id) {
            epoch = current;
            deadline = epoch.startMicroseconds + timeout;
        }
        if (detail::NowMicroseconds() >= deadline) {
            // One last look: a signal and the deadline may arrive together.
            return TrySatisfy(objects, waitAll);
        }
    }
}

DWORD WaitForObjects(DWORD count, const HANDLE* handles, bool waitAll, DWORD milliseconds) {
    if (!handles || count == 0 || count > MAXIMUM_WAIT_OBJECTS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::unique_lock lock(detail::KernelLock());
    Objects objects;
    for (DWORD i = 0; i < count; ++i) {
        auto object = detail::ObjectOf(handles[i]);
        if (!object) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(std::move(object));
    }
    if (waitAll && HasDuplicates(objects)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    if (milliseconds == 0) return TrySatisfy(objects, waitAll);
    return Block(lock, objects, waitAll, milliseconds);
}

}  // namespace

namespace detail {

void ResetWaits() {
    // Waiters keep their state; a reset only has to wake them to re-read the clock.
    NotifyKernelChange();
}

}  // namespace detail

int BlockedWaiters() {
    std::lock_guard lock(detail::KernelLock());
    return g_blockedWaiters;
}

bool WaitForBlockedWaiters(int count, uint64_t timeoutMs) {
    std::unique_lock lock(detail::KernelLock());
    return detail::KernelChanged().wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                            [&] { return g_blockedWaiters == count; });
}

}  // namespace lumiva::win32

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
    return lumiva::win32::WaitForObjects(1, &object, false, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD milliseconds) {
    return lumiva::win32::WaitForObjects(count, objects, waitAll != FALSE, milliseconds);
}
