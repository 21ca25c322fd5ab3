#include "shape/KGrowArray.h"

#include <cstdlib>

bool ArrayResize(uint32_t& capacity, uint32_t& count, void*& data, uint32_t newCount, size_t elementSize) {
    if (newCount == 0) {
        std::free(data);
        data = nullptr;
        capacity = count = 0;
        return true;
    }
    if (elementSize != 0 && newCount > SIZE_MAX / elementSize) return false;
    void* moved = data ? std::realloc(data, newCount * elementSize) : std::malloc(newCount * elementSize);
    if (!moved) return false;
    data = moved;
    capacity = count = newCount;
    return true;
}
