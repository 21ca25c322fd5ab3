// The bytes of a fuzz input read as a sequence of host calls: bytes, values
// of any type at any alignment, ints and floats that take their full range
// (NaN, infinities and extremes included) part of the time and small
// everyday values otherwise. Past the end every read gives 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace lumiva::fuzz {

class CallInput {
public:
    CallInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_at >= m_size; }
    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    template <typename T>
    T Value() {
        uint8_t bytes[sizeof(T)] = {};
        for (uint8_t& b : bytes) b = Byte();
        T value{};
        std::memcpy(&value, bytes, sizeof(T));
        return value;
    }
    // A full-range int a quarter of the time.
    int32_t Int() { return Byte() < 64 ? Value<int32_t>() : int32_t(Byte()) * 4 - 200; }
    // Any float's bits a fifth of the time.
    float Float() {
        const uint8_t kind = Byte();
        if (kind < 48) return Value<float>();
        return float(int32_t(Byte()) * 4 - 200) + float(kind % 4) * 0.25f;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

}  // namespace lumiva::fuzz
