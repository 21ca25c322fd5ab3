// Falling and drifting sprite layers, the parallax background, and what
// scroll settings do to them as the focus enters and leaves their areas.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>

#include "JpegImage.h"
#include "OverlayFixture.h"
#include "place/ScrollBackground.h"
#include "place/ScrollLayer.h"
#include "place/ScrollSetting.h"
#include "place/ScrollSettingUpdate.h"
#include "shell/D3DShell.h"
#include "shell/KDrawShell.h"
#include "shell/VideoPolicy.h"
#include "win32/Control.h"

namespace overlay_test {
namespace {

constexpr D3DCOLOR kRed = 0xFFFF0000;

class ScrollLayerTest : public OverlayTest {
protected:
    void SetUp() override {
        OverlayTest::SetUp();
        WriteFlatSprite("leaf.spr", 16, 8, kRed, 2);
    }

    // A layer with the leaf picture and no items.
    std::unique_ptr<KScrollLayer> LeafLayer() {
        auto layer = std::make_unique<KScrollLayer>();
        EXPECT_TRUE(layer->AddPicture("leaf.spr"));
        return layer;
    }
};

// The random draws of one drifting item: angle change 0, picture 0, then
// the x and y draws within the drift range.
void ScriptDriftItem(int xDraw, int yDraw) { lumiva::win32::InstallScriptedRandom({0, 0, 0, xDraw, yDraw}); }

TEST_F(ScrollLayerTest, DriftingItemsMoveAlongTheirAngle) {
    struct Case {
        int angle;
        float dx, dy;
    };
    const float diagonal = 8.0f * float(std::sqrt(0.5));
    const Case cases[] = {{0, 0, -8}, {16, 8, 0}, {32, 0, 8}, {48, -8, 0}, {8, diagonal, -diagonal},
                          {24, diagonal, diagonal}, {40, -diagonal, diagonal}, {56, -diagonal, -diagonal}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        auto layer = LeafLayer();
        ScriptDriftItem(800, 1200);
        layer->SetupDrift(c.angle, 8.0f, 1, 5000, 8000);
        KScrollItem* item = layer->Items().First();
        ASSERT_NE(item, nullptr);
        EXPECT_FLOAT_EQ(item->x, 4200.0f);
        EXPECT_FLOAT_EQ(item->y, 6800.0f);
        EXPECT_EQ(layer->UpdateDrift(5000, 8000), 1);
        EXPECT_NEAR(item->x - 4200.0f, c.dx, 1e-3);
        EXPECT_NEAR(item->y - 6800.0f, c.dy, 1e-3);
    }
}

TEST_F(ScrollLayerTest, DriftingItemsStayWithinTheRangeAroundTheFocus) {
    auto layer = LeafLayer();
    ScriptDriftItem(800, 1200);
    layer->SetupDrift(16, 1.0f, 1, 5000, 8000);  // at (4200, 6800), moving right
    KScrollItem* item = layer->Items().First();
    // The focus went 1000 to the right: the item is more than 1600 behind.
    layer->UpdateDrift(6000, 8000);
    EXPECT_FLOAT_EQ(item->x, 4201.0f + 3200.0f);
    // And 3000 down: more than 2400 above.
    layer->UpdateDrift(6000, 11000);
    EXPECT_FLOAT_EQ(item->y, 6800.0f + 4800.0f);
    // Back left past the far side.
    layer->UpdateDrift(4000, 11000);
    EXPECT_FLOAT_EQ(item->x, 7403.0f - 3200.0f);
}

TEST_F(ScrollLayerTest, DriftRangeFollowsTheScreen) {
    struct Case {
        int width, height, rx, ry;
    };
    for (const Case& c : {Case{800, 600, 1600, 2400}, Case{1024, 768, 2048, 3072}, Case{1024, 600, 1600, 2400}}) {
        g_ScreenWidth = c.width;
        g_ScreenHeight = c.height;
        int rx = 0, ry = 0;
        KScrollLayer::DriftRange(&rx, &ry);
        EXPECT_EQ(rx, c.rx) << c.width << "x" << c.height;
        EXPECT_EQ(ry, c.ry) << c.width << "x" << c.height;
    }
}

TEST_F(ScrollLayerTest, DriftAnglesAndSpeedsStayInRange) {
    auto layer = LeafLayer();
    // j = 4, kept positive: 62 + 4 passes the full turn and stops at 64.
    lumiva::win32::InstallScriptedRandom({4, 1, 0, 800, 1200});
    layer->SetupDrift(62, 3.0f, 1, 0, 0);
    EXPECT_EQ(layer->Items().First()->angle, 64);
    EXPECT_FLOAT_EQ(layer->Items().First()->speed, 3.0f);
    // j = -4 below angle 0 stops at 0.
    auto second = LeafLayer();
    lumiva::win32::InstallScriptedRandom({4, 0, 0, 800, 1200});
    second->SetupDrift(2, 3.0f, 1, 0, 0);
    EXPECT_EQ(second->Items().First()->angle, 0);
    // A full turn moves like angle 0: straight up.
    second->Items().First()->angle = 64;
    KScrollItem* item = layer->Items().First();
    const float y = item->y;
    layer->UpdateDrift(0, 0);
    EXPECT_NEAR(item->y, y - 3.0f, 1e-3);
}

TEST_F(ScrollLayerTest, FallingItemsFallAlongTheirAngleAndComeBackAtTheTop) {
    auto layer = LeafLayer();
    lumiva::win32::InstallScriptedRandom({0, 300, 0, 0, 0});  // picture, x, turn, sign, speed
    layer->SetupFall(0, 10.0f, 1, 0, 0);
    KScrollItem* item = layer->Items().First();
    ASSERT_NE(item, nullptr);
    EXPECT_FLOAT_EQ(item->x, 300.0f);
    EXPECT_FLOAT_EQ(item->y, 0.0f);
    layer->UpdateFall();  // starts the clock
    lumiva::win32::AdvanceClock(100);
    layer->UpdateFall();
    EXPECT_FLOAT_EQ(item->x, 300.0f);
    EXPECT_FLOAT_EQ(item->y, 10.0f);
    // Frames shorter than a tenth still move.
    lumiva::win32::AdvanceClock(30);
    layer->UpdateFall();
    EXPECT_NEAR(item->y, 13.0f, 1e-4);
    // 50 pixels past the bottom it starts again at the top.
    lumiva::win32::AdvanceClock(6360);
    layer->UpdateFall();
    EXPECT_NEAR(item->y, 649.0f, 1e-3);
    lumiva::win32::AdvanceClock(20);
    layer->UpdateFall();
    EXPECT_FLOAT_EQ(item->y, 0.0f);
    EXPECT_FLOAT_EQ(item->x, 300.0f);
}

TEST_F(ScrollLayerTest, FallingItemsLeavingSidewaysComeBackOnTheOtherSide) {
    auto layer = LeafLayer();
    lumiva::win32::InstallScriptedRandom({0, 10, 0, 0, 0});
    layer->SetupFall(90, 10.0f, 1, 0, 0);  // wind from the right: x falls
    KScrollItem* item = layer->Items().First();
    layer->UpdateFall();
    lumiva::win32::AdvanceClock(6100);
    layer->UpdateFall();
    EXPECT_FLOAT_EQ(item->x, 800.0f);
    item->angle = -90;
    lumiva::win32::AdvanceClock(600);
    layer->UpdateFall();  // 860 > 850
    EXPECT_FLOAT_EQ(item->x, 0.0f);
}

TEST_F(ScrollLayerTest, ItemCountsAreCapped) {
    auto layer = LeafLayer();
    lumiva::win32::InstallScriptedRandom({1});
    TakeLog();
    layer->SetupFall(0, 2.0f, 5000, 0, 0);
    EXPECT_EQ(layer->ItemCount(), KScrollLayer::kMaxItems);
    EXPECT_EQ(TakeLog().size(), 1u);
    layer->SetupDrift(0, 2.0f, 0, 0, 0);
    EXPECT_EQ(layer->ItemCount(), KScrollLayer::kMaxItems);
    KScrollLayer empty;
    empty.SetupFall(0, 2.0f, 10, 0, 0);
    EXPECT_EQ(empty.ItemCount(), 0);
}

TEST_F(ScrollLayerTest, PicturesAreKnownSpritesUpToNine) {
    KScrollLayer layer;
    EXPECT_FALSE(layer.AddPicture("absent.spr"));
    EXPECT_FALSE(layer.AddPicture(""));
    for (int i = 0; i < 9; ++i) EXPECT_TRUE(layer.AddPicture("leaf.spr"));
    EXPECT_FALSE(layer.AddPicture("leaf.spr"));
    EXPECT_EQ(layer.PictureCount(), 9);
    layer.ClearLayer();
    EXPECT_EQ(layer.PictureCount(), 0);
}

TEST_F(ScrollLayerTest, SceneItemsDrawAtHalfHeightAroundTheFocus) {
    auto layer = LeafLayer();
    ScriptDriftItem(1300, 2000);
    layer->SetupDrift(0, 1.0f, 1, 5000, 8000);  // at (4700, 7600)
    ScriptDriftItem(0, 0);
    layer->SetupDrift(0, 1.0f, 1, 5000, 8000);  // at (3400, 5600): off screen
    layer->SetEnabled(true);
    BeginDrawing();
    layer->PaintInScene(5000, 8000);
    EXPECT_EQ(DrawCount(), 1u);
    const auto screen = EndDrawing();
    // left 4600, top 8000 - 600: the item is at (100, 100) on screen.
    EXPECT_EQ(screen.At(100, 100), kRed);
    EXPECT_EQ(screen.At(115, 107), kRed);
    EXPECT_EQ(screen.At(99, 100), 0xFF000000u);
    EXPECT_EQ(screen.At(116, 100), 0xFF000000u);
    EXPECT_EQ(screen.At(100, 108), 0xFF000000u);
    // Every item, drawn or not, went on a frame; the last frame wraps.
    KScrollItem* first = layer->Items().First();
    EXPECT_EQ(first->frame, 1);
    EXPECT_EQ(layer->Items().Next()->frame, 1);
    layer->PaintInScene(5000, 8000);
    EXPECT_EQ(first->frame, 0);
}

TEST_F(ScrollLayerTest, ScreenItemsDrawAtTheirOwnPoint) {
    auto layer = LeafLayer();
    lumiva::win32::InstallScriptedRandom({0, 40, 0, 0, 0});
    layer->SetupFall(0, 2.0f, 1, 0, 0);
    layer->Items().First()->y = 30.0f;
    BeginDrawing();
    layer->PaintOnScreen();  // not enabled yet
    EXPECT_EQ(DrawCount(), 0u);
    layer->SetEnabled(true);
    layer->PaintOnScreen();
    const auto screen = EndDrawing();
    EXPECT_EQ(screen.At(40, 30), kRed);
    EXPECT_EQ(screen.At(55, 37), kRed);
    EXPECT_EQ(screen.At(39, 30), 0xFF000000u);
}

// --- Settings ---

KScrollSetting AreaSetting(int speedOrRating, int count) {
    KScrollSetting s{};
    s.areaLeft = 0;
    s.areaTop = 0;
    s.areaRight = 10000;
    s.areaBottom = 20000;
    s.paintRight = 800;
    s.paintBottom = 600;
    s.speedOrRating = speedOrRating;
    s.count = count;
    return s;
}

TEST_F(ScrollLayerTest, DriftSettingsFillTheirLayerWhileTheFocusIsInside) {
    KScrollLayer layer;
    int loads = 0;
    const ScrollImageLoader load = [&](const KScrollSetting&) {
        ++loads;
        layer.ClearLayer();
        return layer.AddPicture("leaf.spr") ? 1 : 0;
    };
    KScrollSetting setting = AreaSetting(2, 3);
    UpdateDriftSetting(setting, layer, 5000, 8000, load);
    EXPECT_EQ(setting.active, 1);
    EXPECT_EQ(setting.imageCount, 1);
    EXPECT_TRUE(layer.IsEnabled());
    EXPECT_EQ(layer.ItemCount(), 3);
    UpdateDriftSetting(setting, layer, 5100, 8000, load);
    EXPECT_EQ(loads, 1);
    // On the area's edge is outside.
    UpdateDriftSetting(setting, layer, 10000, 8000, load);
    EXPECT_EQ(setting.active, 0);
    EXPECT_FALSE(layer.IsEnabled());
    EXPECT_EQ(layer.ItemCount(), 0);
    UpdateDriftSetting(setting, layer, 5000, 8000, load);
    EXPECT_EQ(loads, 2);
    EXPECT_TRUE(layer.IsEnabled());
}

TEST_F(ScrollLayerTest, FallSettingsStopTheirLayerOutside) {
    KScrollLayer layer;
    const ScrollImageLoader load = [&](const KScrollSetting&) { return layer.AddPicture("leaf.spr") ? 1 : 0; };
    KScrollSetting setting = AreaSetting(4, 2);
    UpdateFallSetting(setting, layer, 5000, 8000, load);
    EXPECT_TRUE(layer.IsEnabled());
    EXPECT_EQ(layer.ItemCount(), 2);
    UpdateFallSetting(setting, layer, 5000, 20000, load);
    EXPECT_FALSE(layer.IsEnabled());
    EXPECT_EQ(setting.active, 0);
    // A setting without pictures starts nothing.
    KScrollLayer other;
    KScrollSetting empty = AreaSetting(4, 2);
    UpdateFallSetting(empty, other, 5000, 8000, [](const KScrollSetting&) { return 0; });
    EXPECT_FALSE(other.IsEnabled());
    EXPECT_EQ(other.ItemCount(), 0);
}

class ScrollBackgroundTest : public OverlayTest {
protected:
    void SetUp() override {
        OverlayTest::SetUp();
        g_PictureTextureFormat = D3DFMT_R5G6B5;
        WritePatternJpeg("sea.jpg", 130, 64);
    }

