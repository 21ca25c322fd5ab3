#include "shell/SystemSurvey.h"

#include <d3d9.h>
#include <ddraw.h>

#include <cstdlib>
#include <cstring>

#include "shell/D3DShell.h"
#include "shell/SystemSurveyCpu.h"

KSystemSurvey g_SystemSurvey;

namespace {

constexpr uint32_t kLargeTextureSize = 1024;
constexpr unsigned kClockSampleMs = 50;
constexpr uint32_t kTimeStampCounterBit = 1u << 4;

struct KFormatProbe {
    D3DFORMAT display;
    D3DFORMAT texture;
    uint8_t bit;
};
constexpr KFormatProbe kFormatProbes[] = {
    {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, kRT_X8R8G8B8_R5G6B5},
    {D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, kRT_X8R8G8B8_X8R8G8B8},
    {D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, kRT_X8R8G8B8_A4R4G4B4},
    {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, kRT_X8R8G8B8_A8R8G8B8},
    {D3DFMT_R5G6B5, D3DFMT_R5G6B5, kRT_R5G6B5_R5G6B5},
    {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, kRT_R5G6B5_X8R8G8B8},
    {D3DFMT_R5G6B5, D3DFMT_A4R4G4B4, kRT_R5G6B5_A4R4G4B4},
    {D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, kRT_R5G6B5_A8R8G8B8},
};

bool GetDefaultAdapterIdentifier(D3DADAPTER_IDENTIFIER9* identifier) {
    IDirect3D9* d3d = g_D3DShell.d3d;
    std::memset(identifier, 0, sizeof(*identifier));
    return d3d && SUCCEEDED(d3d->GetAdapterIdentifier(0, 0, identifier));
}

uint32_t ToMB(SIZE_T bytes) { return static_cast<uint32_t>(bytes >> 20); }

char VendorLetter(uint32_t vendorEbx) {
    // EBX holds the vendor string's first four characters, little-endian.
    char head[4];
    std::memcpy(head, &vendorEbx, sizeof(head));
    if (std::memcmp(head, "Auth", 4) == 0) return 'A';
    if (std::memcmp(head, "Cyri", 4) == 0) return 'X';
    if (std::memcmp(head, "Genu", 4) == 0) return 'I';
    return 'U';
}

}  // namespace

void KSystemSurvey::FillSystemInfo(KSystemInfo* info) const {
    if (!info) return;
    std::memset(info, 0, sizeof(*info));
    // Without CPUID the vendor and type stay 'U' and 0.
    info->CpuVendor = 'U';

    char vendor = 'U';
    uint32_t stepping = 0, model = 0, family = 0, type = 0, brand = 0;
    GetCpuFeatures(&vendor, &stepping, &model, &family, &type, &brand);
    info->CpuVendor = vendor;
    info->CpuType = type;
    info->CpuClockMHz = static_cast<uint16_t>(MeasureCpuClock(kClockSampleMs));

    uint32_t totalPhysical = 0, availablePhysical = 0, totalVirtual = 0, availableVirtual = 0;
    GetMemoryStatusMB(&totalPhysical, &availablePhysical, &totalVirtual, &availableVirtual);
    info->PhysicalMemoryMB = static_cast<uint16_t>(totalPhysical);
    info->AvailableVirtualMB = availableVirtual;

    uint32_t major = 0, minor = 0, servicePack = 0;
    GetOSVersionInfo(&major, &minor, &servicePack);
    info->OSMajorVersion = major;
    info->OSMinorVersion = minor;

    GetAdapterDescription(info->AdapterDescription, sizeof(info->AdapterDescription));
    uint16_t product = 0, version = 0, subVersion = 0, build = 0;
    GetDriverVersion(&product, &version, &subVersion, &build);
    info->DriverProduct = product;
    info->DriverVersion = version;
    info->DriverSubVersion = subVersion;
    info->DriverBuild = build;
    info->LargeTextures = QueryTextureSizeCaps() ? 1 : 0;
    info->VideoMemoryMB = static_cast<uint16_t>(GetVideoMemoryMB());
    info->RenderTargetFormats = QueryTextureFormats();
}

bool KSystemSurvey::QueryTextureSizeCaps() const {
    IDirect3D9* d3d = g_D3DShell.d3d;
    if (!d3d) return false;
    D3DCAPS9 caps{};
    if (FAILED(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps))) return false;
    return caps.MaxTextureWidth >= kLargeTextureSize && caps.MaxTextureHeight >= kLargeTextureSize;
}

uint8_t KSystemSurvey::QueryTextureFormats() const {
    IDirect3D9* d3d = g_D3DShell.d3d;
    if (!d3d) return 0;
    uint8_t mask = 0;
    for (const KFormatProbe& probe : kFormatProbes) {
        if (SUCCEEDED(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, probe.display, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE,
                                             probe.texture)))
            mask |= probe.bit;
    }
    return mask;
}

void KSystemSurvey::GetAdapterDescription(char* buffer, size_t size) const {
    if (!buffer || size == 0) return;
    D3DADAPTER_IDENTIFIER9 identifier;
    GetDefaultAdapterIdentifier(&identifier);
    // Bounded by the caller's size whatever it is, and always terminated.
    const size_t available = sizeof(identifier.Description);
    size_t length = strnlen(identifier.Description, available);
    if (length > size - 1) length = size - 1;
    std::memcpy(buffer, identifier.Description, length);
    buffer[length] = '\0';
}

