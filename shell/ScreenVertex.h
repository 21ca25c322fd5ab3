// The vertex of the shell's screen-space drawing.
#pragma once

#include <windows.h>

// Screen-space vertex: x, y, z, rhw, ARGB colour, u, v (FVF 0x144).
struct KScreenVertex {
    float x, y, z, rhw;
    DWORD colour;
    float u, v;
};
static_assert(sizeof(KScreenVertex) == 28);
constexpr DWORD kScreenVertexFvf = 0x144;  // XYZRHW | DIFFUSE | TEX1
