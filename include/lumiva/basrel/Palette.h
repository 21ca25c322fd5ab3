// Palette widening for sprite pictures.
#pragma once

#include <windows.h>

#include "BasrelApi.h"

// Widens count RGB byte triples (red first) into 32-bit ARGB colours
// 0xFFRRGGBB. Nothing happens for a null pointer or a count of 0 or less.
BASREL_API void g_Pal24ToPal32(const BYTE* pal24, DWORD* pal32, int count);
