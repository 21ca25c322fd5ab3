// The slot table: sorted codes, cells handed out in order, ageing once per
// capacity of requests, and the oldest (then lowest) slot replaced first.
#include <gtest/gtest.h>

#include <vector>

#include "draw2d/text/KGlyphSlotTable.h"

namespace {

struct LookupResult {
    std::vector<uint16_t> cells;
    std::vector<KGlyphUpload> missing;
};

LookupResult Lookup(KGlyphSlotTable& table, std::vector<uint16_t> codes) {
    LookupResult r;
    r.cells.assign(codes.size(), 0xFFFF);
    r.missing.assign(codes.size(), {0xFFFF, 0xFFFF});
    int missing = -1;
    table.Lookup(codes.data(), int(codes.size()), r.cells.data(), r.missing.data(), &missing);
    r.missing.resize(size_t(missing));
    return r;
}

std::vector<uint16_t> Codes(const KGlyphSlotTable& table) {
    std::vector<uint16_t> codes;
    for (int i = 0; i < table.Used(); ++i) codes.push_back(table.Slot(i).code);
    return codes;
}

TEST(GlyphSlotTable, InitRefusesNoCapacity) {
    KGlyphSlotTable table;
    EXPECT_FALSE(table.Init(0));
    EXPECT_FALSE(table.Init(-3));
    ASSERT_TRUE(table.Init(3));
    EXPECT_EQ(table.Capacity(), 3);
    EXPECT_EQ(table.Used(), 0);
    EXPECT_EQ(table.GetSlotCell(0), 0) << "outside the used slots";
}

TEST(GlyphSlotTable, NewCodesTakeCellsInOrderAndStaySorted) {
    KGlyphSlotTable table;
    ASSERT_TRUE(table.Init(8));
    LookupResult r = Lookup(table, {30, 10, 20, 10});
    EXPECT_EQ(r.cells, (std::vector<uint16_t>{0, 1, 2, 1})) << "a repeat finds the code it just inserted";
    ASSERT_EQ(r.missing.size(), 3u) << "and uploads it once";
    EXPECT_EQ(r.missing[0].cell, 0);
    EXPECT_EQ(r.missing[0].code, 30);
    EXPECT_EQ(r.missing[1].code, 10);
    EXPECT_EQ(r.missing[2].code, 20);
    EXPECT_EQ(Codes(table), (std::vector<uint16_t>{10, 20, 30}));
    EXPECT_EQ(table.GetSlotCell(0), 1);
    EXPECT_EQ(table.GetSlotCell(2), 0);

    r = Lookup(table, {20, 5});
    EXPECT_EQ(r.cells, (std::vector<uint16_t>{2, 3}));
    ASSERT_EQ(r.missing.size(), 1u);
    EXPECT_EQ(r.missing[0].code, 5);
    EXPECT_EQ(Codes(table), (std::vector<uint16_t>{5, 10, 20, 30}));
}

TEST(GlyphSlotTable, FullTableGivesTheOldestLowestSlotAway) {
    KGlyphSlotTable table;
    ASSERT_TRUE(table.Init(4));
    Lookup(table, {10, 20, 30, 40});  // requested 4
    Lookup(table, {30});              // 5 > 4: all aged to 1, then 30 back to 0
    for (int i = 0; i < 4; ++i) EXPECT_EQ(table.Slot(i).age, table.Slot(i).code == 30 ? 0 : 1);
    // 25 needs a cell: ages tie at 1 among 10, 20 and 40; the lowest position (10) goes.
    LookupResult r = Lookup(table, {25});
    ASSERT_EQ(r.missing.size(), 1u);
    EXPECT_EQ(r.missing[0].cell, 0) << "10's cell is reused and overwritten by this batch's upload";
    EXPECT_EQ(r.missing[0].code, 25);
    EXPECT_EQ(Codes(table), (std::vector<uint16_t>{20, 25, 30, 40}));
    r = Lookup(table, {5});
    EXPECT_EQ(r.missing[0].cell, 1) << "then 20's";
    EXPECT_EQ(Codes(table), (std::vector<uint16_t>{5, 25, 30, 40}));
    r = Lookup(table, {50});
    EXPECT_EQ(r.missing[0].cell, 3) << "then 40's, moved to the end";
    EXPECT_EQ(Codes(table), (std::vector<uint16_t>{5, 25, 30, 50}));
}

TEST(GlyphSlotTable, AgesStopAt255) {
    KGlyphSlotTable table;
    ASSERT_TRUE(table.Init(2));
    Lookup(table, {1});
    for (int i = 0; i < 300; ++i) table.AgeAll();
    EXPECT_EQ(table.Slot(0).age, 255);
    EXPECT_EQ(table.FindOldest(), 0);
}

TEST(GlyphSlotTable, FindAndMove) {
    KGlyphSlotTable table;
    ASSERT_TRUE(table.Init(6));
    Lookup(table, {10, 20, 30, 40, 50});
    int position = -1;
    EXPECT_TRUE(table.Find(30, 0, 5, &position));
    EXPECT_EQ(position, 2);
    EXPECT_FALSE(table.Find(35, 0, 5, &position));
    EXPECT_EQ(position, 3);
    EXPECT_FALSE(table.Find(99, 0, 5, &position));
    EXPECT_EQ(position, 5);
    EXPECT_FALSE(table.Find(1, 2, 0, &position));
    EXPECT_EQ(position, 2) << "an empty range gives its first";

    table.Move(4, 1);  // 50 lands at 1
    EXPECT_EQ(Codes(table), (std::vector<uint16_t>{10, 50, 20, 30, 40}));
    table.Move(1, 5);  // 50 lands at 4
    EXPECT_EQ(Codes(table), (std::vector<uint16_t>{10, 20, 30, 40, 50}));
    table.Move(2, 3);  // next position: nothing moves
    table.Move(2, 2);
    EXPECT_EQ(Codes(table), (std::vector<uint16_t>{10, 20, 30, 40, 50}));
    std::vector<bool> owned(6, false);
    for (int i = 0; i < 6; ++i) owned[table.Slot(i).cell] = true;
    for (bool o : owned) EXPECT_TRUE(o) << "every cell stays owned by one slot";
}

}  // namespace
