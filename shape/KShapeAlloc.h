// The stream allocator of the shape reader. The memory buffer of a shape
// file interleaves three streams (32-bit, 16-bit and 8-bit values); the
// reader walks it twice: a sizing pass that only adds up the bytes each
// table needs, then a copying pass into one block of exactly that size.
//
// Every read is checked against the end of the buffer; the first failure is
// kept (with its reason) and makes every later read a no-op that returns
// zeros, so callers test Failed() at their own pace. Tables in the block
// take their native alignment, so both passes lay them out alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "shape/ShapeMath.h"

// Width of the stream a type is read from: records of 32-bit fields from the
// 32-bit stream, 16-bit values (rotations, indices) from the 16-bit stream,
// bytes from the 8-bit stream.
template <class T>
struct KShapeStreamWidth {
    static constexpr unsigned value = 4;
};
template <>
struct KShapeStreamWidth<uint16_t> {
    static constexpr unsigned value = 2;
};
template <>
struct KShapeStreamWidth<int16_t> {
    static constexpr unsigned value = 2;
};
template <>
struct KShapeStreamWidth<KShapeQuat16> {
    static constexpr unsigned value = 2;
};
template <>
struct KShapeStreamWidth<uint8_t> {
    static constexpr unsigned value = 1;
};
template <>
struct KShapeStreamWidth<char> {
    static constexpr unsigned value = 1;
};

class KShapeAlloc {
public:
    // Larger blocks are refused: no sound shape comes near it.
    static constexpr uint64_t kMaxBlockBytes = uint64_t(1) << 30;

    KShapeAlloc() = default;
    KShapeAlloc(const KShapeAlloc&) = delete;
    KShapeAlloc& operator=(const KShapeAlloc&) = delete;

    // The memory buffer: bytes as copied from the file.
    void SetSource(const uint8_t* buffer, uint64_t bytes);
    // Starts of the three streams in words. Clears the guard counters; the
    // sizing pass also clears the size and the destination. False when a
    // start lies beyond the buffer.
    bool Reset(uint32_t start32, uint32_t start16, uint32_t start8, bool sizing);
    // Makes the zeroed block of the summed size (from malloc, so the caller
    // frees it) and points the destination at it; null when memory runs out.
    uint8_t* AllocateBlock();

    bool Sizing() const { return m_sizing; }
    bool Failed() const { return !m_why.empty(); }
    const char* Why() const { return m_why.c_str(); }
    // Records the first reason; always false.
    bool Fail(const char* why);

    uint32_t Get32();
    int32_t GetI32() { return int32_t(Get32()); }
    float GetF32();
    uint16_t Get16();
    uint8_t Get8();

    // n values of T from T's stream. The copying pass copies them into the
    // block and returns the copy; the sizing pass returns a readable copy of
    // its own when asked (valid until Reset) and null otherwise. Both add the
    // bytes to the size and advance the source.
    template <class T>
    T* Take(uint64_t n, bool readable);
    // Room for n values of T in the block, zeroed; null in the sizing pass.
    template <class T>
    T* Reserve(uint64_t n) {
        return reinterpret_cast<T*>(ReserveBytes(n, sizeof(T), alignof(T)));
    }
    // n values of T from T's stream into caller memory (both passes).
    template <class T>
    void Copy(T* destination, uint64_t n);
    // Advances only the source of T's stream by n values.
    template <class T>
    void Skip(uint64_t n) {
        Advance(KShapeStreamWidth<T>::value, n * (sizeof(T) / KShapeStreamWidth<T>::value));
    }
    // Pads the destination to the native word.
    void Align();
    // One guard value per stream, each equal to the number of guards before
    // it; a mismatch fails.
    bool CheckGuard();
    // Bytes of count zero-terminated strings at the 8-bit cursor, the last
    // terminator included; fails when one runs past the buffer.
    uint64_t StringBytes(uint64_t count);
    // Values of the given width between the cursor and the buffer end.
    uint64_t Left(unsigned width) const;
    uint64_t Size() const { return m_size; }
    uint64_t SourceBytes() const { return m_sourceBytes; }

private:
    uint64_t& Cursor(unsigned width);
    // Offset of n values of the given width at the cursor; fails when they
    // run past the buffer.
    bool Advance(unsigned width, uint64_t values);
    uint8_t* ReserveBytes(uint64_t n, size_t elementSize, size_t alignment);
    uint8_t* Scratch(uint64_t bytes);
    void Decode(uint64_t at, uint64_t values, unsigned width, uint8_t* out) const;

    const uint8_t* m_source = nullptr;
    uint64_t m_sourceBytes = 0;
    uint64_t m_cursor32 = 0, m_cursor16 = 0, m_cursor8 = 0;
    uint32_t m_guard32 = 0;
    uint16_t m_guard16 = 0;
    uint8_t m_guard8 = 0;
    uint64_t m_size = 0;
    uint8_t* m_destination = nullptr;  // the block (not owned); null while sizing
    uint64_t m_blockBytes = 0;
    bool m_sizing = true;
    std::string m_why;
    std::vector<std::unique_ptr<uint8_t[]>> m_scratch;
};

template <class T>
T* KShapeAlloc::Take(uint64_t n, bool readable) {
    constexpr unsigned width = KShapeStreamWidth<T>::value;
    static_assert(sizeof(T) % width == 0 && std::is_trivially_copyable_v<T>);
    const uint64_t values = n * (sizeof(T) / width);
    if (Failed() || values > Left(width)) {
        Fail("a table runs past the buffer");
        return nullptr;
    }
    const uint64_t at = Cursor(width);
    uint8_t* out = ReserveBytes(n, sizeof(T), alignof(T));
    if (Failed()) return nullptr;
    if (!m_sizing) {
        Decode(at, values, width, out);
    } else if (readable) {
        out = Scratch(values * width);
        Decode(at, values, width, out);
    }
    Cursor(width) = at + values * width;
    return reinterpret_cast<T*>(out);
}

template <class T>
void KShapeAlloc::Copy(T* destination, uint64_t n) {
    constexpr unsigned width = KShapeStreamWidth<T>::value;
    static_assert(sizeof(T) % width == 0 && std::is_trivially_copyable_v<T>);
    const uint64_t values = n * (sizeof(T) / width);
    const uint64_t at = Cursor(width);
    if (!Advance(width, values)) {
        std::memset(static_cast<void*>(destination), 0, n * sizeof(T));
        return;
    }
    Decode(at, values, width, reinterpret_cast<uint8_t*>(destination));
}
