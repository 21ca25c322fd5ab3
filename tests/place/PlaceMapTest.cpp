// The mini-map: its picture, the 8 x 8 block window that follows the
// centre, the three ways it is drawn and the record for the host's icons.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>

#include "JpegImage.h"
#include "KIniFile.h"
#include "KStringMap.h"
#include "MapWriter.h"
#include "OverlayFixture.h"
#include "PlaceOverlayWriter.h"
#include "place/PlaceMap.h"
#include "place/ScenePlaceHost.h"
#include "shell/ShellGlobals.h"
#include "shell/VideoPolicy.h"
#include "support/QuietPlaceHost.h"
#include "win32/Control.h"

namespace overlay_test {
namespace {

constexpr const char* kFolder = "\\Maps\\east";
constexpr int kPictureW = 700, kPictureH = 400;

class IconHost final : public test_support::QuietPlaceHost {
public:
    void PaintMapIcons(KMapIconRecord* icons, int32_t flag) override {
        record = *icons;
        pointer = icons;
        flags.push_back(flag);
    }
    int32_t QueryMiniMap(int32_t value) override { return value * 2; }
    void PassMiniMapValue(int32_t value) override { passed.push_back(value); }

    KMapIconRecord record{};
    const KMapIconRecord* pointer = nullptr;
    std::vector<int32_t> flags;
    std::vector<int32_t> passed;
};

class PlaceMapTest : public OverlayTest {
protected:
    void SetUp() override {
        OverlayTest::SetUp();
        g_PictureTextureFormat = D3DFMT_R5G6B5;
        WriteFlatSprite("accept.spr", 12, 10, 0xFF00FF00);
        WriteFlatSprite("finish.spr", 7, 5, 0xFF00FF00);
        MiniMapIconNames names;
        names.self = "self.spr";
        names.team = "team.spr";
        names.friends = "friend.spr";
        names.player = "player.spr";
        names.fightNpc = "fightnpc.spr";
        names.normal = "normal.spr";
        names.fightPlayer = "fightplayer.spr";
        names.acceptTask = "accept.spr";
        names.finishTask = "finish.spr";
        names.cantFinishTask = "absent.spr";
        WriteDataFile("Ui/Setting.ini", WriteMiniMapUiSettings(names));
        WriteDataFile("config.ini", std::string("[Client]\nShowObstacle=1\n"));
        WritePatternJpeg("Maps/east24.jpg", kPictureW, kPictureH);
        decoded = Decode("Maps/east24.jpg", JPEG_MASK_565);
        SetScenePlaceHost(&host);
    }
    void TearDown() override {
        SetScenePlaceHost(nullptr);
        map.reset();
        OverlayTest::TearDown();
    }

    // The .wor of the map and the map loaded from it.
    void LoadMap(const WorSettings& settings, const char* folder = kFolder) {
        WriteDataFile("Maps/east.wor", WriteWorSettings(settings));
        KIniFile ini;
        ASSERT_TRUE(ini.Load("\\Maps\\east.wor"));
        map->LoadMap(&ini, folder);
    }
    static WorSettings AtRegion(int x, int y) {
        WorSettings s;
        s.mapLTRegionIndex = std::array<int, 2>{x, y};
        return s;
    }

    // A shown 200 x 100 mini-map of the map at region (2, 3), centred at
    // (x, y).
    void ShowAt(int x, int y) {
        LoadMap(AtRegion(2, 3));
        ASSERT_TRUE(map->HasPicture());
        map->SetSize(200, 100);
        map->SetCentre(x, y, false);
        map->SetFlags(KPlaceMap::kFlagShown);
    }

    // What a block pixel must hold: the picture's pixel under it, or
    // black outside the picture.
    D3DCOLOR ExpectedBlockPixel(int row, int column, int x, int y) const {
        const int px = (map->WindowOriginX() - map->OriginX()) / 16 + 128 * column + x;
        const int py = (map->WindowOriginY() - map->OriginY()) / 32 + 128 * row + y;
        if (px < 0 || py < 0 || px >= kPictureW || py >= kPictureH) return 0xFF000000u;
        return DeviceColour565(decoded.At(px, py));
    }

    // Every block against the picture at a few points each.
    void ExpectAllBlocks() {
        for (int row = 0; row < 8; ++row)
            for (int column = 0; column < 8; ++column)
                for (const auto& [x, y] : {std::pair{0, 0}, {64, 64}, {127, 127}, {5, 120}})
                    ASSERT_EQ(ImagePixel(map->Block(row * 8 + column).key, x, y),
                              ExpectedBlockPixel(row, column, x, y))
                        << "block " << row << "," << column << " at " << x << "," << y;
    }

