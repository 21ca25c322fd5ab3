// Loading maps into the scene place: the map list, the ".wor" keys and
// their defaults, what a load prepares (pool, pictures) and what a failing
// load leaves (nothing).
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "ScenePlaceFixture.h"
#include "place/KPlayerActionTable.h"
#include "place/RegionPack.h"
#include "shell/KDrawShell.h"
#include "shell/ShellGlobals.h"
#include "d3d9/Control.h"

namespace place_test {
namespace {

struct MapListCase {
    const char* what;
    MapListEntry entry;
    int32_t mapId, mode, subId;
    bool found;
    const char* name;
    const char* folder;
};

using MapListTest = ScenePlaceTest;

TEST_F(MapListTest, ResolvesIdsBySectionAndNamesTheMap) {
    const MapListCase cases[] = {
        {"own name", {"List", 7, "east", std::string("East Field")}, 7, 0, 0, true, "East Field", "\\Maps\\east"},
        {"name after the backslash", {"List", 7, "far\\east", std::nullopt}, 7, 0, 0, true, "east",
         "\\Maps\\far\\east"},
        {"no backslash: the value", {"List", 7, "east", std::nullopt}, 7, 0, 0, true, "east", "\\Maps\\east"},
        {"mission list keys the sub id", {"MissionMapList", 3, "east", std::nullopt}, 7, 1, 3, true, "east",
         "\\Maps\\east"},
        {"private list keys the sub id", {"PrivateMapList", 4, "east", std::nullopt}, 9, 2, 4, true, "east",
         "\\Maps\\east"},
        {"missing key", {"List", 8, "east", std::nullopt}, 7, 0, 0, false, "", ""},
        {"mode 3", {"List", 7, "east", std::nullopt}, 7, 3, 7, false, "", ""},
        {"no settings file", {"List", 7, "west", std::nullopt}, 7, 0, 0, false, "", ""},
    };
    WriteMap("\\Maps\\east", {});
    WriteMap("\\Maps\\far\\east", {});
    for (const MapListCase& c : cases) {
        WriteMapList({c.entry});
        char name[32] = "old", folder[80] = "old";
        EXPECT_EQ(KScenePlace::LoadMapList(c.mapId, name, sizeof name, folder, sizeof folder, c.mode, c.subId),
                  c.found)
            << c.what;
        EXPECT_EQ(std::string(folder), c.folder) << c.what;
        if (c.found) {
            EXPECT_EQ(std::string(name), c.name) << c.what;
        }
    }
}

TEST_F(MapListTest, AFolderLongerThanItsFieldIsRefused) {
    const std::string longFolder(80, 'f');  // "\Maps\" makes it 86
    WriteMapList({{"List", 7, longFolder, std::nullopt}});
    WriteMap("\\Maps\\" + longFolder, {});
    char name[32], folder[80];
    EXPECT_FALSE(KScenePlace::LoadMapList(7, name, sizeof name, folder, sizeof folder, 0, 0));
    EXPECT_EQ(folder[0], 0);
    ASSERT_TRUE(Place().Init(nullptr));
    EXPECT_FALSE(Place().LoadMap(7, 0, 0));
    EXPECT_FALSE(Place().HasMap());
    EXPECT_FALSE(Place().LoadMapFromFolder(("\\Maps\\" + longFolder).c_str()));
    EXPECT_FALSE(Place().HasMap());
}

using MapLoadThreadTest = ScenePlaceTest;

TEST_F(MapLoadThreadTest, ALoadNeedsInit) {
    WriteEastMap();
    EXPECT_FALSE(Place().LoadMap(7, 0, 0));
    EXPECT_FALSE(Place().LoadMapFromFolder("\\Maps\\east"));
    EXPECT_FALSE(Place().HasMap());
}

TEST_F(MapLoadThreadTest, ALoadPreparesPoolAndPictures) {
    WriteEastMap();
    ASSERT_TRUE(InitAndLoad());
    EXPECT_EQ(Place().GetMapId(), 7);
    EXPECT_EQ(Place().ShownMapId(), 7);
    EXPECT_FALSE(Place().IsShowingOtherMap());
    EXPECT_STREQ(Place().Folder(), "\\Maps\\east");
    EXPECT_STREQ(Place().MapName(), "east");
    EXPECT_FALSE(Place().WaitingForRegions());  // nothing is requested before a focus
    EXPECT_EQ(MapLoadedWord(), 1);
    // No real region has the pool's indices.
    for (int i = 0; i < kRegionPoolSize; ++i) {
        const KSceneRegion& region = Place().PoolRegion(i);
        EXPECT_EQ(region.rx, -(i % 7)) << i;
        EXPECT_EQ(region.ry, -(i / 7)) << i;
        EXPECT_EQ(region.state, kRegionRequested) << i;
    }
    for (int i = 0; i < kGroundPictureCount; ++i) {
        const KPrimPicture& ground = Place().GroundPicture(i).picture;
        EXPECT_EQ(std::string(ground.fileName), "_*PlaceGround*_#~" + std::to_string(i) + "~#_");
        EXPECT_EQ(ground.blendMode, 1);
        EXPECT_EQ(ground.imageType, int16_t(g_PlaceMapTarget.imageType));
        // The record carries the id the picture was made under.
        DWORD id = 0;
        int16_t index = -1;
        ASSERT_NE(m_shell->imageCache.GetImageNoPin(ground.fileName, &id, &index, 0, ground.imageType, 0, 1, 0), nullptr)
            << i;
        EXPECT_NE(ground.fileId, 0u) << i;
        EXPECT_EQ(ground.fileId, id) << i;
    }
    const KPrimPicture& scene = Place().ScenePicture();
    EXPECT_STREQ(scene.fileName, "_*PlaceScene*_");
    EXPECT_EQ(scene.ax, 53872);
    EXPECT_EQ(scene.by, 97635 + 1200);
    char name[32];
    int32_t id = 0, cx = 0, cy = 0;
    Place().GetMapInfo(name, &id, &cx, &cy);
    EXPECT_STREQ(name, "east");
    EXPECT_EQ(id, 7);
    KMapDesc desc{};
    ASSERT_TRUE(Place().GetMapDesc(&desc));
    EXPECT_EQ(desc.mapId, 7);
    EXPECT_STREQ(desc.folder, "\\Maps\\east");
}

TEST_F(MapLoadThreadTest, MissingKeysTakeTheirDefaults) {
    WriteEastMap();
    ASSERT_TRUE(InitAndLoad());
    const KDayLightTable& light = Place().DayLight();
    const int expected[8][3] = {{10, 15, 35}, {22, 28, 55},  {55, 49, 57}, {68, 64, 60},
                                {93, 88, 85}, {100, 74, 35}, {35, 47, 60}, {10, 15, 35}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(light.entries[i].r, expected[i][0]) << i;
        EXPECT_EQ(light.entries[i].g, expected[i][1]) << i;
        EXPECT_EQ(light.entries[i].b, expected[i][2]) << i;
    }
    EXPECT_EQ(Place().PlayerLight(), 0xFFFFFFFFu);
    EXPECT_EQ(Place().Perspective(), 1);
    EXPECT_EQ(Place().GetModelLight(), 0);
    EXPECT_FALSE(Place().IsInDoor());
    EXPECT_FALSE(Place().LightGridEnabled());
}

TEST_F(MapLoadThreadTest, WorKeysSetLightsAndSwitches) {
    WorSettings outdoor;
    outdoor.isLight = 2;
    outdoor.modelLight = 5;
    outdoor.perspective = 0;
    outdoor.lights = {{"SceneLight", {9, 300, 2, 3}}, {"PlayerLight", {128, 1, 2, 3}}, {"Noon", {0, 7, 8, 9}}};
    WriteEastMap(outdoor);
    ASSERT_TRUE(InitAndLoad());
    EXPECT_EQ(Place().AmbientFromDayLight(), 0xFF000000u | (300u & 0xFF) << 16 | 2u << 8 | 3u);
    EXPECT_EQ(Place().PlayerLight(), 0x80010203u);
    EXPECT_EQ(Place().DayLight().entries[4].g, 8);
    EXPECT_EQ(Place().GetModelLight(), 5);
    EXPECT_EQ(Place().Perspective(), 0);
    EXPECT_TRUE(Place().LightGridEnabled());

    // An indoor map sets the day colours and keeps the scene colour.
    WorSettings indoor;
    indoor.isInDoor = 1;
    indoor.lights = {{"InDoor", {255, 40, 41, 42}}, {"SceneLight", {255, 1, 1, 1}}};
    WriteMapList({{"List", 7, "east", std::nullopt}, {"List", 8, "cave", std::nullopt}});
    WriteMap("\\Maps\\cave", indoor);
    ASSERT_TRUE(Place().LoadMap(8, 0, 0));
    EXPECT_TRUE(Place().IsInDoor());
    for (int i = 0; i < 7; ++i) EXPECT_EQ(Place().DayLight().entries[i].r, 40) << i;
    EXPECT_EQ(Place().AmbientFromDayLight(), 0xFF000000u | (300u & 0xFF) << 16 | 2u << 8 | 3u);
    EXPECT_EQ(Place().PlayerLight(), 0x80010203u);
}

TEST_F(MapLoadThreadTest, AFailingLoadLeavesNoMap) {
    WriteEastMap();
    WriteDataFile("Maps/east_c.dat", WriteRegionPack({}));
    ASSERT_TRUE(InitAndLoad());
    EXPECT_TRUE(HasRegionPack());
    EXPECT_FALSE(Place().LoadMap(99, 0, 0));
    EXPECT_FALSE(Place().HasMap());
    EXPECT_EQ(Place().GetMapId(), -1);
    EXPECT_EQ(Place().ShownMapId(), -1);
    EXPECT_STREQ(Place().MapName(), "");
    EXPECT_FALSE(HasRegionPack());
    EXPECT_FALSE(Place().WaitingForRegions());

    ASSERT_TRUE(Place().LoadMap(7, 0, 0));
    EXPECT_FALSE(Place().LoadMapFromFolder("\\Maps\\nowhere"));
    EXPECT_FALSE(Place().HasMap());
    EXPECT_STREQ(Place().Folder(), "");
}

TEST_F(MapLoadThreadTest, AFolderLoadSetsNoIdAndNoPack) {
    WriteEastMap();
    WriteDataFile("Maps/east_c.dat", WriteRegionPack({}));
    ASSERT_TRUE(Place().Init(nullptr));
    ASSERT_TRUE(Place().LoadMapFromFolder("\\Maps\\east"));
    EXPECT_TRUE(Place().HasMap());
    EXPECT_EQ(Place().GetMapId(), -1);
    EXPECT_FALSE(HasRegionPack());
    Place().SetFocus(600, 1100, 0);
    EXPECT_TRUE(Place().WaitingForRegions());
    Place().UnloadMap();
    EXPECT_FALSE(Place().HasMap());
    EXPECT_FALSE(Place().WaitingForRegions());
}

TEST_F(MapLoadThreadTest, GroundPicturesOutliveMapsUntilRelease) {
    WriteEastMap();
    ASSERT_TRUE(InitAndLoad());
    ASSERT_TRUE(Place().LoadMap(7, 0, 0));
    Place().UnloadMap();
    EXPECT_STREQ(Place().GroundPicture(8).picture.fileName, "_*PlaceGround*_#~8~#_");
    Place().Release();
    EXPECT_STREQ(Place().GroundPicture(0).picture.fileName, "");
}

}  // namespace
}  // namespace place_test

