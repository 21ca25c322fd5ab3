// The map's scroll settings: records read per section with their defaults
// and the 1024 x 768 variants, and the layers they start as the focus moves.
#include <gtest/gtest.h>

#include "ScenePlaceFixture.h"
#include "shell/D3DShell.h"

namespace place_test {
namespace {

using ScrollSettingsThreadTest = ScenePlaceTest;

ScrollSettingSection Section(int type) {
    ScrollSettingSection s;
    s.type = type;
    return s;
}

TEST_F(ScrollSettingsThreadTest, RecordsFollowTheirTypeUntilTheFirstOther) {
    ScrollSettingSection fall = Section(2);
    fall.area = {1, 2, 3, 4};
    fall.viewArea = {1, 1, 2, 2};
    fall.speed = 5;
    fall.extra = {{"AreaLeft1024", "9"}};  // never read at 800 x 600
    ScrollSettingSection background = Section(1);
    background.centrePoints = {10, 20, 30, 40};
    ScrollSettingSection drift = Section(3);
    drift.paintRect = {1, 2, 3, 4};
    WriteScroll(7, {fall, background, drift, Section(0), Section(2)});
    WriteEastMap();
    ASSERT_TRUE(InitAndLoad());

    ASSERT_EQ(Place().ScrollSettings(1).size(), 1u);
    ASSERT_EQ(Place().ScrollSettings(2).size(), 1u);  // the section after Type 0 is not read
    ASSERT_EQ(Place().ScrollSettings(3).size(), 1u);
    const KScrollSetting& f = Place().ScrollSettings(2)[0];
    EXPECT_EQ(f.section, 0);
    EXPECT_EQ(f.areaLeft, 512);
    EXPECT_EQ(f.areaTop, 2 * 1024);
    EXPECT_EQ(f.areaRight, 3 * 512);
    EXPECT_EQ(f.areaBottom, 4 * 1024);
    EXPECT_EQ(f.centre[0], 512);
    EXPECT_EQ(f.centre[3], 2 * 1024);
    EXPECT_EQ(f.speedOrRating, 5);
    EXPECT_EQ(f.count, 1);
    EXPECT_EQ(f.angle, 0);
    EXPECT_EQ(f.paintRight, 800);
    EXPECT_EQ(f.paintBottom, 600);
    const KScrollSetting& b = Place().ScrollSettings(1)[0];
    EXPECT_EQ(b.section, 1);
    EXPECT_EQ(b.centre[0], 10);  // centre points stay pixels
    EXPECT_EQ(b.centre[3], 40);
    EXPECT_EQ(b.speedOrRating, 2);
    const KScrollSetting& d = Place().ScrollSettings(3)[0];
    EXPECT_EQ(d.section, 2);
    EXPECT_EQ(d.paintLeft, 1);
    EXPECT_EQ(d.paintBottom, 4);
}

TEST_F(ScrollSettingsThreadTest, TheLargeScreenReadsThe1024Keys) {
    const int width = g_ScreenWidth, height = g_ScreenHeight;
    g_ScreenWidth = 1024;
    g_ScreenHeight = 768;
    ScrollSettingSection fall = Section(2);
    fall.area = {1, 2, 3, 4};
    fall.paintRect = {5, 6, 700, 500};
    fall.extra = {{"AreaLeft1024", "9"}, {"Speed1024", "7"}};
    WriteScroll(7, {fall});
    WriteEastMap();
    const bool loaded = InitAndLoad();
    g_ScreenWidth = width;
    g_ScreenHeight = height;
    ASSERT_TRUE(loaded);
    ASSERT_EQ(Place().ScrollSettings(2).size(), 1u);
    const KScrollSetting& f = Place().ScrollSettings(2)[0];
    EXPECT_EQ(f.areaLeft, 9 * 512);
    EXPECT_EQ(f.areaTop, 2 * 1024);  // missing variant: the base value
    EXPECT_EQ(f.speedOrRating, 7);
    EXPECT_EQ(f.paintLeft, 5);
    EXPECT_EQ(f.paintRight, 1024);  // missing variant: the large screen's edge
    EXPECT_EQ(f.paintBottom, 768);
}

TEST_F(ScrollSettingsThreadTest, AFolderLoadReadsTheSettingsOfNoId) {
    WriteScroll(-1, {Section(3)});
    WriteEastMap();
    ASSERT_TRUE(Place().Init(nullptr));
    ASSERT_TRUE(Place().LoadMapFromFolder("\\Maps\\east"));
    EXPECT_EQ(Place().ScrollSettings(3).size(), 1u);
}

TEST_F(ScrollSettingsThreadTest, LayersStartInsideTheirAreaAndStopOutside) {
    WriteFlatSprite("leaf.spr", 16, 8, 0xFFFF0000, 2);
    ScrollSettingSection fall = Section(2);
    fall.area = {1, 1, 3, 3};
    fall.images = {"leaf.spr", "leaf.spr", "", "leaf.spr"};  // stops at the empty one
    WriteScroll(7, {fall});
    WriteEastMap();
    ASSERT_TRUE(InitAndLoad());
    Place().BuildScrollLayers(512, 1024);  // on the edge: outside
    EXPECT_EQ(Place().ScrollSettings(2)[0].active, 0);
    EXPECT_FALSE(Place().ScrollLayer(0).IsEnabled());
    Place().BuildScrollLayers(2 * 512, 2 * 1024);
    EXPECT_EQ(Place().ScrollSettings(2)[0].active, 1);
    EXPECT_EQ(Place().ScrollSettings(2)[0].imageCount, 2);
    EXPECT_EQ(Place().ScrollLayer(0).PictureCount(), 2);
    EXPECT_TRUE(Place().ScrollLayer(0).IsEnabled());
    EXPECT_FALSE(Place().ScrollLayer(1).IsEnabled());
    Place().BuildScrollLayers(4 * 512, 2 * 1024);
    EXPECT_EQ(Place().ScrollSettings(2)[0].active, 0);
    EXPECT_FALSE(Place().ScrollLayer(0).IsEnabled());
}

}  // namespace
}  // namespace place_test
