// OutputDebugStringA: there is no debugger to listen, so strings are kept
// (the last few thousand) and echoed when a test or the demo asks.
#include "DebugOutput.h"

#include <windows.h>

#include <deque>
#include <mutex>

#include "LogSink.h"

namespace lumiva::win32 {
namespace {

constexpr size_t kKeptStrings = 4096;

struct DebugOutput {
    std::mutex lock;
    std::deque<std::string> recorded;
    bool enabled = false;
    LogSink sink;
};

DebugOutput& Output() {
    static auto* output = new DebugOutput;
    return *output;
}

}  // namespace

namespace detail {

void ResetDebugOutput() {
    DebugOutput& o = Output();
    std::lock_guard lock(o.lock);
    o.recorded.clear();
    o.enabled = false;
    o.sink = nullptr;
}

}  // namespace detail

void EnableDebugOutput(bool enabled, LogSink sink) {
    DebugOutput& o = Output();
    std::lock_guard lock(o.lock);
    o.enabled = enabled;
    o.sink = std::move(sink);
}

std::vector<std::string> RecordedDebugOutput() {
    DebugOutput& o = Output();
    std::lock_guard lock(o.lock);
    return {o.recorded.begin(), o.recorded.end()};
}

}  // namespace lumiva::win32

void OutputDebugStringA(LPCSTR text) {
    using namespace lumiva::win32;
    std::string line = text ? text : "";
    DebugOutput& o = Output();
    std::lock_guard lock(o.lock);
    if (o.enabled) {
        // Callers usually end their strings with a line break; the sink adds its own.
        std::string shown = line;
        while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.pop_back();
        detail::WriteLine(o.sink, shown);
    }
    if (o.recorded.size() == kKeptStrings) o.recorded.pop_front();
    o.recorded.push_back(std::move(line));
}
