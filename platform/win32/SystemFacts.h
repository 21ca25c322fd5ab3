#pragma once

namespace lumiva::win32::detail {

void ResetSystemFacts();

}  // namespace lumiva::win32::detail
