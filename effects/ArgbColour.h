// Colour values (0..1 floats) to packed ARGB.
#pragma once

#include <windows.h>

// One channel: 1 or more gives 255, below 0 gives 0, else rounded.
inline DWORD ArgbChannel(float c) {
    if (c >= 1.0f) return 255;
    if (!(c >= 0.0f)) return 0;
    return static_cast<DWORD>(static_cast<int>(c * 255.0f + 0.5f));
}

// r, g, b, a (the order of D3DCOLORVALUE) packed as A, R, G, B from the high byte.
inline DWORD ArgbFromColourValue(const float rgba[4]) {
    return ArgbChannel(rgba[3]) << 24 | ArgbChannel(rgba[0]) << 16 | ArgbChannel(rgba[1]) << 8 | ArgbChannel(rgba[2]);
}