    KScrollSetting BackgroundSetting(int rating, int sceneX, int sceneY, int picX, int picY) {
        KScrollSetting s = AreaSetting(rating, 0);
        s.centre[0] = sceneX;
        s.centre[1] = sceneY;
        s.centre[2] = picX;
        s.centre[3] = picY;
        return s;
    }

    static KScrollSetting WithPaintRect(KScrollSetting s, int left, int top, int right, int bottom) {
        s.paintLeft = left;
        s.paintTop = top;
        s.paintRight = right;
        s.paintBottom = bottom;
        return s;
    }

    ScrollImageLoader Loader() {
        return [this](const KScrollSetting&) { return background.LoadPicture("sea.jpg") ? 1 : 0; };
    }

    KScrollBackground background;
};

TEST_F(ScrollBackgroundTest, RatingTwoMovesHalfAsFastAsTheFocus) {
    KScrollSetting setting = BackgroundSetting(2, 1000, 2000, 1000, 2000);
    UpdateBackgroundSetting(setting, background, 1000, 2000, Loader());
    ASSERT_TRUE(background.IsEnabled());
    // ((1000 - 400) - (1000 - 65)) mod 130 and ((2000 - 300) - (2000 - 32)) mod 64.
    EXPECT_EQ(background.StartX(), 55);
    EXPECT_EQ(background.StartY(), 52);
    int x = 0, y = 0;
    background.PictureOrigin(1000, 2000, &x, &y);
    EXPECT_EQ(x, 55);
    EXPECT_EQ(y, 52);
    // 40 pixels right and 20 pixels (40 world units) down on screen.
    background.PictureOrigin(1040, 2040, &x, &y);
    EXPECT_EQ(x, 75);
    EXPECT_EQ(y, 62);
    background.PictureOrigin(960, 1960, &x, &y);
    EXPECT_EQ(x, 35);
    EXPECT_EQ(y, 42);
    // On the screen: after that move every painted pixel holds what stood
    // 20 pixels right and 10 down before it.
    const auto paint = [&](int focusX, int focusY) {
        BeginDrawing();
        background.Paint(focusX, focusY);
        return EndDrawing();
    };
    const auto before = paint(1000, 2000);
    const auto after = paint(1040, 2040);
    for (UINT y = 0; y + 10 < 600; y += 7)
        for (UINT x = 0; x + 20 < 800; ++x) ASSERT_EQ(after.At(x, y), before.At(x + 20, y + 10)) << x << "," << y;
    EXPECT_NE(after.At(0, 0), before.At(0, 0));
}

// Stepping across the scene centre scrolls the picture by the step, as on
// either side of it: mirroring the whole position on the negative side
// would jump it from start x to width - start x there.
TEST_F(ScrollBackgroundTest, CrossingTheSceneCentreScrollsWithoutAJump) {
    KScrollSetting setting = BackgroundSetting(1, 1000, 2000, 1000, 2000);
    UpdateBackgroundSetting(setting, background, 1000, 2000, Loader());
    ASSERT_TRUE(background.IsEnabled());
    ASSERT_EQ(background.StartX(), 55);
    const auto paint = [&](int focusX) {
        BeginDrawing();
        background.Paint(focusX, 2000);
        return EndDrawing();
    };
    const auto left = paint(999);
    const auto right = paint(1001);
    for (UINT y = 0; y < 600; y += 5)
        for (UINT x = 0; x + 2 < 800; ++x) ASSERT_EQ(right.At(x, y), left.At(x + 2, y)) << x << "," << y;
    int x = 0, y = 0;
    background.PictureOrigin(999, 2000, &x, &y);
    EXPECT_EQ(x, 54);
    background.PictureOrigin(1001, 2000, &x, &y);
    EXPECT_EQ(x, 56);
}

TEST_F(ScrollBackgroundTest, RatingsGiveShiftsAndNonPositiveRatingsHoldStill) {
    struct Case {
        int rating, shiftX, shiftY;
    };
    const Case cases[] = {{1, 0, 1}, {2, 1, 2}, {3, 1, 2}, {4, 2, 3}, {0, -1, -1}, {-8, -1, -1},
                          {0x7FFFFFFF, 30, 31}};
    ASSERT_TRUE(background.LoadPicture("sea.jpg"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rating);
        background.Setup(BackgroundSetting(c.rating, 0, 0, 0, 0));
        EXPECT_EQ(background.ShiftX(), c.shiftX);
        EXPECT_EQ(background.ShiftY(), c.shiftY);
        if (c.shiftX < 0) {
            int x = 0, y = 0;
            background.PictureOrigin(-12345, 777, &x, &y);
            EXPECT_EQ(x, background.StartX());
            EXPECT_EQ(y, background.StartY());
        }
    }
}

TEST_F(ScrollBackgroundTest, MirroredStartsKeepZero) {
    ASSERT_TRUE(background.LoadPicture("sea.jpg"));
    // (600 - (1055 - 65)) mod 130 is 0: mirrored it stays 0, not 130.
    background.Setup(BackgroundSetting(1, 1000, 0, 1055, 0));
    EXPECT_EQ(background.StartX(), 0);
    // (600 - 1190) mod 130 = 60, mirrored 70.
    background.Setup(BackgroundSetting(1, 1000, 0, 1255, 0));
    EXPECT_EQ(background.StartX(), 70);
}

TEST_F(ScrollBackgroundTest, FillsThePaintRectangleWrappingAroundThePicture) {
    KScrollSetting setting = WithPaintRect(BackgroundSetting(1, 0, 0, 0, 0), 10, 20, 310, 170);
    UpdateBackgroundSetting(setting, background, 1, 1, Loader());
    ASSERT_TRUE(background.IsEnabled());
    int startX = 0, startY = 0;
    background.PictureOrigin(0, 0, &startX, &startY);
    BeginDrawing();
    background.Paint(0, 0);
    const auto screen = EndDrawing();
    const DecodedPicture decoded = Decode("sea.jpg", JPEG_MASK_565);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 300; ++x)
            ASSERT_EQ(screen.At(UINT(10 + x), UINT(20 + y)),
                      OnScreen(DeviceColour565(decoded.At((startX + x) % 130, (startY + y) % 64))))
                << x << "," << y;
    EXPECT_EQ(screen.At(9, 20), 0xFF000000u);
    EXPECT_EQ(screen.At(310, 20), 0xFF000000u);
    EXPECT_EQ(screen.At(10, 170), 0xFF000000u);
}

TEST_F(ScrollBackgroundTest, EachTilesFragmentsAreOneDrawWithTheFragmentByFragmentPixels) {
    KScrollSetting setting = WithPaintRect(BackgroundSetting(1, 0, 0, 30, 20), 7, 5, 297, 141);
    UpdateBackgroundSetting(setting, background, 1, 1, Loader());
    ASSERT_TRUE(background.IsEnabled());
    const auto fill = [&](bool oneByOne) {
        background.Picture().DrawFragmentsOneByOne(oneByOne);
        BeginDrawing(0xFF204060);
        background.Paint(0, 0);
        const auto draws = lumiva::d3d9::RecordedCallsNamed("DrawPrimitive");
        return std::make_pair(draws, EndDrawing());
    };
    const auto [draws, screen] = fill(false);
    // The image cache's answers come back to the tiles from the batched draw.
    for (int t = 0; t < 3; ++t) {
        const KPictureTile& tile = background.Picture().Tile(t);
        DWORD id = 0;
        int16_t index = -1;
        ASSERT_NE(m_shell->imageCache.GetImageNoPin(tile.key, &id, &index, 0, 0, 0, 1, 0), nullptr);
        EXPECT_EQ(tile.indexHint, uint16_t(index)) << t;
        EXPECT_EQ(tile.image, id) << t;
    }
    const auto [fragments, wanted] = fill(true);
    EXPECT_EQ(screen.pixels, wanted.pixels);
    // A strip a fragment, one by one; a list a tile (all three), batched,
    // holding the same triangles.
    ASSERT_GT(fragments.size(), 9u);
    for (const auto& draw : fragments) ASSERT_EQ(draw.args[2], 2u);
    ASSERT_EQ(draws.size(), 3u);
    uint64_t triangles = 0;
    std::set<IDirect3DBaseTexture9*> textures;
    for (const auto& draw : draws) {
        EXPECT_EQ(draw.args[0], uint64_t(D3DPT_TRIANGLELIST));
        triangles += draw.args[2];
        textures.insert(draw.state->textures[0]);
    }
    EXPECT_EQ(triangles, 2 * fragments.size());
    EXPECT_EQ(textures.size(), 3u);
}

TEST_F(ScrollBackgroundTest, PaintRectanglesAreCutToTheScreen) {
    KScrollSetting setting = WithPaintRect(BackgroundSetting(1, 0, 0, 0, 0), -2000000000, -5, 2000000000, 64);
    UpdateBackgroundSetting(setting, background, 1, 1, Loader());
    BeginDrawing();
    background.Paint(0, 0);
    // 800 pixels across at most two tile rows (a tile per 64 pixels, one
    // more per picture seam): not the settings' billions.
    EXPECT_LE(DrawCount(), 2u * (800 / 64 + 8));
    const auto screen = EndDrawing();
    EXPECT_NE(screen.At(0, 0), 0xFF000000u);
    EXPECT_NE(screen.At(799, 63), 0xFF000000u);
    EXPECT_EQ(screen.At(0, 64), 0xFF000000u);
}

TEST_F(ScrollBackgroundTest, EmptyPaintRectanglesDrawNothing) {
    const int rects[][4] = {{0, 0, 0, 10}, {0, 0, 10, 0}, {900, 0, 1000, 10}, {50, 50, 40, 60}};
    for (const auto& r : rects) {
        KScrollSetting setting = WithPaintRect(BackgroundSetting(1, 0, 0, 0, 0), r[0], r[1], r[2], r[3]);
        KScrollBackground empty;
        UpdateBackgroundSetting(setting, empty, 1, 1,
                                [&](const KScrollSetting&) { return empty.LoadPicture("sea.jpg") ? 1 : 0; });
        ASSERT_TRUE(empty.IsEnabled());
        BeginDrawing();
        empty.Paint(0, 0);
        EXPECT_EQ(DrawCount(), 0u) << r[0] << "," << r[1] << "," << r[2] << "," << r[3];
        EndDrawing();
    }
}

TEST_F(ScrollBackgroundTest, LeavingTheAreaReleasesThePicture) {
    KScrollSetting setting = BackgroundSetting(2, 0, 0, 0, 0);
    UpdateBackgroundSetting(setting, background, 500, 500, Loader());
    ASSERT_TRUE(background.IsLoaded());
    const std::string key = background.Picture().Tile(0).key;
    UpdateBackgroundSetting(setting, background, -1, 500, Loader());
    EXPECT_FALSE(background.IsEnabled());
    EXPECT_FALSE(background.IsLoaded());
    EXPECT_EQ(setting.active, 0);
    EXPECT_FALSE(m_shell->RemoveImage(key.c_str()));
    BeginDrawing();
    background.Paint(0, 0);
    EXPECT_EQ(DrawCount(), 0u);
    EndDrawing();
    // A picture that cannot be read starts nothing.
    KScrollSetting broken = BackgroundSetting(2, 0, 0, 0, 0);
    UpdateBackgroundSetting(broken, background, 500, 500,
                            [this](const KScrollSetting&) { return background.LoadPicture("absent.jpg") ? 1 : 0; });
    EXPECT_FALSE(background.IsEnabled());
}

}  // namespace
}  // namespace overlay_test
