// The ground light-colour grid: cell boundaries, points off the grid, the
// grid switched off, and the gamma ramp of the brightness levels.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "FrameFixture.h"
#include "shell/ShellGlobals.h"

namespace shell_test {
namespace {

class LightGrid : public FrameTest {
protected:
    // Every cell's colour names its row and column.
    static std::vector<DWORD> NumberedGrid() {
        std::vector<DWORD> grid(kLightGridRows * kLightGridColumns);
        for (int row = 0; row < kLightGridRows; ++row)
            for (int column = 0; column < kLightGridColumns; ++column)
                grid[static_cast<size_t>(row * kLightGridColumns + column)] =
                    0xFF000000u | static_cast<DWORD>(row) << 8 | static_cast<DWORD>(column);
        return grid;
    }
    static DWORD Cell(int row, int column) {
        return 0xFF000000u | static_cast<DWORD>(row) << 8 | static_cast<DWORD>(column);
    }
    DWORD At(float x, float y) {
        const float point[2] = {x, y};
        return m_frameShell->GetLightGridColor(point);
    }
};

TEST_F(LightGrid, WithoutTheGridEveryPointIsDarkGrey) {
    Start();
    const std::vector<DWORD> grid = NumberedGrid();
    m_frameShell->SetLightColorGrid(100, 200, grid.data());
    EXPECT_EQ(At(110.0f, 210.0f), 0xFF404040u);  // stored, but the flag is off
    m_frameShell->SetOption(0, 1);
    EXPECT_EQ(At(140.0f, 210.0f), Cell(0, 1));
    m_frameShell->SetLightColorGrid(0, 0, nullptr);
    EXPECT_EQ(At(140.0f, 210.0f), 0xFF404040u);
}

TEST_F(LightGrid, PointsPickTheirCellAndPointsOffTheGridTheFirstCell) {
    Start();
    const std::vector<DWORD> grid = NumberedGrid();
    m_frameShell->SetOption(0, 1);
    m_frameShell->SetLightColorGrid(100, 200, grid.data());
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float x, y;
        DWORD colour;
    } cases[] = {
        {131.9f, 200.0f, Cell(0, 0)},      {132.0f, 200.0f, Cell(0, 1)},    {99.0f, 200.0f, Cell(0, 0)},
        {100.0f, 231.99f, Cell(0, 0)},     {100.0f, 232.0f, Cell(1, 0)},    {1635.0f, 3271.0f, Cell(95, 47)},
        {1636.0f, 210.0f, Cell(0, 0)},     {110.0f, 3272.0f, Cell(0, 0)},   {100.0f, 199.5f, Cell(0, 0)},
        {-5.0e30f, 300.0f, Cell(0, 0)},    {5.0e30f, 5.0e30f, Cell(0, 0)},  {nan, nan, Cell(0, 0)},
        {164.0f, 296.0f, Cell(3, 2)},
    };
    for (const auto& c : cases) EXPECT_EQ(At(c.x, c.y), c.colour) << c.x << "," << c.y;
}

TEST_F(LightGrid, BrightnessLevelsMakeTheirGammaRamps) {
    Start();
    const struct {
        int level;
        int (*entry)(int);
    } cases[] = {
        {100, [](int i) { return std::min(65535, 356 * i); }},
        {0, [](int i) { return 156 * i; }},
        {50, [](int i) { return 256 * i; }},
        {75, [](int i) { return std::min(65535, 306 * i); }},
    };
    for (const auto& c : cases) {
        m_frameShell->ApplyBrightness(c.level);
        D3DGAMMARAMP ramp{};
        m_device->GetGammaRamp(0, &ramp);
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ(ramp.red[i], c.entry(i)) << c.level << " " << i;
            ASSERT_EQ(ramp.blue[i], ramp.green[i]);
        }
    }
    m_frameShell->ApplyBrightness(101);
    m_frameShell->ApplyBrightness(-1);
    D3DGAMMARAMP ramp{};
    m_device->GetGammaRamp(0, &ramp);
    EXPECT_EQ(ramp.red[214], 65484);  // level 75 kept
    EXPECT_EQ(ramp.red[215], 65535);
    EXPECT_EQ(ramp.red[100], 30600);

    m_frameShell->SetBrightness(30);
    EXPECT_EQ(g_BrightnessLevel, 30);
    m_frameShell->SetBrightness(-1);
    m_frameShell->SetBrightness(101);
    EXPECT_EQ(g_BrightnessLevel, 30);
}

}  // namespace
}  // namespace shell_test
