#pragma once

namespace lumiva::win32::detail {

void ResetWaits();

}  // namespace lumiva::win32::detail
