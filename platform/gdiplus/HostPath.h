// File names arrive as wide strings in the platform's form; the host takes
// UTF-8 with '/' between folders.
#pragma once

#include <windows.h>

#include <string>

namespace lumiva::gdiplus {

// Empty when the name is empty or is not valid Unicode.
std::string HostPathFromWide(const WCHAR* path);

}  // namespace lumiva::gdiplus
