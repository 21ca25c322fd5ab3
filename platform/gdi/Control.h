// Test controls of the GDI stand-in.
#pragma once

#include <wingdi.h>

#include <cstddef>
#include <string>

namespace lumiva::gdi {

// Deletes every font and DC and goes back to the system's font files.
void ResetForTests();

// Fixed font files instead of the system's; an empty path is a missing
// file. Fonts created before keep their files.
void UseFontFilesForTests(const std::string& cjkPath, const std::string& latinPath);

// Fonts (stock fonts not counted) and DCs alive.
size_t LiveFontCount();
size_t LiveContextCount();

// The file a font draws from; empty for an unknown handle.
std::string FontFileOf(HFONT font);

}  // namespace lumiva::gdi
