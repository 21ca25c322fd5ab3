// The one lock and change signal behind every kernel object, the manual
// clock and the wait bookkeeping. A state change that could end a wait
// happens under the lock and is followed by NotifyKernelChange().
#pragma once

#include <condition_variable>
#include <mutex>

namespace lumiva::win32::detail {

std::mutex& KernelLock();
std::condition_variable& KernelChanged();
inline void NotifyKernelChange() { KernelChanged().notify_all(); }

}  // namespace lumiva::win32::detail
