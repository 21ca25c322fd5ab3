#include <map>

#include "KernelLock.h"
#include "KernelObjects.h"
#include "win32/Control.h"

namespace lumiva::win32 {
namespace {

struct HandleTable {
    std::map<uintptr_t, std::shared_ptr<detail::KernelObject>> objects;
    uintptr_t next = 0x104;  // multiples of four, as the platform hands out
};

// Guarded by KernelLock(); never destroyed, threads may outlive main.
HandleTable& Table() {
    static auto* table = new HandleTable;
    return *table;
}

}  // namespace

namespace detail {

HANDLE AddHandle(std::shared_ptr<KernelObject> object) {
    std::lock_guard lock(KernelLock());
    HandleTable& t = Table();
    uintptr_t value = t.next;
    t.next += 4;
    t.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> ObjectOf(HANDLE handle) {
    HandleTable& t = Table();
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second;
}

HANDLE CurrentProcessPseudoHandle() { return reinterpret_cast<HANDLE>(intptr_t(-1)); }

HANDLE CurrentThreadPseudoHandle() { return reinterpret_cast<HANDLE>(intptr_t(-2)); }

}  // namespace detail

int OpenHandleCount() {
    std::lock_guard lock(detail::KernelLock());
    return int(Table().objects.size());
}

}  // namespace lumiva::win32

BOOL CloseHandle(HANDLE object) {
    using namespace lumiva::win32;
    if (object == detail::CurrentProcessPseudoHandle() || object == detail::CurrentThreadPseudoHandle()) return TRUE;
    std::shared_ptr<detail::KernelObject> removed;
    {
        std::lock_guard lock(detail::KernelLock());
        HandleTable& t = Table();
        auto it = t.objects.find(reinterpret_cast<uintptr_t>(object));
        if (it == t.objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        removed = std::move(it->second);
        t.objects.erase(it);
    }
    removed->OnHandleClosed();
    return TRUE;
}

HANDLE GetCurrentProcess() { return lumiva::win32::detail::CurrentProcessPseudoHandle(); }

HANDLE GetCurrentThread() { return lumiva::win32::detail::CurrentThreadPseudoHandle(); }
