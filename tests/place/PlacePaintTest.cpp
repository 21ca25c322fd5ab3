// Painting a loaded place: the order of a frame's steps, ground picture
// composition, wall fragments whole and cut, list pictures by blend mode,
// fades, the obstacle overlay and the light grid on the ground.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "PlacePaintFixture.h"
#include "d3d9/Control.h"
#include "place/LightGrid.h"
#include "place/ObjectPaint.h"
#include "place/PlaceClocks.h"
#include "place/ScenePlaceHost.h"
#include "place/Weather.h"
#include "win32/Control.h"

namespace place_test {
namespace {

using lumiva::d3d9::RecordedCall;

std::string TextureSize(const RecordedCall& call) {
    IDirect3DBaseTexture9* base = call.state ? call.state->textures[0] : nullptr;
    if (!base || base->GetType() != D3DRTYPE_TEXTURE) return "-";
    D3DSURFACE_DESC desc{};
    static_cast<IDirect3DTexture9*>(base)->GetLevelDesc(0, &desc);
    return std::to_string(desc.Width) + "x" + std::to_string(desc.Height);
}

// Lines in the last line-list draw of the frame.
uint64_t LinesInLastLineDraw() {
    const std::vector<RecordedCall>& calls = lumiva::d3d9::RecordedCalls();
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
        if (it->name.rfind("Draw", 0) != 0 || it->args[0] != D3DPT_LINELIST) continue;
        return it->name == "DrawPrimitive" ? it->args[2] : it->args[1];
    }
    return 0;
}

// The frame as events: alpha modes, draws by texture size (runs of equal
// draws as one), host paints by pass, and target changes.
std::vector<std::string> Events(const PaintHost& host) {
    const std::vector<RecordedCall>& calls = lumiva::d3d9::RecordedCalls();
    std::vector<std::string> events;
    size_t painted = 0;
    auto add = [&events](const std::string& e) {
        if (events.empty() || events.back() != e) events.push_back(e);
    };
    for (size_t i = 0; i <= calls.size(); ++i) {
        while (painted < host.painted.size() && host.painted[painted].deviceCalls == i)
            events.push_back("host " + std::to_string(host.painted[painted++].pass));
        if (i == calls.size()) break;
        const RecordedCall& c = calls[i];
        if (c.name == "SetRenderState" && c.args[0] == D3DRS_ALPHABLENDENABLE && i + 3 < calls.size() &&
            calls[i + 2].name == "SetRenderState" && calls[i + 2].args[0] == D3DRS_ALPHAFUNC &&
            calls[i + 3].args[0] == D3DRS_ALPHAREF) {
            events.push_back("alpha " + std::to_string(c.args[1]) + "," + std::to_string(calls[i + 1].args[1]) +
                             "," + std::to_string(calls[i + 3].args[1]));
            i += 3;
        } else if (c.name.rfind("Draw", 0) == 0) {
            if (c.args[0] == D3DPT_LINELIST)
                events.push_back("lines");
            else
                add("draw " + TextureSize(c));
        } else if (c.name == "GetBackBuffer") {
            events.push_back("blit");
        } else if (c.name == "SetRenderTarget") {
            add("target");
        }
    }
    return events;
}

GroundTileFields Tile(uint16_t x, uint16_t y, const std::string& name) {
    GroundTileFields tile;
    tile.cellX = x;
    tile.cellY = y;
    tile.name = name;
    return tile;
}

std::vector<uint32_t> Solid(int w, int h, uint32_t argb) { return std::vector<uint32_t>(size_t(w) * h, argb); }

// Three vertical bands of a w x h picture: red, green, blue.
[[maybe_unused]] std::vector<uint32_t> Bands(int w, int h) {
    std::vector<uint32_t> pixels(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixels[size_t(y) * w + x] = x < w / 3 ? 0xFFFF0000 : x < 2 * w / 3 ? 0xFF00FF00 : 0xFF0000FF;
    return pixels;
}

[[maybe_unused]] std::map<D3DCOLOR, int> Histogram(const lumiva::d3d9::Image& image, D3DCOLOR background = 0xFF000000) {
    std::map<D3DCOLOR, int> counts;
    for (D3DCOLOR c : image.pixels)
        if (c != background) ++counts[c];
    return counts;
}

TEST_F(PlacePaintTest, PaintWithoutAMapDrawsNothingButClearsTheFrameFlag) {
    SetPlaceFrameFlag(true);
    BeginDrawing();
    Place().Paint();
    EndDrawing();
    EXPECT_FALSE(PlaceFrameFlag());
    EXPECT_EQ(DrawCount(), 0u);
    EXPECT_TRUE(lumiva::d3d9::RecordedCalls().empty());
}

ScrollSettingSection Layer(int type, const std::string& image) {
    ScrollSettingSection layer;
    layer.type = type;
    layer.area = {8, 8, 13, 13};
    layer.speed = 1;
    layer.count = 3;
    layer.images = {image};
    return layer;
}

// The centre region: a tile, a point, a wall and a flat object, and a
// cell of shape 1 for the overlay.
RegionFileFields OrderRegion() {
    RegionFileFields fields;
    fields.ground = GroundSectionFields{};
    fields.ground->tiles = {Tile(0, 0, "\\spr\\tile.spr")};
    ObjectSectionFields objects;
    objects.objects = {PointFields("\\spr\\point.spr", kCentreX + 200, kCentreY + 500, 30, 30),
                       WallFields("\\spr\\wall.spr", kCentreX + 100, kCentreY + 400, 100, 60),
                       PointFields("\\spr\\flat.spr", kCentreX + 300, kCentreY + 600, 10, 10)};
    objects.points = 1;
    objects.lines = 1;
    objects.flats = 1;
    fields.objects = objects;
    std::vector<uint32_t> cells(512, 0);
    cells[5 * 32 + 7] = 0x13;  // shape 1, type 3
    fields.cells = cells;
    return fields;
}

TEST_F(PlacePaintTest, FrameOrder) {
    WriteSprite("\\spr\\tile.spr", 32, 32, Solid(32, 32, 0xFF404040));
    WriteSprite("\\spr\\wall.spr", 100, 60, Solid(100, 60, 0xFFFF0000));
    WriteSprite("\\spr\\point.spr", 30, 30, Solid(30, 30, 0xFF00FF00));
    WriteSprite("\\spr\\flat.spr", 10, 10, Solid(10, 10, 0xFF0000FF));
    WriteFlatSprite("fall.spr", 200, 20, 0xFFFFFF00);
    WriteFlatSprite("drift.spr", 20, 200, 0xFF00FFFF);
    ScrollSettingSection drift = Layer(3, "drift.spr");
    drift.count = 60;
    WriteScroll(7, {Layer(2, "fall.spr"), drift});
    WriteDataFile("config.ini", std::string("[Client]\nShowObstacle=1\n"));
    WeatherSection rain;
    rain.id = 3;
    rain.particleNum = 400;
    WriteDataFile("settings/Weather/Weather.ini", WriteWeatherIni({rain}));
    WriteRegion(kCentreRegionX, kCentreRegionY, OrderRegion());
    Open();
    Place().BuildScrollLayers(kCentreX + 256, kCentreY + 512);
    Place().SetWeather(3);
    ASSERT_NE(Place().CurrentWeather(), nullptr);
    for (int i = 0; i < 5; ++i) {
        lumiva::win32::AdvanceClock(100);
        Place().SetWeatherClock(uint32_t(i * 100 + 100));
        Place().CurrentWeather()->Update();
    }
    KSceneObject* object = Place().AddObject(3, 1, kCentreX + 250, kCentreY + 700, 0, 1 | 4);
    ASSERT_NE(object, nullptr);
    Place().InvalidateGround();
    PaintFrames();
    const std::vector<std::string> events = Events(host);
    auto first = [&events](const std::string& e) {
        const auto it = std::find(events.begin(), events.end(), e);
        EXPECT_NE(it, events.end()) << e;
        return it - events.begin();
    };
    const std::vector<std::string> order = {
        "alpha 1,0,100",  // blending on, no alpha test
        "target",         // the ground picture composed: tile
        "draw 16x256",    // the second scroll layer, in the scene
        "alpha 0,1,100",  // blending off, alpha test at 100
        "draw 512x512",   // the region's ground picture
        "alpha 1,1,10",   // blending on, alpha test at 10
        "host 1",         // pass 1
        "draw 128x64",    // pass 2: the wall
        "blit",           // the point, then the flat object
        "host 4",         // pass 4
        "draw 256x16",    // the first scroll layer, on screen
        "lines",          // weather, then the overlay
    };
    for (size_t i = 1; i < order.size(); ++i) EXPECT_LT(first(order[i - 1]), first(order[i])) << order[i];
    EXPECT_EQ(std::count(events.begin(), events.end(), "blit"), 2);
    EXPECT_EQ(events[size_t(first("host 4")) - 1], "blit");
    // The overlay's four lines of a shape 1 cell come last, after the rain;
    // the lines of one call reach the device as one line list.
    const auto lines = std::count(events.begin(), events.end(), "lines");
    EXPECT_GE(lines, 2);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), "lines");
    EXPECT_EQ(LinesInLastLineDraw(), 4u);
    EXPECT_TRUE(PlaceFrameFlag());
    // The composition ran once: the next frame only draws the picture.
    PaintFrames();
    const std::vector<std::string> second = Events(host);
    EXPECT_EQ(std::count(second.begin(), second.end(), "target"), 0);
    Place().RemoveObject(0, 0, &object);
}

