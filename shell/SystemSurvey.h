// The machine description the host asks for through the shell's
// GetSystemInfo, and the stateless survey that fills it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct KSystemInfo {
    uint32_t OSMajorVersion;
    uint32_t OSMinorVersion;
    uint16_t CpuClockMHz;  // 0 when not measurable
    char CpuVendor;        // 'A', 'I', 'X' or 'U'
    uint32_t CpuType;      // processor type, bits 12..13 of the signature
    uint16_t PhysicalMemoryMB;
    char AdapterDescription[64];
    uint16_t VideoMemoryMB;  // decimal MB, 0 without DirectDraw
    uint8_t LargeTextures;   // HAL textures of 1024 x 1024 and more
    uint16_t DriverProduct;
    uint16_t DriverVersion;
    uint16_t DriverSubVersion;
    uint16_t DriverBuild;
    uint8_t RenderTargetFormats;  // see KSystemSurvey::QueryTextureFormats
    uint32_t AvailableVirtualMB;
};
#pragma pack(pop)
static_assert(sizeof(KSystemInfo) == 97);
static_assert(offsetof(KSystemInfo, OSMajorVersion) == 0);
static_assert(offsetof(KSystemInfo, OSMinorVersion) == 4);
static_assert(offsetof(KSystemInfo, CpuClockMHz) == 8);
static_assert(offsetof(KSystemInfo, CpuVendor) == 10);
static_assert(offsetof(KSystemInfo, CpuType) == 11);
static_assert(offsetof(KSystemInfo, PhysicalMemoryMB) == 15);
static_assert(offsetof(KSystemInfo, AdapterDescription) == 17);
static_assert(offsetof(KSystemInfo, VideoMemoryMB) == 81);
static_assert(offsetof(KSystemInfo, LargeTextures) == 83);
static_assert(offsetof(KSystemInfo, DriverProduct) == 84);
static_assert(offsetof(KSystemInfo, DriverVersion) == 86);
static_assert(offsetof(KSystemInfo, DriverSubVersion) == 88);
static_assert(offsetof(KSystemInfo, DriverBuild) == 90);
static_assert(offsetof(KSystemInfo, RenderTargetFormats) == 92);
static_assert(offsetof(KSystemInfo, AvailableVirtualMB) == 93);

// Render-target texture bits: (display format, texture format).
enum KRenderTargetFormatBit : uint8_t {
    kRT_X8R8G8B8_R5G6B5 = 0x80,
    kRT_X8R8G8B8_X8R8G8B8 = 0x40,
    kRT_X8R8G8B8_A4R4G4B4 = 0x20,
    kRT_X8R8G8B8_A8R8G8B8 = 0x10,
    kRT_R5G6B5_R5G6B5 = 0x08,
    kRT_R5G6B5_X8R8G8B8 = 0x04,
    kRT_R5G6B5_A4R4G4B4 = 0x02,
    kRT_R5G6B5_A8R8G8B8 = 0x01,
};

// Every query asks afresh; Direct3D queries use adapter 0 and the HAL device
// of g_D3DShell, which must hold its Direct3D object.
class KSystemSurvey {
public:
    void FillSystemInfo(KSystemInfo* info) const;

    bool QueryTextureSizeCaps() const;
    uint8_t QueryTextureFormats() const;
    void GetAdapterDescription(char* buffer, size_t size) const;
    unsigned GetVideoMemoryMB() const;
    void GetDriverVersion(uint16_t* product, uint16_t* version, uint16_t* subVersion, uint16_t* build) const;
    void GetMemoryStatusMB(uint32_t* totalPhysical, uint32_t* availablePhysical, uint32_t* totalVirtual,
                           uint32_t* availableVirtual) const;
    void GetOSVersionInfo(uint32_t* major, uint32_t* minor, uint32_t* servicePack) const;
    bool HasCpuid() const;
    unsigned MeasureCpuClock(unsigned sampleMs) const;
    void GetCpuFeatures(char* vendor, uint32_t* stepping, uint32_t* model, uint32_t* family, uint32_t* type,
                        uint32_t* brand) const;
};

extern KSystemSurvey g_SystemSurvey;
