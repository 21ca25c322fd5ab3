#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "place/LinkList.h"
#include "place/PtrList.h"

namespace {

struct Tracked {
    explicit Tracked(int v) : value(v) { ++live; }
    ~Tracked() { --live; }
    int value;
    static inline int live = 0;
};

std::vector<int> Values(KPtrList<Tracked>& list) {
    std::vector<int> values;
    for (Tracked* t = list.First(); t; t = list.Next()) values.push_back(t->value);
    return values;
}

TEST(PtrListTest, CursorWalkAndRemoval) {
    Tracked::live = 0;
    {
        KPtrList<Tracked> list;
        EXPECT_EQ(list.First(), nullptr);
        EXPECT_EQ(list.RemoveCurrent(), 0);
        for (int v : {1, 2, 3, 4}) {
            Tracked* t = new Tracked(v);
            EXPECT_EQ(list.PushBack(t), t);
        }
        EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 3, 4}));

        list.First();
        list.Next();
        EXPECT_EQ(list.RemoveCurrent(), 3);  // 2 goes; the cursor moves to 3
        EXPECT_EQ(list.Next()->value, 4);
        EXPECT_EQ(list.RemoveCurrent(), 2);  // the tail
        EXPECT_EQ(list.Next(), nullptr);
        EXPECT_EQ(Values(list), (std::vector<int>{1, 3}));
        list.First();
        EXPECT_EQ(list.RemoveCurrent(), 1);  // the head
        EXPECT_EQ(Values(list), (std::vector<int>{3}));
        list.PushBack(new Tracked(5));
        EXPECT_EQ(Values(list), (std::vector<int>{3, 5}));
        EXPECT_EQ(Tracked::live, 2);
    }
    EXPECT_EQ(Tracked::live, 0);  // destruction clears
}

TEST(PtrListTest, ClearFreesEveryValue) {
    Tracked::live = 0;
    KPtrList<Tracked> list;
    for (int v = 0; v < 10; ++v) list.PushBack(new Tracked(v));
    list.Clear();
    EXPECT_EQ(Tracked::live, 0);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.First(), nullptr);
    EXPECT_EQ(list.PushBack(nullptr), nullptr);
    EXPECT_EQ(list.Count(), 0);
}

struct Counted : KLinkNode {
    explicit Counted(int v) : value(v) { ++live; }
    ~Counted() override { --live; }
    int value;
    static inline int live = 0;
};

std::vector<int> Values(const KLinkList& list) {
    std::vector<int> values;
    for (KLinkNode* n = list.First(); n; n = list.Next(n)) values.push_back(static_cast<Counted*>(n)->value);
    return values;
}

TEST(LinkListTest, SentinelsBoundTheWalk) {
    Counted::live = 0;
    {
        KLinkList list;
        EXPECT_EQ(list.First(), nullptr);
        EXPECT_EQ(list.PopFirst(), nullptr);
        auto* a = new Counted(1);
        auto* b = new Counted(2);
        auto* c = new Counted(3);
        list.Append(a);
        list.Append(b);
        list.InsertAfterHead(c);
        EXPECT_EQ(Values(list), (std::vector<int>{3, 1, 2}));
        EXPECT_EQ(list.Next(b), nullptr);

        list.Unlink(a);
        EXPECT_FALSE(a->IsLinked());
        list.Unlink(a);  // twice is harmless
        EXPECT_EQ(Values(list), (std::vector<int>{3, 2}));
        list.Append(b);  // moving a linked node keeps the list sound
        list.Append(a);
        EXPECT_EQ(Values(list), (std::vector<int>{3, 2, 1}));

        KLinkNode* first = list.PopFirst();
        EXPECT_EQ(first, c);
        EXPECT_FALSE(c->IsLinked());
        delete c;
        EXPECT_EQ(Values(list), (std::vector<int>{2, 1}));
    }
    EXPECT_EQ(Counted::live, 0);  // nodes still linked go with the list
}

TEST(LineGroupTest, SquaredLengthIsWide) {
    KLineGroup line;
    line.startX = 0, line.startY = 0, line.endX = 3, line.endY = 4;
    line.ComputeLengthSquared();
    EXPECT_EQ(line.lengthSquared, 25);
    line.startX = 0, line.endX = 100000;  // 1e10 overflows 32 bits
    line.startY = line.endY = 0;
    line.ComputeLengthSquared();
    EXPECT_EQ(line.lengthSquared, 10000000000LL);
    line.startX = INT_MIN, line.endX = INT_MAX, line.startY = INT_MIN, line.endY = INT_MAX;
    line.ComputeLengthSquared();
    EXPECT_EQ(line.lengthSquared, INT64_MAX);
}

}  // namespace
