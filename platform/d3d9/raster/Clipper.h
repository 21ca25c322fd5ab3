// Clipping in homogeneous space: the near and far planes for transformed
// vertices, and a wide guard band at the sides that keeps screen coordinates
// inside the rasterizer's fixed-point range. Pixels outside the viewport are
// dropped by the scissor, so the sides need no exact clip.
#pragma once

#include "d3d9/raster/VertexProcessing.h"

namespace raster {

constexpr int kMaxClipPlanes = 6;
constexpr int kMaxClippedVertices = 3 + kMaxClipPlanes;

struct ClipPlanes {
    int count = 0;
    double plane[kMaxClipPlanes][4];
};

// Planes for a draw: pre-transformed vertices get only the guard band.
ClipPlanes MakeClipPlanes(bool pretransformed, const Viewport& viewport);

// Bit per plane the vertex lies outside of.
uint32_t OutsideMask(const ClipPlanes& planes, const ClipVertex& v);

// Clips a convex polygon; returns the new vertex count (0 when nothing is left).
int ClipPolygon(const ClipPlanes& planes, const ClipVertex* in, int count, ClipVertex* out);

// Clips a segment; false when nothing is left.
bool ClipSegment(const ClipPlanes& planes, ClipVertex& a, ClipVertex& b);

}  // namespace raster
