// The outer layer of a shape file, read front to back: every read first adds
// its size to the running offset and fails once the offset passes the end.
#pragma once

#include <cstddef>
#include <cstdint>

class KShapeFileStream {
public:
    KShapeFileStream(const uint8_t* bytes, uint64_t size) : m_bytes(bytes), m_size(size) {}

    bool ReadU32(uint32_t& value);
    bool ReadI32(int32_t& value);
    bool ReadF32(float& value);
    bool ReadU8(uint8_t& value);
    // The next count bytes, or null when fewer are left.
    const uint8_t* ReadBytes(uint64_t count);

    uint64_t Offset() const { return m_offset; }
    uint64_t Left() const { return m_size - m_offset; }

private:
    const uint8_t* m_bytes;
    uint64_t m_size;
    uint64_t m_offset = 0;
};