unsigned KSystemSurvey::GetVideoMemoryMB() const {
    LPDIRECTDRAW7 directDraw = nullptr;
    if (FAILED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr)) ||
        !directDraw)
        return 0;
    DDCAPS caps;
    std::memset(&caps, 0, sizeof(caps));
    caps.dwSize = sizeof(caps);
    unsigned megabytes = 0;
    if (SUCCEEDED(directDraw->GetCaps(&caps, nullptr))) megabytes = caps.dwVidMemTotal / 1000000;
    directDraw->Release();
    return megabytes;
}

void KSystemSurvey::GetDriverVersion(uint16_t* product, uint16_t* version, uint16_t* subVersion,
                                     uint16_t* build) const {
    D3DADAPTER_IDENTIFIER9 identifier;
    GetDefaultAdapterIdentifier(&identifier);
    const uint64_t driver = static_cast<uint64_t>(identifier.DriverVersion.QuadPart);
    const uint32_t high = static_cast<uint32_t>(driver >> 32);
    const uint32_t low = static_cast<uint32_t>(driver);
    *product = HIWORD(high);
    *version = LOWORD(high);
    *subVersion = HIWORD(low);
    *build = LOWORD(low);
}

void KSystemSurvey::GetMemoryStatusMB(uint32_t* totalPhysical, uint32_t* availablePhysical, uint32_t* totalVirtual,
                                      uint32_t* availableVirtual) const {
    MEMORYSTATUS status;
    std::memset(&status, 0, sizeof(status));
    status.dwLength = sizeof(status);
    GlobalMemoryStatus(&status);
    *totalPhysical = ToMB(status.dwTotalPhys);
    *availablePhysical = ToMB(status.dwAvailPhys);
    *totalVirtual = ToMB(status.dwTotalVirtual);
    *availableVirtual = ToMB(status.dwAvailVirtual);
}

void KSystemSurvey::GetOSVersionInfo(uint32_t* major, uint32_t* minor, uint32_t* servicePack) const {
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    *major = 0;
    *minor = 0;
    *servicePack = 0;
    if (!GetVersionExA(&version)) return;
    *major = version.dwMajorVersion;
    *minor = version.dwMinorVersion;
    const size_t length = strnlen(version.szCSDVersion, sizeof(version.szCSDVersion));
    if (length == sizeof(version.szCSDVersion)) return;  // unterminated
    // Only the last character is read: "Service Pack 10" gives 0.
    if (std::strstr(version.szCSDVersion, "Service Pack") && length > 0) {
        const char last[2] = {version.szCSDVersion[length - 1], '\0'};
        *servicePack = static_cast<uint32_t>(std::atoi(last));
    }
}

bool KSystemSurvey::HasCpuid() const { return CurrentCpuSource().hasCpuid(); }

unsigned KSystemSurvey::MeasureCpuClock(unsigned sampleMs) const {
    const KCpuSource& cpu = CurrentCpuSource();
    if (sampleMs == 0 || !cpu.hasCpuid()) return 0;
    if (!(cpu.cpuid(1).edx & kTimeStampCounterBit)) return 0;
    LARGE_INTEGER frequency{};
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) return 0;

    // Real-time on the first processor for the length of the sample.
    HANDLE process = GetCurrentProcess();
    HANDLE thread = GetCurrentThread();
    const DWORD savedClass = GetPriorityClass(process);
    const int savedPriority = GetThreadPriority(thread);
    DWORD_PTR savedAffinity = 0;
    DWORD_PTR systemAffinity = 0;
    const bool haveAffinity = GetProcessAffinityMask(process, &savedAffinity, &systemAffinity) != 0;
    SetPriorityClass(process, REALTIME_PRIORITY_CLASS);
    SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
    SetProcessAffinityMask(process, 1);

    LARGE_INTEGER counterStart{}, counterEnd{};
    cpu.cpuid(0);  // serialises before the first reading
    QueryPerformanceCounter(&counterStart);
    const uint64_t cyclesStart = cpu.readTimeStamp();
    Sleep(sampleMs);
    QueryPerformanceCounter(&counterEnd);
    const uint64_t cyclesEnd = cpu.readTimeStamp();

    if (haveAffinity) SetProcessAffinityMask(process, savedAffinity);
    if (savedPriority != THREAD_PRIORITY_ERROR_RETURN) SetThreadPriority(thread, savedPriority);
    if (savedClass) SetPriorityClass(process, savedClass);

    const int64_t ticks = counterEnd.QuadPart - counterStart.QuadPart;
    if (ticks <= 0 || cyclesEnd <= cyclesStart) return 0;
    const double seconds = static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
    const double hertz = static_cast<double>(cyclesEnd - cyclesStart) / seconds;
    if (!(hertz < 1.8e19)) return 0;  // beyond any 64-bit count
    const uint64_t wholeHertz = static_cast<uint64_t>(hertz);
    const double megahertz = static_cast<double>(wholeHertz) / 1000000.0;
    if (megahertz >= 4294967296.0) return 0;
    return static_cast<unsigned>(megahertz);
}

void KSystemSurvey::GetCpuFeatures(char* vendor, uint32_t* stepping, uint32_t* model, uint32_t* family, uint32_t* type,
                                   uint32_t* brand) const {
    const KCpuSource& cpu = CurrentCpuSource();
    if (!cpu.hasCpuid()) return;
    *vendor = VendorLetter(cpu.cpuid(0).ebx);
    const KCpuidResult leaf1 = cpu.cpuid(1);
    *stepping = leaf1.eax & 0xF;
    *model = (leaf1.eax >> 4) & 0xF;
    *family = (leaf1.eax >> 8) & 0xF;
    *type = (leaf1.eax >> 12) & 0x3;
    *brand = leaf1.ebx & 0xF;
}
