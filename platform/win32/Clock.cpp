// One clock for timeGetTime, GetTickCount and the performance counter:
// the monotonic system clock, or a manual one that tests move.
#include "Clock.h"

#include <windows.h>

#include <atomic>
#include <chrono>

#include "KernelLock.h"
#include "win32/Control.h"

namespace lumiva::win32 {
namespace {

constexpr int64_t kCounterFrequency = 1000000;

std::atomic<bool> g_manual{false};
std::atomic<uint64_t> g_manualMicroseconds{0};
detail::ClockEpoch g_epoch{0, 0};  // guarded by KernelLock()

uint64_t SystemMicroseconds() {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(since).count());
}

// Changes of the manual clock happen under the kernel lock so that a waiter
// checking its deadline cannot miss the wake-up.
void StoreManual(bool manual, uint64_t us) {
    {
        std::lock_guard lock(detail::KernelLock());
        if (manual != g_manual.load()) g_epoch = {g_epoch.id + 1, manual ? us : SystemMicroseconds()};
        g_manualMicroseconds.store(us);
        g_manual.store(manual);
    }
    detail::NotifyKernelChange();
}

}  // namespace

namespace detail {

uint64_t NowMicroseconds() { return g_manual.load() ? g_manualMicroseconds.load() : SystemMicroseconds(); }

bool ManualClockActive() { return g_manual.load(); }

void ResetClock() { StoreManual(false, 0); }

ClockEpoch CurrentClockEpoch() { return g_epoch; }

}  // namespace detail

void InstallManualClock(uint64_t startMs) { StoreManual(true, startMs * 1000); }

void SetClock(uint64_t ms) { StoreManual(true, ms * 1000); }

void UseSystemClock() { StoreManual(false, 0); }

bool IsManualClock() { return g_manual.load(); }

void AdvanceClockMicroseconds(uint64_t us) {
    {
        std::lock_guard lock(detail::KernelLock());
        if (!g_manual.load()) return;
        g_manualMicroseconds.fetch_add(us);
    }
    detail::NotifyKernelChange();
}

void AdvanceClock(uint64_t ms) { AdvanceClockMicroseconds(ms * 1000); }

uint64_t ClockMicroseconds() { return detail::NowMicroseconds(); }

uint64_t ClockMilliseconds() { return detail::NowMicroseconds() / 1000; }

}  // namespace lumiva::win32

DWORD timeGetTime() { return DWORD(lumiva::win32::ClockMilliseconds()); }

DWORD GetTickCount() { return DWORD(lumiva::win32::ClockMilliseconds()); }

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (!count) return FALSE;
    count->QuadPart = LONGLONG(lumiva::win32::ClockMicroseconds());
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (!frequency) return FALSE;
    frequency->QuadPart = lumiva::win32::kCounterFrequency;
    return TRUE;
}
