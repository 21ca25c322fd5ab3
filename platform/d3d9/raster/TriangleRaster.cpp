#include <algorithm>
#include <cmath>
#include <cstring>

#include "d3d9/raster/Rasterizer.h"

namespace raster {

namespace {

int64_t Snap(double v) { return int64_t(std::floor(v * kSubpixelScale + 0.5)); }

int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
    int64_t q = a / b;
    if ((a % b) != 0 && (a < 0)) --q;
    return q;
}

struct Edge {
    int64_t dx, dy, x0, y0;
    int64_t bias;  // 1 on top and left edges: pixels exactly on them are inside
};

Edge MakeEdge(int64_t xa, int64_t ya, int64_t xb, int64_t yb) {
    Edge e{xb - xa, yb - ya, xa, ya, 0};
    e.bias = (e.dy < 0 || (e.dy == 0 && e.dx > 0)) ? 1 : 0;
    return e;
}

// The pixel bound one edge puts on each row, stepped row by row with an
// exact quotient and remainder instead of a division per row.
//
// E(px) = dx * (py - y0) - dy * (px - x0) in sub-pixel units; a pixel is
// inside when E + bias > 0. With k = dx * (py - y0) + dy * x0 + bias and
// d = dy * 256 that is k - d * px > 0: px < k / d for d > 0 (a right
// bound), px > -k / -d for d < 0 (a left bound).
class EdgeStepper {
public:
    EdgeStepper() = default;
    EdgeStepper(const Edge& e, int64_t firstRow) {
        const int64_t s = int64_t(kSubpixelScale);
        const int64_t d = e.dy * s;
        const int64_t k = e.dx * (firstRow * s - e.y0) + e.dy * e.x0 + e.bias;
        const int64_t step = e.dx * s;  // k grows by this per row
        if (d > 0) {
            kind_ = kRight;
            Start(k - 1, step, d);
        } else if (d < 0) {
            kind_ = kLeft;
            Start(-k, -step, -d);
        } else {
            kind_ = kFlat;
            k_ = k;
            step_ = step;
        }
    }

    // Narrows [xMin, xMax) for the current row.
    void Clamp(int64_t& xMin, int64_t& xMax) const {
        switch (kind_) {
            case kRight: xMax = std::min(xMax, q_ + 1); break;
            case kLeft: xMin = std::max(xMin, q_ + 1); break;
            case kFlat:
                if (k_ <= 0) xMax = xMin;
                break;
        }
    }

    // For an edge along a pixel column or row: narrows the columns
    // [xMin, xMax) it allows, or the rows [rowFrom, rowTo) (the stepper
    // still at its first row, `first`). False for a slanted edge.
    bool NarrowStraight(int64_t first, int64_t& xMin, int64_t& xMax, int64_t& rowFrom, int64_t& rowTo) const {
        switch (kind_) {
            case kRight:
                if (dq_ != 0 || dr_ != 0) return false;
                xMax = std::min(xMax, q_ + 1);
                return true;
            case kLeft:
                if (dq_ != 0 || dr_ != 0) return false;
                xMin = std::max(xMin, q_ + 1);
                return true;
            case kFlat:
                // Row first + n is inside while k + step * n > 0.
                if (step_ > 0) {
                    if (k_ <= 0) rowFrom = std::max(rowFrom, first + FloorDiv(-k_, step_) + 1);
                } else if (k_ <= 0) {
                    rowTo = rowFrom;
                } else if (step_ < 0) {
                    rowTo = std::min(rowTo, first + (k_ - step_ - 1) / -step_);  // ceil(k / -step) rows
                }
                return true;
        }
        return false;
    }

    void NextRow() {
        if (kind_ == kFlat) {
            k_ += step_;
            return;
        }
        q_ += dq_;
        r_ += dr_;
        // The carry without a branch: it follows the edge's slope, which
        // the predictor cannot.
        const int64_t carry = -int64_t(r_ >= den_);
        r_ -= den_ & carry;
        q_ -= carry;
    }

private:
    // q and r of numerator / den (floor division), and their per-row steps.
    void Start(int64_t numerator, int64_t step, int64_t den) {
        den_ = den;
        q_ = FloorDiv(numerator, den);
        r_ = numerator - q_ * den;
        dq_ = FloorDiv(step, den);
        dr_ = step - dq_ * den;
    }

