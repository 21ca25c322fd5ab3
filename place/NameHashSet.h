// A fixed-size set of named entries, chained in one slot array: slots
// 1 .. capacity - 1 are chain heads, the slots above the capacity form the
// free chain from which chains grow. It never grows; a full set refuses.
// The set owns its entries: erasing, replacing and destruction delete them.
#pragma once

#include <cstddef>
#include <cstdint>

class KNamedEntry {
public:
    explicit KNamedEntry(const char* name);
    virtual ~KNamedEntry();
    KNamedEntry(const KNamedEntry&) = delete;
    KNamedEntry& operator=(const KNamedEntry&) = delete;

    const char* Name() const { return m_name; }

private:
    char* m_name;  // own copy; empty for a null name
};

class KNameHashSet {
public:
    // capacity = 32, doubled while below minCapacity (up to 1 << 20).
    explicit KNameHashSet(int32_t minCapacity);
    virtual ~KNameHashSet();
    KNameHashSet(const KNameHashSet&) = delete;
    KNameHashSet& operator=(const KNameHashSet&) = delete;

    struct Slot {
        KNamedEntry* entry;
        int32_t next;  // -1 ends the chain
    };

    static uint32_t Hash(const char* name, size_t length);

    int32_t Capacity() const { return m_capacity; }
    int32_t SlotCount() const { return m_slotCount; }
    int32_t FreeHead() const { return m_freeHead; }
    const Slot& SlotAt(int32_t index) const { return m_slots[index]; }
    // The chain head of a name: its hash within the capacity, 0 made 1.
    int32_t HeadSlot(const char* name, size_t length) const;

    // The slot holding the name, or minus the slot a new entry would take
    // or link after. length 0 takes the string's length.
    int32_t FindSlot(const char* name, size_t length) const;
    // Slot index, or a negative value when absent.
    int32_t Find(const char* name) const;
    // Slot index, or -1 when no free slot is left (the entry is then the
    // caller's). A name already held is replaced and the old entry deleted.
    int32_t Insert(KNamedEntry* entry);
    // Deletes the entry in the slot and closes the gap in its chain.
    void Erase(int32_t index);

private:
    int32_t ChainBefore(int32_t from, int32_t target) const;

    int32_t m_freeHead = -1;
    Slot* m_slots = nullptr;
    int32_t m_capacity = 0;
    int32_t m_slotCount = 0;
};
