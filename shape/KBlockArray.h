// A table that lives in a shape's data block: a view (data, count) that
// never owns its storage; the shape frees the block once.
#pragma once

#include <cstdint>

template <class T>
struct KBlockArray {
    T* data = nullptr;
    uint32_t count = 0;

    void Set(T* at, uint64_t n) {
        data = at;
        count = uint32_t(n);
    }
    uint32_t Count() const { return count; }
    T& operator[](uint32_t i) { return data[i]; }
    const T& operator[](uint32_t i) const { return data[i]; }
    T* begin() { return data; }
    T* end() { return data + count; }
    const T* begin() const { return data; }
    const T* end() const { return data + count; }
};
