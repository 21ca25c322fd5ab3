#include "shape/ShapeFileStream.h"

#include <cstring>

const uint8_t* KShapeFileStream::ReadBytes(uint64_t count) {
    if (count > m_size - m_offset) {
        m_offset = m_size;  // a short read ends the stream
        return nullptr;
    }
    const uint8_t* at = m_bytes + m_offset;
    m_offset += count;
    return at;
}

bool KShapeFileStream::ReadU32(uint32_t& value) {
    const uint8_t* p = ReadBytes(4);
    if (!p) return false;
    value = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return true;
}

bool KShapeFileStream::ReadI32(int32_t& value) {
    uint32_t bits;
    if (!ReadU32(bits)) return false;
    value = int32_t(bits);
    return true;
}

bool KShapeFileStream::ReadF32(float& value) {
    uint32_t bits;
    if (!ReadU32(bits)) return false;
    std::memcpy(&value, &bits, sizeof value);
    return true;
}

bool KShapeFileStream::ReadU8(uint8_t& value) {
    const uint8_t* p = ReadBytes(1);
    if (!p) return false;
    value = *p;
    return true;
}
