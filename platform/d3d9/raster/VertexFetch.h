// Reading one vertex element out of its stream.
#pragma once

#include <cstdint>
#include <cstring>

#include "d3d9/raster/VertexLayout.h"

namespace raster {

// Elements of any type but plain floats, as ReadElement reads them.
bool ReadConvertedElement(const StreamView* streams, const AttributeSlot& slot, uint32_t vertex, float out[4]);

// The element as four floats in the platform's expansion of its type;
// components the type lacks read (0, 0, 0, 1). False when any byte lies
// outside the stream. Plain floats, what nearly every vertex holds, are
// copied here, inline in the vertex loop.
inline bool ReadElement(const StreamView* streams, const AttributeSlot& slot, uint32_t vertex, float out[4]) {
    if (slot.type > D3DDECLTYPE_FLOAT4) return ReadConvertedElement(streams, slot, vertex, out);
    const StreamView& stream = streams[slot.stream];
    const size_t bytes = 4 * size_t(slot.type - D3DDECLTYPE_FLOAT1 + 1);
    const uint64_t start = uint64_t(vertex) * stream.stride + slot.offset;
    if (!stream.data || start + bytes > stream.size) return false;
    out[0] = out[1] = out[2] = 0.0f;
    out[3] = 1.0f;
    std::memcpy(out, stream.data + start, bytes);
    return true;
}

// A colour element as 0..255 floats (r, g, b, a), exact for 8-bit colours.
bool ReadColour(const StreamView* streams, const AttributeSlot& slot, uint32_t vertex, float out[4]);

}  // namespace raster
