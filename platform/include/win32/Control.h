// Test control of the Win32 stand-ins: the clock, the random source, the
// desktop, machine facts, and what message boxes, debug output and the
// process-ending paths did. ResetForTests returns all of it to defaults.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "api.h"

namespace lumiva::win32 {

// Everything below back to its default: system clock, default random source
// seeded with 1, 1024x768 desktop without windows, machine facts from the
// system, normal priority on all processors, no records, default fatal
// hook, stderr for logs. Kernel objects stay: threads keep running and
// their handles stay valid.
void ResetForTests();

// --- Clock ---
// The manual clock starts at startMs and moves only when told. Sleep then
// advances it, and timed waits expire once it passes their deadline.
void InstallManualClock(uint64_t startMs);
void AdvanceClock(uint64_t ms);
void AdvanceClockMicroseconds(uint64_t us);
void SetClock(uint64_t ms);
void UseSystemClock();
bool IsManualClock();
// The clock's reading, unwrapped.
uint64_t ClockMilliseconds();
uint64_t ClockMicroseconds();
// Threads now blocked in WaitFor*Object(s) with a time-out other than 0.
int BlockedWaiters();
// Returns once exactly count threads are blocked in such waits, so a test
// can advance the manual clock knowing the waiters have their deadlines, or
// see that a released waiter has left. Event-driven, no polling; false
// after timeoutMs of real time.
bool WaitForBlockedWaiters(int count, uint64_t timeoutMs = 10000);

// --- Random source ---
// rand() returns the values in order, starting over after the last one;
// srand() is recorded but does not disturb the script.
void InstallScriptedRandom(std::vector<int> values);
// The platform's generator, seeded with 1.
void UseDefaultRandom();
// The seed last given to srand (1 when never called).
unsigned LastRandomSeed();

// --- Desktop and windows ---
void SetDesktopSize(int width, int height);
// The client area of a window in desktop coordinates (where a presented
// frame lands), built from GetClientRect and ClientToScreen.
bool ClientAreaOnDesktop(HWND window, RECT* rect);
// Windows alive, the desktop excluded.
int WindowCount();

// --- Message boxes ---
struct MessageBoxCall {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
std::vector<MessageBoxCall> RecordedMessageBoxes();
// Where the one line per message box and per debug string goes; empty
// sends it to stderr.
using LogSink = std::function<void(const std::string& line)>;
void SetMessageBoxLog(LogSink sink);

// --- Debug output ---
// OutputDebugStringA always records; it also writes to the sink (stderr by
// default) when enabled. Disabled by default.
void EnableDebugOutput(bool enabled, LogSink sink = {});
std::vector<std::string> RecordedDebugOutput();

// --- Machine facts ---
void SetTotalPhysicalMemory(uint64_t bytes);
// The whole record GlobalMemoryStatus returns (dwLength is filled in).
void SetMemoryStatus(const MEMORYSTATUS& status);
void SetVersionInfo(const OSVERSIONINFOA& info);

// --- Process end ---
enum class ExitKind {
    RunExitList,  // exit(): ExitProcess
    Immediate,    // _exit(): TerminateProcess on the current process
};
using FatalHook = std::function<void(UINT exitCode, ExitKind kind)>;
// An empty hook restores the default, which ends the process.
void SetFatalHook(FatalHook hook);

// --- Kernel objects ---
// Handles created and not yet closed.
int OpenHandleCount();

}  // namespace lumiva::win32
