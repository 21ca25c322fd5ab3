// A fuzz input read as the values a careless or hostile host hands over.
// Ints and floats come often from a table of edge values (the ends of the
// range, NaN, infinities, the largest and smallest floats), sometimes as raw
// bits, and otherwise small, near a small screen, so that most calls still
// reach the code behind their checks. Past its end the input reads as zeros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace lumiva::fuzz {

class HostileInput {
public:
    HostileInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool Empty() const { return m_at >= m_size; }
    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    // Raw bytes of a trivially copyable value.
    template <typename T>
    T Value() {
        uint8_t bytes[sizeof(T)] = {};
        for (uint8_t& b : bytes) b = Byte();
        T value;
        std::memcpy(&value, bytes, sizeof(T));
        return value;
    }
    // One in four an edge value, one in eight raw bits, else -64..191.
    int32_t Int();
    // One in four an edge value, one in eight raw bits, else -64..191 in
    // quarter steps.
    float Float();
    // Up to `most` bytes of the input, copied.
    std::vector<uint8_t> Bytes(size_t most);
    // Up to `most` bytes as a string, zero bytes and all.
    std::string String(size_t most);

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

}  // namespace lumiva::fuzz
