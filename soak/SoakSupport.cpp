#include "soak/SoakSupport.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <string>

#include "basrel/BasrelReset.h"
#include "d3d9/Control.h"
#include "ddraw/Control.h"
#include "host/SampleData.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/HostGlobals.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace soak {
namespace {

const char* g_programName = "soak";
int g_failures = 0;

}  // namespace

void SetProgramName(const char* name) { g_programName = name; }

void Fail(const char* format, ...) {
    ++g_failures;
    std::fprintf(stderr, "%s: ", g_programName);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fprintf(stderr, "\n");
}

int FailureCount() { return g_failures; }

bool PrepareSampleRoot(const std::filesystem::path& root) {
    std::error_code error;
    std::filesystem::remove_all(root, error);
    if (!WriteSampleData(root.string())) return false;
    std::ofstream(root / "config.ini") << "[Client]\nShowDebugInfo=0\n";
    return true;
}

void StartStandIns(const std::filesystem::path& root, int width, int height) {
    BasrelResetForTests();
    lumiva::win32::ResetForTests();
    lumiva::win32::SetMessageBoxLog([](const std::string&) {});
    lumiva::win32::InstallManualClock(100000);
    lumiva::d3d9::ResetForTests();
    lumiva::ddraw::ResetForTests();
    ResetShellForTests();
    g_SetRootPath(root.c_str());
    HWND window = CreateWindowExA(0, "LumivaSoak", "Lumiva soak", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                                  nullptr, nullptr, nullptr);
    g_SetMainHWnd(window);
}

void ResetStandIns() {
    ResetShellForTests();
    lumiva::d3d9::ResetForTests();
    lumiva::ddraw::ResetForTests();
    lumiva::win32::ResetForTests();
    BasrelResetForTests();
}

void ExpectNothingLeft(const char* part, int index) {
    const UINT devices = lumiva::d3d9::LiveDeviceCount(), resources = lumiva::d3d9::LiveResourceCount();
    if (devices != 0 || resources != 0)
        Fail("%s %d: %u devices and %u resources left after Release", part, index, devices, resources);
    if (!lumiva::d3d9::OverReleases().empty()) Fail("%s %d: over-released objects", part, index);
}

}  // namespace soak
