// Lines step along their major axis, one pixel per column (or row), the
// pixel nearest to the line.
#include <cmath>
#include <cstdlib>

#include "d3d9/raster/Rasterizer.h"

namespace raster {

namespace {

// Attributes vary along the segment only: the value at a pixel is that of
// the pixel centre's projection onto the segment.
Gradients LineGradients(const RasterContext& ctx, const ScreenVertex& a, const ScreenVertex& b) {
    const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
    auto plane = [&](double va, double vb) {
        Plane p;
        if (len2 > 0) {
            p.dx = (vb - va) * dx / len2;
            p.dy = (vb - va) * dy / len2;
        }
        p.c = va - p.dx * a.x - p.dy * a.y;
        return p;
    };
    Gradients g;
    g.z = plane(a.z, b.z);
    g.perspective = a.rhw != b.rhw;
    if (g.perspective) g.q = plane(a.rhw, b.rhw);
    for (int i = 0; i < kAttributeCount; ++i) {
        if (!((ctx.attributeMask >> i) & 1u)) continue;
        if (a.attr[i] == b.attr[i]) {
            g.attr[i].c = a.attr[i];
            g.constantMask |= 1u << i;
        } else if (g.perspective) {
            g.attr[i] = plane(a.attr[i] * a.rhw, b.attr[i] * b.rhw);
        } else {
            g.attr[i] = plane(a.attr[i], b.attr[i]);
        }
    }
    return g;
}

}  // namespace

void RasterizeLine(const RasterContext& ctx, const ScreenVertex& a, const ScreenVertex& b, bool includeLast) {
    if (!OnGrid(a) || !OnGrid(b)) return;
    const Gradients g = LineGradients(ctx, a, b);
    const double dx = b.x - a.x, dy = b.y - a.y;
    const bool xMajor = std::fabs(dx) >= std::fabs(dy);
    const double aMajor = xMajor ? a.x : a.y, bMajor = xMajor ? b.x : b.y;
    const double aMinor = xMajor ? a.y : a.x;
    const double dMajor = xMajor ? dx : dy, dMinor = xMajor ? dy : dx;
    const int64_t first = NearestPixel(aMajor), last = NearestPixel(bMajor);
    const int64_t step = last >= first ? 1 : -1;
    const int64_t count = std::llabs(last - first) + (includeLast ? 1 : 0);
    if (count > (int64_t(1) << 20)) return;  // beyond any target; guard band keeps lines shorter
    for (int64_t i = 0; i < count; ++i) {
        const int64_t major = first + i * step;
        double t = dMajor != 0 ? (double(major) - aMajor) / dMajor : 0.0;
        t = t < 0 ? 0 : (t > 1 ? 1 : t);
        const int64_t minor = NearestPixel(aMinor + t * dMinor);
        const int64_t x = xMajor ? major : minor, y = xMajor ? minor : major;
        if (InsideBounds(ctx, x, y)) ShadeSpanGeneral(*ctx.pixels, g, int(y), int(x), int(x) + 1);
    }
}

}  // namespace raster
