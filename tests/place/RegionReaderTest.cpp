// Reading region files: the section table, the three sections, the host
// calls, and what damaged files leave behind.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "RegionFixture.h"
#include "place/GroundPicture.h"
#include "place/ObjectPaint.h"
#include "place/RegionReader.h"
#include "place/ScenePlaceHost.h"

namespace place_test {
namespace {

using ReaderTest = RegionTest;

RegionObjectFields Object(const std::string& name, int32_t x, int32_t y) {
    RegionObjectFields o;
    o.name = name;
    o.x = x, o.y = y;
    o.endX = x + 10, o.endY = y + 20;
    o.frameInterval = 250;
    o.fade = 0x80FF;
    return o;
}

GroundSectionFields OneTileOneRecord() {
    GroundSectionFields g;
    g.tiles.push_back({1, 2, 3, "tile.spr", std::nullopt});
    g.records.push_back({5150, 10300, "rec.jpg", 64, 32, 1, 0, 2, -3});
    return g;
}

TEST_F(ReaderTest, ReadsEverySectionOfAWholeFile) {
    RegionFileFields f;
    f.cells = GeneratedGrid(10, 11);
    f.ground = OneTileOneRecord();
    ObjectSectionFields objects;
    objects.objects = {Object("a.spr", 5130, 11270), Object("b.spr", 5140, 11280)};
    objects.points = 2;
    objects.lights = {{1, 2, 3, 0xFF102030, 40, 80, 99}};
    f.objects = objects;
    WriteRegion(10, 11, f);

    KSceneRegion region;
    ASSERT_TRUE(Read(region, 10, 11));
    EXPECT_EQ(region.state, kRegionLoaded);
    EXPECT_EQ(region.originX, 5120);
    EXPECT_EQ(region.originY, 11264);
    EXPECT_EQ(region.workingGrid[37], GeneratedCell(10, 11, 1, 5));
    EXPECT_EQ(std::memcmp(region.workingGrid, region.pristineGrid, sizeof region.pristineGrid), 0);
    EXPECT_TRUE(region.gridFromFile);

    EXPECT_EQ(region.groundTileCount, 1u);
    EXPECT_EQ(region.groundTileBytes, 16u);
    ASSERT_EQ(region.groundRecordCount, 1u);
    const KRegionGroundRecord& g = region.groundRecords[0];
    EXPECT_EQ(g.x, 5150);
    EXPECT_EQ(g.y, 10300);
    EXPECT_STREQ(g.name, "rec.jpg");
    EXPECT_EQ(g.width, 64);
    EXPECT_EQ(g.height, 32);
    EXPECT_EQ(g.frame, 1);
    EXPECT_EQ(g.kind, kOwnGroundRecord);  // written as 0
    EXPECT_EQ(g.layer, 2);
    EXPECT_EQ(g.order, -3);

    ASSERT_EQ(region.objectHeader.count, 2u);
    EXPECT_EQ(region.objectHeader.points, 2);
    EXPECT_STREQ(region.objects[1].name, "b.spr");
    EXPECT_EQ(region.objects[1].endY, 11300);
    EXPECT_EQ(region.objects[0].frameInterval, 250);  // not flat: kept
    ASSERT_EQ(region.objectHeader.lightCount, 1);
    EXPECT_EQ(region.lights[0].colour, 0xFF102030u);
    EXPECT_EQ(region.lights[0].radius2, 80);
    EXPECT_EQ(region.lights[0].reserved, 99);
    EXPECT_TRUE(SceneLog().empty());
}

TEST_F(ReaderTest, OnlyARequestedRegionWithAFolderIsRead) {
    WriteRegion(10, 10, RegionFileFields{FilledGrid(5), std::nullopt, std::nullopt});
    KSceneRegion region;
    region.rx = region.ry = 10;
    EXPECT_FALSE(ReadRegionFile(region, kMapFolder));  // state 0
    EXPECT_EQ(region.state, 0u);
    region.SetRegionIndices(10, 10);
    EXPECT_FALSE(ReadRegionFile(region, ""));
    EXPECT_FALSE(ReadRegionFile(region, nullptr));
    EXPECT_EQ(region.state, kRegionRequested);
    EXPECT_TRUE(ReadRegionFile(region, kMapFolder));
    EXPECT_FALSE(ReadRegionFile(region, kMapFolder));  // loaded now
    EXPECT_EQ(region.workingGrid[0], 5u);
}

// Entries past the sixth are neither used nor checked, yet offsets still
// count from the end of the whole table: 4 + 9 x 8 = 76.
TEST_F(ReaderTest, NineSectionsUseSixEntriesAndCountOffsetsFromByte76) {
    RegionFileLayout layout;
    layout.sections.resize(9);
    layout.sections[0].bytes = WriteObstacleSection(FilledGrid(0x1234));
    layout.sections[4].bytes = WriteGroundSection(OneTileOneRecord());
    for (int i = 6; i < 9; ++i) layout.sections[i] = {{}, 0xFFFFFFF0u, 0xFFFFFFF0u};
    const std::vector<uint8_t> bytes = WriteRegionFile(layout);
    ASSERT_EQ(bytes.size(), 76u + 2048 + layout.sections[4].bytes.size());
    WriteRegion(12, 13, bytes);

    KSceneRegion region;
    ASSERT_TRUE(Read(region, 12, 13));
    EXPECT_EQ(region.workingGrid[511], 0x1234u);
    EXPECT_EQ(region.groundRecordCount, 1u);
    EXPECT_TRUE(SceneLog().empty());
}

struct GridCase {
    uint32_t length;
    int32_t hostId;
    bool read;
    std::vector<std::string> calls;
};

TEST_F(ReaderTest, ObstacleGridNeedsAWholeSectionBeforeTheHostHears) {
    const uint32_t key = 11u << 16 | 10u;
    const std::string find = "FindRegionId 0 " + std::to_string(key);
    const GridCase cases[] = {
        {2047, 7, false, {}},
        {2048, 7, true, {find, "AttachRegion 0 7"}},
        {2048, -1, true, {find}},
        {4096, 9, true, {find, "AttachRegion 0 9"}},
    };
    for (const GridCase& c : cases) {
        SCOPED_TRACE(c.length);
        std::vector<uint32_t> cells = FilledGrid(0x21);
        cells.resize((c.length + 3) / 4, 0x21);
        RegionFileLayout layout;
        layout.sections.resize(1);
        layout.sections[0].bytes = WriteObstacleSection(cells);
        layout.sections[0].length = c.length;
        WriteRegion(10, 11, WriteRegionFile(layout));
        RecordingHost host;
        host.ids[key] = c.hostId;
        SetScenePlaceHost(&host);

        KSceneRegion region;
        ASSERT_TRUE(Read(region, 10, 11));
        EXPECT_EQ(region.workingGrid[100], c.read ? 0x21u : 0u);
        EXPECT_EQ(region.pristineGrid[100], c.read ? 0x21u : 0u);
        EXPECT_EQ(host.calls, c.calls);
        const std::vector<KSceneRegion*> attached =
            c.calls.size() == 2 ? std::vector{&region} : std::vector<KSceneRegion*>{};
        EXPECT_EQ(host.attached, attached);
        SetScenePlaceHost(nullptr);
    }
}

TEST_F(ReaderTest, HostCallWaitsForTheStepAfterTheRead) {
    WriteRegion(10, 11, RegionFileFields{FilledGrid(3), std::nullopt, std::nullopt});
    RecordingHost host;
    host.ids[11u << 16 | 10u] = 4;
    SetScenePlaceHost(&host);
    KSceneRegion scratch, pooled;
    Request(scratch, 10, 11);
    ASSERT_TRUE(ReadRegionFileData(scratch, kMapFolder));
    EXPECT_TRUE(host.calls.empty());
    // The loader keeps the read for its pool record and tells the host then.
    pooled.SetRegionIndices(10, 11);
    pooled.TakeReadData(scratch);
    pooled.state = kRegionLoaded;
    AttachRegionToHost(pooled, 10, 11);
    EXPECT_EQ(host.attached, std::vector<KSceneRegion*>{&pooled});
    EXPECT_EQ(pooled.workingGrid[7], 3u);
    EXPECT_FALSE(scratch.gridFromFile);
    AttachRegionToHost(scratch, 10, 11);  // no grid of its own any more
    EXPECT_EQ(host.attached.size(), 1u);
}

TEST_F(ReaderTest, WithoutAHostTheGridIsStillRead) {
    WriteRegion(10, 11, RegionFileFields{FilledGrid(3), std::nullopt, std::nullopt});
    KSceneRegion region;
    ASSERT_TRUE(Read(region, 10, 11));
    EXPECT_EQ(region.workingGrid[7], 3u);
}

// 16 + 2 x 228 + 28 = 500 bytes hold two objects and a light.
TEST_F(ReaderTest, ObjectSectionMustHoldItsRecordsAndLights) {
    for (uint32_t length : {499u, 500u}) {
        SCOPED_TRACE(length);
        ObjectSectionFields objects;
        objects.objects = {Object("a", 1, 2), Object("b", 3, 4)};
        objects.lights = {{}};
        objects.points = 2;
        RegionFileLayout layout;
        layout.sections.resize(6);
        layout.sections[5].bytes = WriteObjectSection(objects);
        ASSERT_EQ(layout.sections[5].bytes.size(), 500u);
        layout.sections[5].length = length;
        WriteRegion(10, 10, WriteRegionFile(layout));
        KSceneRegion region;
        ASSERT_TRUE(Read(region, 10, 10));
        const bool fits = length == 500;
        EXPECT_EQ(region.objectHeader.count, fits ? 2u : 0u);
        EXPECT_EQ(region.objectHeader.lightCount, fits ? 1 : 0);
        EXPECT_EQ(region.objects != nullptr, fits);
        EXPECT_EQ(region.lights != nullptr, fits);
        EXPECT_EQ(SceneLog().size(), fits ? 0u : 1u);
    }
}

TEST_F(ReaderTest, FlatRecordsGetTheirPictureCacheReset) {
    ObjectSectionFields objects;
    for (int i = 0; i < 4; ++i) objects.objects.push_back(Object("o" + std::to_string(i), i, i));
    objects.objects[3].frameInterval = 0;
    objects.points = 2;
    objects.flats = 2;
    WriteRegion(10, 10, RegionFileFields{std::nullopt, std::nullopt, objects});
    KSceneRegion region;
    ASSERT_TRUE(Read(region, 10, 10));
    ASSERT_EQ(region.objectHeader.count, 4u);
    EXPECT_EQ(region.TreePointCount(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(region.objects[i].endX, i + 10);
        EXPECT_EQ(region.objects[i].frameInterval, 250);
        EXPECT_EQ(region.objects[i].fade, 0x80FF);
    }
    const KRegionObjectRecord& flat = region.objects[2];
    EXPECT_EQ(flat.endX, 0);
    EXPECT_EQ(flat.endY, -1);
    EXPECT_EQ(flat.frameInterval, 1);
    EXPECT_EQ(flat.fade, 0);
    EXPECT_EQ(region.objects[3].frameInterval, 0);
}

TEST_F(ReaderTest, NamesEndWithinTheirFields) {
    ObjectSectionFields objects;
    objects.objects = {Object(std::string(128, 'o'), 0, 0)};
    objects.points = 1;
    GroundSectionFields ground;
    ground.records.push_back({0, 0, std::string(128, 'g'), 1, 1, 0, 0, 0, 0});
    WriteRegion(10, 10, RegionFileFields{std::nullopt, ground, objects});
    KSceneRegion region;
    ASSERT_TRUE(Read(region, 10, 10));
    EXPECT_EQ(std::string(region.objects[0].name), std::string(127, 'o'));
    EXPECT_EQ(std::string(region.groundRecords[0].name), std::string(127, 'g'));
}

// The records are read exactly: B x 146 bytes from the record offset,
// whatever else the section holds after them.
TEST_F(ReaderTest, GroundReadsItsTileBytesAndExactlyItsRecords) {
    GroundSectionFields ground = OneTileOneRecord();
    ground.tiles.push_back({4, 5, 6, "second.spr", std::nullopt});
    ground.tileCount = 7;  // more than the bytes hold: the walk ends early
    ground.gap = {0xEE, 0xEE};
    std::vector<uint8_t> section = WriteGroundSection(ground);
    section.insert(section.end(), 146, 0x55);  // a record the count does not include
    RegionFileLayout layout;
    layout.sections.resize(5);
    layout.sections[4].bytes = section;
    WriteRegion(10, 10, WriteRegionFile(layout));
    KSceneRegion region;
    ASSERT_TRUE(Read(region, 10, 10));
    EXPECT_EQ(region.groundTileCount, 7u);
    EXPECT_EQ(region.groundTileBytes, 16u + 18u + 2u);
    EXPECT_EQ(region.groundTiles[region.groundTileBytes - 1], 0xEE);
    EXPECT_EQ(region.groundRecordCount, 1u);
    EXPECT_TRUE(SceneLog().empty());
}

struct DamageCase {
    const char* what;
    std::vector<uint8_t> bytes;
    bool grid;           // section 0 survives
    uint32_t ground;     // ground records
    uint32_t objects;    // object records
    uint16_t lights;
};

std::vector<uint8_t> WithSections(std::vector<uint8_t> obstacles, std::vector<uint8_t> ground,
                                  std::vector<uint8_t> objects) {
    RegionFileLayout layout;
    layout.sections.resize(6);
    layout.sections[0].bytes = std::move(obstacles);
    layout.sections[4].bytes = std::move(ground);
    layout.sections[5].bytes = std::move(objects);
    return WriteRegionFile(layout);
}

std::vector<DamageCase> DamageCases() {
    const std::vector<uint8_t> grid = WriteObstacleSection(FilledGrid(9));
    GroundSectionFields ground = OneTileOneRecord();
    ObjectSectionFields objects;
    objects.objects = {Object("a", 0, 0), Object("b", 0, 0), Object("c", 0, 0)};
    objects.lights = {{}, {}};
    objects.points = 1, objects.segments = 1, objects.flats = 1;
    const std::vector<uint8_t> goodObjects = WriteObjectSection(objects);
    const std::vector<uint8_t> goodGround = WriteGroundSection(ground);
    auto withGround = [&](const GroundSectionFields& g) {
        return WithSections(grid, WriteGroundSection(g), goodObjects);
    };
    auto withObjects = [&](const ObjectSectionFields& o) {
        return WithSections(grid, goodGround, WriteObjectSection(o));
    };

    std::vector<DamageCase> cases;
    cases.push_back({"sound", WithSections(grid, goodGround, goodObjects), true, 1, 3, 2});
    cases.push_back({"empty file", {}, false, 0, 0, 0});
    cases.push_back({"three bytes", {6, 0, 0}, false, 0, 0, 0});
    std::vector<uint8_t> hugeTable = WithSections(grid, goodGround, goodObjects);
    hugeTable[0] = 0xFF, hugeTable[1] = 0xFF, hugeTable[2] = 0xFF, hugeTable[3] = 0x1F;
    cases.push_back({"table past the end", hugeTable, false, 0, 0, 0});
    std::vector<uint8_t> cutTable = WithSections(grid, goodGround, goodObjects);
    cutTable.resize(20);
    cases.push_back({"cut table", cutTable, false, 0, 0, 0});

    RegionFileLayout far;
    far.sections.resize(6);
    far.sections[0].bytes = grid;
    far.sections[4] = {goodGround, 0xFFFFFF00u, std::nullopt};  // base + offset wraps in 32 bits
    far.sections[5] = {goodObjects, std::nullopt, 0xFFFFFFFFu};
    cases.push_back({"sections past the end", WriteRegionFile(far), true, 0, 0, 0});

    GroundSectionFields low = ground;
    low.recordOffset = 11;
    cases.push_back({"ground offset below its head", withGround(low), true, 0, 3, 2});
    GroundSectionFields beyond = ground;
    beyond.recordOffset = 100000;
    cases.push_back({"ground offset past the section", withGround(beyond), true, 0, 3, 2});
    GroundSectionFields many = ground;
    many.recordCount = 0x0FFFFFFF;  // x 146 wraps in 32 bits
    cases.push_back({"ground records past the section", withGround(many), true, 0, 3, 2});
    cases.push_back({"ground head cut", WithSections(grid, {1, 0, 0, 0, 1}, goodObjects), true, 0, 3, 2});

    ObjectSectionFields wrapping = objects;
    wrapping.count = 0x011F'0000;  // x 228 wraps in 32 bits
    cases.push_back({"objects past the section", withObjects(wrapping), true, 1, 0, 0});
    ObjectSectionFields flatMore = objects;
    flatMore.flats = 4;
    cases.push_back({"more flats than records", withObjects(flatMore), true, 1, 0, 2});
    ObjectSectionFields groupsMore = objects;
    groupsMore.lines = 1;  // 1 + 1 + 1 > 3 - 1
    cases.push_back({"groups past the records", withObjects(groupsMore), true, 1, 0, 2});
    cases.push_back({"object head cut", WithSections(grid, goodGround, {2, 0, 0}), true, 1, 0, 0});
    return cases;
}

TEST_F(ReaderTest, DamagedFilesLeaveWhatCanBeReadAndOneLogLine) {
    for (const DamageCase& c : DamageCases()) {
        SCOPED_TRACE(c.what);
        WriteRegion(10, 10, c.bytes);
        KSceneRegion region;
        ASSERT_TRUE(Read(region, 10, 10));
        EXPECT_EQ(region.state, kRegionLoaded);
        EXPECT_EQ(region.workingGrid[3], c.grid ? 9u : 0u);
        EXPECT_EQ(region.pristineGrid[3], c.grid ? 9u : 0u);
        EXPECT_EQ(region.groundRecordCount, c.ground);
        EXPECT_EQ(region.objectHeader.count, c.objects);
        EXPECT_EQ(region.objects != nullptr, c.objects > 0);
        EXPECT_EQ(region.objectHeader.lightCount, c.lights);
        EXPECT_EQ(region.TreePointCount(), c.objects ? c.objects - 1 : 0u);
        const std::vector<std::string> log = SceneLog();
        ASSERT_EQ(log.size(), std::string(c.what) == "sound" ? 0u : 1u);
        if (!log.empty()) {
            EXPECT_NE(log[0].find("v_010\\010_Region_C.dat"), std::string::npos) << log[0];
        }
    }
}

TEST_F(ReaderTest, AMissingFileGivesALoadedRegionWithZeroGrids) {
    KSceneRegion region;
    ASSERT_TRUE(Read(region, 10, 10));
    EXPECT_EQ(region.state, kRegionLoaded);
    for (int i = 0; i < kGridCells; ++i) {
        ASSERT_EQ(region.workingGrid[i], 0u);
        ASSERT_EQ(region.pristineGrid[i], 0u);
    }
    EXPECT_FALSE(region.gridFromFile);
    EXPECT_TRUE(SceneLog().empty());
}

TEST_F(ReaderTest, PathsCarryAtLeastThreeDigits) {
    char path[64];
    ASSERT_TRUE(FormatRegionPath(path, sizeof path, "\\Maps\\a", 7, 1234));
    EXPECT_STREQ(path, "\\Maps\\a\\v_1234\\007_Region_C.dat");
    EXPECT_EQ(RegionFilePath("\\Maps\\a", 7, 1234), path);
    EXPECT_FALSE(FormatRegionPath(path, 20, "\\Maps\\a", 7, 1234));
}

TEST_F(ReaderTest, FreeRegionDropsDataOnlyWhenLoadedAndKeepsTheGrids) {
    RegionFileFields f;
    f.cells = FilledGrid(2);
    f.ground = OneTileOneRecord();
    ObjectSectionFields objects;
    objects.objects = {Object("a", 0, 0)};
    objects.points = 1;
    objects.lights = {{}};
    f.objects = objects;
    WriteRegion(10, 10, f);
    KSceneRegion region;
    ASSERT_TRUE(Read(region, 10, 10));
    KPlaceGroundPicture picture;
    picture.inUse = picture.built = 1;
    region.groundPicture = &picture;
    region.neighbourBits = 0x10;
    region.treePoints = std::make_unique<KTreePoint[]>(1);

    region.state = kRegionLoading;
    region.FreeRegion();
    EXPECT_EQ(region.groundRecordCount, 1u);  // not while loading

    region.state = kRegionLoaded;
    region.FreeRegion();
    EXPECT_EQ(region.state, kRegionLoaded);
    EXPECT_EQ(region.neighbourBits, 0u);
    EXPECT_EQ(region.groundPicture, nullptr);
    EXPECT_EQ(picture.inUse, 0);
    EXPECT_EQ(picture.built, 0);
    EXPECT_EQ(region.groundTileCount + region.groundRecordCount, 0u);
    EXPECT_EQ(region.groundTiles, nullptr);
    EXPECT_EQ(region.objects, nullptr);
    EXPECT_EQ(region.treePoints, nullptr);
    EXPECT_EQ(region.lights, nullptr);
    EXPECT_EQ(region.objectHeader.count, 0u);
    EXPECT_EQ(region.objectHeader.lightCount, 0);
    EXPECT_EQ(region.workingGrid[0], 2u);

    region.SetRegionIndices(-3, 4);
    int32_t rx = 0, ry = 0;
    region.GetRegionIndices(&rx, &ry);
    EXPECT_EQ(rx, -3);
    EXPECT_EQ(ry, 4);
    EXPECT_EQ(region.state, kRegionRequested);
}

TEST_F(ReaderTest, OriginsAndHostKeysWrapInsteadOfOverflowing) {
    EXPECT_EQ(RegionOriginX(-2), -1024);
    EXPECT_EQ(RegionOriginY(INT_MAX), int32_t(uint32_t(INT_MAX) * 1024u));
    EXPECT_EQ(RegionHostKey(10, 11), 11u << 16 | 10u);
    EXPECT_EQ(RegionHostKey(-1, -2), 0xFFFEFFFFu);
}

}  // namespace
}  // namespace place_test

namespace place_test {
namespace {

// Bytes 216-219 of an object record are not read: whatever a file holds
// there, a record without a fade is drawn. The record is written here byte
// by byte, as the map writers leave those bytes zero.
TEST_F(ReaderTest, TheUnreadBytesOfAnObjectRecordHideNothing) {
    std::vector<uint8_t> section(16 + 228, 0);
    section[0] = 1;  // one record, a point object
    section[8] = 1;
    uint8_t* record = section.data() + 16;
    std::memcpy(record + 56, "p.spr", 5);
    for (int i = 0; i < 4; ++i) record[216 + i] = uint8_t(0x5A + i);  // any bytes, the old mark among them
    RegionFileLayout layout;
    layout.sections.resize(6);
    layout.sections[5].bytes = section;
    WriteRegion(10, 11, WriteRegionFile(layout));

    KSceneRegion region;
    ASSERT_TRUE(Read(region, 10, 11));
    ASSERT_EQ(region.objectHeader.count, 1u);
    EXPECT_EQ(region.objects[0].fade, 0);
    EXPECT_FALSE(RecordFadedOut(region.objects[0]));
    EXPECT_EQ(region.objects[0].fadedOut, 0);
}

}  // namespace
}  // namespace place_test
