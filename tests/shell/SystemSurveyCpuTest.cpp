// The processor and operating-system side of the survey, from scripted
// CPUID answers, a scripted time-stamp counter and the manual clock.
#include <gtest/gtest.h>

#include <cstring>

#include "ShellTestSupport.h"
#include "shell/SystemSurvey.h"
#include "shell/SystemSurveyCpu.h"
#include "win32/Control.h"

namespace {

struct ScriptedCpu {
    bool hasCpuid = true;
    char vendor[13] = "GenuineIntel";
    uint32_t signature = 0;
    uint32_t leaf1Ebx = 0;
    uint32_t leaf1Edx = 1u << 4;  // time-stamp counter present
    uint64_t stamps[2] = {0, 0};
    int stampReads = 0;
};
ScriptedCpu g_cpu;

bool ScriptedHasCpuid() { return g_cpu.hasCpuid; }
KCpuidResult ScriptedCpuid(uint32_t leaf) {
    KCpuidResult r{};
    if (leaf == 0) {
        r.eax = 1;
        std::memcpy(&r.ebx, g_cpu.vendor, 4);
        std::memcpy(&r.edx, g_cpu.vendor + 4, 4);
        std::memcpy(&r.ecx, g_cpu.vendor + 8, 4);
    } else if (leaf == 1) {
        r.eax = g_cpu.signature;
        r.ebx = g_cpu.leaf1Ebx;
        r.edx = g_cpu.leaf1Edx;
    }
    return r;
}
uint64_t ScriptedTimeStamp() { return g_cpu.stamps[g_cpu.stampReads++ % 2]; }
const KCpuSource kScripted = {ScriptedHasCpuid, ScriptedCpuid, ScriptedTimeStamp};

class SystemSurveyCpu : public shell_test::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        g_cpu = ScriptedCpu{};
        SetCpuSourceForTests(&kScripted);
        lumiva::win32::InstallManualClock(1000);
    }
};

TEST_F(SystemSurveyCpu, VendorLetterFromTheFirstFourCharacters) {
    const struct {
        const char* vendor;
        char letter;
    } cases[] = {{"CyrixInstead", 'X'}, {"AuthenticAMD", 'A'}, {"GenuineIntel", 'I'}, {"CentaurHauls", 'U'}};
    for (const auto& c : cases) {
        std::memcpy(g_cpu.vendor, c.vendor, 12);
        char vendor = 0;
        uint32_t stepping = 0, model = 0, family = 0, type = 0, brand = 0;
        g_SystemSurvey.GetCpuFeatures(&vendor, &stepping, &model, &family, &type, &brand);
        EXPECT_EQ(vendor, c.letter) << c.vendor;
    }
}

TEST_F(SystemSurveyCpu, SignatureFieldsAndBrand) {
    g_cpu.signature = 0x0000F6A5 | (2u << 12) | 0xFFFF0000;  // extended bits are ignored
    g_cpu.leaf1Ebx = 0x12345679;
    char vendor = 0;
    uint32_t stepping = 0, model = 0, family = 0, type = 0, brand = 0;
    g_SystemSurvey.GetCpuFeatures(&vendor, &stepping, &model, &family, &type, &brand);
    EXPECT_EQ(stepping, 5u);
    EXPECT_EQ(model, 0xAu);
    EXPECT_EQ(family, 6u);
    EXPECT_EQ(type, 3u);  // bits 12..13 of 0xF6A5 | 0x2000
    EXPECT_EQ(brand, 9u);
}

TEST_F(SystemSurveyCpu, WithoutCpuidNothingIsWritten) {
    g_cpu.hasCpuid = false;
    char vendor = '?';
    uint32_t stepping = 7, model = 7, family = 7, type = 7, brand = 7;
    g_SystemSurvey.GetCpuFeatures(&vendor, &stepping, &model, &family, &type, &brand);
    EXPECT_EQ(vendor, '?');
    EXPECT_EQ(type, 7u);
    EXPECT_FALSE(g_SystemSurvey.HasCpuid());
    EXPECT_EQ(g_SystemSurvey.MeasureCpuClock(50), 0u);
}

TEST_F(SystemSurveyCpu, ClockFromCyclesOverCounterTicks) {
    // 50 ms of manual clock and 100 000 000 cycles: 2000 MHz.
    g_cpu.stamps[0] = 5000;
    g_cpu.stamps[1] = 5000 + 100000000ull;
    EXPECT_EQ(g_SystemSurvey.MeasureCpuClock(50), 2000u);
    EXPECT_EQ(g_cpu.stampReads, 2);
    EXPECT_EQ(lumiva::win32::ClockMilliseconds(), 1050u);
    // The whole hertz are truncated before the division into MHz.
    g_cpu.stamps[1] = 5000 + 49999999ull;
    EXPECT_EQ(g_SystemSurvey.MeasureCpuClock(50), 999u);
}

