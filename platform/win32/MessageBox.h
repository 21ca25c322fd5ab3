#pragma once

namespace lumiva::win32::detail {

void ResetMessageBoxes();

}  // namespace lumiva::win32::detail
