// Painting a loaded place: the order of a frame's steps, ground picture
// composition, wall fragments whole and cut, list pictures by blend mode,
// fades, the obstacle overlay and the light grid on the ground.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "PlacePaintFixture.h"
#include "d3d9/Control.h"
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
    // The overlay's four lines of a shape 1 cell come last, after the rain.
    const auto lines = std::count(events.begin(), events.end(), "lines");
    EXPECT_GT(lines, 4);
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(events.end() - 4, events.end()), std::vector<std::string>(4, "lines"));
    EXPECT_TRUE(PlaceFrameFlag());
    // The composition ran once: the next frame only draws the picture.
    PaintFrames();
    const std::vector<std::string> second = Events(host);
    EXPECT_EQ(std::count(second.begin(), second.end(), "target"), 0);
}

}  // namespace
}  // namespace place_test
