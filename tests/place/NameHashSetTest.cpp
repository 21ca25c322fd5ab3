#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "place/NameHashSet.h"

namespace {

// Counts live entries, so tests see which ones the set deletes.
class CountedEntry : public KNamedEntry {
public:
    explicit CountedEntry(const char* name) : KNamedEntry(name) { ++live; }
    ~CountedEntry() override { --live; }
    static inline int live = 0;
};

class NameHashSetTest : public ::testing::Test {
protected:
    void SetUp() override { CountedEntry::live = 0; }
    void TearDown() override { EXPECT_EQ(CountedEntry::live, 0); }

    // Distinct names that share one chain head at capacity 32.
    static std::vector<std::string> CollidingNames(size_t count, int32_t head) {
        KNameHashSet probe(32);
        std::vector<std::string> names;
        for (int i = 0; names.size() < count; ++i) {
            const std::string name = "n" + std::to_string(i);
            if (probe.HeadSlot(name.c_str(), name.size()) == head) names.push_back(name);
        }
        return names;
    }

    static std::vector<int32_t> ChainFrom(const KNameHashSet& set, int32_t slot) {
        std::vector<int32_t> chain;
        for (; slot != -1 && chain.size() < 1000; slot = set.SlotAt(slot).next) chain.push_back(slot);
        return chain;
    }
};

TEST_F(NameHashSetTest, SizesAndFreeChainOfANewSet) {
    const struct {
        int32_t hint, capacity, slots;
    } cases[] = {{0, 32, 80}, {32, 32, 80}, {33, 64, 160}, {100, 128, 320}, {8096, 8192, 20480}};
    for (const auto& c : cases) {
        KNameHashSet set(c.hint);
        EXPECT_EQ(set.Capacity(), c.capacity) << c.hint;
        EXPECT_EQ(set.SlotCount(), c.slots) << c.hint;
        EXPECT_EQ(set.FreeHead(), c.capacity);
        EXPECT_EQ(set.SlotAt(c.capacity - 1).next, -1);
        EXPECT_EQ(set.SlotAt(c.capacity).next, c.capacity + 1);
        EXPECT_EQ(set.SlotAt(c.slots - 1).next, -1);
    }
}

TEST_F(NameHashSetTest, HeadSlotsOfShortNames) {
    KNameHashSet set(32);
    EXPECT_EQ(set.HeadSlot("a", 1), 30);
    EXPECT_EQ(set.HeadSlot("ab", 2), 4);
    EXPECT_EQ(set.Insert(new CountedEntry("a")), 30);
    EXPECT_EQ(set.Insert(new CountedEntry("ab")), 4);
    EXPECT_EQ(set.Find("a"), 30);
    EXPECT_EQ(set.Find("ab"), 4);
    // Bytes above 0x7F count as negative characters.
    EXPECT_NE(KNameHashSet::Hash("\xE4", 1), KNameHashSet::Hash("\x64", 1));
    EXPECT_EQ(KNameHashSet::Hash("\xE4", 1), 104729u ^ ((104729u << 5) + 0xFFFFFFE4u + (104729u >> 2)));
}

TEST_F(NameHashSetTest, AbsentNamesAreNegative) {
    KNameHashSet set(32);
    EXPECT_LT(set.Find("missing"), 0);
    EXPECT_LT(set.Find(nullptr), 0);
    set.Insert(new CountedEntry("present"));
    EXPECT_LT(set.Find("presen"), 0);
    EXPECT_LT(set.Find("present!"), 0);
    // FindSlot measures a prefix when given a length.
    EXPECT_GE(set.FindSlot("present and more", 7), 0);
}

TEST_F(NameHashSetTest, CollisionsChainFromTheFreeSlotsUntilFull) {
    const int32_t head = 7;
    const std::vector<std::string> names = CollidingNames(50, head);
    KNameHashSet set(32);
    for (size_t i = 0; i < 49; ++i) {
        const int32_t slot = set.Insert(new CountedEntry(names[i].c_str()));
        EXPECT_EQ(slot, i == 0 ? head : 32 + int32_t(i) - 1) << i;
    }
    EXPECT_EQ(set.FreeHead(), -1);
    CountedEntry refused(names[49].c_str());
    EXPECT_EQ(set.Insert(&refused), -1);
    EXPECT_EQ(CountedEntry::live, 50);  // the refused entry stays the caller's
    for (size_t i = 0; i < 49; ++i) EXPECT_GE(set.Find(names[i].c_str()), 0) << i;
    EXPECT_LT(set.Find(names[49].c_str()), 0);
}

TEST_F(NameHashSetTest, ErasingTheMiddleOfAChainMovesTheLastIntoIt) {
    const std::vector<std::string> names = CollidingNames(3, 9);
    KNameHashSet set(32);
    for (const std::string& name : names) set.Insert(new CountedEntry(name.c_str()));
    ASSERT_EQ(ChainFrom(set, 9), (std::vector<int32_t>{9, 32, 33}));

    set.Erase(32);
    EXPECT_EQ(CountedEntry::live, 2);
    EXPECT_EQ(ChainFrom(set, 9), (std::vector<int32_t>{9, 32}));
    EXPECT_STREQ(set.SlotAt(32).entry->Name(), names[2].c_str());
    EXPECT_EQ(set.SlotAt(33).entry, nullptr);
    EXPECT_EQ(set.FreeHead(), 33);  // the last slot went back to the free chain
    EXPECT_EQ(set.SlotAt(33).next, 34);
    EXPECT_EQ(set.Find(names[2].c_str()), 32);
    EXPECT_LT(set.Find(names[1].c_str()), 0);
}

TEST_F(NameHashSetTest, ErasingHeadsAndEnds) {
    const std::vector<std::string> names = CollidingNames(2, 11);
    KNameHashSet set(32);
    // A lone head: the slot empties; no other slot is touched.
    set.Insert(new CountedEntry("a"));
    set.Erase(30);
    EXPECT_EQ(set.SlotAt(30).entry, nullptr);
    EXPECT_EQ(set.SlotAt(30).next, -1);
    EXPECT_EQ(set.FreeHead(), 32);
    EXPECT_EQ(set.Insert(new CountedEntry("a")), 30);

    // A head with a follower takes it in.
    set.Insert(new CountedEntry(names[0].c_str()));
    set.Insert(new CountedEntry(names[1].c_str()));
    set.Erase(11);
    EXPECT_STREQ(set.SlotAt(11).entry->Name(), names[1].c_str());
    EXPECT_EQ(set.SlotAt(11).next, -1);
    EXPECT_EQ(set.FreeHead(), 32);

    // Out of range and empty slots are ignored.
    set.Erase(-1);
    set.Erase(80);
    set.Erase(12);
    EXPECT_EQ(CountedEntry::live, 2);
}

TEST_F(NameHashSetTest, ReplacingAndDestroyingDeleteEntries) {
    {
        KNameHashSet set(32);
        const int32_t slot = set.Insert(new CountedEntry("same"));
        CountedEntry* second = new CountedEntry("same");
        EXPECT_EQ(set.Insert(second), slot);
        EXPECT_EQ(CountedEntry::live, 1);
        EXPECT_EQ(set.SlotAt(slot).entry, second);
        EXPECT_EQ(set.Insert(second), slot);  // the same entry again is kept
        EXPECT_EQ(CountedEntry::live, 1);
        set.Insert(new CountedEntry("other"));
    }
    EXPECT_EQ(CountedEntry::live, 0);
}

TEST_F(NameHashSetTest, EmptyAndNullNames) {
    KNameHashSet set(32);
    const int32_t slot = set.Insert(new CountedEntry(nullptr));
    EXPECT_GT(slot, 0);
    EXPECT_EQ(set.Find(""), slot);
    EXPECT_EQ(set.Insert(nullptr), -1);
}

}  // namespace
