// Machine facts the module asks for: memory and the OS version. Defaults
// come from this machine (memory) or are fixed (an NT 5.1 version record);
// tests replace either.
#include "SystemFacts.h"

#include <unistd.h>

#include <cstring>
#include <mutex>
#include <optional>

#include "win32/Control.h"

namespace lumiva::win32 {
namespace {

// The user address space a 32-bit process of the platform gets.
constexpr uint64_t kTotalVirtual = 0x7FFE0000;
constexpr uint64_t kAvailVirtual = 0x7F000000;

struct SystemFacts {
    std::mutex lock;
    std::optional<MEMORYSTATUS> memory;
    std::optional<OSVERSIONINFOA> version;
};

SystemFacts& Facts() {
    static auto* facts = new SystemFacts;
    return *facts;
}

uint64_t Pages(int name) {
    long pages = sysconf(name);
    long size = sysconf(_SC_PAGESIZE);
    return pages > 0 && size > 0 ? uint64_t(pages) * uint64_t(size) : 0;
}

MEMORYSTATUS MachineMemory() {
    MEMORYSTATUS m{};
    m.dwTotalPhys = SIZE_T(Pages(_SC_PHYS_PAGES));
    m.dwAvailPhys = SIZE_T(Pages(_SC_AVPHYS_PAGES));
    m.dwTotalPageFile = m.dwTotalPhys;
    m.dwAvailPageFile = m.dwAvailPhys;
    m.dwTotalVirtual = kTotalVirtual;
    m.dwAvailVirtual = kAvailVirtual;
    return m;
}

DWORD LoadPercent(const MEMORYSTATUS& m) {
    if (!m.dwTotalPhys || m.dwAvailPhys >= m.dwTotalPhys) return 0;
    return DWORD((m.dwTotalPhys - m.dwAvailPhys) * 100 / m.dwTotalPhys);
}

OSVERSIONINFOA DefaultVersion() {
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
    v.dwMajorVersion = 5;
    v.dwMinorVersion = 1;
    v.dwBuildNumber = 2600;
    v.dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::strcpy(v.szCSDVersion, "Service Pack 2");
    return v;
}

OSVERSIONINFOA CurrentVersion() {
    SystemFacts& f = Facts();
    std::lock_guard lock(f.lock);
    return f.version ? *f.version : DefaultVersion();
}

}  // namespace

namespace detail {

void ResetSystemFacts() {
    SystemFacts& f = Facts();
    std::lock_guard lock(f.lock);
    f.memory.reset();
    f.version.reset();
}

}  // namespace detail

void SetTotalPhysicalMemory(uint64_t bytes) {
    SystemFacts& f = Facts();
    std::lock_guard lock(f.lock);
    if (!f.memory) f.memory = MachineMemory();
    f.memory->dwTotalPhys = SIZE_T(bytes);
    if (f.memory->dwAvailPhys > f.memory->dwTotalPhys) f.memory->dwAvailPhys = f.memory->dwTotalPhys / 2;
}

void SetMemoryStatus(const MEMORYSTATUS& status) {
    SystemFacts& f = Facts();
    std::lock_guard lock(f.lock);
    f.memory = status;
}

void SetVersionInfo(const OSVERSIONINFOA& info) {
    SystemFacts& f = Facts();
    std::lock_guard lock(f.lock);
    f.version = info;
    f.version->szCSDVersion[sizeof f.version->szCSDVersion - 1] = 0;
}

}  // namespace lumiva::win32

void GlobalMemoryStatus(LPMEMORYSTATUS status) {
    using namespace lumiva::win32;
    if (!status) return;
    SystemFacts& f = Facts();
    std::lock_guard lock(f.lock);
    MEMORYSTATUS m = f.memory ? *f.memory : MachineMemory();
    m.dwLength = sizeof m;
    if (!f.memory) m.dwMemoryLoad = LoadPercent(m);
    *status = m;
}

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    *info = lumiva::win32::CurrentVersion();
    info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    return TRUE;
}

// Major in the low byte, minor in the next, the build in the high word
// (bit 31 clear on NT).
DWORD GetVersion() {
    OSVERSIONINFOA v = lumiva::win32::CurrentVersion();
    DWORD build = v.dwPlatformId == VER_PLATFORM_WIN32_NT ? (v.dwBuildNumber & 0x7FFF) : 0x8000;
    return (v.dwMajorVersion & 0xFF) | ((v.dwMinorVersion & 0xFF) << 8) | (build << 16);
}
