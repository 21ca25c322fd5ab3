// Test controls of the GDI+ stand-in.
#pragma once

#include <cstddef>

namespace lumiva::gdiplus {

// Forgets every start-up token, as if GDI+ had never been started. Images
// still alive stay valid until disposed.
void ResetStartupForTests();

// Images loaded and not yet disposed.
size_t LiveImageCount();

// HGLOBAL blocks allocated and not yet freed.
size_t LiveGlobalBlockCount();

}  // namespace lumiva::gdiplus
