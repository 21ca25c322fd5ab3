#include "KTimer.h"

#include <windows.h>

KTimer::KTimer() : m_start(timeGetTime()) {}

void KTimer::Start() { m_start = timeGetTime(); }

void KTimer::Stop() { m_interval = timeGetTime() - m_start; }

uint64_t KTimer::GetElapse() const { return uint32_t(timeGetTime() - m_start); }

uint32_t KTimer::GetInterval() const { return m_interval; }
