// Points light the one pixel whose centre is nearest.
#include "d3d9/raster/Rasterizer.h"

namespace raster {

void RasterizePoint(const RasterContext& ctx, const ScreenVertex& v) {
    if (!OnGrid(v)) return;
    const int64_t x = NearestPixel(v.x), y = NearestPixel(v.y);
    if (!InsideBounds(ctx, x, y)) return;
    Gradients g;
    g.z.c = v.z;
    for (int i = 0; i < kAttributeCount; ++i) g.attr[i].c = v.attr[i];
    g.constantMask = ~0u;
    ShadeSpanGeneral(*ctx.pixels, g, int(y), int(x), int(x) + 1);
}

}  // namespace raster
