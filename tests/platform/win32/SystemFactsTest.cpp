#include <windows.h>

#include <cstring>

#include "Win32TestFixture.h"

namespace {

using namespace lumiva::win32;
// The d3d9 tests built with these in one unit have a ResetForTests of their own.
using lumiva::win32::ResetForTests;

using SystemFactsTest = Win32Test;

TEST_F(SystemFactsTest, MemoryDefaultsToThisMachine) {
    MEMORYSTATUS m{};
    GlobalMemoryStatus(&m);
    EXPECT_EQ(m.dwLength, sizeof m);
    EXPECT_GT(m.dwTotalPhys, SIZE_T(0));
    EXPECT_LE(m.dwAvailPhys, m.dwTotalPhys);
    EXPECT_LE(m.dwMemoryLoad, 100u);
    EXPECT_GT(m.dwAvailVirtual, SIZE_T(0));
}

TEST_F(SystemFactsTest, TotalPhysicalMemoryIsInjectable) {
    SetTotalPhysicalMemory(0x8000000);
    MEMORYSTATUS m{};
    GlobalMemoryStatus(&m);
    EXPECT_EQ(m.dwTotalPhys, SIZE_T(0x8000000));
    EXPECT_LE(m.dwAvailPhys, m.dwTotalPhys);

    MEMORYSTATUS whole{};
    whole.dwTotalPhys = 1;
    whole.dwAvailVirtual = 0x300000;
    SetMemoryStatus(whole);
    GlobalMemoryStatus(&m);
    EXPECT_EQ(m.dwLength, sizeof m);
    EXPECT_EQ(m.dwAvailVirtual >> 20, SIZE_T(3));

    ResetForTests();
    GlobalMemoryStatus(&m);
    EXPECT_NE(m.dwTotalPhys, SIZE_T(1));
}

TEST_F(SystemFactsTest, VersionDefaultsToNt51) {
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
    ASSERT_TRUE(GetVersionExA(&v));
    EXPECT_EQ(v.dwMajorVersion, 5u);
    EXPECT_EQ(v.dwMinorVersion, 1u);
    EXPECT_EQ(v.dwPlatformId, DWORD(VER_PLATFORM_WIN32_NT));
    EXPECT_STREQ(v.szCSDVersion, "Service Pack 2");
    EXPECT_EQ(GetVersion(), (2600u << 16) | (1u << 8) | 5u);
}

TEST_F(SystemFactsTest, VersionIsInjectableAndChecksTheRecordSize) {
    OSVERSIONINFOA injected{};
    injected.dwMajorVersion = 6;
    injected.dwMinorVersion = 0;
    injected.dwBuildNumber = 6002;
    injected.dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::strcpy(injected.szCSDVersion, "Service Pack 1");
    SetVersionInfo(injected);

    OSVERSIONINFOA v{};
    EXPECT_FALSE(GetVersionExA(&v)) << "size not set";
    v.dwOSVersionInfoSize = 148;
    ASSERT_TRUE(GetVersionExA(&v));
    EXPECT_EQ(v.dwMajorVersion, 6u);
    EXPECT_EQ(v.dwBuildNumber, 6002u);
    EXPECT_EQ(v.dwOSVersionInfoSize, 148u);
    EXPECT_STREQ(v.szCSDVersion, "Service Pack 1");
    EXPECT_EQ(GetVersion() & 0xFFFF, 6u);
}

TEST_F(SystemFactsTest, DebugOutputIsRecordedAndShownOnlyWhenEnabled) {
    std::vector<std::string> shown;
    OutputDebugStringA("quiet\n");
    EnableDebugOutput(true, [&](const std::string& line) { shown.push_back(line); });
    OutputDebugStringA("loud\n");
    OutputDebugStringA(nullptr);
    auto recorded = RecordedDebugOutput();
    ASSERT_EQ(recorded.size(), 3u);
    EXPECT_EQ(recorded[0], "quiet\n");
    EXPECT_EQ(recorded[1], "loud\n");
    EXPECT_EQ(recorded[2], "");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "loud");
    ResetForTests();
    EXPECT_TRUE(RecordedDebugOutput().empty());
}

}  // namespace
