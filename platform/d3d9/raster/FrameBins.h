// A frame's draws kept for the workers: each primitive is binned into the
// strips of rows it may touch, and at a flush every strip runs its
// primitives in draw order, strips side by side. A strip's pixels see the
// same writes in the same order whatever thread runs it and however many
// there are, so the frame is the same for any thread count.
#pragma once

#include <memory>
#include <unordered_set>
#include <vector>

#include "d3d9/raster/PrimitiveSink.h"

namespace raster {

class FrameBins final : public PrimitiveSink {
public:
    static constexpr int kStripRows = 16;

    // Keeps `owner` (what the next primitives' contexts point into) alive
    // until the frame is rasterized.
    void Keep(std::shared_ptr<const void> owner) { owners_.push_back(std::move(owner)); }
    // Memory the kept draws read or write (targets, texture levels): a
    // flush is due before anyone else touches it.
    void Uses(const void* memory);
    bool UsesMemory(const void* memory) const;
    bool Empty() const { return primitives_.empty(); }
    // Vertices kept: the device flushes a frame that grows past a bound.
    size_t VertexCount() const { return vertices_.size(); }

    // Rasterizes every kept primitive on the workers and forgets them.
    void Rasterize();

    void Point(const RasterContext& ctx, const ScreenVertex& v) override;
    void Line(const RasterContext& ctx, const ScreenVertex& a, const ScreenVertex& b, bool includeLast) override;
    void Triangle(const RasterContext& ctx, const ScreenVertex& v0, const ScreenVertex& v1,
                  const ScreenVertex& v2) override;
    void TrianglePair(const RasterContext& ctx, const ScreenVertex* const a[3], const ScreenVertex* const b[3]) override;

private:
    enum class Kind : uint8_t { kPoint, kLine, kLineWithLast, kTriangle, kPair };
    struct Primitive {
        Kind kind;
        uint32_t context;      // index into contexts_
        uint32_t firstVertex;  // index into vertices_
    };

    void Add(const RasterContext& ctx, Kind kind, const ScreenVertex* const* v, int n);
    uint32_t ContextIndex(const RasterContext& ctx);
    void RasterizeStrip(int strip) const;
    void Forget();

    std::vector<std::shared_ptr<const void>> owners_;
    std::unordered_set<const void*> memory_;
    std::vector<RasterContext> contexts_;
    std::vector<ScreenVertex> vertices_;
    std::vector<Primitive> primitives_;
    std::vector<std::vector<uint32_t>> strips_;  // primitive numbers, in draw order
    int64_t boxPixels_ = 0;  // the kept primitives' clipped boxes, summed
};

}  // namespace raster
