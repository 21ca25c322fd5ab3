// The untransformed vertex the scene-space renderers write (KSceneVertex,
// format 0x142, from the vertex builders): the device's world, view and
// projection transforms place it.
#pragma once

#include "draw2d/render/VertexBuilders.h"

constexpr DWORD kOpaqueWhite = 0xFFFFFFFF;
