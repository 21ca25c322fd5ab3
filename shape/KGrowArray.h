// The growable array that carries every table of the shape runtime, and the
// one resize routine all element types share.
//
// Elements are plain records kept in one block from the C allocator, moved
// by realloc, so they must be trivially copyable. Growing constructs the new
// elements only when the type has a constructor of its own; plain records
// are left as the allocator returns them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>

// Resizes data to exactly newCount elements of elementSize bytes: 0 frees it,
// no data allocates, otherwise reallocates; count and capacity both become
// newCount. False (and nothing changed) when the byte size overflows or the
// allocator fails.
bool ArrayResize(uint32_t& capacity, uint32_t& count, void*& data, uint32_t newCount, size_t elementSize);

template <class T>
class KGrowArray {
    static_assert(std::is_trivially_copyable_v<T>, "elements move with realloc");

public:
    KGrowArray() = default;
    KGrowArray(const KGrowArray&) = delete;
    KGrowArray& operator=(const KGrowArray&) = delete;
    virtual ~KGrowArray() { Free(); }

    // Above the capacity the storage becomes exactly n elements; new
    // elements are constructed; shrinking only lowers the count.
    bool Resize(uint32_t n) {
        const uint32_t old = m_count;
        if (n > m_capacity && !Reallocate(n)) return false;
        for (uint32_t i = old; i < n; ++i) Construct(i);
        m_count = n;
        return true;
    }

    // Grows the storage by exactly one element when full. The new last
    // element, or null when memory runs out.
    T* Append() {
        if (m_count == m_capacity && !Reallocate(m_count + 1)) return nullptr;
        Construct(m_count);
        return &static_cast<T*>(m_data)[m_count++];
    }

    T* At(uint32_t i) { return &static_cast<T*>(m_data)[i]; }
    const T* At(uint32_t i) const { return &static_cast<const T*>(m_data)[i]; }
    T& operator[](uint32_t i) { return *At(i); }
    const T& operator[](uint32_t i) const { return *At(i); }
    T* Data() { return static_cast<T*>(m_data); }
    const T* Data() const { return static_cast<const T*>(m_data); }
    uint32_t Count() const { return m_count; }
    uint32_t Capacity() const { return m_capacity; }
    T* begin() { return Data(); }
    T* end() { return Data() + m_count; }
    const T* begin() const { return Data(); }
    const T* end() const { return Data() + m_count; }

    void Free() {
        uint32_t capacity = m_capacity, count = m_count;
        ArrayResize(capacity, count, m_data, 0, sizeof(T));
        m_capacity = m_count = 0;
    }

private:
    bool Reallocate(uint32_t n) {
        uint32_t count = m_count;
        return ArrayResize(m_capacity, count, m_data, n, sizeof(T));
    }
    void Construct(uint32_t i) {
        if constexpr (!std::is_trivially_default_constructible_v<T>) new (&static_cast<T*>(m_data)[i]) T();
    }

    uint32_t m_count = 0;
    uint32_t m_capacity = 0;
    void* m_data = nullptr;
};
