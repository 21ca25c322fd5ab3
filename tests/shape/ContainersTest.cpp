// The growable array and the integer set.
#include <gtest/gtest.h>

#include <vector>

#include "shape/KGrowArray.h"
#include "shape/KIntegerSet.h"
#include "shape/ShapeFileStream.h"
#include "shape/ShapeRecords.h"

namespace {

TEST(ArrayResize, ZeroFreesAndKeepsNothing) {
    uint32_t capacity = 0, count = 0;
    void* data = nullptr;
    EXPECT_TRUE(ArrayResize(capacity, count, data, 0, 4));
    EXPECT_EQ(data, nullptr);
    EXPECT_TRUE(ArrayResize(capacity, count, data, 5, 4));
    EXPECT_NE(data, nullptr);
    EXPECT_EQ(capacity, 5u);
    EXPECT_EQ(count, 5u);
    EXPECT_TRUE(ArrayResize(capacity, count, data, 0, 4));
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(capacity, 0u);
    EXPECT_EQ(count, 0u);
}

TEST(ArrayResize, RefusesASizeThatOverflowsAndChangesNothing) {
    uint32_t capacity = 0, count = 0;
    void* data = nullptr;
    ASSERT_TRUE(ArrayResize(capacity, count, data, 2, 8));
    void* before = data;
    EXPECT_FALSE(ArrayResize(capacity, count, data, 0xFFFFFFFFu, SIZE_MAX / 4));
    EXPECT_EQ(data, before);
    EXPECT_EQ(capacity, 2u);
    EXPECT_EQ(count, 2u);
    ArrayResize(capacity, count, data, 0, 8);
}

TEST(KGrowArray, AppendGrowsByExactlyOneElement) {
    KGrowArray<uint32_t> array;
    for (uint32_t i = 0; i < 3; ++i) *array.Append() = i * 10;
    EXPECT_EQ(array.Count(), 3u);
    EXPECT_EQ(array.Capacity(), 3u);
    EXPECT_EQ(array[2], 20u);
}

TEST(KGrowArray, ShrinkingKeepsStorageAndGrowingBackConstructsOnlyTheNewElements) {
    KGrowArray<KShapeSequence> array;
    ASSERT_TRUE(array.Resize(10));
    for (KShapeSequence& q : array) q.rotationSet.Set(7);
    KShapeSequence* storage = array.Data();
    ASSERT_TRUE(array.Resize(4));
    EXPECT_EQ(array.Capacity(), 10u);
    EXPECT_EQ(array.Data(), storage);
    ASSERT_TRUE(array.Resize(6));
    EXPECT_EQ(array.Data(), storage);
    // Elements 4 and 5 are new records (sets cleared); 0-3 kept theirs.
    EXPECT_TRUE(array[3].rotationSet.Test(7));
    EXPECT_FALSE(array[4].rotationSet.Test(7));
    EXPECT_FALSE(array[5].rotationSet.Test(7));
    EXPECT_EQ(array.Capacity(), 10u);
}

TEST(KGrowArray, ResizingAnEmptyArrayToZeroLeavesItEmpty) {
    KGrowArray<float> array;
    EXPECT_TRUE(array.Resize(0));
    EXPECT_EQ(array.Data(), nullptr);
    EXPECT_EQ(array.Count(), 0u);
    EXPECT_EQ(array.Capacity(), 0u);
}

KIntegerSet SetOf(std::initializer_list<uint32_t> members) {
    KIntegerSet set;
    for (uint32_t m : members) set.Set(m);
    return set;
}

std::vector<uint32_t> Members(const KIntegerSet& set) {
    std::vector<uint32_t> out;
    for (uint32_t i = set.First(); i < KIntegerSet::kMembers; set.Next(i)) out.push_back(i);
    return out;
}

TEST(KIntegerSet, FirstEndAndNextWalkTheMembers) {
    KIntegerSet empty;
    EXPECT_EQ(empty.First(), 192u);
    EXPECT_EQ(empty.End(), 0u);
    const KIntegerSet last = SetOf({191});
    EXPECT_EQ(last.First(), 191u);
    EXPECT_EQ(last.End(), 192u);
    uint32_t i = 191;
    last.Next(i);
    EXPECT_GE(i, 192u);
    const KIntegerSet spread = SetOf({0, 31, 32, 63, 64, 150});
    EXPECT_EQ(Members(spread), (std::vector<uint32_t>{0, 31, 32, 63, 64, 150}));
    EXPECT_EQ(spread.End(), 151u);
    EXPECT_EQ(spread.Count(), 6u);
}

TEST(KIntegerSet, FirstNOperationsCoverWordEdgesAndClampAt192) {
    struct Case {
        uint32_t n;
        uint32_t end;
    };
    for (Case c : {Case{0, 0}, Case{1, 1}, Case{32, 32}, Case{33, 33}, Case{191, 191}, Case{192, 192}, Case{500, 192}}) {
        KIntegerSet set;
        set.SetFirst(c.n);  // n above 192 writes no seventh word
        EXPECT_EQ(set.End(), c.end) << c.n;
        EXPECT_EQ(set.Count(), c.end) << c.n;
        EXPECT_EQ(set.TestAny(c.n), c.n > 0) << c.n;
        set.ClearFirst(c.n);
        EXPECT_TRUE(set.IsEmpty()) << c.n;
    }
    KIntegerSet high = SetOf({100});
    EXPECT_FALSE(high.TestAny(100));
    EXPECT_TRUE(high.TestAny(101));
    high.ClearFirst(100);
    EXPECT_TRUE(high.Test(100));
}

TEST(KIntegerSet, OrAndNotAndCopy) {
    KIntegerSet a = SetOf({1, 40, 100});
    a.Or(SetOf({2, 40, 191}));
    EXPECT_EQ(Members(a), (std::vector<uint32_t>{1, 2, 40, 100, 191}));
    a.AndNot(SetOf({1, 100, 150}));
    EXPECT_EQ(Members(a), (std::vector<uint32_t>{2, 40, 191}));
    KIntegerSet b = SetOf({5});
    b.Copy(a);
    EXPECT_EQ(Members(b), Members(a));
}

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> bytes;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(w >> (8 * i)));
    return bytes;
}

TEST(KIntegerSet, ReadsTheStoredFormAndRefusesMoreThanSixWords) {
    const std::vector<uint8_t> two = Words({99, 2, 0x80000001u, 0x4});
    KShapeFileStream stream(two.data(), two.size());
    KIntegerSet set = SetOf({150});
    ASSERT_TRUE(set.Read(stream));
    EXPECT_EQ(Members(set), (std::vector<uint32_t>{0, 31, 34}));
    EXPECT_EQ(stream.Left(), 0u);

    const std::vector<uint8_t> seven = Words({0, 7, 1, 1, 1, 1, 1, 1, 1});
    KShapeFileStream big(seven.data(), seven.size());
    EXPECT_FALSE(set.Read(big));

    const std::vector<uint8_t> cut = Words({0, 3, 1, 1});
    KShapeFileStream shortStream(cut.data(), cut.size());
    EXPECT_FALSE(set.Read(shortStream));
}

}  // namespace
