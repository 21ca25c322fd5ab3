#pragma once

namespace lumiva::win32::detail {

void ResetWindows();

}  // namespace lumiva::win32::detail
