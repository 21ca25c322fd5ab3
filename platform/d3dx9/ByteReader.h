// Bounds-checked little-endian reads over a byte range. A read past the end
// sets the failed flag and yields zeros, so parsers check once at the end of
// a header instead of after every field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace d3dx {

class ByteReader {
public:
    ByteReader(const void* data, size_t size) : m_data(static_cast<const uint8_t*>(data)), m_size(size) {}

    uint8_t U8() {
        if (!Has(1)) return Fail();
        return m_data[m_pos++];
    }
    uint16_t U16() {
        uint16_t lo = U8();
        return uint16_t(lo | (uint16_t(U8()) << 8));
    }
    uint32_t U32() {
        uint32_t lo = U16();
        return lo | (uint32_t(U16()) << 16);
    }
    int32_t I32() { return int32_t(U32()); }
    void Skip(size_t count) {
        if (!Has(count)) {
            Fail();
            return;
        }
        m_pos += count;
    }
    // Pointer to count bytes at the cursor, or null (and failed) when short.
    const uint8_t* Take(size_t count) {
        if (!Has(count)) {
            Fail();
            return nullptr;
        }
        const uint8_t* p = m_data + m_pos;
        m_pos += count;
        return p;
    }
    bool Seek(uint64_t pos) {
        if (pos > m_size) {
            Fail();
            return false;
        }
        m_pos = size_t(pos);
        return true;
    }

    bool Has(uint64_t count) const { return !m_failed && count <= m_size - m_pos; }
    bool Failed() const { return m_failed; }
    size_t Position() const { return m_pos; }
    size_t Remaining() const { return m_size - m_pos; }

private:
    uint8_t Fail() {
        m_failed = true;
        return 0;
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_failed = false;
};

inline uint16_t LoadLe16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t LoadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void StoreLe16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void StoreLe32(uint8_t* p, uint32_t v) {
    StoreLe16(p, uint16_t(v));
    StoreLe16(p + 2, uint16_t(v >> 16));
}

}  // namespace d3dx
