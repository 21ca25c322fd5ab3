// Reading one vertex element out of its stream.
#pragma once

#include <cstdint>

#include "d3d9/raster/VertexLayout.h"

namespace raster {

// The element as four floats in the platform's expansion of its type;
// components the type lacks read (0, 0, 0, 1). False when any byte lies
// outside the stream.
bool ReadElement(const StreamView* streams, const AttributeSlot& slot, uint32_t vertex, float out[4]);

// A colour element as 0..255 floats (r, g, b, a), exact for 8-bit colours.
bool ReadColour(const StreamView* streams, const AttributeSlot& slot, uint32_t vertex, float out[4]);

}  // namespace raster
