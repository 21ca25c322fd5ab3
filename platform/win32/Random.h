#pragma once

namespace lumiva::win32::detail {

void ResetRandom();

}  // namespace lumiva::win32::detail
