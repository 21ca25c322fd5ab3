// The ground light-colour grid: one colour per 32 x 32 map-unit cell,
// 48 columns by 96 rows from the grid's origin.
#include <cmath>
#include <cstring>

#include "shell/KDrawShell.h"

namespace {

constexpr DWORD kNoGridColour = 0xFF404040;
constexpr int kCellShift = 5;
constexpr uint32_t kGridWidth = kLightGridColumns << kCellShift;
constexpr uint32_t kGridHeight = kLightGridRows << kCellShift;

// Map points far off any grid fall outside it rather than wrapping.
int64_t TruncateCoordinate(float value) {
    if (std::isnan(value)) return 0;
    constexpr float kFar = 1.0e12f;
    if (value >= kFar) return static_cast<int64_t>(kFar);
    if (value <= -kFar) return -static_cast<int64_t>(kFar);
    return static_cast<int64_t>(value);
}

}  // namespace

void KDrawShell::SetLightColorGrid(int originX, int originY, const DWORD* colours) {
    if (!colours) {
        lightGridEnabled = 0;
        return;
    }
    lightGridOrigin[0] = originX;
    lightGridOrigin[1] = originY;
    std::memcpy(lightGrid, colours, sizeof lightGrid);
}

DWORD KDrawShell::GetLightGridColor(const void* point) {
    if (!lightGridEnabled) return kNoGridColour;
    float xy[2];
    std::memcpy(xy, point, sizeof xy);
    // Points left of or above the origin count as far outside.
    const uint64_t cx = static_cast<uint64_t>(TruncateCoordinate(xy[0]) - lightGridOrigin[0]);
    const uint64_t cy = static_cast<uint64_t>(TruncateCoordinate(xy[1]) - lightGridOrigin[1]);
    if (cx >= kGridWidth || cy >= kGridHeight) return lightGrid[0];
    return lightGrid[(cy >> kCellShift) * kLightGridColumns + (cx >> kCellShift)];
}