namespace place_test {
namespace {

// Each failed round halves the UI scale; at one eighth the load fails.
TEST_F(MapLoadThreadTest, GroundPicturesFallBackToSmallerScalesThenFail) {
    WriteEastMap();
    ASSERT_TRUE(Place().Init(nullptr));
    IKDrawShell* shell = g_pDrawShell;
    shell->SetUiScale(1.0f);
    lumiva::d3d9::FailCreationAt(1, D3DERR_OUTOFVIDEOMEMORY, 100000);
    EXPECT_FALSE(Place().LoadMap(7, 0, 0));
    lumiva::d3d9::FailCreationAt(1, D3DERR_OUTOFVIDEOMEMORY, 0);
    EXPECT_EQ(shell->GetUiScale(), 0.125f);
    EXPECT_FALSE(Place().HasMap());
    EXPECT_EQ(Place().GetMapId(), -1);
    EXPECT_STREQ(Place().GroundPicture(0).picture.fileName, "");
}

}  // namespace
}  // namespace place_test

namespace place_test {
namespace {

TEST_F(MapLoadThreadTest, TheMiniMapShowsAnotherMapUntilTheCurrentComesBack) {
    WriteMapList({{"List", 7, "east", std::nullopt}, {"List", 8, "cave", std::nullopt}});
    WriteMap("\\Maps\\east", {});
    WriteMap("\\Maps\\cave", {});
    ASSERT_TRUE(InitAndLoad());
    EXPECT_TRUE(Place().PictureIsCurrent());
    EXPECT_FALSE(Place().LoadMapPicture(9, 0, 0));
    EXPECT_EQ(Place().ShownMapId(), 7);
    ASSERT_TRUE(Place().LoadMapPicture(8, 0, 0));
    EXPECT_EQ(Place().ShownMapId(), 8);
    EXPECT_TRUE(Place().IsShowingOtherMap());
    EXPECT_FALSE(Place().PictureIsCurrent());
    ASSERT_TRUE(Place().LoadCurrentMapPicture());
    EXPECT_FALSE(Place().IsShowingOtherMap());
    EXPECT_TRUE(Place().PictureIsCurrent());
    // Shown by id, the picture counts as the loaded map's.
    ASSERT_TRUE(Place().ShowMapPicture(8, false));
    EXPECT_EQ(Place().ShownMapId(), 7);
    EXPECT_FALSE(Place().PictureIsCurrent());
}

}  // namespace
}  // namespace place_test

