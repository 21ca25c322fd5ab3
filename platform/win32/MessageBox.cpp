// Message boxes never wait for anyone: one log line and a record.
#include "MessageBox.h"

#include <windows.h>

#include <mutex>
#include <string>

#include "LogSink.h"

namespace lumiva::win32 {
namespace {

struct MessageBoxLog {
    std::mutex lock;
    std::vector<MessageBoxCall> calls;
    LogSink sink;
};

MessageBoxLog& Log() {
    static auto* log = new MessageBoxLog;
    return *log;
}

}  // namespace

namespace detail {

void ResetMessageBoxes() {
    MessageBoxLog& log = Log();
    std::lock_guard lock(log.lock);
    log.calls.clear();
    log.sink = nullptr;
}

}  // namespace detail

std::vector<MessageBoxCall> RecordedMessageBoxes() {
    MessageBoxLog& log = Log();
    std::lock_guard lock(log.lock);
    return log.calls;
}

void SetMessageBoxLog(LogSink sink) {
    MessageBoxLog& log = Log();
    std::lock_guard lock(log.lock);
    log.sink = std::move(sink);
}

}  // namespace lumiva::win32

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    using namespace lumiva::win32;
    // The platform titles a box without a caption "Error".
    MessageBoxCall call{owner, text ? text : "", caption ? caption : "Error", type};
    MessageBoxLog& log = Log();
    std::lock_guard lock(log.lock);
    std::string line = "MessageBox [" + call.caption + "] " + call.text;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';  // one line per box, whatever the text holds
    detail::WriteLine(log.sink, line);
    log.calls.push_back(std::move(call));
    return IDOK;
}
