// Cutting quads into light-grid strips: the exact serpentine order of flat
// and standing quads, the grid colours, and quads that are refused.
#include <gtest/gtest.h>

#include <limits>

#include "draw2d/scene/QuadStrip.h"
#include "shell/scene/ScenePictureFixture.h"

namespace shell_test {
namespace {

constexpr DWORD kGridOff = 0xFF404040u;

struct Point {
    float x, y, z, u, v;
};

class QuadStrip : public ScenePictureTest {
protected:
    int Split(const KSceneVertex (&quad)[4], int capacity = kStripCapacity, DWORD colour = kOpaqueWhite) {
        m_out.assign(static_cast<size_t>(capacity) + 1, KSceneVertex{7, 7, 7, 0x12345678u, 7, 7});
        return SplitQuadIntoStrip(*m_frameShell, quad, m_out.data(), capacity, colour);
    }
    void ExpectStrip(const std::vector<Point>& wanted) {
        for (size_t i = 0; i < wanted.size(); ++i) {
            SCOPED_TRACE("vertex " + std::to_string(i));
            EXPECT_FLOAT_EQ(m_out[i].x, wanted[i].x);
            EXPECT_FLOAT_EQ(m_out[i].y, wanted[i].y);
            EXPECT_FLOAT_EQ(m_out[i].z, wanted[i].z);
            EXPECT_FLOAT_EQ(m_out[i].u, wanted[i].u);
            EXPECT_FLOAT_EQ(m_out[i].v, wanted[i].v);
            EXPECT_EQ(m_out[i].colour, kGridOff);
        }
    }
    std::vector<KSceneVertex> m_out;
};

TEST_F(QuadStrip, FlatQuadOf64By64GivesTwoRowsOfThreePairs) {
    StartIdentity();
    const KSceneVertex quad[4] = {{0, 0, 5, kOpaqueWhite, 0, 0},
                                  {64, 0, 5, kOpaqueWhite, 1, 0},
                                  {64, 64, 5, kOpaqueWhite, 1, 1},
                                  {0, 64, 5, kOpaqueWhite, 0, 1}};
    ASSERT_EQ(Split(quad), 12);
    ExpectStrip({{0, 32, 5, 0, 0.5f},
                 {0, 0, 5, 0, 0},
                 {32, 32, 5, 0.5f, 0.5f},
                 {32, 0, 5, 0.5f, 0},
                 {64, 32, 5, 1, 0.5f},
                 {64, 0, 5, 1, 0},
                 {64, 32, 5, 1, 0.5f},
                 {64, 64, 5, 1, 1},
                 {32, 32, 5, 0.5f, 0.5f},
                 {32, 64, 5, 0.5f, 1},
                 {0, 32, 5, 0, 0.5f},
                 {0, 64, 5, 0, 1}});
    EXPECT_EQ(m_out[12].colour, 0x12345678u);  // nothing past the strip
}

TEST_F(QuadStrip, StandingQuadOf64By128GivesTwoColumnsOfFivePairs) {
    StartIdentity();
    // Top edge at z = 128 along y = 10, bottom edge at z = 0.
    const KSceneVertex quad[4] = {{0, 10, 128, kOpaqueWhite, 0, 0},
                                  {64, 10, 128, kOpaqueWhite, 1, 0},
                                  {64, 10, 0, kOpaqueWhite, 1, 1},
                                  {0, 10, 0, kOpaqueWhite, 0, 1}};
    ASSERT_EQ(Split(quad), 20);
    std::vector<Point> wanted;
    for (int i = 0; i < 4; ++i) {  // first column downwards: A then B
        const float z = 128.0f - 32.0f * static_cast<float>(i), v = 0.25f * static_cast<float>(i);
        wanted.push_back({0, 10, z, 0, v});
        wanted.push_back({32, 10, z, 0.5f, v});
    }
    wanted.push_back({0, 10, 0, 0, 1});  // the fifth pair at the bottom
    wanted.push_back({32, 10, 0, 0.5f, 1});
    for (int i = 0; i < 4; ++i) {  // second column upwards: B then A
        const float z = 32.0f * static_cast<float>(i), v = 1.0f - 0.25f * static_cast<float>(i);
        wanted.push_back({64, 10, z, 1, v});
        wanted.push_back({32, 10, z, 0.5f, v});
    }
    wanted.push_back({64, 10, 128, 1, 0});
    wanted.push_back({32, 10, 128, 0.5f, 0});
    ExpectStrip(wanted);
}

TEST_F(QuadStrip, VerticesTakeTheGridColourModulatedByTheGivenColour) {
    StartIdentity();
    std::vector<DWORD> grid(kLightGridRows * kLightGridColumns, 0x80FF8040u);
    m_frameShell->SetOption(0, 1);
    m_frameShell->SetLightColorGrid(0, 0, grid.data());
    const KSceneVertex quad[4] = {{0, 0, 5, kOpaqueWhite, 0, 0},
                                  {16, 0, 5, kOpaqueWhite, 1, 0},
                                  {16, 16, 5, kOpaqueWhite, 1, 1},
                                  {0, 16, 5, kOpaqueWhite, 0, 1}};
    ASSERT_EQ(Split(quad, kStripCapacity, kOpaqueWhite), 4);
    EXPECT_EQ(m_out[0].colour, 0x80FF8040u);
    ASSERT_EQ(Split(quad, kStripCapacity, 0x00808080u), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(m_out[static_cast<size_t>(i)].colour, 0x807F4020u);
    EXPECT_EQ(ModulateColor(0xFF404040u, 0xFF808080u), 0xFF202020u);
}

TEST_F(QuadStrip, RefusesQuadsWithoutExtentOrFiniteCornersAndNeverPassesTheCapacity) {
    StartIdentity();
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* name;
        KSceneVertex quad[4];
        int capacity;
    } cases[] = {
        {"no width", {{0, 0, 5, 0, 0, 0}, {0, 0, 5, 0, 1, 0}, {0, 64, 5, 0, 1, 1}, {0, 64, 5, 0, 0, 1}}, 3000},
        {"no height", {{0, 0, 5, 0, 0, 0}, {64, 0, 5, 0, 1, 0}, {64, 0, 5, 0, 1, 1}, {0, 0, 5, 0, 0, 1}}, 3000},
        {"standing without height",
         {{0, 0, 9, 0, 0, 0}, {64, 0, 9, 0, 1, 0}, {64, 0, 5, 0, 1, 1}, {0, 0, 9, 0, 0, 1}},
         3000},
        {"infinite corner",
         {{0, 0, 5, 0, 0, 0}, {inf, 0, 5, 0, 1, 0}, {64, 64, 5, 0, 1, 1}, {0, 64, 5, 0, 0, 1}},
         3000},
        {"NaN texture coordinate",
         {{0, 0, 5, 0, nan, 0}, {64, 0, 5, 0, 1, 0}, {64, 64, 5, 0, 1, 1}, {0, 64, 5, 0, 0, 1}},
         3000},
        {"more cells than room",
         {{0, 0, 5, 0, 0, 0}, {640, 0, 5, 0, 1, 0}, {640, 640, 5, 0, 1, 1}, {0, 640, 5, 0, 0, 1}},
         100},
        {"cells that do not move",
         {{0, 0, 5, 0, 0, 0}, {1e30f, 0, 5, 0, 1, 0}, {1e30f, 1e30f, 5, 0, 1, 1}, {0, 1e30f, 5, 0, 0, 1}},
         3000},
        {"standing, too tall",
         {{0, 0, 1e30f, 0, 0, 0}, {64, 0, 1e30f, 0, 1, 0}, {64, 0, 0, 0, 1, 1}, {0, 0, 0, 0, 0, 1}},
         3000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Split(c.quad, c.capacity), 0);
        EXPECT_EQ(m_out[static_cast<size_t>(c.capacity)].colour, 0x12345678u);
    }
    // A 640-unit square needs 20 rows of 21 pairs: exactly that much room is
    // enough.
    EXPECT_EQ(Split(cases[5].quad, 839), 0);
    EXPECT_EQ(Split(cases[5].quad, 840), 840);
}

}  // namespace
}  // namespace shell_test