namespace place_test {
namespace {

TEST_F(MapListTest, PlayerActionsNameEveryAnimationCellTwice) {
    EXPECT_TRUE(KPlayerActionTable::AnimationPaths().empty());  // no list
    WriteDataFile("settings/npcres/player_ani.txt", WritePlayerActionList({{"\\a.txt", "\\absent.txt"},
                                                                           {"", "\\b.txt"}}));
    WriteDataFile("a.txt", WriteTabText({{"run.ani", ".ani", "x.ANI"}, {"walk.anim", "stand.txt", "sit.ani"}}));
    WriteDataFile("b.txt", WriteTabText({{"jump.ani"}}));
    const std::vector<std::string> expected = {
        "\\Portrait\\Action\\Action01\\run.ani", "\\Portrait\\Action\\Action02\\run.ani",
        "\\Portrait\\Action\\Action01\\x.ANI",   "\\Portrait\\Action\\Action02\\x.ANI",
        "\\Portrait\\Action\\Action01\\sit.ani", "\\Portrait\\Action\\Action02\\sit.ani",
        "\\Portrait\\Action\\Action01\\jump.ani", "\\Portrait\\Action\\Action02\\jump.ani",
    };
    EXPECT_EQ(KPlayerActionTable::AnimationPaths(), expected);
}

}  // namespace
}  // namespace place_test

