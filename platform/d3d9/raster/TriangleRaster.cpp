#include <algorithm>
#include <cmath>

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

    void NextRow() {
        if (kind_ == kFlat) {
            k_ += step_;
            return;
        }
        q_ += dq_;
        r_ += dr_;
        if (r_ >= den_) {
            r_ -= den_;
            ++q_;
        }
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

    enum Kind { kRight, kLeft, kFlat } kind_;
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
    const int64_t x0 = Snap(v0.x), y0 = Snap(v0.y), x1 = Snap(v1.x), y1 = Snap(v1.y), x2 = Snap(v2.x),
                  y2 = Snap(v2.y);
    return (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
}

void RasterizeTriangle(const RasterContext& ctx, const ScreenVertex& in0, const ScreenVertex& in1,
                       const ScreenVertex& in2) {
    const ScreenVertex* v[3] = {&in0, &in1, &in2};
    int64_t X[3], Y[3];
    for (int i = 0; i < 3; ++i) {
        X[i] = Snap(v[i]->x);
        Y[i] = Snap(v[i]->y);
    }
    int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (X[2] - X[0]) * (Y[1] - Y[0]);
    if (area == 0) return;
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
    const int64_t top = std::max<int64_t>(ctx.bounds.top, FloorDiv(minY, s));
    const int64_t bottom = std::min<int64_t>(ctx.bounds.bottom, FloorDiv(maxY, s) + 1);
    const int64_t left = std::max<int64_t>(ctx.bounds.left, FloorDiv(minX, s));
    const int64_t right = std::min<int64_t>(ctx.bounds.right, FloorDiv(maxX, s) + 1);
    if (top >= bottom || left >= right) return;

    // Planes from the snapped positions, so shading agrees with coverage.
    const double x0 = double(X[0]) / kSubpixelScale, y0 = double(Y[0]) / kSubpixelScale;
    const double ex1 = double(X[1] - X[0]) / kSubpixelScale, ey1 = double(Y[1] - Y[0]) / kSubpixelScale;
    const double ex2 = double(X[2] - X[0]) / kSubpixelScale, ey2 = double(Y[2] - Y[0]) / kSubpixelScale;
    const double invArea = 1.0 / (ex1 * ey2 - ex2 * ey1);

    Gradients g;
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

    const SpanFn span = SelectSpan(ctx, g);
    EdgeStepper steppers[3] = {EdgeStepper(edges[0], top), EdgeStepper(edges[1], top), EdgeStepper(edges[2], top)};
    for (int64_t py = top; py < bottom; ++py) {
        int64_t xMin = left, xMax = right;
        for (EdgeStepper& e : steppers) {
            e.Clamp(xMin, xMax);
            e.NextRow();
        }
        if (xMin < xMax) span(*ctx.pixels, g, int(py), int(xMin), int(xMax));
    }
}

}  // namespace raster
