// The process's priority class and affinity mask as the module sees them.
// Raising a test process to real-time priority would help nobody, so the
// values are only kept and read back.
#include "ProcessScheduling.h"

#include <windows.h>

#include <mutex>
#include <thread>

namespace lumiva::win32 {
namespace {

struct Scheduling {
    std::mutex lock;
    DWORD priorityClass = NORMAL_PRIORITY_CLASS;
    DWORD_PTR affinity = 0;  // 0 until first read: all processors
};

Scheduling& TheScheduling() {
    static auto* scheduling = new Scheduling;
    return *scheduling;
}

DWORD_PTR SystemMask() {
    unsigned n = std::thread::hardware_concurrency();
    if (n == 0) n = 1;
    if (n >= sizeof(DWORD_PTR) * 8) return ~DWORD_PTR(0);
    return (DWORD_PTR(1) << n) - 1;
}

bool IsCurrentProcess(HANDLE process) {
    if (process == GetCurrentProcess()) return true;
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
}

bool IsPriorityClass(DWORD value) {
    switch (value) {
        case NORMAL_PRIORITY_CLASS:
        case IDLE_PRIORITY_CLASS:
        case HIGH_PRIORITY_CLASS:
        case REALTIME_PRIORITY_CLASS:
        case BELOW_NORMAL_PRIORITY_CLASS:
        case ABOVE_NORMAL_PRIORITY_CLASS: return true;
        default: return false;
    }
}

}  // namespace

namespace detail {

void ResetProcessScheduling() {
    Scheduling& s = TheScheduling();
    std::lock_guard lock(s.lock);
    s.priorityClass = NORMAL_PRIORITY_CLASS;
    s.affinity = 0;
}

}  // namespace detail
}  // namespace lumiva::win32

using lumiva::win32::Scheduling;
using lumiva::win32::TheScheduling;

DWORD GetPriorityClass(HANDLE process) {
    if (!lumiva::win32::IsCurrentProcess(process)) return 0;
    Scheduling& s = TheScheduling();
    std::lock_guard lock(s.lock);
    return s.priorityClass;
}

BOOL SetPriorityClass(HANDLE process, DWORD priorityClass) {
    if (!lumiva::win32::IsCurrentProcess(process)) return FALSE;
    if (!lumiva::win32::IsPriorityClass(priorityClass)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Scheduling& s = TheScheduling();
    std::lock_guard lock(s.lock);
    s.priorityClass = priorityClass;
    return TRUE;
}

BOOL GetProcessAffinityMask(HANDLE process, DWORD_PTR* processMask, DWORD_PTR* systemMask) {
    if (!lumiva::win32::IsCurrentProcess(process)) return FALSE;
    if (!processMask || !systemMask) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Scheduling& s = TheScheduling();
    std::lock_guard lock(s.lock);
    *systemMask = lumiva::win32::SystemMask();
    *processMask = s.affinity ? s.affinity : *systemMask;
    return TRUE;
}

BOOL SetProcessAffinityMask(HANDLE process, DWORD_PTR mask) {
    if (!lumiva::win32::IsCurrentProcess(process)) return FALSE;
    if (mask == 0 || (mask & ~lumiva::win32::SystemMask())) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Scheduling& s = TheScheduling();
    std::lock_guard lock(s.lock);
    s.affinity = mask;
    return TRUE;
}
