// The processed vertices of one draw: each vertex the primitives name is
// transformed once, however many primitives share it.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>

#include "d3d9/raster/VertexProcessing.h"

namespace raster {

class VertexStore {
public:
    // lowest and highest: the vertex numbers the draw reads; `references`:
    // how many times it names one. A compact span is kept as a table by
    // position, a sparse one by number.
    VertexStore(const VertexSetup& setup, uint32_t lowest, uint32_t highest, uint64_t references);

    // Null when the vertex could not be read or does not land anywhere finite.
    const ClipVertex* Get(uint32_t vertex);

private:
    enum : uint8_t { kPending, kReady, kFailed };
    struct Slot {
        uint8_t state = kPending;
        ClipVertex vertex;
    };
    Slot& Process(Slot& slot, uint32_t vertex);

    const VertexSetup& setup_;
    uint32_t lowest_ = 0;
    uint64_t span_ = 0;
    std::unique_ptr<Slot[]> dense_;
    std::unordered_map<uint32_t, Slot> sparse_;
};

}  // namespace raster
