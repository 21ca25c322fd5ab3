// Interlocked operations on LONG, full barriers as on the platform.
#include <windows.h>

#include <atomic>

namespace {

std::atomic_ref<LONG> Atomic(LONG volatile* value) { return std::atomic_ref<LONG>(*const_cast<LONG*>(value)); }

// Results wrap like the platform's instead of overflowing.
LONG Wrapped(LONG a, LONG b) { return LONG(ULONG(a) + ULONG(b)); }

}  // namespace

LONG InterlockedIncrement(LONG volatile* value) { return Wrapped(Atomic(value).fetch_add(1), 1); }

LONG InterlockedDecrement(LONG volatile* value) { return Wrapped(Atomic(value).fetch_sub(1), -1); }

LONG InterlockedExchange(LONG volatile* target, LONG value) { return Atomic(target).exchange(value); }

LONG InterlockedExchangeAdd(LONG volatile* target, LONG value) { return Atomic(target).fetch_add(value); }

LONG InterlockedCompareExchange(LONG volatile* target, LONG exchange, LONG comparand) {
    Atomic(target).compare_exchange_strong(comparand, exchange);
    return comparand;
}
