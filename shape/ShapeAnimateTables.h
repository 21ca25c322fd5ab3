// What the animation steps share: the index range of a sub-shape's nodes,
// objects or decals, and the table index of a key frame, both checked
// against the tables they point into.
#pragma once

#include <cstdint>

struct KIndexRange {
    uint32_t begin = 0;
    uint32_t end = 0;
    bool Contains(uint32_t i) const { return i >= begin && i < end; }
};

// [first, first + count) within [0, total).
inline KIndexRange ClampedRange(int32_t first, int32_t count, uint32_t total) {
    int64_t begin = first < 0 ? 0 : first;
    int64_t end = int64_t(first) + count;
    if (end > int64_t(total)) end = total;
    if (begin > end) begin = end;
    return {uint32_t(begin), uint32_t(end)};
}

// Where a sequence keeps member j's value at key frame k: base + j x n + k.
// False when that lies past a table of size entries.
inline bool KeyIndex(uint32_t base, uint32_t j, uint32_t n, int32_t k, uint32_t size, uint32_t& index) {
    const uint64_t at = uint64_t(base) + uint64_t(j) * n + uint64_t(k < 0 ? 0 : k);
    if (at >= size) return false;
    index = uint32_t(at);
    return true;
}
