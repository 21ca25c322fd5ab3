#pragma once

namespace lumiva::win32::detail {

void ResetProcessScheduling();

}  // namespace lumiva::win32::detail
