#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>
#include <vector>

#include "SceneTreeFixture.h"
#include "basrel/BasrelReset.h"
#include "place/LightGrid.h"
#include "place/RegionRecords.h"
#include "place/SceneLight.h"
#include "place/ScenePlaceHost.h"
#include "support/QuietPlaceHost.h"
#include "win32/Control.h"

namespace scene_light_test {
namespace {

using place_test::TreeScene;

constexpr int kColumns = KLightGrid::kColumns;

// A grid built from lights given by hand (each a map light).
struct GridCase {
    std::vector<std::unique_ptr<KSceneLight>> owned;
    std::vector<KSceneLight*> lights;
    KLightGrid grid;

    KSceneLight& Add(int32_t x, int32_t y, uint32_t colour, int32_t radius) {
        owned.push_back(std::make_unique<KSceneLight>());
        KSceneLight& light = *owned.back();
        light.x = x;
        light.y = y;
        light.colour = colour;
        light.radius = radius;
        lights.push_back(&light);
        return light;
    }
    void Build(uint32_t ambient, int32_t ox = 0, int32_t oy = 0) { grid.Build(lights, ambient, ox, oy); }
    uint32_t Red(int column, int row) const { return grid.Accumulated(column, row).red; }
};

// What one light adds to a cell's red sum, from the cell centre's distance.
uint32_t Share(uint32_t quarter, int column, int row, double lx, double ly, int32_t radius) {
    const double d = std::hypot(column * 32 + 16 - lx, row * 32 + 16 - ly);
    const double w = 65536.0 - d / radius * 65536.0;
    return w > 0 ? uint32_t((quarter * uint32_t(w)) >> 16) : 0;
}

TEST(LightGridTest, LightAtCellCentreAddsAQuarterOfItsColour) {
    GridCase c;
    c.Add(10 * 32 + 16, 20 * 32 + 16 + 1000, 0xFF804020, 64);
    c.Build(0xFF102030, 0, 1000);
    const KLightGrid::Cell& cell = c.grid.Accumulated(10, 20);
    EXPECT_EQ(cell.red, 0x10 + 0x80 / 4);
    EXPECT_EQ(cell.green, 0x20 + 0x40 / 4);
    EXPECT_EQ(cell.blue, 0x30 + 0x20 / 4);
}

TEST(LightGridTest, EveryCellWithinTheRingsGetsItsShareOnce) {
    GridCase c;
    const int32_t lx = 20 * 32 + 5, ly = 40 * 32 + 27, radius = 200;
    c.Add(lx, ly, 0xFFFC0000, radius);  // quarter 63
    c.Build(0xFF000000);
    const int rings = radius / 32;
    for (int row = 0; row < KLightGrid::kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const bool inRings = std::abs(column - 20) < rings && std::abs(row - 40) < rings;
            const uint32_t expected = inRings ? Share(63, column, row, lx, ly, radius) : 0;
            ASSERT_EQ(c.Red(column, row), expected) << column << "," << row;
        }
    }
}

TEST(LightGridTest, RowsAndColumnsStartingOffTheGridAreSkippedWhole) {
    GridCase c;
    // Cell (1, 1); four rings. Ring 2's top row and left column start left
    // of and above the grid; its bottom row starts at column -1 too.
    c.Add(1 * 32 + 16, 1 * 32 + 16, 0xFFFC0000, 4 * 32 + 8);
    c.Build(0xFF000000);
    EXPECT_GT(c.Red(1, 1), 0u);                  // ring 0
    EXPECT_GT(c.Red(0, 0), 0u);                  // ring 1 top row starts at (0, 0)
    EXPECT_EQ(c.Red(1, 3), 0u);                  // ring 2 bottom row starts at (-1, 3)
    EXPECT_GT(c.Red(3, 2), 0u);                  // ring 2 right column (rows 0 to 2)
    EXPECT_EQ(c.Red(3, 3), 0u);                  // its last cell is in no drawn row
    // Near the right and lower edges rows and columns stop at the edge.
    GridCase edge;
    edge.Add(47 * 32 + 16, 95 * 32 + 16, 0xFFFC0000, 3 * 32);
    edge.Build(0xFF000000);
    EXPECT_GT(edge.Red(45, 93), 0u);
    EXPECT_GT(edge.Red(47, 95), 0u);
}

TEST(LightGridTest, LightsOutsideTheGridAndNonPositiveRadiiAddNothing) {
    for (const auto& [x, y, radius] : std::vector<std::tuple<int32_t, int32_t, int32_t>>{
             {-40, 100, 400}, {48 * 32, 100, 400}, {100, 96 * 32, 400}, {100, 100, 0}, {100, 100, -64},
             {100, 100, 31}, {INT32_MIN, INT32_MAX, INT32_MAX}}) {
        GridCase c;
        c.Add(x, y, 0xFFFFFFFF, radius);
        c.Build(0xFF000000, 0, 0);
        for (int row = 0; row < KLightGrid::kRows; ++row)
            for (int column = 0; column < kColumns; ++column) ASSERT_EQ(c.Red(column, row), 0u) << x << "," << y;
    }
}

TEST(LightGridTest, HugeRadiiStopAtTheGridAndSumsSaturate) {
    GridCase c;
    for (int i = 0; i < 1200; ++i) c.Add(24 * 32 + 16, 48 * 32 + 16, 0xFFFFFFFF, INT32_MAX);
    c.Build(0xFFFFFFFF);
    EXPECT_EQ(c.Red(24, 48), 0xFFFFu);
    EXPECT_EQ(c.grid.At(24, 48), 0xFFFFFFFFu);
    EXPECT_GT(c.Red(47, 48), 0xFFu);  // the right column reaches the edge
}

TEST(LightGridTest, SmoothingAveragesFourCellsAndTheBorderIsAmbient) {
    GridCase c;
    c.Add(10 * 32 + 16, 10 * 32 + 16, 0xFF80C040, 100);
    c.Add(30 * 32 + 16, 60 * 32 + 16, 0xFFFFFFFF, 300);
    const uint32_t ambient = 0x00203040;
    c.Build(ambient);
    for (int row = 1; row < KLightGrid::kRows - 1; ++row) {
        for (int column = 1; column < kColumns - 1; ++column) {
            auto mean = [&](uint16_t KLightGrid::Cell::*channel) {
                const uint32_t sum = c.grid.Accumulated(column, row).*channel +
                                     c.grid.Accumulated(column - 1, row).*channel +
                                     c.grid.Accumulated(column, row - 1).*channel +
                                     c.grid.Accumulated(column, row + 1).*channel;
                return std::min<uint32_t>(sum / 4, 255);
            };
            const uint32_t expected = 0xFF000000u | mean(&KLightGrid::Cell::red) << 16 |
                                      mean(&KLightGrid::Cell::green) << 8 | mean(&KLightGrid::Cell::blue);
            ASSERT_EQ(c.grid.At(column, row), expected) << column << "," << row;
        }
    }
    for (int column = 0; column < kColumns; ++column) {
        EXPECT_EQ(c.grid.At(column, 0), 0xFF203040u);
        EXPECT_EQ(c.grid.At(column, KLightGrid::kRows - 1), 0xFF203040u);
    }
    for (int row = 0; row < KLightGrid::kRows; ++row) {
        EXPECT_EQ(c.grid.At(0, row), 0xFF203040u);
        EXPECT_EQ(c.grid.At(kColumns - 1, row), 0xFF203040u);
    }
}

// --- Lights of the tree ---

class LightHost final : public test_support::QuietPlaceHost {
public:
    KHostObjectLight told{};
    int lightCalls = 0;
    int32_t player = -1;
    bool IsPlayerObject(int32_t kind, int32_t id) override { return kind == 6 && id == player; }
    void GetObjectLight(int32_t, int32_t, KHostObjectLight* light) override {
        ++lightCalls;
        *light = told;
    }
};

class SceneLightTest : public ::testing::Test {
protected:
    void SetUp() override {
        BasrelResetForTests();
        lumiva::win32::ResetForTests();
        lumiva::win32::InstallManualClock(5000);
        SetScenePlaceHost(&host);
    }
    void TearDown() override {
        SetScenePlaceHost(nullptr);
        lumiva::win32::ResetForTests();
    }

