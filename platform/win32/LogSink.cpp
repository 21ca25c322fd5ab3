#include "LogSink.h"

#include <cstdio>

namespace lumiva::win32::detail {

void WriteLine(const LogSink& sink, const std::string& line) {
    if (sink) {
        sink(line);
        return;
    }
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

}  // namespace lumiva::win32::detail