TEST_F(SystemSurveyCpu, SchedulingIsPutBackAfterTheSample) {
    HANDLE process = GetCurrentProcess();
    HANDLE thread = GetCurrentThread();
    SetPriorityClass(process, HIGH_PRIORITY_CLASS);
    SetThreadPriority(thread, THREAD_PRIORITY_ABOVE_NORMAL);
    DWORD_PTR before = 0, system = 0;
    ASSERT_TRUE(GetProcessAffinityMask(process, &before, &system));
    g_cpu.stamps[1] = 100000000;
    EXPECT_NE(g_SystemSurvey.MeasureCpuClock(50), 0u);
    EXPECT_EQ(GetPriorityClass(process), static_cast<DWORD>(HIGH_PRIORITY_CLASS));
    EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_ABOVE_NORMAL);
    DWORD_PTR after = 0;
    ASSERT_TRUE(GetProcessAffinityMask(process, &after, &system));
    EXPECT_EQ(after, before);
    SetThreadPriority(thread, THREAD_PRIORITY_NORMAL);
}

TEST_F(SystemSurveyCpu, ClockIsZeroWhenItCannotBeMeasured) {
    g_cpu.stamps[1] = 100000000;
    EXPECT_EQ(g_SystemSurvey.MeasureCpuClock(0), 0u);
    EXPECT_EQ(g_cpu.stampReads, 0);
    g_cpu.leaf1Edx = 0;  // no time-stamp counter
    EXPECT_EQ(g_SystemSurvey.MeasureCpuClock(50), 0u);
    g_cpu.leaf1Edx = 1u << 4;
    g_cpu.stamps[0] = 10;
    g_cpu.stamps[1] = 10;  // the counter did not move
    EXPECT_EQ(g_SystemSurvey.MeasureCpuClock(50), 0u);
}

TEST_F(SystemSurveyCpu, HardwareSourceAnswersOnThisMachine) {
    SetCpuSourceForTests(nullptr);
    EXPECT_TRUE(g_SystemSurvey.HasCpuid());
    char vendor = 0;
    uint32_t stepping = 0, model = 0, family = 0, type = 0, brand = 0;
    g_SystemSurvey.GetCpuFeatures(&vendor, &stepping, &model, &family, &type, &brand);
    EXPECT_NE(std::strchr("AIXU", vendor), nullptr);
    EXPECT_LE(type, 3u);
}

TEST_F(SystemSurveyCpu, RecordTakesTheProcessorFields) {
    std::memcpy(g_cpu.vendor, "AuthenticAMD", 12);
    g_cpu.signature = 0x1FFF;  // type 1
    g_cpu.stamps[0] = 0;
    g_cpu.stamps[1] = 3500000000ull * 5 / 100;  // 3500 MHz over 50 ms
    KSystemInfo info;
    std::memset(&info, 0, sizeof(info));
    g_SystemSurvey.FillSystemInfo(&info);
    EXPECT_EQ(+info.CpuVendor, 'A');
    EXPECT_EQ(+info.CpuType, 1u);
    EXPECT_EQ(+info.CpuClockMHz, 3500);
    // A clock past 16 bits keeps its low 16 bits.
    g_cpu.stamps[1] = 70000000000ull * 5 / 100;
    g_cpu.stampReads = 0;
    g_SystemSurvey.FillSystemInfo(&info);
    EXPECT_EQ(+info.CpuClockMHz, 70000 & 0xFFFF);
}

TEST_F(SystemSurveyCpu, ServicePackIsTheLastCharacter) {
    const struct {
        const char* csd;
        uint32_t servicePack;
    } cases[] = {{"Service Pack 2", 2}, {"Service Pack 10", 0}, {"", 0}, {"Update 3", 0}, {"Service Pack", 0}};
    for (const auto& c : cases) {
        OSVERSIONINFOA info{};
        info.dwMajorVersion = 5;
        info.dwMinorVersion = 1;
        std::strcpy(info.szCSDVersion, c.csd);
        lumiva::win32::SetVersionInfo(info);
        uint32_t major = 0, minor = 0, servicePack = 99;
        g_SystemSurvey.GetOSVersionInfo(&major, &minor, &servicePack);
        EXPECT_EQ(major, 5u);
        EXPECT_EQ(minor, 1u);
        EXPECT_EQ(servicePack, c.servicePack) << c.csd;
    }
}

TEST_F(SystemSurveyCpu, MemoryInWholeMegabytes) {
    MEMORYSTATUS status{};
    status.dwTotalPhys = (512ull << 20) + 12345;
    status.dwAvailPhys = 300ull << 20;
    status.dwTotalVirtual = 2048ull << 20;
    status.dwAvailVirtual = (1900ull << 20) - 1;
    lumiva::win32::SetMemoryStatus(status);
    uint32_t totalPhysical = 0, availablePhysical = 0, totalVirtual = 0, availableVirtual = 0;
    g_SystemSurvey.GetMemoryStatusMB(&totalPhysical, &availablePhysical, &totalVirtual, &availableVirtual);
    EXPECT_EQ(totalPhysical, 512u);
    EXPECT_EQ(availablePhysical, 300u);
    EXPECT_EQ(totalVirtual, 2048u);
    EXPECT_EQ(availableVirtual, 1899u);
}

}  // namespace
