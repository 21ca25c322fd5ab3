// Integer ground geometry of the object tree: which side of a line a point
// or a segment lies on, where a segment crosses a line, how far a point
// lies from one. Products are formed wide enough for any 32-bit input;
// results are clamped to 32 bits.
#pragma once

#include <cstdint>

struct KIntPoint {
    int32_t x = 0;
    int32_t y = 0;

    friend bool operator==(const KIntPoint&, const KIntPoint&) = default;
};

// Side of the line a-b, taken left to right: 0 above it on the screen,
// 2 below it, 1 on it (within the tolerance) or within about three units
// of either end.
int ClassifyPoint(KIntPoint p, KIntPoint a, KIntPoint b);

// 0, 1 or 2 when the segment p-e lies on that side of the line a-b (or
// touches it from there); 3 when it crosses, with the crossing in *cut.
// Lines that cannot be cut (parallel, a point for a line) give the side
// of p.
int ClassifySegment(KIntPoint p, KIntPoint e, KIntPoint a, KIntPoint b, KIntPoint* cut);

// Distance of p from the line through a and b, truncated; from a when the
// line is a point.
int32_t PointLineDistance(KIntPoint p, KIntPoint a, KIntPoint b);

int32_t SaturateToInt32(__int128 value);
// Truncation toward zero, saturated; NaN gives 0.
int32_t TruncateToInt32(double value);
