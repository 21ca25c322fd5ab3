// The shell's colour conversion (slot 101), usable before a shell exists.
#pragma once

#include <windows.h>

// R5G6B5 to opaque ARGB: each field moves to the top of its byte and the low
// bits stay 0, so white becomes 0xFFF8FCF8.
constexpr DWORD Rgb565ToArgb(WORD colour) {
    const DWORD red = (colour >> 11) & 0x1F;
    const DWORD green = (colour >> 5) & 0x3F;
    const DWORD blue = colour & 0x1F;
    return 0xFF000000u | red << 19 | green << 10 | blue << 3;
}
