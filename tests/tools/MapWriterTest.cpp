// The map writers' layouts, byte by byte against their tables, and the
// settings texts read back through the host library.
#include <gtest/gtest.h>

#include <filesystem>

#include "ByteFields.h"
#include "KIniFile.h"
#include "KTabFile.h"
#include "DataRoot.h"
#include "MapGenerator.h"
#include "MapWriter.h"
#include "ScratchFolder.h"

namespace {

using tools_test::U16At;
using tools_test::U32At;

TEST(MapWriter, RegionTableCountsOffsetsFromItsEnd) {
    RegionFileLayout layout;
    layout.sections = {{{1, 2, 3}, std::nullopt, std::nullopt},
                       {{}, std::nullopt, std::nullopt},
                       {{4, 5}, 77u, std::nullopt},
                       {{6}, std::nullopt, 9u}};
    layout.sectionCount = 40;
    const std::vector<uint8_t> b = WriteRegionFile(layout);
    ASSERT_EQ(b.size(), 4u + 32 + 6);
    EXPECT_EQ(U32At(b, 0), 40u);
    EXPECT_EQ(U32At(b, 4), 0u);
    EXPECT_EQ(U32At(b, 8), 3u);
    EXPECT_EQ(U32At(b, 12), 3u);
    EXPECT_EQ(U32At(b, 16), 0u);
    EXPECT_EQ(U32At(b, 20), 77u);
    EXPECT_EQ(U32At(b, 24), 2u);
    EXPECT_EQ(U32At(b, 28), 5u);
    EXPECT_EQ(U32At(b, 32), 9u);
    EXPECT_EQ(b[36], 1);
    EXPECT_EQ(b[41], 6);
}

TEST(MapWriter, GroundSectionHeadTilesAndRecords) {
    GroundSectionFields g;
    g.tiles = {{3, 4, 5, "ab", std::nullopt}, {6, 7, 8, "c", 300}};
    g.records = {{-5, 70000, "name", 64, 32, 2, 9, 1, -2}};
    g.gap = {0xEE};
    const std::vector<uint8_t> b = WriteGroundSection(g);
    ASSERT_EQ(b.size(), 12u + 10 + 9 + 1 + 146);
    EXPECT_EQ(U32At(b, 0), 2u);
    EXPECT_EQ(U32At(b, 4), 1u);
    EXPECT_EQ(U32At(b, 8), 32u);
    EXPECT_EQ(U16At(b, 12), 3);
    EXPECT_EQ(U16At(b, 16), 5);
    EXPECT_EQ(U16At(b, 18), 2);
    EXPECT_EQ(b[20], 'a');
    EXPECT_EQ(U16At(b, 22 + 6), 300);
    EXPECT_EQ(b[31], 0xEE);
    EXPECT_EQ(int32_t(U32At(b, 32)), -5);
    EXPECT_EQ(U32At(b, 36), 70000u);
    EXPECT_EQ(b[40], 'n');
    EXPECT_EQ(b[44], 0);
    EXPECT_EQ(U16At(b, 32 + 136), 64);
    EXPECT_EQ(U16At(b, 32 + 138), 32);
    EXPECT_EQ(U16At(b, 32 + 140), 2);
    EXPECT_EQ(b[32 + 142], 9);
    EXPECT_EQ(b[32 + 143], 1);
    EXPECT_EQ(int16_t(U16At(b, 32 + 144)), -2);
}

TEST(MapWriter, ObjectSectionHeadRecordsAndLights) {
    ObjectSectionFields o;
    o.objects.resize(2);
    o.objects[1].name = "second";
    o.lights = {{1, 2, 3, 0xFF00FF00, 10, -20, 7}};
    o.lines = 1, o.segments = 2, o.points = 3, o.flats = 4, o.unused = 5;
    o.count = 9;
    const std::vector<uint8_t> b = WriteObjectSection(o);
    ASSERT_EQ(b.size(), 16u + 2 * 228 + 28);
    EXPECT_EQ(U32At(b, 0), 9u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(U16At(b, 4 + 2 * i), i + 1);
    EXPECT_EQ(U16At(b, 14), 1);
    EXPECT_EQ(b[16 + 228 + 56], 's');
    const size_t light = 16 + 2 * 228;
    EXPECT_EQ(U32At(b, light + 12), 0xFF00FF00u);
    EXPECT_EQ(int32_t(U32At(b, light + 20)), -20);
    EXPECT_EQ(U32At(b, light + 24), 7u);
}

TEST(MapWriter, RegionFileFromRecordsPutsSectionsZeroFourAndFive) {
    const std::vector<uint8_t> b = BuildRegionFile({GeneratedGrid(10, 20), GroundSectionFields{}, std::nullopt});
    EXPECT_EQ(U32At(b, 0), 6u);
    EXPECT_EQ(U32At(b, 4), 0u);
    EXPECT_EQ(U32At(b, 8), 2048u);
    EXPECT_EQ(U32At(b, 4 + 8 * 4), 2048u);
    EXPECT_EQ(U32At(b, 8 + 8 * 4), 12u);
    EXPECT_EQ(U32At(b, 8 + 8 * 5), 0u);
    EXPECT_EQ(U32At(b, 52 + 4 * 33), GeneratedCell(10, 20, 1, 1));
    EXPECT_EQ(GeneratedCell(10, 20, 1, 1) >> 8, 20u << 12 | 10u);
}

TEST(MapWriter, PackSizesGoColumnByColumn) {
    RegionPackFields p{10, 11, 20, 21, {}, {}};
    p.blobs[{11, 20}] = {7, 7};
    p.blobs[{10, 21}] = {5};
    p.sizes[{11, 21}] = 99;
    const std::vector<uint8_t> b = WriteRegionPack(p);
    ASSERT_EQ(b.size(), 8u + 16 + 3);
    EXPECT_EQ(U16At(b, 0), 10);
    EXPECT_EQ(U16At(b, 2), 11);
    EXPECT_EQ(U16At(b, 4), 20);
    EXPECT_EQ(U16At(b, 6), 21);
    EXPECT_EQ(U32At(b, 8), 0u);    // (10, 20)
    EXPECT_EQ(U32At(b, 12), 1u);   // (10, 21)
    EXPECT_EQ(U32At(b, 16), 2u);   // (11, 20)
    EXPECT_EQ(U32At(b, 20), 99u);  // (11, 21)
    EXPECT_EQ(b[24], 5);
    EXPECT_EQ(b[25], 7);
}

class MapWriterFiles : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = MakeScratchFolder("mapwriter");
        ASSERT_FALSE(m_root.empty());
        g_SetRootPath(m_root.c_str());
    }
    void TearDown() override {
        basrel::ResetDataRoot();
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
    std::string m_root;
};

TEST_F(MapWriterFiles, SettingsReadBackThroughTheIniReader) {
    ASSERT_TRUE(WriteDataText(m_root, kMapListPath,
                              WriteMapList({{"List", 3, "east\\town", std::string("Town")},
                                            {"MissionMapList", 7, "cave", std::nullopt},
                                            {"List", 4, "west", std::nullopt}})));
    KIniFile list;
    ASSERT_TRUE(list.Load(kMapListPath));
    char value[64];
    EXPECT_TRUE(list.GetString("List", "3", "", value, sizeof value));
    EXPECT_STREQ(value, "east\\town");
    EXPECT_TRUE(list.GetString("List", "3_name", "", value, sizeof value));
    EXPECT_STREQ(value, "Town");
    EXPECT_TRUE(list.GetString("List", "4", "", value, sizeof value));
    EXPECT_FALSE(list.GetString("MissionMapList", "7_name", "", value, sizeof value));

    WorSettings wor;
    wor.isInDoor = 1, wor.perspective = 0, wor.rect = {{10, 20, 30, 40}}, wor.mapLTRegionIndex = {{10, 20}};
    wor.lights = {{"SceneLight", {255, 1, 2, 3}}};
    ASSERT_TRUE(WriteDataText(m_root, "\\Maps\\a.wor", WriteWorSettings(wor)));
    KIniFile settings;
    ASSERT_TRUE(settings.Load("\\Maps\\a.wor"));
    RECT rect{};
    EXPECT_TRUE(settings.GetRect("MAIN", "rect", &rect));
    EXPECT_EQ(rect.right, 30);
    int a = 0, b = 0;
    EXPECT_TRUE(settings.GetInteger2("MAIN", "MapLTRegionIndex", &a, &b));
    EXPECT_EQ(b, 20);
    EXPECT_TRUE(settings.GetRect("LIGHT", "SceneLight", &rect));
    EXPECT_EQ(rect.bottom, 3);
    int value2 = -1;
    EXPECT_FALSE(settings.GetInteger("MAIN", "IsLight", 5, &value2));
}

TEST_F(MapWriterFiles, PlayerActionListNamesItsTablesInColumnsThreeAndFive) {
    ASSERT_TRUE(WriteDataText(m_root, kPlayerActionListPath,
                              WritePlayerActionList({{"\\settings\\npcres\\a.txt", "\\settings\\npcres\\b.txt"}})));
    ASSERT_TRUE(WriteDataText(m_root, "\\settings\\npcres\\a.txt", WriteTabText({{"x", "run.ani"}, {"walk.ANI"}})));
    KTabFile list;
    ASSERT_TRUE(list.Load(kPlayerActionListPath));
    EXPECT_EQ(list.GetHeight(), 2);
    char cell[64];
    list.GetString(2, 3, "", cell, sizeof cell);
    EXPECT_STREQ(cell, "\\settings\\npcres\\a.txt");
    list.GetString(2, 5, "", cell, sizeof cell);
    EXPECT_STREQ(cell, "\\settings\\npcres\\b.txt");
    KTabFile table;
    ASSERT_TRUE(table.Load("\\settings\\npcres\\a.txt"));
    table.GetString(1, 2, "", cell, sizeof cell);
    EXPECT_STREQ(cell, "run.ani");
}

TEST_F(MapWriterFiles, GeneratedMapWritesListSettingsRegionsAndPack) {
    GeneratedMapFields map;
    map.folder = "\\Maps\\gen";
    map.left = 20, map.top = 30, map.width = 2, map.height = 1;
    map.pack = true;
    ASSERT_TRUE(WriteGeneratedMap(m_root, map));
    EXPECT_TRUE(g_FileExists("\\Maps\\gen\\v_030\\021_Region_C.dat"));
    EXPECT_TRUE(g_FileExists("\\Maps\\gen_c.dat"));
    KIniFile list;
    ASSERT_TRUE(list.Load(kMapListPath));
    char value[64];
    list.GetString("List", "1", "", value, sizeof value);
    EXPECT_STREQ(value, "gen");
    KIniFile settings;
    ASSERT_TRUE(settings.Load("\\Maps\\gen.wor"));
    RECT rect{};
    ASSERT_TRUE(settings.GetRect("MAIN", "rect", &rect));
    EXPECT_EQ(rect.left, 20);
    EXPECT_EQ(rect.top, 30);
    EXPECT_EQ(rect.right, 21);
    EXPECT_EQ(rect.bottom, 30);
}

}  // namespace
