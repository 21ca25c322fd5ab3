#include "d3d9/raster/VertexStore.h"

#include <cmath>
#include <new>

namespace raster {

namespace {
// A span this much larger than the references is mostly vertices no
// primitive names: keep those by number instead.
constexpr uint64_t kDenseSlack = 4;
constexpr uint64_t kDenseMinimum = 4096;
}  // namespace

VertexStore::VertexStore(const VertexSetup& setup, const ClipPlanes& planes, const ScreenMapping& mapping,
                         uint32_t lowest, uint32_t highest, uint64_t references)
    : setup_(setup), planes_(planes), mapping_(mapping), lowest_(lowest) {
    if (highest < lowest) return;
    const uint64_t span = uint64_t(highest) - lowest + 1;
    if (span <= kLocal) {
        span_ = span;
        states_ = localStates_;
        rooms_ = localRooms_;
    } else if (span <= std::max(kDenseMinimum, references * kDenseSlack)) {
        span_ = span;
        heapStates_.reset(new uint8_t[span]());
        heapRooms_.reset(new Room[span]);
        states_ = heapStates_.get();
        rooms_ = heapRooms_.get();
    }
}

PostVertex* VertexStore::Built(Room& room) { return std::launder(reinterpret_cast<PostVertex*>(room.bytes)); }

uint8_t VertexStore::Outcome(bool ok, PostVertex& v) const {
    for (double c : v.clip.pos) ok = ok && std::isfinite(c);
    if (!ok) return kFailed;
    FinishVertex(planes_, mapping_, v);
    return kReady;
}

const PostVertex* VertexStore::Process(uint8_t& state, Room& room, uint32_t vertex) {
    if (state == kPending) {
        PostVertex* v = new (room.bytes) PostVertex;
        state = Outcome(ProcessVertex(setup_, vertex, v->clip), *v);
    }
    return state == kReady ? Built(room) : nullptr;
}

void VertexStore::ProcessFrom(uint64_t offset) {
    uint32_t vertices[kVertexBatch] = {};
    PostVertex* post[kVertexBatch] = {};
    ClipVertex* out[kVertexBatch] = {};
    uint64_t positions[kVertexBatch] = {};
    bool ok[kVertexBatch] = {};
    int count = 0;
    for (uint64_t at = offset; at < span_ && count < kVertexBatch; ++at) {
        if (states_[at] != kPending) continue;
        positions[count] = at;
        vertices[count] = uint32_t(lowest_ + at);
        post[count] = new (rooms_[at].bytes) PostVertex;
        out[count] = &post[count]->clip;
        ++count;
    }
    ProcessVertices(setup_, vertices, count, out, ok);
    for (int i = 0; i < count; ++i) states_[positions[i]] = Outcome(ok[i], *post[i]);
}

const PostVertex* VertexStore::GetSlowly(uint32_t vertex) {
    const uint64_t offset = uint64_t(vertex) - lowest_;
    if (vertex >= lowest_ && offset < span_) {
        if (states_[offset] == kPending) ProcessFrom(offset);
        return states_[offset] == kReady ? Built(rooms_[offset]) : nullptr;
    }
    Sparse& entry = sparse_[vertex];
    return Process(entry.state, entry.room, vertex);
}

}  // namespace raster
