#pragma once

namespace lumiva::win32::detail {

void ResetFatalHook();

}  // namespace lumiva::win32::detail