    enum Kind { kRight, kLeft, kFlat } kind_ = kFlat;
    int64_t q_ = 0, r_ = 0, dq_ = 0, dr_ = 0, den_ = 1;
    int64_t k_ = 0, step_ = 0;
};

Plane MakePlane(double a0, double a1, double a2, double x0, double y0, double ex1, double ey1, double ex2,
                double ey2, double invArea) {
    Plane p;
    p.dx = ((a1 - a0) * ey2 - (a2 - a0) * ey1) * invArea;
    p.dy = ((a2 - a0) * ex1 - (a1 - a0) * ex2) * invArea;
    p.c = a0 - p.dx * x0 - p.dy * y0;
    return p;
}

}  // namespace

int64_t SnappedArea(const ScreenVertex& v0, const ScreenVertex& v1, const ScreenVertex& v2) {
    if (!OnGrid(v0) || !OnGrid(v1) || !OnGrid(v2)) return 0;
    const int64_t x0 = Snap(v0.x), y0 = Snap(v0.y), x1 = Snap(v1.x), y1 = Snap(v1.y), x2 = Snap(v2.x),
                  y2 = Snap(v2.y);
    return (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
}

namespace {

// One triangle ready for its rows: planes, span choice and edge steppers.
struct TriangleRows {
    Gradients g;
    SpanFn span = nullptr;
    int64_t top = 0, bottom = 0, left = 0, right = 0;
    EdgeStepper steppers[3];

    bool Empty() const { return top >= bottom; }
    // The covered pixels [xMin, xMax) of row py; rows are taken in order
    // from `top`.
    void NextRow(int64_t& xMin, int64_t& xMax) {
        xMin = left;
        xMax = right;
        for (EdgeStepper& e : steppers) {
            e.Clamp(xMin, xMax);
            e.NextRow();
        }
    }
};

// False when the triangle covers no pixel inside the bounds.
bool SetUpTriangle(const RasterContext& ctx, const ScreenVertex& in0, const ScreenVertex& in1,
                   const ScreenVertex& in2, TriangleRows& out) {
    if (!OnGrid(in0) || !OnGrid(in1) || !OnGrid(in2)) return false;
    const ScreenVertex* v[3] = {&in0, &in1, &in2};
    int64_t X[3], Y[3];
    for (int i = 0; i < 3; ++i) {
        X[i] = Snap(v[i]->x);
        Y[i] = Snap(v[i]->y);
    }
    int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (X[2] - X[0]) * (Y[1] - Y[0]);
    if (area == 0) return false;
    if (area < 0) {  // make it clockwise so inside is positive for every edge
        std::swap(v[1], v[2]);
        std::swap(X[1], X[2]);
        std::swap(Y[1], Y[2]);
        area = -area;
    }
    const Edge edges[3] = {MakeEdge(X[0], Y[0], X[1], Y[1]), MakeEdge(X[1], Y[1], X[2], Y[2]),
                           MakeEdge(X[2], Y[2], X[0], Y[0])};

    const int64_t minY = std::min({Y[0], Y[1], Y[2]}), maxY = std::max({Y[0], Y[1], Y[2]});
    const int64_t minX = std::min({X[0], X[1], X[2]}), maxX = std::max({X[0], X[1], X[2]});
    const int64_t s = int64_t(kSubpixelScale);
    out.top = std::max<int64_t>(ctx.bounds.top, FloorDiv(minY, s));
    out.bottom = std::min<int64_t>(ctx.bounds.bottom, FloorDiv(maxY, s) + 1);
    out.left = std::max<int64_t>(ctx.bounds.left, FloorDiv(minX, s));
    out.right = std::min<int64_t>(ctx.bounds.right, FloorDiv(maxX, s) + 1);
    if (out.top >= out.bottom || out.left >= out.right) return false;

    // Planes from the snapped positions, so shading agrees with coverage.
    const double x0 = double(X[0]) / kSubpixelScale, y0 = double(Y[0]) / kSubpixelScale;
    const double ex1 = double(X[1] - X[0]) / kSubpixelScale, ey1 = double(Y[1] - Y[0]) / kSubpixelScale;
    const double ex2 = double(X[2] - X[0]) / kSubpixelScale, ey2 = double(Y[2] - Y[0]) / kSubpixelScale;
    const double invArea = 1.0 / (ex1 * ey2 - ex2 * ey1);

    Gradients& g = out.g;
    g.z = MakePlane(v[0]->z, v[1]->z, v[2]->z, x0, y0, ex1, ey1, ex2, ey2, invArea);
    g.perspective = !(v[0]->rhw == v[1]->rhw && v[1]->rhw == v[2]->rhw);
    if (g.perspective) g.q = MakePlane(v[0]->rhw, v[1]->rhw, v[2]->rhw, x0, y0, ex1, ey1, ex2, ey2, invArea);
    for (int a = 0; a < kAttributeCount; ++a) {
        if (!((ctx.attributeMask >> a) & 1u)) continue;
        const double a0 = v[0]->attr[a], a1 = v[1]->attr[a], a2 = v[2]->attr[a];
        if (a0 == a1 && a1 == a2) {
            g.attr[a].c = a0;
            g.constantMask |= 1u << a;
        } else if (g.perspective) {
            g.attr[a] = MakePlane(a0 * v[0]->rhw, a1 * v[1]->rhw, a2 * v[2]->rhw, x0, y0, ex1, ey1, ex2, ey2, invArea);
        } else {
            g.attr[a] = MakePlane(a0, a1, a2, x0, y0, ex1, ey1, ex2, ey2, invArea);
        }
    }

    out.span = SelectSpan(ctx, g);
    for (int i = 0; i < 3; ++i) out.steppers[i] = EdgeStepper(edges[i], out.top);
    return true;
}

bool SamePlane(const Plane& a, const Plane& b) { return std::memcmp(&a, &b, sizeof(Plane)) == 0; }

// Whether every pixel shades the same through either triangle's planes.
bool SameGradients(const RasterContext& ctx, const TriangleRows& a, const TriangleRows& b) {
    const Gradients &ga = a.g, &gb = b.g;
    if (a.span != b.span || ga.perspective != gb.perspective || ga.constantMask != gb.constantMask) return false;
    if (!SamePlane(ga.z, gb.z) || (ga.perspective && !SamePlane(ga.q, gb.q))) return false;
    for (int i = 0; i < kAttributeCount; ++i)
        if (((ctx.attributeMask >> i) & 1u) && !SamePlane(ga.attr[i], gb.attr[i])) return false;
    return true;
}

void DrawRows(const RasterContext& ctx, TriangleRows& t) {
    for (int64_t py = t.top; py < t.bottom; ++py) {
        int64_t xMin, xMax;
        t.NextRow(xMin, xMax);
        if (xMin < xMax) t.span(*ctx.pixels, t.g, int(py), int(xMin), int(xMax));
    }
}

// Whether two triangles are the halves of one axis-aligned rectangle split
// along a diagonal: six snapped corners on two columns and two rows, each
// triangle three different corners, the corners they leave out opposite.
bool HalvesOfRectangle(const ScreenVertex* const a[3], const ScreenVertex* const b[3]) {
    int64_t X[6], Y[6];
    for (int i = 0; i < 3; ++i) {
        X[i] = Snap(a[i]->x);
        Y[i] = Snap(a[i]->y);
        X[i + 3] = Snap(b[i]->x);
        Y[i + 3] = Snap(b[i]->y);
    }
    const int64_t xMin = *std::min_element(X, X + 6), xMax = *std::max_element(X, X + 6);
    const int64_t yMin = *std::min_element(Y, Y + 6), yMax = *std::max_element(Y, Y + 6);
    if (xMin == xMax || yMin == yMax) return false;
    unsigned corners[2] = {0, 0};
    for (int i = 0; i < 6; ++i) {
        if ((X[i] != xMin && X[i] != xMax) || (Y[i] != yMin && Y[i] != yMax)) return false;
        corners[i / 3] |= 1u << ((X[i] == xMax ? 1 : 0) | (Y[i] == yMax ? 2 : 0));
    }
    auto missing = [](unsigned set) {
        for (unsigned c = 0; c < 4; ++c)
            if (set == (0xFu & ~(1u << c))) return int(c);
        return -1;
    };
    const int ma = missing(corners[0]), mb = missing(corners[1]);
    return ma >= 0 && mb >= 0 && (ma ^ mb) == 3;
}

// Two halves of a rectangle with the same planes: their union is the
// rectangle's pixels under the fill rule (the diagonal gives each pixel on it
// to exactly one half), so one span per row over columns and rows that the
// straight edges fix. False when the edges are not as a rectangle's.
bool DrawRectangle(const RasterContext& ctx, TriangleRows& first, TriangleRows& second) {
    if (first.top != second.top || first.bottom != second.bottom || first.left != second.left ||
        first.right != second.right)
        return false;
    int64_t xMin = first.left, xMax = first.right, rowFrom = first.top, rowTo = first.bottom;
    int straight = 0;
    for (const TriangleRows* t : {&first, &second})
        for (const EdgeStepper& e : t->steppers)
            if (e.NarrowStraight(first.top, xMin, xMax, rowFrom, rowTo)) ++straight;
    if (straight != 4) return false;
    if (xMin >= xMax || rowFrom >= rowTo) return true;
    if (const RectangleFn rectangle = RectangleFor(ctx, first.span)) {
        rectangle(*ctx.pixels, first.g, int(rowFrom), int(rowTo), int(xMin), int(xMax));
        return true;
    }
    for (int64_t py = rowFrom; py < rowTo; ++py) first.span(*ctx.pixels, first.g, int(py), int(xMin), int(xMax));
    return true;
}

}  // namespace

void RasterizeTriangle(const RasterContext& ctx, const ScreenVertex& v0, const ScreenVertex& v1,
                       const ScreenVertex& v2) {
    TriangleRows t;
    if (SetUpTriangle(ctx, v0, v1, v2, t)) DrawRows(ctx, t);
}

void RasterizeTrianglePair(const RasterContext& ctx, const ScreenVertex* const a[3], const ScreenVertex* const b[3]) {
    TriangleRows first, second;
    const bool hasFirst = SetUpTriangle(ctx, *a[0], *a[1], *a[2], first);
    const bool hasSecond = SetUpTriangle(ctx, *b[0], *b[1], *b[2], second);
    if (!hasFirst || !hasSecond) {
        if (hasFirst) DrawRows(ctx, first);
        if (hasSecond) DrawRows(ctx, second);
        return;
    }
    const bool joinable = SameGradients(ctx, first, second);
    if (joinable && HalvesOfRectangle(a, b) && DrawRectangle(ctx, first, second)) return;
    for (int64_t py = std::min(first.top, second.top); py < std::max(first.bottom, second.bottom); ++py) {
        int64_t a0 = 0, a1 = 0, b0 = 0, b1 = 0;
        if (py >= first.top && py < first.bottom) first.NextRow(a0, a1);
        if (py >= second.top && py < second.bottom) second.NextRow(b0, b1);
        const bool hasA = a0 < a1, hasB = b0 < b1;
        if (joinable && hasA && hasB && (a1 == b0 || b1 == a0)) {
            first.span(*ctx.pixels, first.g, int(py), int(std::min(a0, b0)), int(std::max(a1, b1)));
            continue;
        }
        if (hasA) first.span(*ctx.pixels, first.g, int(py), int(a0), int(a1));
        if (hasB) second.span(*ctx.pixels, second.g, int(py), int(b0), int(b1));
    }
}

}  // namespace raster