    IconHost host;
    DecodedPicture decoded;
    std::unique_ptr<KPlaceMap> map = std::make_unique<KPlaceMap>();
};

TEST_F(PlaceMapTest, SizesStayWithinTheLimits) {
    struct Case {
        int w, h, wantW, wantH;
    };
    for (const Case& c : {Case{1000, -5, 896, 0}, Case{897, 896, 896, 896}, Case{0, 0, 0, 0}, Case{120, 80, 120, 80}}) {
        map->SetSize(c.w, c.h);
        EXPECT_EQ(map->ViewWidth(), c.wantW) << c.w << "x" << c.h;
        EXPECT_EQ(map->ViewHeight(), c.wantH) << c.w << "x" << c.h;
    }
}

TEST_F(PlaceMapTest, TheOriginComesFromTheRegionIndexOrTheRect) {
    struct Case {
        const char* name;
        std::optional<std::array<int, 2>> index;
        std::optional<std::array<int, 4>> rect;
        bool picture;
        int originX, originY;
    };
    const Case cases[] = {
        {"index", std::array<int, 2>{2, 3}, std::nullopt, true, 1024, 3072},
        {"rect", std::nullopt, std::array<int, 4>{4, 5, 9, 9}, true, 2048, 5120},
        {"both", std::array<int, 2>{1, 1}, std::array<int, 4>{4, 5, 9, 9}, true, 512, 1024},
        {"neither", std::nullopt, std::nullopt, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorSettings s;
        s.mapLTRegionIndex = c.index;
        s.rect = c.rect;
        LoadMap(s);
        EXPECT_EQ(map->HasPicture(), c.picture);
        if (c.picture) {
            EXPECT_EQ(map->OriginX(), c.originX);
            EXPECT_EQ(map->OriginY(), c.originY);
        }
    }
    LoadMap(AtRegion(2, 3), "\\Maps\\west");  // no west24.jpg
    EXPECT_FALSE(map->HasPicture());
    map->LoadMap(nullptr, kFolder);
    EXPECT_FALSE(map->HasPicture());
    EXPECT_TRUE(map->ShowObstacle());
}

TEST_F(PlaceMapTest, BlocksHoldTheMapPictureAroundTheCentre) {
    ShowAt(0, 0);  // held at the smallest centre: origin + half the view
    EXPECT_EQ(map->CentreX(), 1024 + 1600);
    EXPECT_EQ(map->CentreY(), 3072 + 1600);
    // The centre lies in block 3 of the window.
    EXPECT_EQ(map->WindowOriginX(), -4096);
    EXPECT_EQ(map->WindowOriginY(), -8192);
    ExpectAllBlocks();
}

TEST_F(PlaceMapTest, ACentreMovingOneBlockOnMovesTheWindowAndRebuildsEveryBlock) {
    ShowAt(0, 0);
    map->SetCentre(map->CentreX() + 1000, map->CentreY(), true);  // still block 3
    EXPECT_EQ(map->WindowOriginX(), -4096);
    map->SetCentre(-4096 + 4 * 2048 + 10, map->CentreY(), true);  // block 4
    EXPECT_EQ(map->WindowOriginX(), -4096 + 2048);
    EXPECT_EQ(map->WindowOriginY(), -8192);
    ExpectAllBlocks();
    // Beyond the picture the centre is held at its largest value.
    map->SetCentre(1 << 30, 1 << 30, true);
    EXPECT_EQ(map->CentreX(), 1024 + (kPictureW - 200) * 16);
    EXPECT_EQ(map->CentreY(), 3072 + (kPictureH - 100) * 32);
    ExpectAllBlocks();
}

// The first centre shown may already lie in the window's middle block: the
// blocks are built all the same.
TEST_F(PlaceMapTest, AFirstCentreInTheMiddleBlockStillBuildsTheBlocks) {
    LoadMap(AtRegion(0, 4));  // origin (0, 4096)
    ASSERT_TRUE(map->HasPicture());
    map->SetSize(200, 100);
    map->SetCentre(7000, 13000, false);
    map->SetFlags(KPlaceMap::kFlagShown);
    EXPECT_EQ(map->WindowOriginX(), 0);
    EXPECT_EQ(map->WindowOriginY(), 0);
    ExpectAllBlocks();
}

TEST_F(PlaceMapTest, DrawsTheVisiblePartOfTheBlocks) {
    ShowAt(1024 + 150 * 16, 3072 + 100 * 32);  // the picture's middle
    const int32_t* view = map->ViewWindow();
    EXPECT_EQ(view[0], 1024 / 16 + 150 - 100);
    EXPECT_EQ(view[1], 3072 / 32 + 100 - 50);
    EXPECT_EQ(view[2] - view[0], 200);
    EXPECT_EQ(view[3] - view[1], 100);
    BeginDrawing();
    map->Paint(30, 40, false, 0, 1);
    EXPECT_GE(DrawCount(), 2u);
    const auto screen = EndDrawing();
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ(screen.At(UINT(30 + x), UINT(40 + y)), OnScreen(DeviceColour565(decoded.At(50 + x, 50 + y))))
                << x << "," << y;
    EXPECT_EQ(screen.At(29, 40), 0xFF000000u);
    EXPECT_EQ(screen.At(230, 40), 0xFF000000u);
    EXPECT_EQ(screen.At(30, 140), 0xFF000000u);
    EXPECT_TRUE(host.flags.empty());
}

TEST_F(PlaceMapTest, ThreeRoutesOfDrawing) {
    ShowAt(1024 + 150 * 16, 3072 + 100 * 32);
    // The texture factor each block was drawn with (0 when not used).
    const auto drawFactors = [] {
        std::vector<DWORD> factors;
        for (const auto& draw : lumiva::d3d9::RecordedCallsNamed("DrawPrimitive")) {
            const bool used = draw.state->stageStates[0][D3DTSS_ALPHAARG2] == D3DTA_TFACTOR;
            factors.push_back(used ? draw.state->renderStates[D3DRS_TEXTUREFACTOR] : 0);
        }
        return factors;
    };
    struct Route {
        int brightness, b;  // brightness -1: as the shell starts
        DWORD factor;
    };
    // b: full brightness; else the shell's brightness, 60 from the start.
    for (const Route& route : {Route{-1, 0, 0x99FFFFFF}, Route{-1, 1, 0}, Route{80, 0, 0xCCFFFFFF}}) {
        if (route.brightness >= 0) m_shell->SetBrightness(route.brightness);
        BeginDrawing();
        map->Paint(0, 0, false, 0, route.b);
        const auto factors = drawFactors();
        EXPECT_EQ(factors.size(), 3u);  // the view spans three blocks of one row
        for (DWORD factor : factors) EXPECT_EQ(factor, route.factor) << route.brightness << " " << route.b;
        EndDrawing();
    }
    // Composed into the capture: pixels, and no draw call.
    BeginDrawing();
    map->Paint(30, 40, false, 1, 0);
    EXPECT_EQ(DrawCount(), 0u);
    const auto screen = EndDrawing();
    // The composition widens 16-bit pixels by shifting, as the shell does.
    EXPECT_EQ(screen.At(30, 40), OnScreen(ShellColour565(decoded.At(50, 50))));
    EXPECT_EQ(screen.At(229, 139), OnScreen(ShellColour565(decoded.At(249, 149))));
    EXPECT_EQ(screen.At(230, 139), 0xFF000000u);
    // Hidden: nothing.
    map->SetFlags(0);
    BeginDrawing();
    map->Paint(0, 0, true, 0, 1);
    EXPECT_EQ(DrawCount(), 0u);
    EndDrawing();
}

TEST_F(PlaceMapTest, TheIconRecordTellsTheHostWhereAndWhat) {
    ShowAt(1024 + 150 * 16, 3072 + 100 * 32);
    lumiva::win32::AdvanceClock(250);
    map->SetFlags(KPlaceMap::kFlagShown | KPlaceMap::kFlagIconsA);  // one icon bit: no icons
    map->Paint(5, 6, true, 0, 1);
    EXPECT_TRUE(host.flags.empty());
    map->SetFlags(7);
    map->Paint(5, 6, false, 0, 1);  // another map's picture: no icons
    EXPECT_TRUE(host.flags.empty());
    map->Paint(5, 6, true, 0, 1);
    ASSERT_EQ(host.flags, std::vector<int32_t>{1});
    const KMapIconRecord& r = host.record;
    EXPECT_EQ(r.paintX, 5);
    EXPECT_EQ(r.paintY, 6);
    EXPECT_EQ(r.flagBit1, 1);
    EXPECT_EQ(r.flagBit2, 1);
    EXPECT_EQ(r.zero[0] | r.zero[1], 0);
    EXPECT_EQ(r.elapsed, 250u);
    EXPECT_EQ(r.viewWindow, map->ViewWindow());
    EXPECT_EQ(r.acceptFirst, 12);
    EXPECT_EQ(r.acceptSecond, 10);
    EXPECT_EQ(r.finishFirst, 7);
    EXPECT_EQ(r.finishSecond, 5);
    EXPECT_EQ(r.cantFinishFirst | r.cantFinishSecond, 0);
    ASSERT_NE(r.accept, nullptr);
    EXPECT_STREQ(r.accept->fileName, "accept.spr");
    EXPECT_EQ(r.accept->imageType, 1);
    EXPECT_STREQ(r.finish->fileName, "finish.spr");
    EXPECT_STREQ(r.cantFinish->fileName, "absent.spr");
    EXPECT_EQ(std::string(r.picture.fileName).rfind("*PlaceMap_", 0), 0u);
    EXPECT_STREQ(r.teamIcon, "team.spr");
    EXPECT_STREQ(r.friendIcon, "friend.spr");
    EXPECT_STREQ(r.playerIcon, "player.spr");
    EXPECT_STREQ(r.fightNpcIcon, "fightnpc.spr");
    EXPECT_STREQ(r.normalIcon, "normal.spr");
    EXPECT_STREQ(r.fightPlayerIcon, "fightplayer.spr");
    EXPECT_STREQ(map->SelfIcon(), "self.spr");
    // The next send counts from this one.
    lumiva::win32::AdvanceClock(40);
    map->Paint(5, 6, true, 0, 0);
    EXPECT_EQ(host.record.elapsed, 40u);
    EXPECT_EQ(host.flags.back(), 0);
}

TEST_F(PlaceMapTest, ViewBoundsAndOrigin) {
    int32_t rect[4] = {-1, -1, -1, -1};
    int32_t w = 0, h = 0;
    EXPECT_FALSE(map->GetView(rect));
    EXPECT_FALSE(map->GetOrigin(&w, &h));
    ShowAt(1024 + 150 * 16, 3072 + 100 * 32);
    ASSERT_TRUE(map->GetView(rect));
    EXPECT_EQ(rect[0], 1024);
    EXPECT_EQ(rect[1], 3072);
    EXPECT_EQ(rect[2], 1024 + kPictureW * 16);
    EXPECT_EQ(rect[3], 3072 + kPictureH * 32);
    ASSERT_TRUE(map->GetOrigin(&w, &h));
    EXPECT_EQ(w, kPictureW);
    EXPECT_EQ(h, kPictureH);
    int32_t bounds[8] = {};
    EXPECT_TRUE(map->GetBounds(bounds));
    EXPECT_EQ(bounds[2], 1024 / 16);
    EXPECT_EQ(bounds[3], 3072 / 32);
    EXPECT_EQ(bounds[6], 1024 / 16 + 150);
    EXPECT_EQ(bounds[7], 3072 / 32 + 100);
    EXPECT_EQ(map->QueryHost(21), 42);
    map->PassToHost(9);
    EXPECT_EQ(host.passed, std::vector<int32_t>{9});
    map->DropPicture();
    EXPECT_EQ(map->QueryHost(21), 0);
    EXPECT_FALSE(map->GetOrigin(&w, &h));
}

TEST_F(PlaceMapTest, ReleasedImagesGoBackToTheShell) {
    ShowAt(0, 0);
    const std::string key = map->Block(63).key;
    map->ReleaseImages();
    EXPECT_FALSE(m_shell->RemoveImage(key.c_str()));
    // A later map makes them again.
    LoadMap(AtRegion(2, 3));
    EXPECT_TRUE(map->HasPicture());
    EXPECT_STRNE(map->Block(63).key, "");
}

TEST_F(PlaceMapTest, OtherTextureFormatsEndTheProcessAtOnce) {
    std::vector<std::pair<UINT, lumiva::win32::ExitKind>> exits;
    lumiva::win32::SetFatalHook([&](UINT code, lumiva::win32::ExitKind kind) { exits.emplace_back(code, kind); });
    g_PictureTextureFormat = D3DFMT_A8R8G8B8;
    ShowAt(0, 0);
    ASSERT_FALSE(exits.empty());
    EXPECT_NE(exits[0].first, 0u);
    EXPECT_EQ(exits[0].second, lumiva::win32::ExitKind::Immediate);
    const auto boxes = lumiva::win32::RecordedMessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].text, g_cStringMap.GetString(48));
    EXPECT_EQ(boxes[0].caption, g_cStringMap.GetString(44));
}

}  // namespace
}  // namespace overlay_test
