#include "draw2d/text/KGlyphSlotTable.h"

#include <algorithm>

bool KGlyphSlotTable::Init(int capacity) {
    Release();
    if (capacity < 1 || capacity > 65536) return false;
    m_slots.assign(size_t(capacity), KGlyphSlot{});
    for (int i = 0; i < capacity; ++i) m_slots[size_t(i)].cell = uint16_t(i);
    m_capacity = capacity;
    return true;
}

void KGlyphSlotTable::Release() {
    m_slots.clear();
    m_slots.shrink_to_fit();
    m_capacity = 0;
    m_used = 0;
    m_requested = 0;
}

void KGlyphSlotTable::AgeAll() {
    for (int i = 0; i < m_used; ++i) {
        uint8_t& age = m_slots[size_t(i)].age;
        if (age < 255) ++age;
    }
}

bool KGlyphSlotTable::Find(uint16_t code, int first, int count, int* position) const {
    int low = first;
    int high = first + count;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        const uint16_t here = m_slots[size_t(middle)].code;
        if (here == code) {
            if (position) *position = middle;
            return true;
        }
        if (here < code) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    if (position) *position = low;
    return false;
}

int KGlyphSlotTable::FindOldest() const {
    int oldest = 0;
    for (int i = 1; i < m_used; ++i) {
        if (m_slots[size_t(i)].age > m_slots[size_t(oldest)].age) oldest = i;
    }
    return oldest;
}

void KGlyphSlotTable::Move(int from, int to) {
    if (to < from) {
        std::rotate(m_slots.begin() + to, m_slots.begin() + from, m_slots.begin() + from + 1);
    } else if (to > from + 1) {
        std::rotate(m_slots.begin() + from, m_slots.begin() + from + 1, m_slots.begin() + to);
    }
}

uint16_t KGlyphSlotTable::GetSlotCell(int index) const {
    if (index < 0 || index >= m_used) return 0;
    return m_slots[size_t(index)].cell;
}

void KGlyphSlotTable::Lookup(const uint16_t* codes, int n, uint16_t* cells, KGlyphUpload* missing,
                             int* missingCount) {
    if (!codes || !cells || !missing || !missingCount || n < 1 || m_capacity < 1) return;
    *missingCount = 0;
    if (m_requested + n > m_capacity) {
        m_requested = 0;
        AgeAll();
    }
    m_requested += n;
    for (int k = 0; k < n; ++k) {
        int position = 0;
        if (Find(codes[k], 0, m_used, &position)) {
            KGlyphSlot& slot = m_slots[size_t(position)];
            cells[k] = slot.cell;
            slot.age = 0;
            continue;
        }
        int victim;
        if (m_used < m_capacity) {
            victim = m_used++;
        } else {
            victim = FindOldest();
        }
        KGlyphSlot& slot = m_slots[size_t(victim)];
        cells[k] = slot.cell;
        missing[(*missingCount)++] = {slot.cell, codes[k]};
        slot.code = codes[k];
        slot.age = 0;
        Move(victim, position);
    }
}