namespace place_test {
namespace {

// A frame before the first focus has no regions to wait for; the map's
// first request arms the wait even for a focus near the origin, which is
// no far jump from the pool's placeholders.
TEST_F(MapLoadThreadTest, TheFirstRequestArmsTheWaitNotTheLoad) {
    WriteEastMap();
    ASSERT_TRUE(InitAndLoad());
    EXPECT_FALSE(Place().WaitingForRegions());
    Place().UpdateFrame();
    Place().SetFocus(600, 1100, 0);  // region (1, 1): three regions from (-3, -3)
    EXPECT_TRUE(Place().WaitingForRegions());
    ASSERT_TRUE(Place().LoadMap(7, 0, 0));
    EXPECT_FALSE(Place().WaitingForRegions());
}

// The shell keeps a scale pictures can be made at; anything else leaves
// the one it has, so a map load that halves it always ends.
TEST_F(MapLoadThreadTest, TheUiScaleStaysFiniteAndTheFallbackEnds) {
    WriteEastMap();
    ASSERT_TRUE(Place().Init(nullptr));
    IKDrawShell* shell = g_pDrawShell;
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    for (const float refused : {nan, inf, -inf, 0.0f, -1.0f, 1e30f, 1e-30f}) {
        shell->SetUiScale(1.0f);
        shell->SetUiScale(refused);
        ASSERT_EQ(shell->GetUiScale(), 1.0f) << refused;
    }
    shell->SetUiScale(0.5f);
    EXPECT_EQ(shell->GetUiScale(), 0.5f);
    shell->SetUiScale(inf);
    lumiva::d3d9::FailCreationAt(1, D3DERR_OUTOFVIDEOMEMORY, 100000);
    EXPECT_FALSE(Place().LoadMap(7, 0, 0));
    lumiva::d3d9::FailCreationAt(1, D3DERR_OUTOFVIDEOMEMORY, 0);
    EXPECT_EQ(shell->GetUiScale(), 0.125f);
    shell->SetUiScale(1.0f);
}

// The shell hears once in the module's life that a map went away: a load
// that failed before any map was there does not spend it.
TEST_F(MapLoadThreadTest, OnlyTheFirstUnloadOfALoadedMapTellsTheShell) {
    WriteEastMap();
    ASSERT_TRUE(Place().Init(nullptr));
    g_pDrawShell->SetOption(7, 1);
    ASSERT_EQ(g_ProjectionRampState, -1);
    EXPECT_FALSE(Place().LoadMap(99, 0, 0));
    EXPECT_FALSE(Place().LoadMapFromFolder("\\Maps\\nowhere"));
    EXPECT_EQ(g_ProjectionRampState, -1);
    ASSERT_TRUE(Place().LoadMap(7, 0, 0));
    Place().UnloadMap();
    EXPECT_EQ(g_ProjectionRampState, 0);
    g_pDrawShell->SetOption(7, 1);
    ASSERT_TRUE(Place().LoadMap(7, 0, 0));
    Place().UnloadMap();
    EXPECT_EQ(g_ProjectionRampState, -1);
}

}  // namespace
}  // namespace place_test
