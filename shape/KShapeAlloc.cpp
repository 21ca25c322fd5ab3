#include "shape/KShapeAlloc.h"

#include <cstdlib>

void KShapeAlloc::SetSource(const uint8_t* buffer, uint64_t bytes) {
    m_source = buffer;
    m_sourceBytes = bytes;
}

bool KShapeAlloc::Reset(uint32_t start32, uint32_t start16, uint32_t start8, bool sizing) {
    m_guard32 = 0;
    m_guard16 = 0;
    m_guard8 = 0;
    m_scratch.clear();
    m_sizing = sizing;
    m_why.clear();
    if (sizing) {
        m_destination = nullptr;
        m_blockBytes = 0;
        m_size = 0;
    }
    m_cursor32 = uint64_t(start32) * 4;
    m_cursor16 = uint64_t(start16) * 4;
    m_cursor8 = uint64_t(start8) * 4;
    if (m_cursor32 > m_sourceBytes || m_cursor16 > m_sourceBytes || m_cursor8 > m_sourceBytes)
        return Fail("a stream starts beyond the buffer");
    return true;
}

uint8_t* KShapeAlloc::AllocateBlock() {
    m_blockBytes = m_size;
    // One spare byte keeps the block non-null for an empty shape.
    m_destination = static_cast<uint8_t*>(std::calloc(1, m_size + 1));
    m_size = 0;
    if (!m_destination) Fail("out of memory for the shape block");
    return m_destination;
}

bool KShapeAlloc::Fail(const char* why) {
    if (m_why.empty()) m_why = why;
    return false;
}

uint64_t& KShapeAlloc::Cursor(unsigned width) {
    return width == 4 ? m_cursor32 : width == 2 ? m_cursor16 : m_cursor8;
}

uint64_t KShapeAlloc::Left(unsigned width) const {
    const uint64_t at = width == 4 ? m_cursor32 : width == 2 ? m_cursor16 : m_cursor8;
    return at >= m_sourceBytes ? 0 : (m_sourceBytes - at) / width;
}

bool KShapeAlloc::Advance(unsigned width, uint64_t values) {
    if (Failed()) return false;
    if (values > Left(width)) return Fail("a stream read runs past the buffer");
    Cursor(width) += values * width;
    return true;
}

void KShapeAlloc::Decode(uint64_t at, uint64_t values, unsigned width, uint8_t* out) const {
    const uint8_t* p = m_source + at;
    if (width == 4) {
        for (uint64_t i = 0; i < values; ++i, p += 4) {
            const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
            std::memcpy(out + i * 4, &v, 4);
        }
    } else if (width == 2) {
        for (uint64_t i = 0; i < values; ++i, p += 2) {
            const uint16_t v = uint16_t(p[0] | p[1] << 8);
            std::memcpy(out + i * 2, &v, 2);
        }
    } else if (values) {
        std::memcpy(out, p, values);
    }
}

uint32_t KShapeAlloc::Get32() {
    uint32_t v = 0;
    const uint64_t at = m_cursor32;
    if (Advance(4, 1)) Decode(at, 1, 4, reinterpret_cast<uint8_t*>(&v));
    return v;
}

float KShapeAlloc::GetF32() {
    const uint32_t bits = Get32();
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

uint16_t KShapeAlloc::Get16() {
    uint16_t v = 0;
    const uint64_t at = m_cursor16;
    if (Advance(2, 1)) Decode(at, 1, 2, reinterpret_cast<uint8_t*>(&v));
    return v;
}

uint8_t KShapeAlloc::Get8() {
    const uint64_t at = m_cursor8;
    return Advance(1, 1) ? m_source[at] : 0;
}

uint8_t* KShapeAlloc::ReserveBytes(uint64_t n, size_t elementSize, size_t alignment) {
    if (Failed()) return nullptr;
    if (n > kMaxBlockBytes / elementSize) {
        Fail("the shape is too large");
        return nullptr;
    }
    const uint64_t start = (m_size + alignment - 1) / alignment * alignment;
    const uint64_t end = start + n * elementSize;
    if (end > kMaxBlockBytes) {
        Fail("the shape is too large");
        return nullptr;
    }
    m_size = end;
    if (m_sizing) return nullptr;
    if (end > m_blockBytes) {
        Fail("the copying pass outgrew the block");
        return nullptr;
    }
    return m_destination + start;
}

uint8_t* KShapeAlloc::Scratch(uint64_t bytes) {
    m_scratch.push_back(std::make_unique<uint8_t[]>(bytes ? bytes : 1));
    return m_scratch.back().get();
}

void KShapeAlloc::Align() { ReserveBytes(0, 1, sizeof(void*)); }

bool KShapeAlloc::CheckGuard() {
    const uint32_t v32 = Get32();
    const uint16_t v16 = Get16();
    const uint8_t v8 = Get8();
    if (Failed()) return false;
    const bool match = v32 == m_guard32 && v16 == m_guard16 && v8 == m_guard8;
    if (!match) m_why = "guard " + std::to_string(m_guard32) + " differs from its counter";
    ++m_guard32;
    ++m_guard16;
    ++m_guard8;
    return match;
}

uint64_t KShapeAlloc::StringBytes(uint64_t count) {
    uint64_t at = m_cursor8;
    for (uint64_t i = 0; i < count && !Failed(); ++i) {
        const void* end = at < m_sourceBytes ? std::memchr(m_source + at, 0, m_sourceBytes - at) : nullptr;
        if (!end) {
            Fail("a name is not terminated in the buffer");
            return 0;
        }
        at = uint64_t(static_cast<const uint8_t*>(end) - m_source) + 1;
    }
    return Failed() ? 0 : at - m_cursor8;
}
