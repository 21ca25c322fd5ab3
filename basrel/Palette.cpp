#include "Palette.h"

void g_Pal24ToPal32(const BYTE* pal24, DWORD* pal32, int count) {
    if (!pal24 || !pal32) return;
    for (int i = 0; i < count; ++i) {
        const BYTE* rgb = pal24 + 3 * i;
        pal32[i] = 0xFF000000u | DWORD(rgb[0]) << 16 | DWORD(rgb[1]) << 8 | DWORD(rgb[2]);
    }
}
