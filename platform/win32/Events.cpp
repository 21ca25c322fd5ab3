// Events with manual and automatic reset. An automatic event lets exactly
// one satisfied wait through and turns unsignalled again.
#include "KernelLock.h"
#include "KernelObjects.h"

namespace lumiva::win32 {
namespace {

struct EventObject : detail::KernelObject {
    EventObject(bool manual, bool signaled) : manualReset(manual), signaled(signaled) {}
    bool IsSignaled() const override { return signaled; }
    void OnWaitSatisfied() override {
        if (!manualReset) signaled = false;
    }
    const bool manualReset;
    bool signaled;
};

BOOL SetSignal(HANDLE event, bool signaled) {
    {
        std::lock_guard lock(detail::KernelLock());
        auto object = detail::ObjectAs<EventObject>(event);
        if (!object) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        object->signaled = signaled;
    }
    if (signaled) detail::NotifyKernelChange();
    return TRUE;
}

}  // namespace
}  // namespace lumiva::win32

// Names are accepted and ignored: every event is private to its creator.
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR) {
    using lumiva::win32::EventObject;
    return lumiva::win32::detail::AddHandle(std::make_shared<EventObject>(manualReset != FALSE, initialState != FALSE));
}

BOOL SetEvent(HANDLE event) { return lumiva::win32::SetSignal(event, true); }

BOOL ResetEvent(HANDLE event) { return lumiva::win32::SetSignal(event, false); }
