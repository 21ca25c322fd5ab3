// Millisecond timer on the platform's one clock (timeGetTime).
//
// A new timer counts from its construction. Start restarts it; GetElapse is
// the time since the last Start (or construction); Stop notes the time, and
// GetInterval is then the time from Start to that Stop (0 before any Stop).
// Differences are taken in unsigned 32 bits, so a single wrap of the clock
// between Start and the reading does not disturb them.
#pragma once

#include <cstdint>

#include "BasrelApi.h"

class BASREL_API KTimer {
public:
    KTimer();
    void Start();
    void Stop();
    uint64_t GetElapse() const;
    uint32_t GetInterval() const;

private:
    uint32_t m_start;
    uint32_t m_interval = 0;
};