// Device draws inside each render-target change: one entry a DrawImage.
std::vector<int> TargetBatches() {
    std::vector<int> batches;
    bool inside = false;
    for (const RecordedCall& c : lumiva::d3d9::RecordedCalls()) {
        if (c.name == "SetRenderTarget") {
            inside = !inside;
            if (inside) batches.push_back(0);
        } else if (inside && c.name.rfind("Draw", 0) == 0) {
            ++batches.back();
        }
    }
    return batches;
}

TEST_F(PlacePaintTest, GroundIsComposedInBatchesOfEighty) {
    WriteSprite("\\spr\\tile.spr", 32, 32, Solid(32, 32, 0xFF404040));
    WriteSprite("\\spr\\red.spr", 4, 4, Solid(4, 4, 0xFFFF0000));
    RegionFileFields fields;
    fields.ground = GroundSectionFields{};
    for (int i = 0; i < 81; ++i) fields.ground->tiles.push_back(Tile(uint16_t(i % 16), uint16_t(i / 16), "\\spr\\tile.spr"));
    WriteRegion(kCentreRegionX, kCentreRegionY, fields);
    RegionFileFields recordFields;
    recordFields.ground = GroundSectionFields{};
    GroundRecordFields record;
    record.x = kCentreX + 512 + 40;
    record.y = kCentreY + 100;
    record.name = "\\spr\\red.spr";
    record.kind = 4;
    recordFields.ground->records = {record};
    WriteRegion(kCentreRegionX + 1, kCentreRegionY, recordFields);
    Open();
    Place().InvalidateGround();
    PaintFrames();
    std::vector<int> batches = TargetBatches();
    std::sort(batches.begin(), batches.end());
    // The centre region: 80 and 1; its neighbour: its one record; the
    // seven empty regions draw nothing.
    // and the nine clears set the target without drawing.
    EXPECT_EQ(batches, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 80}));
    // The record at y0 + 100 lands on picture row 50.
    const lumiva::d3d9::Image picture = PicturePixels(Active(1, 0)->groundPicture->picture.fileName);
    ASSERT_EQ(picture.width, 512u);
    for (UINT y = 48; y < 56; ++y)
        EXPECT_EQ(picture.At(41, y) & 0xFFFFFF, y >= 50 && y < 54 ? 0xFF0000u : 0u) << y;
    const lumiva::d3d9::Image centre = PicturePixels(Active(0, 0)->groundPicture->picture.fileName);
    ASSERT_EQ(centre.width, 512u);
    const D3DCOLOR tile = centre.At(0 * 32 + 5, 5 * 32 + 5) & 0xFFFFFF;  // tile 80 at (0, 5)
    EXPECT_NE(tile, 0u);
    EXPECT_EQ(tile, centre.At(15 * 32 + 31, 4 * 32 + 31) & 0xFFFFFF);  // tile 79
    EXPECT_EQ(centre.At(1 * 32 + 5, 5 * 32 + 5) & 0xFFFFFF, 0u);
}

