#pragma once

namespace lumiva::win32::detail {

void ResetDebugOutput();

}  // namespace lumiva::win32::detail
