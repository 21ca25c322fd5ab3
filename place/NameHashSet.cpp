#include "place/NameHashSet.h"

#include <cstring>

namespace {

constexpr int32_t kMinCapacity = 32;
constexpr int32_t kMaxCapacity = 1 << 20;

char* CopyName(const char* name) {
    const size_t length = name ? std::strlen(name) : 0;
    char* copy = new char[length + 1];
    if (length) std::memcpy(copy, name, length);
    copy[length] = 0;
    return copy;
}

bool SameName(const KNamedEntry* entry, const char* name, size_t length) {
    const char* stored = entry->Name();
    return std::strlen(stored) == length && std::memcmp(stored, name, length) == 0;
}

}  // namespace

KNamedEntry::KNamedEntry(const char* name) : m_name(CopyName(name)) {}

KNamedEntry::~KNamedEntry() { delete[] m_name; }

KNameHashSet::KNameHashSet(int32_t minCapacity) {
    m_capacity = kMinCapacity;
    while (m_capacity < minCapacity && m_capacity < kMaxCapacity) m_capacity *= 2;
    m_slotCount = m_capacity * 2 + m_capacity / 2;
    m_slots = new Slot[size_t(m_slotCount)];
    for (int32_t i = 0; i < m_slotCount; ++i) {
        const bool freeChain = i >= m_capacity && i + 1 < m_slotCount;
        m_slots[i] = Slot{nullptr, freeChain ? i + 1 : -1};
    }
    m_freeHead = m_capacity;
}

KNameHashSet::~KNameHashSet() {
    for (int32_t i = 0; i < m_slotCount; ++i) delete m_slots[i].entry;
    delete[] m_slots;
}

uint32_t KNameHashSet::Hash(const char* name, size_t length) {
    uint32_t h = 104729;
    for (size_t i = length; i-- > 0;) {
        const uint32_t c = uint32_t(int32_t(static_cast<signed char>(name[i])));
        h ^= (h << 5) + c + (h >> 2);
    }
    return h;
}

int32_t KNameHashSet::HeadSlot(const char* name, size_t length) const {
    const int32_t slot = int32_t(Hash(name, length) & uint32_t(m_capacity - 1));
    return slot == 0 ? 1 : slot;
}

int32_t KNameHashSet::FindSlot(const char* name, size_t length) const {
    if (!name) name = "";
    if (length == 0) length = std::strlen(name);
    int32_t slot = HeadSlot(name, length);
    int32_t firstEmpty = -1;
    int32_t last = slot;
    // A chain is never longer than the slots; the bound only guards the walk.
    for (int32_t steps = 0; steps < m_slotCount; ++steps) {
        last = slot;
        const Slot& at = m_slots[slot];
        if (!at.entry) {
            if (at.next == -1) break;
            if (firstEmpty < 0) firstEmpty = slot;
        } else if (SameName(at.entry, name, length)) {
            return slot;
        }
        if (at.next == -1) break;
        slot = at.next;
    }
    return firstEmpty >= 0 ? -firstEmpty : -last;
}

int32_t KNameHashSet::Find(const char* name) const {
    const int32_t r = FindSlot(name, 0);
    if (r < 0) return r;
    return m_slots[r].entry ? r : -1;
}

int32_t KNameHashSet::Insert(KNamedEntry* entry) {
    if (!entry) return -1;
    const int32_t r = FindSlot(entry->Name(), 0);
    if (r >= 0) {
        if (m_slots[r].entry != entry) delete m_slots[r].entry;
        m_slots[r].entry = entry;
        return r;
    }
    const int32_t s = -r;
    if (!m_slots[s].entry) {
        m_slots[s] = Slot{entry, -1};
        return s;
    }
    if (m_freeHead < 0) return -1;
    const int32_t taken = m_freeHead;
    m_freeHead = m_slots[taken].next;
    m_slots[s].next = taken;
    m_slots[taken] = Slot{entry, -1};
    return taken;
}

int32_t KNameHashSet::ChainBefore(int32_t from, int32_t target) const {
    int32_t slot = from;
    for (int32_t steps = 0; slot >= 0 && steps < m_slotCount; ++steps) {
        if (m_slots[slot].next == target) return slot;
        slot = m_slots[slot].next;
    }
    return -1;
}

void KNameHashSet::Erase(int32_t index) {
    if (index < 0 || index >= m_slotCount || !m_slots[index].entry) return;
    int32_t last = index;
    for (int32_t steps = 0; m_slots[last].next != -1 && steps < m_slotCount; ++steps) last = m_slots[last].next;
    const char* name = m_slots[index].entry->Name();
    const int32_t head = HeadSlot(name, std::strlen(name));
    const int32_t prev = last == head ? -1 : ChainBefore(head, last);

    delete m_slots[index].entry;
    m_slots[index].entry = m_slots[last].entry;
    m_slots[last].entry = nullptr;
    if (prev >= 0) m_slots[prev].next = -1;
    if (last >= m_capacity) {
        m_slots[last].next = m_freeHead;
        m_freeHead = last;
    }
}
