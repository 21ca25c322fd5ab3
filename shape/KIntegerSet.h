// A fixed set of up to 192 members (six words; member b is bit b % 32 of
// word b / 32): which nodes, objects, decals or image-list materials a
// sequence, thread or instance touches. Counts n above 192 act as 192.
#pragma once

#include <cstdint>

class KShapeFileStream;

class KIntegerSet {
public:
    static constexpr uint32_t kMembers = 192;
    static constexpr uint32_t kWords = kMembers / 32;

    KIntegerSet() = default;

    void ClearFirst(uint32_t n);
    void SetFirst(uint32_t n);
    bool TestAny(uint32_t n) const;
    void Or(const KIntegerSet& other);
    void AndNot(const KIntegerSet& other);
    // Smallest member; kMembers when empty.
    uint32_t First() const;
    // Largest member + 1; 0 when empty.
    uint32_t End() const;
    // Advances i to the next member after i; kMembers or more means none.
    void Next(uint32_t& i) const;
    void Copy(const KIntegerSet& other);
    // Clears, then reads the stored form: an ignored word, a word count K of
    // at most six and K words. False on a short read or more words.
    bool Read(KShapeFileStream& stream);

    bool Test(uint32_t member) const { return member < kMembers && (m_words[member / 32] >> (member % 32) & 1); }
    void Set(uint32_t member) {
        if (member < kMembers) m_words[member / 32] |= 1u << (member % 32);
    }
    uint32_t Count() const;
    bool IsEmpty() const { return End() == 0; }
    uint32_t Word(uint32_t i) const { return m_words[i]; }

private:
    uint32_t m_words[kWords] = {};
};
