// The ground light-colour grid: 48 x 96 cells of 32 x 32 world units from
// the grid origin, each the ambient colour plus a share of every light
// whose radius reaches the cell centre, then smoothed with its left, upper
// and lower neighbours. The shell tints ground and objects by it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class KSceneLight;

class KLightGrid {
public:
    static constexpr int kColumns = 48;
    static constexpr int kRows = 96;
    static constexpr int kCells = kColumns * kRows;
    static constexpr int kCellShift = 5;  // 32 world units

    KLightGrid();
    ~KLightGrid();
    KLightGrid(const KLightGrid&) = delete;
    KLightGrid& operator=(const KLightGrid&) = delete;

    void Build(const std::vector<KSceneLight*>& lights, uint32_t ambient, int32_t originX, int32_t originY);
    // Row-major ARGB, 48 a row.
    const uint32_t* Colours() const;
    uint32_t At(int column, int row) const { return Colours()[row * kColumns + column]; }

    // Red, green and blue sums of a cell before smoothing.
    struct Cell {
        uint16_t red, green, blue, unused;
    };
    const Cell& Accumulated(int column, int row) const;

private:
    struct Buffers;
    void Fill(uint32_t ambient);
    void AddLight(const KSceneLight& light, int64_t lx, int64_t ly);
    void AddToCell(int column, int row, const KSceneLight& light, int64_t lx, int64_t ly, uint32_t quarters[3]);
    void Smooth(uint32_t ambient);

    std::unique_ptr<Buffers> m_buffers;
};
