#include "d3d9/raster/FastSpans.h"

#include <atomic>

namespace raster {

namespace {
std::atomic<bool> g_fastPaths{true};
}  // namespace

void SetFastPathsEnabled(bool enabled) { g_fastPaths.store(enabled, std::memory_order_relaxed); }
bool FastPathsEnabled() { return g_fastPaths.load(std::memory_order_relaxed); }

FastPathPlan PlanFastPath(const PixelState&) { return FastPathPlan{}; }

SpanFn SelectSpan(const RasterContext&, const Gradients&) { return &ShadeSpanGeneral; }

}  // namespace raster
