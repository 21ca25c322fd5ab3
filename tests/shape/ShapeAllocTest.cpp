// The stream allocator: both passes lay the block out alike, every read is
// kept inside the buffer, guards count, and the mesh operations sit in
// their table order.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "shape/KShapeAlloc.h"
#include "shape/KShapeMesh.h"

namespace {

// A buffer of three streams: 32-bit words 0-3 (7, then guards 0 and 1),
// 16-bit values from word 4 (guard 0, 0x1234, guard 1), bytes from word 6
// (guard 0, "a", "bc", guard 1, 9).
struct Buffer {
    std::vector<uint8_t> bytes;
    Buffer() {
        for (uint32_t w : {7u, 0u, 1u, 11u}) Put(w, 4);
        for (uint32_t h : {0u, 0x1234u, 1u, 0u}) Put(h, 2);
        for (char c : {'\0', 'a', '\0', 'b', 'c', '\0', '\1', '\x09'}) bytes.push_back(uint8_t(c));
    }
    void Put(uint32_t v, int width) {
        for (int i = 0; i < width; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
    }
};

// The walk both passes make; returns what it read.
struct Walk {
    uint32_t first = 0;
    uint16_t* halves = nullptr;
    const char* text = nullptr;
    uint64_t sizeAfterTake = 0;
};

Walk WalkOnce(KShapeAlloc& a) {
    Walk w;
    w.first = a.Get32();
    a.CheckGuard();
    a.Take<uint16_t>(1, true);
    a.Align();
    w.sizeAfterTake = a.Size();
    w.text = a.Take<char>(a.StringBytes(2), false);
    uint32_t* reserved = a.Reserve<uint32_t>(2);
    if (reserved) reserved[1] = 5;
    a.CheckGuard();
    return w;
}

TEST(KShapeAlloc, SizingAndCopyingPassesLayTheBlockOutAlike) {
    Buffer b;
    KShapeAlloc a;
    a.SetSource(b.bytes.data(), b.bytes.size());
    ASSERT_TRUE(a.Reset(0, 4, 6, true));
    const Walk sizing = WalkOnce(a);
    ASSERT_FALSE(a.Failed()) << a.Why();
    EXPECT_EQ(sizing.first, 7u);
    EXPECT_EQ(sizing.text, nullptr);  // not asked to be readable
    const uint64_t total = a.Size();
    uint8_t* block = a.AllocateBlock();
    ASSERT_NE(block, nullptr);
    ASSERT_TRUE(a.Reset(0, 4, 6, false));
    const Walk copying = WalkOnce(a);
    ASSERT_FALSE(a.Failed()) << a.Why();
    EXPECT_EQ(a.Size(), total);
    EXPECT_EQ(copying.sizeAfterTake, sizing.sizeAfterTake);
    // The 16-bit value, padded to a pointer, then the two strings.
    uint16_t half;
    std::memcpy(&half, block, 2);
    EXPECT_EQ(half, 0x1234u);
    EXPECT_EQ(copying.text, reinterpret_cast<const char*>(block) + sizeof(void*));
    EXPECT_STREQ(copying.text, "a");
    EXPECT_STREQ(copying.text + 2, "bc");
    std::free(block);
}

TEST(KShapeAlloc, ReadsPastTheBufferFailAndStayFailed) {
    Buffer b;
    KShapeAlloc a;
    a.SetSource(b.bytes.data(), b.bytes.size());
    EXPECT_FALSE(a.Reset(0, 4, 100, true));
    ASSERT_TRUE(a.Reset(0, 4, 6, true));
    a.Skip<uint8_t>(8);
    EXPECT_FALSE(a.Failed());
    a.Skip<uint8_t>(1);
    EXPECT_TRUE(a.Failed());
    EXPECT_EQ(a.Get32(), 0u);  // later reads give zeros

    ASSERT_TRUE(a.Reset(0, 4, 6, true));
    EXPECT_EQ(a.Take<uint32_t>(uint64_t(1) << 40, true), nullptr);
    EXPECT_TRUE(a.Failed());

    ASSERT_TRUE(a.Reset(0, 4, 6, true));
    a.Skip<uint8_t>(7);
    EXPECT_EQ(a.StringBytes(1), 0u);  // only the unterminated 9 is left
    EXPECT_STREQ(a.Why(), "a name is not terminated in the buffer");

    ASSERT_TRUE(a.Reset(0, 4, 6, true));
    uint32_t copied[2] = {1, 1};
    a.Skip<uint32_t>(7);  // streams end only where the buffer ends
    a.Copy(copied, 2);
    EXPECT_TRUE(a.Failed());
    EXPECT_EQ(copied[0], 0u);

    ASSERT_TRUE(a.Reset(0, 4, 6, true));
    a.Reserve<uint8_t>(KShapeAlloc::kMaxBlockBytes + 1);
    EXPECT_STREQ(a.Why(), "the shape is too large");
}

TEST(KShapeAlloc, GuardsCountPerStream) {
    Buffer b;
    KShapeAlloc a;
    a.SetSource(b.bytes.data(), b.bytes.size());
    ASSERT_TRUE(a.Reset(1, 4, 6, true));
    EXPECT_TRUE(a.CheckGuard());
    EXPECT_FALSE(a.CheckGuard());
    EXPECT_STREQ(a.Why(), "guard 1 differs from its counter");
    // The 32-bit and 8-bit values match, the 16-bit one (0x1234) does not.
    ASSERT_TRUE(a.Reset(1, 4, 6, true));
    EXPECT_EQ(a.Get16(), 0u);
    EXPECT_FALSE(a.CheckGuard());
    EXPECT_STREQ(a.Why(), "guard 0 differs from its counter");
}

template <typename Member>
long SlotOf(Member member) {
    uintptr_t raw[2];
    std::memcpy(raw, &member, sizeof raw);
    return static_cast<long>((raw[0] - 1) / sizeof(void*));
}

TEST(KShapeMesh, OperationsSitInTableOrder) {
    const long poly = SlotOf(&KShapeMesh::GetPolyCount);
    EXPECT_EQ(poly, 0);
    EXPECT_EQ(SlotOf(&KShapeMesh::ComputeBounds), poly + 1);
    EXPECT_EQ(SlotOf(&KShapeMesh::Assemble), poly + 2);
    EXPECT_EQ(SlotOf(&KShapeMesh::Render), poly + 3);
    // The skinned mesh replaces Assemble and Render in the same places.
    EXPECT_EQ(SlotOf(&KShapeSkinMesh::Assemble), poly + 2);
    EXPECT_EQ(SlotOf(&KShapeSkinMesh::Render), poly + 3);
}

}  // namespace
