#include "place/LightGrid.h"

#include <algorithm>
#include <cmath>

#include "place/SceneLight.h"

namespace {

constexpr int kLightCellSize = 1 << KLightGrid::kCellShift;
// Past this ring every row and column starts left of the grid or beyond it.
constexpr int64_t kRingLimit = KLightGrid::kColumns;

uint32_t Channel(uint32_t argb, int shift) { return (argb >> shift) & 0xFF; }

uint16_t SaturatingAdd(uint16_t sum, uint32_t add) { return uint16_t(std::min<uint32_t>(sum + add, 0xFFFF)); }

}  // namespace

struct KLightGrid::Buffers {
    alignas(256) Cell accumulation[kCells];
    alignas(256) Cell smoothing[kCells];
    alignas(256) uint32_t grid[kCells];
};

KLightGrid::KLightGrid() : m_buffers(new Buffers{}) {}
KLightGrid::~KLightGrid() = default;

const uint32_t* KLightGrid::Colours() const { return m_buffers->grid; }

const KLightGrid::Cell& KLightGrid::Accumulated(int column, int row) const {
    return m_buffers->accumulation[row * kColumns + column];
}

void KLightGrid::Build(const std::vector<KSceneLight*>& lights, uint32_t ambient, int32_t originX, int32_t originY) {
    Fill(ambient);
    for (const KSceneLight* light : lights)
        AddLight(*light, int64_t(light->x) - originX, int64_t(light->y) - originY);
    Smooth(ambient);
}

void KLightGrid::Fill(uint32_t ambient) {
    const Cell cell{uint16_t(Channel(ambient, 16)), uint16_t(Channel(ambient, 8)), uint16_t(Channel(ambient, 0)), 0};
    std::fill(std::begin(m_buffers->accumulation), std::end(m_buffers->accumulation), cell);
}

// Rings outward from the light's cell: top row, bottom row, left column,
// right column. A row or column whose first cell lies left of or above the
// grid is skipped whole; one running past the grid stops at its edge.
void KLightGrid::AddLight(const KSceneLight& light, int64_t lx, int64_t ly) {
    const int64_t cx = lx / kLightCellSize, cy = ly / kLightCellSize;
    if (cx < 0 || cx >= kColumns || cy < 0 || cy >= kRows) return;
    uint32_t quarters[3] = {Channel(light.colour, 16) / 4, Channel(light.colour, 8) / 4, Channel(light.colour, 0) / 4};
    const int64_t rings = std::min<int64_t>(light.radius / kLightCellSize, kRingLimit);
    auto row = [&](int64_t r, int64_t y) {
        if (cx - r < 0 || y < 0 || y >= kRows) return;
        for (int64_t x = cx - r; x <= std::min<int64_t>(cx + r, kColumns - 1); ++x)
            AddToCell(int(x), int(y), light, lx, ly, quarters);
    };
    auto column = [&](int64_t r, int64_t x) {
        const int64_t first = cy - r + 1;
        if (x < 0 || first < 0 || x >= kColumns) return;
        for (int64_t y = first; y <= std::min<int64_t>(cy + r - 1, kRows - 1); ++y)
            AddToCell(int(x), int(y), light, lx, ly, quarters);
    };
    for (int64_t r = 0; r < rings; ++r) {
        row(r, cy - r);
        if (r == 0) continue;
        row(r, cy + r);
        column(r, cx - r);
        column(r, cx + r);
    }
}

void KLightGrid::AddToCell(int column, int row, const KSceneLight& light, int64_t lx, int64_t ly,
                          uint32_t quarters[3]) {
    const double dx = double(int64_t(column) * kLightCellSize + kLightCellSize / 2 - lx);
    const double dy = double(int64_t(row) * kLightCellSize + kLightCellSize / 2 - ly);
    const double d = std::sqrt(dx * dx + dy * dy);
    const double weight = 65536.0 - d / double(light.radius) * 65536.0;
    if (!(weight > 0)) return;
    const uint32_t w = uint32_t(std::min(weight, 65536.0));
    Cell& cell = m_buffers->accumulation[row * kColumns + column];
    cell.red = SaturatingAdd(cell.red, (quarters[0] * w) >> 16);
    cell.green = SaturatingAdd(cell.green, (quarters[1] * w) >> 16);
    cell.blue = SaturatingAdd(cell.blue, (quarters[2] * w) >> 16);
}

void KLightGrid::Smooth(uint32_t ambient) {
    const Cell* in = m_buffers->accumulation;
    Cell* out = m_buffers->smoothing;
    uint32_t* grid = m_buffers->grid;
    auto average = [](uint32_t a, uint32_t b, uint32_t c, uint32_t d) { return uint16_t((a + b + c + d) / 4); };
    for (int row = 1; row < kRows - 1; ++row) {
        for (int column = 1; column < kColumns - 1; ++column) {
            const int i = row * kColumns + column;
            const Cell &c = in[i], &l = in[i - 1], &u = in[i - kColumns], &d = in[i + kColumns];
            out[i] = Cell{average(c.red, l.red, u.red, d.red), average(c.green, l.green, u.green, d.green),
                          average(c.blue, l.blue, u.blue, d.blue), 0};
            grid[i] = 0xFF000000u | uint32_t(std::min<uint16_t>(out[i].red, 255)) << 16 |
                      uint32_t(std::min<uint16_t>(out[i].green, 255)) << 8 | std::min<uint16_t>(out[i].blue, 255);
        }
    }
    const uint32_t border = ambient | 0xFF000000u;
    for (int column = 0; column < kColumns; ++column) {
        grid[column] = border;
        grid[(kRows - 1) * kColumns + column] = border;
    }
    for (int row = 0; row < kRows; ++row) {
        grid[row * kColumns] = border;
        grid[row * kColumns + kColumns - 1] = border;
    }
}
