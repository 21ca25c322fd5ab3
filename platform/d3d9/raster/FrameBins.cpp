#include "d3d9/raster/FrameBins.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "d3d9/raster/RasterWorkers.h"

namespace raster {

namespace {

bool SameContext(const RasterContext& a, const RasterContext& b) {
    return a.pixels == b.pixels && a.fast == b.fast && a.attributeMask == b.attributeMask &&
           std::memcmp(&a.bounds, &b.bounds, sizeof a.bounds) == 0;
}

// The lines [first, last] of [lowest, end) that a primitive from `low` to
// `high` may write: widened by one on each side for the fill and point
// rules. Positions that are not finite may reach anywhere.
void Reach(double low, double high, int32_t lowest, int32_t end, int64_t& first, int64_t& last) {
    first = lowest;
    last = int64_t(end) - 1;
    if (!std::isfinite(low) || !std::isfinite(high)) return;
    first = std::max<int64_t>(first, int64_t(std::max(std::floor(low) - 1.0, double(first))));
    last = std::min<int64_t>(last, int64_t(std::min(std::ceil(high) + 1.0, double(last))));
}

}  // namespace

void FrameBins::Uses(const void* memory) {
    if (memory) memory_.insert(memory);
}

bool FrameBins::UsesMemory(const void* memory) const { return memory_.count(memory) != 0; }

uint32_t FrameBins::ContextIndex(const RasterContext& ctx) {
    if (contexts_.empty() || !SameContext(contexts_.back(), ctx)) contexts_.push_back(ctx);
    return uint32_t(contexts_.size() - 1);
}

// A primitive goes to the strips of the rows it may reach.
void FrameBins::Add(const RasterContext& ctx, Kind kind, const ScreenVertex* const* v, int n) {
    if (ctx.bounds.top >= ctx.bounds.bottom || ctx.bounds.left >= ctx.bounds.right) return;
    double top = v[0]->y, bottom = v[0]->y, left = v[0]->x, right = v[0]->x;
    for (int i = 1; i < n; ++i) {
        top = std::min(top, v[i]->y);
        bottom = std::max(bottom, v[i]->y);
        left = std::min(left, v[i]->x);
        right = std::max(right, v[i]->x);
    }
    int64_t first, last, firstColumn, lastColumn;
    Reach(top, bottom, ctx.bounds.top, ctx.bounds.bottom, first, last);
    if (first > last) return;
    Reach(left, right, ctx.bounds.left, ctx.bounds.right, firstColumn, lastColumn);
    boxPixels_ += (last - first + 1) * std::max<int64_t>(0, lastColumn - firstColumn + 1);
    const uint32_t number = uint32_t(primitives_.size());
    primitives_.push_back(Primitive{kind, ContextIndex(ctx), uint32_t(vertices_.size())});
    for (int i = 0; i < n; ++i) vertices_.push_back(*v[i]);
    const size_t lastStrip = size_t(last / kStripRows);
    if (strips_.size() <= lastStrip) strips_.resize(lastStrip + 1);
    for (size_t s = size_t(first / kStripRows); s <= lastStrip; ++s) strips_[s].push_back(number);
}

void FrameBins::Point(const RasterContext& ctx, const ScreenVertex& v) {
    const ScreenVertex* p[1] = {&v};
    Add(ctx, Kind::kPoint, p, 1);
}

void FrameBins::Line(const RasterContext& ctx, const ScreenVertex& a, const ScreenVertex& b, bool includeLast) {
    const ScreenVertex* p[2] = {&a, &b};
    Add(ctx, includeLast ? Kind::kLineWithLast : Kind::kLine, p, 2);
}

void FrameBins::Triangle(const RasterContext& ctx, const ScreenVertex& v0, const ScreenVertex& v1,
                         const ScreenVertex& v2) {
    const ScreenVertex* p[3] = {&v0, &v1, &v2};
    Add(ctx, Kind::kTriangle, p, 3);
}

void FrameBins::TrianglePair(const RasterContext& ctx, const ScreenVertex* const a[3],
                             const ScreenVertex* const b[3]) {
    const ScreenVertex* p[6] = {a[0], a[1], a[2], b[0], b[1], b[2]};
    Add(ctx, Kind::kPair, p, 6);
}

void FrameBins::RasterizeStrip(int strip) const {
    const int32_t top = strip * kStripRows, bottom = top + kStripRows;
    for (const uint32_t number : strips_[size_t(strip)]) {
        const Primitive& p = primitives_[number];
        RasterContext ctx = contexts_[p.context];
        ctx.bounds.top = std::max(ctx.bounds.top, top);
        ctx.bounds.bottom = std::min(ctx.bounds.bottom, bottom);
        const ScreenVertex* v = &vertices_[p.firstVertex];
        switch (p.kind) {
            case Kind::kPoint: RasterizePoint(ctx, v[0]); break;
            case Kind::kLine: RasterizeLine(ctx, v[0], v[1], false); break;
            case Kind::kLineWithLast: RasterizeLine(ctx, v[0], v[1], true); break;
            case Kind::kTriangle: RasterizeTriangle(ctx, v[0], v[1], v[2]); break;
            case Kind::kPair: {
                const ScreenVertex* a[3] = {&v[0], &v[1], &v[2]};
                const ScreenVertex* b[3] = {&v[3], &v[4], &v[5]};
                RasterizeTrianglePair(ctx, a, b);
                break;
            }
        }
    }
}

void FrameBins::Rasterize() {
    if (!primitives_.empty()) {
        const int threads = boxPixels_ >= ThreadedPixels() ? RasterThreads() : 1;
        RunBands(int(strips_.size()), [this](int strip) { RasterizeStrip(strip); }, threads);
    }
    Forget();
}

void FrameBins::Forget() {
    owners_.clear();
    memory_.clear();
    contexts_.clear();
    vertices_.clear();
    primitives_.clear();
    boxPixels_ = 0;
    for (std::vector<uint32_t>& strip : strips_) strip.clear();
}

}  // namespace raster
