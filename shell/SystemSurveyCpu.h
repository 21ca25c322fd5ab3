// The processor as the survey sees it: CPUID and the time-stamp counter.
// Tests replace the source to script vendors, signatures and cycle counts.
#pragma once

#include <cstdint>

struct KCpuidResult {
    uint32_t eax;
    uint32_t ebx;
    uint32_t ecx;
    uint32_t edx;
};

struct KCpuSource {
    bool (*hasCpuid)();
    KCpuidResult (*cpuid)(uint32_t leaf);
    uint64_t (*readTimeStamp)();
};

// The processor this code runs on.
const KCpuSource& HardwareCpuSource();
const KCpuSource& CurrentCpuSource();
// Null puts the hardware back.
void SetCpuSourceForTests(const KCpuSource* source);
