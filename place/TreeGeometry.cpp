#include "place/TreeGeometry.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace {

using Wide = __int128;

// Within about three units: a squared coordinate below 11.
bool NearEnd(int64_t dx, int64_t dy) { return dx >= -3 && dx <= 3 && dy >= -3 && dy <= 3; }

Wide Cross(Wide ax, Wide ay, Wide bx, Wide by) { return ax * by - bx * ay; }

}  // namespace

int32_t SaturateToInt32(Wide value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return int32_t(value);
}

int32_t TruncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return int32_t(value);
}

int ClassifyPoint(KIntPoint p, KIntPoint a, KIntPoint b) {
    int64_t ax = int64_t(a.x) - p.x, ay = int64_t(a.y) - p.y;
    int64_t bx = int64_t(b.x) - p.x, by = int64_t(b.y) - p.y;
    if (NearEnd(ax, ay) || NearEnd(bx, by)) return 1;
    if (ax > bx) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    const Wide c = Cross(ax, ay, bx, by);
    if (c >= -10 && c <= 10) return 1;
    return c >= 11 ? 2 : 0;
}

int ClassifySegment(KIntPoint p, KIntPoint e, KIntPoint a, KIntPoint b, KIntPoint* cut) {
    const int s1 = ClassifyPoint(p, a, b);
    const int s2 = ClassifyPoint(e, a, b);
    if (s1 == s2 || s2 == 1) return s1;
    if (s1 == 1) return s2;

    // The crossing relative to p: t * d on the line through u and v.
    // The vertical and horizontal cases need no branches of their own:
    // the quotients below reduce to them exactly.
    const Wide dx = Wide(e.x) - p.x, dy = Wide(e.y) - p.y;
    const Wide ux = Wide(a.x) - p.x, uy = Wide(a.y) - p.y;
    const Wide vx = Wide(b.x) - p.x, vy = Wide(b.y) - p.y;
    const Wide numerator = vx * uy - ux * vy;
    const Wide denominator = dy * (vx - ux) - (vy - uy) * dx;
    if (denominator == 0) return s1;
    const Wide x = numerator * dx / denominator;
    const Wide y = numerator * dy / denominator;
    if (cut) *cut = KIntPoint{SaturateToInt32(p.x + x), SaturateToInt32(p.y + y)};
    return 3;
}

int32_t PointLineDistance(KIntPoint p, KIntPoint a, KIntPoint b) {
    const Wide ax = Wide(a.x) - p.x, ay = Wide(a.y) - p.y;
    const Wide bx = Wide(b.x) - p.x, by = Wide(b.y) - p.y;
    const double lx = double(b.x) - a.x, ly = double(b.y) - a.y;
    const double length = std::sqrt(lx * lx + ly * ly);
    if (length == 0) return TruncateToInt32(std::sqrt(double(ax) * double(ax) + double(ay) * double(ay)));
    const double cross = double(Cross(ax, ay, bx, by));
    return TruncateToInt32(std::fabs(cross) / length);
}
