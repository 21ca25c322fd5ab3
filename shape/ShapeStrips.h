// Triangle strips of shape meshes become triangle lists.
#pragma once

#include <cstdint>

// Each window (a, b, c) of the strip gives a triangle unless two of its
// indices are equal; a window at an odd place in the strip has its first two
// indices swapped, which keeps the winding. The number of indices written;
// with out null they are only counted.
uint32_t StripToList(const uint16_t* strip, uint32_t count, uint16_t* out);
