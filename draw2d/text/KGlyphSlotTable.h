// Which cell of the glyph texture holds which character code: slots kept
// sorted by code, each owning one cell, aged so the glyph unused longest
// gives its cell away first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct KGlyphSlot {
    uint16_t code;
    uint16_t cell;
    uint8_t age;
    uint8_t fill[3];
};
static_assert(sizeof(KGlyphSlot) == 8, "slot layout");

// A cell whose glyph must be rasterised.
struct KGlyphUpload {
    uint16_t cell;
    uint16_t code;
};

class KGlyphSlotTable {
public:
    virtual ~KGlyphSlotTable() = default;

    bool Init(int capacity);
    void Release();
    void Lookup(const uint16_t* codes, int n, uint16_t* cells, KGlyphUpload* missing, int* missingCount);
    void AgeAll();
    bool Find(uint16_t code, int first, int count, int* position) const;
    int FindOldest() const;
    void Move(int from, int to);
    uint16_t GetSlotCell(int index) const;

    int Capacity() const { return m_capacity; }
    int Used() const { return m_used; }
    const KGlyphSlot& Slot(int index) const { return m_slots[size_t(index)]; }

private:
    std::vector<KGlyphSlot> m_slots;
    int m_capacity = 0;
    int m_used = 0;
    int m_requested = 0;
};
