// The host's lock: re-entrant, so the thread holding it may lock it again
// (each Lock needs its Unlock).
#pragma once

#include <mutex>

#include "BasrelApi.h"

class BASREL_API KMutex {
public:
    KMutex() = default;
    KMutex(const KMutex&) = delete;
    KMutex& operator=(const KMutex&) = delete;

    void Lock() { m_lock.lock(); }
    void Unlock() { m_lock.unlock(); }
    // Takes the lock only when no other thread holds it.
    bool TryLock() { return m_lock.try_lock(); }

private:
    std::recursive_mutex m_lock;
};

// Holds a KMutex locked for its own lifetime.
class BASREL_API KAutoMutex {
public:
    explicit KAutoMutex(KMutex& mutex) : m_mutex(mutex) { m_mutex.Lock(); }
    explicit KAutoMutex(KMutex* mutex) : KAutoMutex(*mutex) {}
    ~KAutoMutex() { m_mutex.Unlock(); }
    KAutoMutex(const KAutoMutex&) = delete;
    KAutoMutex& operator=(const KAutoMutex&) = delete;

private:
    KMutex& m_mutex;
};
