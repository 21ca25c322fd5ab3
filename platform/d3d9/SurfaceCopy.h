// Pixel moves between PixelBuffers: same-format copies of rectangles (whole
// blocks for DXT), converting stretches, and fills.
#pragma once

#include "d3d9/PixelBuffer.h"

namespace lumiva::d3d9 {

// Same format; `source` lies inside `from`, and its size placed at `to`
// lies inside `into`. For DXT the rectangle covers whole blocks.
void CopyRect(const PixelBuffer& from, const RECT& source, PixelBuffer& into, POINT to);

// Any colour formats (DXT as a source only); nearest texel of each
// destination pixel centre.
void StretchCopy(const PixelBuffer& from, const RECT& source, PixelBuffer& into, const RECT& destination);

// The same scaling, writing only the pixels of `visible` (inside
// `destination`); `opaque` sets the alpha of every pixel written.
void StretchNearest(const PixelBuffer& from, const RECT& source, PixelBuffer& into, const RECT& destination,
                    const RECT& visible, bool opaque);

// Plain colour formats: every pixel of `area` gets `color`.
void FillColor(PixelBuffer& into, const RECT& area, D3DCOLOR color);

// Depth formats: depth and/or stencil of every pixel of `area`.
void FillDepthStencil(PixelBuffer& into, const RECT& area, bool depth, float z, bool stencil, DWORD stencilValue);

// The overlap of two rectangles; false when empty.
bool IntersectRects(const RECT& a, const RECT& b, RECT* out);

}  // namespace lumiva::d3d9
