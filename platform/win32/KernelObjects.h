// Kernel objects behind HANDLEs: events and threads share one handle table
// and one wait mechanism. Handle values are never reused, so a closed
// handle stays invalid.
#pragma once

#include <windows.h>

#include <memory>

namespace lumiva::win32::detail {

struct KernelObject {
    virtual ~KernelObject() = default;
    // Both called with KernelLock() held.
    virtual bool IsSignaled() const = 0;
    virtual void OnWaitSatisfied() {}
    // Called once the handle is gone from the table, without the lock.
    virtual void OnHandleClosed() {}
};

// Takes the kernel lock itself.
HANDLE AddHandle(std::shared_ptr<KernelObject> object);
// The caller holds KernelLock(); null for an unknown handle.
std::shared_ptr<KernelObject> ObjectOf(HANDLE handle);

template <class T>
std::shared_ptr<T> ObjectAs(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(ObjectOf(handle));
}

// The pseudo handles of GetCurrentProcess and GetCurrentThread.
HANDLE CurrentProcessPseudoHandle();
HANDLE CurrentThreadPseudoHandle();

}  // namespace lumiva::win32::detail