// The centre region with the given objects (first `points` are points,
// then `lines` lines) and nothing else.
RegionFileFields ObjectRegion(const std::vector<RegionObjectFields>& objects, uint16_t points, uint16_t lines) {
    RegionFileFields fields;
    ObjectSectionFields section;
    section.objects = objects;
    section.points = points;
    section.lines = lines;
    fields.objects = section;
    return fields;
}

TEST_F(PlacePaintTest, ACutWallDrawsItsShareOfThePicture) {
    WriteSprite("\\spr\\wall.spr", 96, 48, Bands(96, 48));
    WriteRegion(kCentreRegionX, kCentreRegionY,
                ObjectRegion({WallFields("\\spr\\wall.spr", kCentreX + 200, kCentreY + 500, 96, 48)}, 0, 1));
    Open();
    KTreePoint& fragment = Active(0, 0)->treePoints[0];
    auto paintSpan = [&](uint8_t split, int32_t from, int32_t to) {
        fragment.piece.split = split;
        fragment.SetPosition(kCentreX + 200 + from, kCentreY + 500);
        fragment.end.x = kCentreX + 200 + to;
        return Histogram(PaintFrames());
    };
    // The whole wall: three bands of 32 x 48 pixels.
    const std::map<D3DCOLOR, int> whole = paintSpan(0, 0, 96);
    EXPECT_EQ(whole.at(0xFFFF0000), 32 * 48);
    EXPECT_EQ(whole.at(0xFF0000FF), 32 * 48);
    EXPECT_GE(whole.at(0xFF00FF00), 30 * 48);
    // Cut over its whole base line it draws the same.
    EXPECT_EQ(paintSpan(1, 0, 96), whole);
    // The middle third of the base line: the green band alone, whole.
    EXPECT_EQ(paintSpan(1, 32, 64), (std::map<D3DCOLOR, int>{{0xFF00FF00, 32 * 48}}));
    // The first third: red alone.
    EXPECT_EQ(paintSpan(1, 0, 32), (std::map<D3DCOLOR, int>{{0xFFFF0000, 32 * 48}}));
    // A base line without x extent draws whole.
    Active(0, 0)->objects[0].endX = Active(0, 0)->objects[0].x;
    EXPECT_EQ(paintSpan(1, 32, 64), whole);
    // Extreme fragment coordinates draw without fault.
    Active(0, 0)->objects[0].endX = INT32_MAX;
    paintSpan(1, INT32_MIN / 2, INT32_MAX / 2);
}

