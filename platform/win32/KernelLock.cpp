#include "KernelLock.h"

namespace lumiva::win32::detail {

// Never destroyed: threads that outlive main may still touch them.
std::mutex& KernelLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

std::condition_variable& KernelChanged() {
    static auto* changed = new std::condition_variable;
    return *changed;
}

}  // namespace lumiva::win32::detail
