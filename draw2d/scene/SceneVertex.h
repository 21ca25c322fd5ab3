// The untransformed vertex the scene-space renderers write: the device's
// world, view and projection transforms place it.
#pragma once

#include <windows.h>

struct KSceneVertex {
    float x, y, z;
    DWORD colour;
    float u, v;
};
static_assert(sizeof(KSceneVertex) == 24);

constexpr DWORD kSceneVertexFvf = 0x142;  // D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1
constexpr DWORD kOpaqueWhite = 0xFFFFFFFF;
