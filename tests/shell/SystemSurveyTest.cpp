// The survey record as the host receives it, filled from the software
// device, the Win32 stand-ins and a scripted processor.
#include <gtest/gtest.h>

#include <cstring>

#include "ShellTestSupport.h"
#include "d3d9/Control.h"
#include "ddraw/Control.h"
#include "shell/D3DShell.h"
#include "shell/SystemSurvey.h"
#include "shell/SystemSurveyCpu.h"
#include "win32/Control.h"

namespace {

namespace d3d = lumiva::d3d9;
namespace win = lumiva::win32;

bool NoCpuid() { return false; }
KCpuidResult NoLeaves(uint32_t) { return {}; }
uint64_t NoStamp() { return 0; }
const KCpuSource kWithoutCpuid = {NoCpuid, NoLeaves, NoStamp};

class SystemSurvey : public shell_test::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        win::InstallManualClock(0);
        SetCpuSourceForTests(&kWithoutCpuid);
    }
    void UseAdapter(const char* description, LONGLONG driverVersion) {
        d3d::AdapterConfig a = d3d::DefaultAdapter();
        std::memset(a.identifier.Description, 0, sizeof(a.identifier.Description));
        std::strncpy(a.identifier.Description, description, sizeof(a.identifier.Description) - 1);
        a.identifier.DriverVersion.QuadPart = driverVersion;
        d3d::SetAdapters({a});
        ASSERT_TRUE(g_D3DShell.Create());
    }
};

TEST(SystemInfoRecord, FieldsLandAtTheirOffsets) {
    KSystemInfo info;
    std::memset(&info, 0, sizeof(info));
    info.OSMajorVersion = 0x11111111;
    info.CpuClockMHz = 0x2222;
    info.CpuVendor = 'A';
    info.CpuType = 0x33333333;
    info.PhysicalMemoryMB = 0x4444;
    info.AdapterDescription[63] = 0x55;
    info.VideoMemoryMB = 0x6666;
    info.LargeTextures = 0x77;
    info.DriverBuild = 0x8888;
    info.RenderTargetFormats = 0x99;
    info.AvailableVirtualMB = 0xAAAAAAAA;
    unsigned char bytes[97];
    std::memcpy(bytes, &info, sizeof(bytes));
    EXPECT_EQ(bytes[0], 0x11);
    EXPECT_EQ(bytes[8], 0x22);
    EXPECT_EQ(bytes[10], 'A');
    EXPECT_EQ(bytes[11], 0x33);
    EXPECT_EQ(bytes[14], 0x33);
    EXPECT_EQ(bytes[15], 0x44);
    EXPECT_EQ(bytes[80], 0x55);
    EXPECT_EQ(bytes[81], 0x66);
    EXPECT_EQ(bytes[83], 0x77);
    EXPECT_EQ(bytes[90], 0x88);
    EXPECT_EQ(bytes[92], 0x99);
    EXPECT_EQ(bytes[93], 0xAA);
    EXPECT_EQ(bytes[96], 0xAA);
}

TEST_F(SystemSurvey, LongDescriptionIsCutToSixtyThreeCharacters) {
    const std::string seventy(70, 'D');
    UseAdapter(seventy.c_str(), 0);
    KSystemInfo info;
    std::memset(&info, 0x7F, sizeof(info));
    g_SystemSurvey.FillSystemInfo(&info);
    EXPECT_EQ(std::string(info.AdapterDescription), std::string(63, 'D'));
    char small[5];
    g_SystemSurvey.GetAdapterDescription(small, sizeof(small));
    EXPECT_STREQ(small, "DDDD");
    char whole[600];
    g_SystemSurvey.GetAdapterDescription(whole, sizeof(whole));
    EXPECT_EQ(std::string(whole), seventy);
}

TEST_F(SystemSurvey, DriverVersionWords) {
    UseAdapter("Card", 0x0006000E000A1234LL);
    KSystemInfo info;
    g_SystemSurvey.FillSystemInfo(&info);
    EXPECT_EQ(+info.DriverProduct, 6);
    EXPECT_EQ(+info.DriverVersion, 14);
    EXPECT_EQ(+info.DriverSubVersion, 10);
    EXPECT_EQ(+info.DriverBuild, 0x1234);
}

