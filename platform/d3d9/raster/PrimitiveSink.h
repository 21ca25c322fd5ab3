// Where a draw's primitives go once they are on the screen, in draw order:
// a sink instead of the rasterizer keeps them to rasterize later (a frame's
// strips, see FrameBins.h).
#pragma once

#include "d3d9/raster/Rasterizer.h"

namespace raster {

class PrimitiveSink {
public:
    virtual ~PrimitiveSink() = default;
    virtual void Point(const RasterContext& ctx, const ScreenVertex& v) = 0;
    virtual void Line(const RasterContext& ctx, const ScreenVertex& a, const ScreenVertex& b, bool includeLast) = 0;
    virtual void Triangle(const RasterContext& ctx, const ScreenVertex& v0, const ScreenVertex& v1,
                          const ScreenVertex& v2) = 0;
    virtual void TrianglePair(const RasterContext& ctx, const ScreenVertex* const a[3],
                              const ScreenVertex* const b[3]) = 0;
};

}  // namespace raster
