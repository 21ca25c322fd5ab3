// Where the stand-ins' one-line reports go: a sink set by tests, or stderr.
#pragma once

#include <string>

#include "win32/Control.h"

namespace lumiva::win32::detail {

void WriteLine(const LogSink& sink, const std::string& line);

}  // namespace lumiva::win32::detail