    KSceneObject* HostObject(int32_t kind, int32_t id, uint32_t flags, KIntPoint at) {
        KSceneObject* object = scene.Object("O" + std::to_string(id), at);
        object->wordA = uint32_t(kind);
        object->host.id = id;
        object->host.flags = flags;
        return object;
    }

    LightHost host;
    TreeScene scene;
};

TEST_F(SceneLightTest, PlayerLightByIndoorAndAmbient) {
    struct Case {
        bool indoor;
        uint32_t ambient;
        size_t lights;
    } cases[] = {{true, 0xFF404040, 0}, {true, 0xFF404041, 1}, {false, 0xFF404040, 1}, {false, 0xFF000000, 1}};
    for (const Case& c : cases) {
        TreeScene local;
        local.tree.SetIndoor(c.indoor);
        local.tree.SetAmbientColor(c.ambient);
        local.tree.SetPlayerLightColour(0xFF112233);
        host.player = 9;
        KSceneObject* player = local.Object("P", KIntPoint{100, 200});
        player->wordA = 6;
        player->host.id = 9;
        local.tree.InsertObject(player);
        ASSERT_EQ(local.tree.Lights().size(), c.lights) << c.indoor << std::hex << c.ambient;
        if (!c.lights) continue;
        const KSceneLight& light = *local.tree.Lights()[0];
        EXPECT_EQ(light.owner, player);
        EXPECT_EQ(light.radius, 320);
        EXPECT_EQ(light.colour, 0xFF112233u);
        EXPECT_EQ(light.x, 100);
        EXPECT_EQ(light.y, 200);
    }
    // Kind 6 that is not the player, and the player of another kind: none.
    host.player = 9;
    scene.tree.InsertObject(HostObject(6, 8, 2, KIntPoint{0, 0}));
    scene.tree.InsertObject(HostObject(5, 9, 2, KIntPoint{0, 0}));
    EXPECT_TRUE(scene.tree.Lights().empty());
}

TEST_F(SceneLightTest, PlayerLightFollowsItsObject) {
    host.player = 1;
    KSceneObject* player = HostObject(6, 1, 2, KIntPoint{10 * 32 + 16, 20 * 32 + 16});
    scene.tree.SetPlayerLightColour(0xFF808080);
    scene.tree.InsertObject(player);
    player->SetPosition(30 * 32 + 16, 50 * 32 + 16);
    scene.tree.BuildLightGrid();
    EXPECT_EQ(scene.tree.Lights()[0]->x, 30 * 32 + 16);
    EXPECT_EQ(scene.tree.LightGrid().Accumulated(30, 50).red, 0x80 / 4);
    EXPECT_EQ(scene.tree.LightGrid().Accumulated(10, 20).red, 0);
}

TEST_F(SceneLightTest, ObjectLightsComeFromTheHostAndNeverDoubleAcrossMerges) {
    host.told = KHostObjectLight{64, 96, 3, 0xFF00FF00, 128};
    KSceneObject* lit = HostObject(2, 5, 8 | 2, KIntPoint{64, 96});
    KSceneObject* dark = HostObject(2, 6, 2, KIntPoint{64, 96});
    scene.tree.InsertObject(lit);
    scene.tree.InsertObject(dark);
    ASSERT_EQ(scene.tree.Lights().size(), 1u);
    EXPECT_EQ(scene.tree.Lights()[0]->owner, lit);
    EXPECT_EQ(scene.tree.Lights()[0]->radius, 128);
    // Merges reinsert the objects: the light is refreshed, not added.
    for (int merge = 0; merge < 3; ++merge) {
        host.told.radius = 100 + merge;
        scene.tree.ResetForMerge();
        const int32_t window[4] = {-1000, -1000, 1000, 1000};
        scene.tree.ReinsertPendingObjects(window);
        ASSERT_EQ(scene.tree.Lights().size(), 1u);
        EXPECT_EQ(scene.tree.Lights()[0]->radius, 100 + merge);
    }
    // The grid lights the cell once.
    scene.tree.SetGridOrigin(0, 0);
    scene.tree.BuildLightGrid();
    EXPECT_EQ(scene.tree.LightGrid().Accumulated(2, 3).green, Share(0xFF / 4, 2, 3, 64, 96, 102));
    // A radius of 0 makes none; removal deletes the object's light.
    host.told.radius = 0;
    scene.tree.InsertObject(HostObject(2, 7, 8, KIntPoint{0, 0}));
    EXPECT_EQ(scene.tree.Lights().size(), 1u);
    scene.tree.RemoveObject(lit);
    EXPECT_TRUE(scene.tree.Lights().empty());
}

KRegionLightRecord LightRecord(int32_t r1, int32_t r2) { return KRegionLightRecord{100, 200, 0, 0xFFFFFFFF, r1, r2, 0}; }

TEST_F(SceneLightTest, MapLightsFlickerBetweenTheirRadii) {
    lumiva::win32::InstallScriptedRandom({3, 5});
    const KRegionLightRecord records[] = {LightRecord(40, 30), LightRecord(30, -1), LightRecord(-5, 20)};
    scene.tree.AddRegionLights(records, 3);
    ASSERT_EQ(scene.tree.Lights().size(), 1u);  // negative smaller radius: none
    auto& light = static_cast<KFlickerLight&>(*scene.tree.Lights()[0]);
    EXPECT_EQ(light.owner, nullptr);
    EXPECT_FLOAT_EQ(light.upper, 40.0f);
    EXPECT_FLOAT_EQ(light.lower, 32.0f);
    EXPECT_FLOAT_EQ(light.current, 32.0f + 3.0f);
    EXPECT_FLOAT_EQ(light.period, 87.5f + 5.0f);
    EXPECT_EQ(light.radius, 35);
    int lowest = 1000, highest = 0, turns = 0, direction = light.direction;
    for (int step = 0; step < 200; ++step) {
        lumiva::win32::AdvanceClock(7);
        scene.tree.Update();
        lowest = std::min(lowest, light.radius);
        highest = std::max(highest, light.radius);
        if (light.direction != direction) ++turns;
        direction = light.direction;
    }
    EXPECT_EQ(lowest, 32);
    EXPECT_EQ(highest, 40);
    EXPECT_GE(turns, 4);
    // One step of 10 ms moves 2 * 10 / period * (upper - lower) units.
    light.current = 35.0f;
    light.direction = -1;
    lumiva::win32::AdvanceClock(10);
    scene.tree.Update();
    EXPECT_FLOAT_EQ(light.current, 35.0f - 2.0f * 10.0f / light.period * 8.0f);
    EXPECT_EQ(light.radius, int32_t(light.current));
}

TEST_F(SceneLightTest, ObjectLightsSwitchGovernsMapLights) {
    const KRegionLightRecord record = LightRecord(64, 64);
    host.told = KHostObjectLight{0, 0, 0, 0xFFFFFFFF, 64};
    scene.tree.InsertObject(HostObject(1, 1, 8, KIntPoint{0, 0}));
    scene.tree.AddRegionLights(&record, 1);
    EXPECT_EQ(scene.tree.Lights().size(), 2u);
    scene.tree.EnableObjectLights(false);
    ASSERT_EQ(scene.tree.Lights().size(), 1u);  // the object's light stays
    EXPECT_NE(scene.tree.Lights()[0]->owner, nullptr);
    scene.tree.AddRegionLights(&record, 1);
    EXPECT_EQ(scene.tree.Lights().size(), 1u);
    scene.tree.EnableObjectLights(true);
    scene.tree.AddRegionLights(&record, 1);
    EXPECT_EQ(scene.tree.Lights().size(), 2u);
    scene.tree.AddRegionLights(nullptr, 5);
    EXPECT_EQ(scene.tree.Lights().size(), 2u);
}

}  // namespace
}  // namespace scene_light_test