TEST_F(SystemSurvey, MachineFactsFromTheStandIns) {
    OSVERSIONINFOA version{};
    version.dwMajorVersion = 6;
    version.dwMinorVersion = 2;
    win::SetVersionInfo(version);
    MEMORYSTATUS memory{};
    memory.dwTotalPhys = 256ull << 20;
    memory.dwAvailVirtual = 1500ull << 20;
    win::SetMemoryStatus(memory);
    UseAdapter("Card", 0);
    KSystemInfo info;
    g_SystemSurvey.FillSystemInfo(&info);
    EXPECT_EQ(+info.OSMajorVersion, 6u);
    EXPECT_EQ(+info.OSMinorVersion, 2u);
    EXPECT_EQ(+info.PhysicalMemoryMB, 256);
    EXPECT_EQ(+info.AvailableVirtualMB, 1500u);
    // Without CPUID: no clock, vendor 'U', type 0.
    EXPECT_EQ(+info.CpuClockMHz, 0);
    EXPECT_EQ(+info.CpuVendor, 'U');
    EXPECT_EQ(+info.CpuType, 0u);
}

TEST_F(SystemSurvey, LargeTexturesNeedBothSizes) {
    const struct {
        DWORD width, height;
        uint8_t large;
    } cases[] = {{1024, 1024, 1}, {2048, 1024, 1}, {1024, 512, 0}, {512, 2048, 0}};
    for (const auto& c : cases) {
        g_D3DShell.Release();
        d3d::AdapterConfig a = d3d::DefaultAdapter();
        a.halCaps.MaxTextureWidth = c.width;
        a.halCaps.MaxTextureHeight = c.height;
        d3d::SetAdapters({a});
        ASSERT_TRUE(g_D3DShell.Create());
        KSystemInfo info;
        g_SystemSurvey.FillSystemInfo(&info);
        EXPECT_EQ(+info.LargeTextures, c.large) << c.width << "x" << c.height;
    }
}

TEST_F(SystemSurvey, RenderTargetMaskInBitOrder) {
    UseAdapter("Card", 0);
    std::vector<std::pair<D3DFORMAT, D3DFORMAT>> asked;
    d3d::SetFormatCheck([&](UINT adapter, D3DDEVTYPE type, D3DFORMAT display, DWORD usage, D3DRESOURCETYPE resource,
                            D3DFORMAT format) -> HRESULT {
        EXPECT_EQ(adapter, 0u);
        EXPECT_EQ(type, D3DDEVTYPE_HAL);
        EXPECT_EQ(usage, static_cast<DWORD>(D3DUSAGE_RENDERTARGET));
        EXPECT_EQ(resource, D3DRTYPE_TEXTURE);
        asked.emplace_back(display, format);
        const bool accepted = (display == D3DFMT_X8R8G8B8 && format == D3DFMT_A4R4G4B4) ||
                              (display == D3DFMT_R5G6B5 && format != D3DFMT_A8R8G8B8);
        return accepted ? D3D_OK : D3DERR_NOTAVAILABLE;
    });
    EXPECT_EQ(g_SystemSurvey.QueryTextureFormats(), 0x20 | 0x08 | 0x04 | 0x02);
    const std::vector<std::pair<D3DFORMAT, D3DFORMAT>> expected = {
        {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5},   {D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8}, {D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4},
        {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}, {D3DFMT_R5G6B5, D3DFMT_R5G6B5},     {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8},
        {D3DFMT_R5G6B5, D3DFMT_A4R4G4B4},   {D3DFMT_R5G6B5, D3DFMT_A8R8G8B8}};
    EXPECT_EQ(asked, expected);
}

