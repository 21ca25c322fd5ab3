// Flexible vertex formats as element lists, and copying vertices between
// two formats element by element.
#pragma once

#include <cstdint>
#include <vector>

#include "d3d9.h"

namespace d3dx {

// The elements of fvf in memory order (without the end marker) and the
// vertex size; false for codes no declaration describes (reserved bits, no
// or an unknown position kind, five weights without an index beta, both
// index-beta kinds, more than eight coordinate sets).
bool DescribeFvf(DWORD fvf, std::vector<D3DVERTEXELEMENT9>& elements, UINT& stride);

// The flexible vertex format whose elements are exactly `elements`, in
// the same order, offsets and types, all in stream 0; 0 when none is.
DWORD FvfOfElements(const std::vector<D3DVERTEXELEMENT9>& elements);

// Bytes of the position part (position, weights and indices) of a vertex.
UINT PositionBytes(DWORD fvf);

// Copies count vertices from one format to another: every element of the
// destination takes the source element of the same usage and index,
// converted between float counts (missing components 0) or copied whole for
// equal four-byte types; elements without a source are zero.
void ConvertVertices(const uint8_t* source, DWORD sourceFvf, uint8_t* destination, DWORD destinationFvf,
                     size_t count);

}  // namespace d3dx
