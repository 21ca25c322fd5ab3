// The host's debug log.
//
// g_DebugLog writes one line per call to "\Logs\Debug.log" under the data root
// (appended; a trailing newline in the text is not doubled) and, when asked,
// to stderr. Calls from several threads never mix their lines.
#pragma once

#include <string>
#include <vector>

#include "BasrelApi.h"

BASREL_API void g_DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The module path of the log file.
#define BASREL_DEBUG_LOG_FILE "\\Logs\\Debug.log"

namespace basrel {

// Echo every line to stderr (off unless LUMIVA_LOG_STDERR is set to a value
// other than 0).
BASREL_API void SetDebugLogToStderr(bool on);
// Write lines to the log file (on by default).
BASREL_API void SetDebugLogToFile(bool on);

// Test hook: while capturing, every line (without its newline) is also kept
// in memory; TakeCapturedLog hands the kept lines over and forgets them.
BASREL_API void StartDebugLogCapture();
BASREL_API void StopDebugLogCapture();
BASREL_API std::vector<std::string> TakeCapturedLog();

// Stops capturing, drops captured lines, and restores the start-up sinks.
BASREL_API void ResetDebugLog();

}  // namespace basrel
