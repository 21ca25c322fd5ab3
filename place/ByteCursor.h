// Little-endian reads from bytes in memory, checked against their end: a
// read that does not fit fails and leaves the cursor where it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

inline uint16_t LoadU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t LoadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline int16_t LoadI16(const uint8_t* p) { return int16_t(LoadU16(p)); }
inline int32_t LoadI32(const uint8_t* p) { return int32_t(LoadU32(p)); }
inline float LoadF32(const uint8_t* p) {
    const uint32_t bits = LoadU32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

class KByteCursor {
public:
    KByteCursor(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    size_t Position() const { return m_position; }
    size_t Remaining() const { return m_size - m_position; }
    bool Has(uint64_t count) const { return count <= Remaining(); }

    bool U16(uint16_t& value) { return Take(2) ? (value = LoadU16(m_data + m_position - 2), true) : false; }
    bool U32(uint32_t& value) { return Take(4) ? (value = LoadU32(m_data + m_position - 4), true) : false; }
    // The next count bytes in place, or null when they do not fit.
    const uint8_t* Bytes(uint64_t count) { return Take(count) ? m_data + m_position - size_t(count) : nullptr; }

private:
    bool Take(uint64_t count) {
        if (!Has(count)) return false;
        m_position += size_t(count);
        return true;
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
};