TEST_F(PlacePaintTest, ListPicturesBlendBySelectionAndSize) {
    WriteSprite("\\spr\\small.spr", 20, 20, Solid(20, 20, 0x80FF0000));
    WriteSprite("\\spr\\large.spr", 130, 130, Solid(130, 130, 0x80FF0000));
    struct Case {
        const char* name;
        int16_t size;
        uint32_t flags;
        uint8_t blend;
    } cases[] = {{"\\spr\\small.spr", 20, 0x600, 3}, {"\\spr\\large.spr", 130, 0x200, 2}, {"\\spr\\small.spr", 20, 0x200, 0}};
    std::vector<RegionObjectFields> points;
    for (const Case& c : cases) {
        RegionObjectFields f = WallFields(c.name, kCentreX + 100 + 150 * int32_t(points.size()), kCentreY + 600, c.size, c.size);
        f.flags = c.flags;
        points.push_back(f);
    }
    WriteRegion(kCentreRegionX, kCentreRegionY, ObjectRegion(points, 3, 0));
    Open();
    const lumiva::d3d9::Image image = PaintFrames(1, 0xFF0000FF);
    // Half-alpha red (A4R4G4B4: alpha 0x88) over blue: 0x88 red, 0x77 blue.
    // The selected one is first lit toward white by the factor's alpha
    // 0xBB: red 0xFF, green and blue 0x44, then blended: 0x88, 0x24, 0x9B.
    EXPECT_EQ(Histogram(image, 0xFF0000FF),
              (std::map<D3DCOLOR, int>{{0xFF880077, 130 * 130 + 20 * 20}, {0xFF88249B, 20 * 20}}));
    int brightened = 0;
    for (const RecordedCall& c : lumiva::d3d9::RecordedCallsNamed("DrawPrimitive")) {
        if (c.state->stageStates[0][D3DTSS_COLOROP] != D3DTOP_BLENDFACTORALPHA) continue;
        ++brightened;
        EXPECT_EQ(c.state->renderStates[D3DRS_TEXTUREFACTOR], 0xBB000000u);
    }
    EXPECT_EQ(brightened, 4);  // the selected picture's four texture tiles
}

