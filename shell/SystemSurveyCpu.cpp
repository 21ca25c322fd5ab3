#include "shell/SystemSurveyCpu.h"

#include <cpuid.h>
#include <x86intrin.h>

namespace {

bool HardwareHasCpuid() { return __get_cpuid_max(0, nullptr) != 0; }

KCpuidResult HardwareCpuid(uint32_t leaf) {
    KCpuidResult r{};
    __cpuid(leaf, r.eax, r.ebx, r.ecx, r.edx);
    return r;
}

uint64_t HardwareTimeStamp() { return __rdtsc(); }

const KCpuSource kHardware = {HardwareHasCpuid, HardwareCpuid, HardwareTimeStamp};
const KCpuSource* g_cpuSource = &kHardware;

}  // namespace

const KCpuSource& HardwareCpuSource() { return kHardware; }
const KCpuSource& CurrentCpuSource() { return *g_cpuSource; }
void SetCpuSourceForTests(const KCpuSource* source) { g_cpuSource = source ? source : &kHardware; }
