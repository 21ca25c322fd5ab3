// The processed vertices of one draw: each vertex the primitives name is
// transformed, tested against the clip planes and mapped to the screen
// once, however many primitives share it.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <unordered_map>

#include "d3d9/raster/VertexProcessing.h"
#include "d3d9/raster/ViewportMapping.h"

namespace raster {

class VertexStore {
public:
    // lowest and highest: the vertex numbers the draw reads; `references`:
    // how many times it names one. A compact span is kept as a table by
    // position, a sparse one by number.
    VertexStore(const VertexSetup& setup, const ClipPlanes& planes, const ScreenMapping& mapping, uint32_t lowest,
                uint32_t highest, uint64_t references);
    VertexStore(const VertexStore&) = delete;
    VertexStore& operator=(const VertexStore&) = delete;

    // Null when the vertex could not be read or does not land anywhere finite.
    // A vertex of the span already processed, what most asks are, is
    // answered inline.
    const PostVertex* Get(uint32_t vertex) {
        const uint64_t offset = uint64_t(vertex) - lowest_;
        if (vertex >= lowest_ && offset < span_ && states_[offset] == kReady)
            return std::launder(reinterpret_cast<const PostVertex*>(rooms_[offset].bytes));
        return GetSlowly(vertex);
    }

private:
    enum : uint8_t { kPending, kReady, kFailed };
    // Storage a vertex is built in when first asked for.
    struct alignas(PostVertex) Room {
        unsigned char bytes[sizeof(PostVertex)];
    };
    const PostVertex* GetSlowly(uint32_t vertex);
    const PostVertex* Process(uint8_t& state, Room& room, uint32_t vertex);
    // The pending vertices of the span from `offset` on, a batch at a time.
    void ProcessFrom(uint64_t offset);
    static PostVertex* Built(Room& room);
    uint8_t Outcome(bool ok, PostVertex& v) const;

    const VertexSetup& setup_;
    const ClipPlanes& planes_;
    const ScreenMapping& mapping_;
    uint32_t lowest_ = 0;
    uint64_t span_ = 0;
    uint8_t* states_ = nullptr;  // by position in the span
    Room* rooms_ = nullptr;
    // A few vertices (a quad, a strip of a sprite) need no allocation.
    static constexpr uint64_t kLocal = 8;
    uint8_t localStates_[kLocal] = {};
    Room localRooms_[kLocal];
    std::unique_ptr<uint8_t[]> heapStates_;
    std::unique_ptr<Room[]> heapRooms_;
    struct Sparse {
        uint8_t state = kPending;
        Room room;
    };
    std::unordered_map<uint32_t, Sparse> sparse_;
};

}  // namespace raster