TEST_F(SystemSurvey, VideoMemoryInDecimalMegabytes) {
    UseAdapter("Card", 0);
    const struct {
        DWORD bytes;
        uint16_t megabytes;
    } cases[] = {{128u << 20, 134}, {64000000, 64}, {63999999, 63}, {999999, 0}};
    for (const auto& c : cases) {
        lumiva::ddraw::SetTotalVideoMemory(c.bytes);
        KSystemInfo info;
        g_SystemSurvey.FillSystemInfo(&info);
        EXPECT_EQ(+info.VideoMemoryMB, c.megabytes) << c.bytes;
    }
    EXPECT_EQ(lumiva::ddraw::LiveObjectCount(), 0);
}

TEST_F(SystemSurvey, WithoutDirectDrawOnlyTheVideoMemoryIsZero) {
    UseAdapter("Card without DirectDraw", 0x0001000200030004LL);
    lumiva::ddraw::SetAvailable(false);
    KSystemInfo info;
    std::memset(&info, 0x7F, sizeof(info));
    g_SystemSurvey.FillSystemInfo(&info);
    EXPECT_EQ(+info.VideoMemoryMB, 0);
    EXPECT_STREQ(info.AdapterDescription, "Card without DirectDraw");
    EXPECT_EQ(+info.DriverBuild, 4);
    EXPECT_EQ(+info.LargeTextures, 1);
    EXPECT_NE(+info.RenderTargetFormats, 0);
}

TEST_F(SystemSurvey, WithoutDirect3DTheDeviceFieldsAreEmpty) {
    KSystemInfo info;
    std::memset(&info, 0x7F, sizeof(info));
    g_SystemSurvey.FillSystemInfo(&info);
    EXPECT_EQ(info.AdapterDescription[0], '\0');
    EXPECT_EQ(+info.LargeTextures, 0);
    EXPECT_EQ(+info.RenderTargetFormats, 0);
    EXPECT_EQ(+info.DriverProduct, 0);
}

}  // namespace

namespace {

TEST_F(SystemSurvey, ShellSlotFillsTheHostRecordAndNothingBeyondIt) {
    d3d::AdapterConfig a = d3d::DefaultAdapter();
    std::memset(a.identifier.Description, 0, sizeof(a.identifier.Description));
    std::strcpy(a.identifier.Description, "Survey Card");
    a.identifier.DriverVersion.QuadPart = 0x0006000E000A1234LL;
    a.halCaps.MaxTextureWidth = a.halCaps.MaxTextureHeight = 2048;
    d3d::SetAdapters({a});
    lumiva::ddraw::SetTotalVideoMemory(64000000);
    MEMORYSTATUS memory{};
    memory.dwTotalPhys = 512ull << 20;
    memory.dwAvailVirtual = 0x1234ull << 20;
    win::SetMemoryStatus(memory);
    IKDrawShell* shell = MakeCreatedShell();

    // The host's record sits one byte into its buffer, followed by a guard.
    constexpr unsigned char kMarker = 0xC7;
    unsigned char buffer[1 + sizeof(KSystemInfo) + 16];
    std::memset(buffer, kMarker, sizeof(buffer));
    shell->GetSystemInfo(reinterpret_cast<KSystemInfo*>(buffer + 1));

    const unsigned char* record = buffer + 1;
    auto word = [&](size_t offset) { return record[offset] | record[offset + 1] << 8; };
    EXPECT_EQ(buffer[0], kMarker);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record + 17)), "Survey Card");
    EXPECT_EQ(record[17 + 11], 0) << "the rest of the description is cleared";
    EXPECT_EQ(word(81), 64) << "video memory";
    EXPECT_EQ(record[83], 1) << "large textures";
    EXPECT_EQ(word(84), 6);
    EXPECT_EQ(word(86), 14);
    EXPECT_EQ(word(88), 10);
    EXPECT_EQ(word(90), 0x1234);
    EXPECT_NE(record[92], kMarker) << "render-target formats";
    EXPECT_EQ(word(15), 512) << "physical memory";
    EXPECT_EQ(word(93), 0x1234) << "available virtual memory";
    EXPECT_EQ(record[10], 'U') << "vendor without CPUID";
    for (size_t i = 1 + sizeof(KSystemInfo); i < sizeof(buffer); ++i) EXPECT_EQ(buffer[i], kMarker) << i;
}

}  // namespace
