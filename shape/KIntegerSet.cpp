#include "shape/KIntegerSet.h"

#include <bit>

#include "shape/ShapeFileStream.h"

namespace {

// Mask of the members of word w that lie below n.
uint32_t MaskBelow(uint32_t n, uint32_t w) {
    if (n >= (w + 1) * 32) return ~0u;
    if (n <= w * 32) return 0;
    return (1u << (n - w * 32)) - 1;
}

}  // namespace

void KIntegerSet::ClearFirst(uint32_t n) {
    for (uint32_t w = 0; w < kWords; ++w) m_words[w] &= ~MaskBelow(n, w);
}

void KIntegerSet::SetFirst(uint32_t n) {
    for (uint32_t w = 0; w < kWords; ++w) m_words[w] |= MaskBelow(n, w);
}

bool KIntegerSet::TestAny(uint32_t n) const {
    for (uint32_t w = 0; w < kWords; ++w)
        if (m_words[w] & MaskBelow(n, w)) return true;
    return false;
}

void KIntegerSet::Or(const KIntegerSet& other) {
    for (uint32_t w = 0; w < kWords; ++w) m_words[w] |= other.m_words[w];
}

void KIntegerSet::AndNot(const KIntegerSet& other) {
    for (uint32_t w = 0; w < kWords; ++w) m_words[w] &= ~other.m_words[w];
}

uint32_t KIntegerSet::First() const {
    for (uint32_t w = 0; w < kWords; ++w)
        if (m_words[w]) return w * 32 + uint32_t(std::countr_zero(m_words[w]));
    return kMembers;
}

uint32_t KIntegerSet::End() const {
    for (uint32_t w = kWords; w-- > 0;)
        if (m_words[w]) return w * 32 + 32 - uint32_t(std::countl_zero(m_words[w]));
    return 0;
}

void KIntegerSet::Next(uint32_t& i) const {
    for (uint32_t b = i + 1; b < kMembers; ++b) {
        const uint32_t rest = m_words[b / 32] >> (b % 32);
        if (rest) {
            i = b + uint32_t(std::countr_zero(rest));
            return;
        }
        b |= 31;  // on to the next word
    }
    i = kMembers;
}

void KIntegerSet::Copy(const KIntegerSet& other) {
    for (uint32_t w = 0; w < kWords; ++w) m_words[w] = other.m_words[w];
}

uint32_t KIntegerSet::Count() const {
    uint32_t n = 0;
    for (uint32_t w = 0; w < kWords; ++w) n += uint32_t(std::popcount(m_words[w]));
    return n;
}

bool KIntegerSet::Read(KShapeFileStream& stream) {
    ClearFirst(kMembers);
    uint32_t ignored, count;
    if (!stream.ReadU32(ignored) || !stream.ReadU32(count) || count > kWords) return false;
    for (uint32_t w = 0; w < count; ++w)
        if (!stream.ReadU32(m_words[w])) return false;
    return true;
}