TEST_F(PlacePaintTest, FadesStepOnePaintAtATime) {
    WriteSprite("\\spr\\solid.spr", 20, 20, Solid(20, 20, 0xFFFFFFFF));
    RegionObjectFields in = WallFields("\\spr\\solid.spr", kCentreX + 100, kCentreY + 600, 20, 20);
    in.flags = 0x200;
    in.fade = 0xFF00;
    RegionObjectFields out = WallFields("\\spr\\solid.spr", kCentreX + 300, kCentreY + 600, 20, 20);
    out.flags = 0x200;
    out.fade = 0x00FF;
    WriteRegion(kCentreRegionX, kCentreRegionY, ObjectRegion({in, out}, 2, 0));
    Open();
    KRegionObjectRecord& fadingIn = Active(0, 0)->objects[0];
    KRegionObjectRecord& fadingOut = Active(0, 0)->objects[1];
    auto whites = [](const lumiva::d3d9::Image& image) {
        const auto h = Histogram(image);
        int count = 0;
        for (const auto& [colour, n] : h) count += n;
        return count;
    };
    // Alpha 0 and alpha 255 draw: one picture shows.
    EXPECT_EQ(whites(PaintFrames()), 400);
    EXPECT_EQ(fadingIn.fade, 0xFF01);
    EXPECT_EQ(fadingOut.fade, 0x00FE);
    lumiva::d3d9::SetNoRaster(true);
    PaintFrames(253);
    lumiva::d3d9::SetNoRaster(false);
    EXPECT_EQ(fadingIn.fade, 0xFFFE);
    EXPECT_EQ(fadingOut.fade, 0x0001);
    PaintFrames();
    EXPECT_EQ(fadingIn.fade, 0xFFFF);
    EXPECT_EQ(fadingOut.fade, 0);
    // 0xFFFF ends the fade in; the faded-out picture stays out.
    const lumiva::d3d9::Image last = PaintFrames();
    EXPECT_EQ(fadingIn.fade, 0);
    EXPECT_EQ(Histogram(last), (std::map<D3DCOLOR, int>{{0xFFFFFFFF, 400}}));
    EXPECT_EQ(Histogram(PaintFrames()), (std::map<D3DCOLOR, int>{{0xFFFFFFFF, 400}}));
    EXPECT_TRUE(RecordFadedOut(fadingOut));
}

TEST_F(PlacePaintTest, ObstacleOverlayOutlinesEachShape) {
    WriteDataFile("config.ini", std::string("[Client]\nShowObstacle=1\n"));
    WriteRegion(kCentreRegionX, kCentreRegionY, RegionFileFields{});
    Open();
    KSceneRegion& region = *Active(0, 0);
    const int cell = 8 * 32 + 15;  // column 8, row 15: near the focus
    std::set<std::vector<D3DCOLOR>> shapes;
    for (uint32_t type : {0u, 2u, 3u, 15u}) {
        const D3DCOLOR expected = type < 3 ? 0xFFFF7FFF : 0xFFFFFFFF;
        for (uint32_t shape = 0; shape < 8; ++shape) {
            std::fill(std::begin(region.workingGrid), std::end(region.workingGrid), 0u);
            region.workingGrid[cell] = shape << 4 | type;
            const lumiva::d3d9::Image image = PaintFrames();
            const auto h = Histogram(image);
            size_t lines = 0;
            for (const RecordedCall& c : lumiva::d3d9::RecordedCalls())
                if (c.name.rfind("Draw", 0) == 0 && c.args[0] == D3DPT_LINELIST) lines += size_t(c.args[c.name == "DrawPrimitive" ? 2 : 1]);
            if (shape < 1 || shape > 5) {
                EXPECT_TRUE(h.empty()) << shape;
                continue;
            }
            ASSERT_EQ(h.size(), 1u) << shape << " " << type;
            EXPECT_EQ(h.begin()->first, expected) << shape << " " << type;
            EXPECT_EQ(lines, shape == 1 ? 4u : 3u) << shape;
            std::vector<D3DCOLOR> lit;
            for (size_t i = 0; i < image.pixels.size(); ++i)
                if (image.pixels[i] != 0xFF000000) lit.push_back(D3DCOLOR(i));
            if (type == 0) shapes.insert(lit);
        }
    }
    EXPECT_EQ(shapes.size(), 5u);  // five different outlines
}

