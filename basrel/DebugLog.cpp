#include "DebugLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "DataRoot.h"

namespace {

// LUMIVA_LOG_STDERR=1 in the environment echoes lines to stderr from the start.
bool StderrWanted() {
    const char* value = std::getenv("LUMIVA_LOG_STDERR");
    return value != nullptr && value[0] != '\0' && value[0] != '0';
}

struct LogState {
    std::mutex lock;
    bool toStderr = StderrWanted();
    bool toFile = true;
    bool capturing = false;
    std::vector<std::string> captured;
};

LogState& TheLog() {
    static LogState state;
    return state;
}

std::string FormatLine(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    char small[512];
    int length = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (length < 0) return std::string();
    if (size_t(length) < sizeof small) return std::string(small, size_t(length));
    std::string text(size_t(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(size_t(length));
    return text;
}

void AppendToLogFile(const std::string& line) {
    std::string hostPath;
    if (!basrel::ResolveForWriting(BASREL_DEBUG_LOG_FILE, hostPath)) return;
    FILE* file = std::fopen(hostPath.c_str(), "a");
    if (file == nullptr) return;
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputc('\n', file);
    std::fclose(file);
}

}  // namespace

void g_DebugLog(const char* format, ...) {
    if (format == nullptr) return;
    va_list args;
    va_start(args, format);
    std::string line = FormatLine(format, args);
    va_end(args);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();

    LogState& state = TheLog();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.capturing) state.captured.push_back(line);
    if (state.toStderr) std::fprintf(stderr, "%s\n", line.c_str());
    if (state.toFile) AppendToLogFile(line);
}

namespace basrel {

void SetDebugLogToStderr(bool on) {
    std::lock_guard<std::mutex> guard(TheLog().lock);
    TheLog().toStderr = on;
}

void SetDebugLogToFile(bool on) {
    std::lock_guard<std::mutex> guard(TheLog().lock);
    TheLog().toFile = on;
}

void StartDebugLogCapture() {
    std::lock_guard<std::mutex> guard(TheLog().lock);
    TheLog().capturing = true;
}

void StopDebugLogCapture() {
    std::lock_guard<std::mutex> guard(TheLog().lock);
    TheLog().capturing = false;
}

std::vector<std::string> TakeCapturedLog() {
    std::lock_guard<std::mutex> guard(TheLog().lock);
    std::vector<std::string> lines;
    lines.swap(TheLog().captured);
    return lines;
}

void ResetDebugLog() {
    std::lock_guard<std::mutex> guard(TheLog().lock);
    LogState& state = TheLog();
    state.toStderr = StderrWanted();
    state.toFile = true;
    state.capturing = false;
    state.captured.clear();
}

}  // namespace basrel
