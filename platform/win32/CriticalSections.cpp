// Critical sections are re-entrant locks owned by the platform layer.
#include <windows.h>

#include <mutex>

namespace {

std::recursive_mutex& LockOf(LPCRITICAL_SECTION section) {
    return *static_cast<std::recursive_mutex*>(section->impl);
}

}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION section) { section->impl = new std::recursive_mutex; }

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
    delete static_cast<std::recursive_mutex*>(section->impl);
    section->impl = nullptr;
}

void EnterCriticalSection(LPCRITICAL_SECTION section) { LockOf(section).lock(); }

void LeaveCriticalSection(LPCRITICAL_SECTION section) { LockOf(section).unlock(); }

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) { return LockOf(section).try_lock() ? TRUE : FALSE; }
