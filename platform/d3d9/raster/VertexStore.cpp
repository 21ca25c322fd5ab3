#include "d3d9/raster/VertexStore.h"

#include <cmath>

namespace raster {

namespace {
// A span this much larger than the references is mostly vertices no
// primitive names: keep those by number instead.
constexpr uint64_t kDenseSlack = 4;
constexpr uint64_t kDenseMinimum = 4096;
}  // namespace

VertexStore::VertexStore(const VertexSetup& setup, uint32_t lowest, uint32_t highest, uint64_t references)
    : setup_(setup), lowest_(lowest) {
    if (highest < lowest) return;
    const uint64_t span = uint64_t(highest) - lowest + 1;
    if (span <= std::max(kDenseMinimum, references * kDenseSlack)) {
        span_ = span;
        dense_.reset(new Slot[span]);
    }
}

VertexStore::Slot& VertexStore::Process(Slot& slot, uint32_t vertex) {
    if (slot.state != kPending) return slot;
    bool ok = ProcessVertex(setup_, vertex, slot.vertex);
    for (double c : slot.vertex.pos) ok = ok && std::isfinite(c);
    slot.state = ok ? kReady : kFailed;
    return slot;
}

const ClipVertex* VertexStore::Get(uint32_t vertex) {
    const uint64_t offset = uint64_t(vertex) - lowest_;
    Slot& slot = vertex >= lowest_ && offset < span_ ? Process(dense_[offset], vertex) : Process(sparse_[vertex], vertex);
    return slot.state == kReady ? &slot.vertex : nullptr;
}

}  // namespace raster
