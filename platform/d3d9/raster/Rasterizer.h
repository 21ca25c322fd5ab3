// Coverage: triangles with the top-left rule on a 1/256 sub-pixel grid,
// lines and points; each covered run of a row goes to a span function.
#pragma once

#include <cmath>
#include <cstdint>

#include "d3d9/raster/Interpolation.h"
#include "d3d9/raster/PixelState.h"

namespace raster {

struct ScreenVertex {
    double x = 0, y = 0, z = 0, rhw = 1;
    float attr[kAttributeCount] = {};
};

using SpanFn = void (*)(const PixelState& ps, const Gradients& g, int y, int x0, int x1);
// The same span over every row of [y0, y1): an axis-aligned rectangle whose
// per-row work can be done once.
using RectangleFn = void (*)(const PixelState& ps, const Gradients& g, int y0, int y1, int x0, int x1);

struct FastPathPlan;

struct RasterContext {
    const PixelState* pixels = nullptr;
    Rect bounds;  // pixels that may be written: [left, right) x [top, bottom)
    uint32_t attributeMask = 0;
    const FastPathPlan* fast = nullptr;  // null: general spans only
};

constexpr int kSubpixelBits = 8;
constexpr double kSubpixelScale = 256.0;

// Fills a triangle of either winding.
void RasterizeTriangle(const RasterContext& ctx, const ScreenVertex& v0, const ScreenVertex& v1,
                       const ScreenVertex& v2);

// Two triangles in draw order, row by row: each pixel sees the first
// triangle's write before the second's, as when they are filled one after
// the other. Where both shade through the same planes and their runs of a
// row meet (the halves of a quad), the row is one span.
void RasterizeTrianglePair(const RasterContext& ctx, const ScreenVertex* const a[3], const ScreenVertex* const b[3]);

// A line from a to b; the pixel of b only with includeLast.
void RasterizeLine(const RasterContext& ctx, const ScreenVertex& a, const ScreenVertex& b, bool includeLast);

// A one-pixel point.
void RasterizePoint(const RasterContext& ctx, const ScreenVertex& v);

// Twice the signed area on the snapped grid; positive for clockwise on screen.
int64_t SnappedArea(const ScreenVertex& v0, const ScreenVertex& v1, const ScreenVertex& v2);

// Coordinates are snapped and stepped in 64-bit integers, which hold them
// up to this far from the origin, far past any target and the guard band.
// A vertex beyond it, or not a number, is nowhere: what it belongs to is
// dropped.
constexpr double kGridReach = 2097152.0;
inline bool OnGrid(const ScreenVertex& v) { return std::fabs(v.x) <= kGridReach && std::fabs(v.y) <= kGridReach; }

// Pixel whose centre is nearest; ties go to the lower pixel, as a point's
// square covers [v - 0.5, v + 0.5).
inline int64_t NearestPixel(double v) { return int64_t(std::ceil(v - 0.5)); }

inline bool InsideBounds(const RasterContext& ctx, int64_t x, int64_t y) {
    return x >= ctx.bounds.left && x < ctx.bounds.right && y >= ctx.bounds.top && y < ctx.bounds.bottom;
}

// Span choice for one triangle: a specialised span when the plan allows.
SpanFn SelectSpan(const RasterContext& ctx, const Gradients& g);
// The rectangle form of a span SelectSpan chose; null when it has none.
RectangleFn RectangleFor(const RasterContext& ctx, SpanFn span);

}  // namespace raster
