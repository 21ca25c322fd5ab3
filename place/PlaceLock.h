// Holds one of the place's critical sections for a scope; a null section
// (the place not inited, so none exist) holds nothing.
#pragma once

#include <windows.h>

class PlaceLock {
public:
    explicit PlaceLock(CRITICAL_SECTION* section) : m_section(section) {
        if (m_section) EnterCriticalSection(m_section);
    }
    ~PlaceLock() {
        if (m_section) LeaveCriticalSection(m_section);
    }
    PlaceLock(const PlaceLock&) = delete;
    PlaceLock& operator=(const PlaceLock&) = delete;

private:
    CRITICAL_SECTION* m_section;
};