TEST_F(PlacePaintTest, TheLightGridTintsTheGround) {
    WriteSprite("\\spr\\white.spr", 32, 32, Solid(32, 32, 0xFFFFFFFF));
    RegionFileFields fields;
    fields.ground = GroundSectionFields{};
    for (uint16_t x = 0; x < 16; ++x)
        for (uint16_t y = 0; y < 32; ++y) fields.ground->tiles.push_back(Tile(x, y, "\\spr\\white.spr"));
    ObjectSectionFields objects;
    objects.lights = {RegionLightFields{kCentreX + 256, kCentreY + 512, 0, 0xFFFFFFFF, 300, 300, 0}};
    fields.objects = objects;
    WriteRegion(kCentreRegionX, kCentreRegionY, fields);
    WorSettings settings;
    settings.isLight = 1;
    lumiva::win32::InstallScriptedRandom({0});
    Open(settings);
    ASSERT_TRUE(Place().LightGridEnabled());
    ASSERT_EQ(Place().ObjectTree().Lights().size(), 1u);
    Place().SetAmbientColor(0xFF101010);
    Place().InvalidateGround();
    // The ground paints before pass 1 builds the grid: a frame shows the
    // grid of the frame before. The shell lights the ground four times the
    // grid colour; the focus (screen centre) stands under the light.
    auto centreRed = [this] { return (PaintFrames(2).At(400, 300) >> 16) & 0xFF; };
    const uint32_t lit = centreRed();
    const KLightGrid& grid = Place().ObjectTree().LightGrid();
    EXPECT_EQ(std::memcmp(m_shell->lightGrid, grid.Colours(), sizeof m_shell->lightGrid), 0);
    const uint32_t cell = (grid.At(24, 48) >> 16) & 0xFF;  // the grid origin is region (9, 9)
    EXPECT_GT(cell, 0x10u);
    EXPECT_EQ(lit, std::min<uint32_t>(4 * cell, 255));
    Place().EnableObjectLights(false);
    EXPECT_EQ(centreRed(), 0x40u);
    EXPECT_EQ(grid.At(24, 48), 0xFF101010u);
    Place().SetAmbientColor(0xFF000000);
    EXPECT_EQ(centreRed(), 0u);
}

TEST_F(PlacePaintTest, HostileRecordsPaintWithoutFault) {
    WriteSprite("\\spr\\anim.spr", 8, 8, Solid(8, 8, 0xFFFFFFFF), 3, 30);
    RegionFileFields fields;
    fields.ground = GroundSectionFields{};
    GroundTileFields overrun = Tile(1, 1, "\\spr\\anim.spr");
    overrun.nameLength = 500;  // runs past the tile bytes: the walk ends
    fields.ground->tiles = {Tile(0, 0, std::string(200, 'n')), overrun};
    GroundRecordFields unterminated;
    unterminated.x = INT32_MIN;
    unterminated.y = INT32_MAX;
    unterminated.name = std::string(128, 'g');
    unterminated.kind = 4;
    fields.ground->records = {unterminated};
    ObjectSectionFields objects;
    RegionObjectFields far = WallFields("\\spr\\anim.spr", INT32_MAX - 10, INT32_MIN + 10, 127, 127);
    far.flags = 0x300;
    far.fade = 0x00FF;
    RegionObjectFields animated = PointFields("\\spr\\anim.spr", kCentreX + 100, kCentreY + 600, 8, 8);
    animated.frameInterval = 30;
    animated.frameCount = 3;
    animated.frame = 65535;
    RegionObjectFields line = WallFields("\\spr\\anim.spr", INT32_MIN, kCentreY + 500, 64, 32);
    line.endX = INT32_MAX;
    line.frame = 9;
    RegionObjectFields flat = PointFields("\\spr\\anim.spr", INT32_MAX, INT32_MAX, 8, 8);
    flat.frameInterval = 1;
    flat.frame = 40000;
    flat.endX = -1;  // cached id and index of a flat record
    flat.endY = -1;
    objects.objects = {far, animated, line, flat};
    objects.points = 2;
    objects.lines = 1;
    objects.flats = 1;
    fields.objects = objects;
    WriteRegion(kCentreRegionX, kCentreRegionY, fields);
    Open();
    ASSERT_EQ(Place().FlatObjects().size(), 1u);
    Place().InvalidateGround();
    for (int i = 0; i < 3; ++i) {
        lumiva::win32::AdvanceClock(45);
        PaintFrames();
    }
    EXPECT_LT(Active(0, 0)->objects[1].frame, 3);  // restarted from 65535
    EXPECT_EQ(Active(0, 0)->objects[3].frameInterval, 30);  // taken from the picture
    EXPECT_LT(Active(0, 0)->objects[3].frame, 3);
}

}  // namespace
}  // namespace place_test
