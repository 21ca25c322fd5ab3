#include "draw2d/lists/RleToA4R4G4B4.h"

#include <array>

#include "textures/SprRuns.h"

namespace {

constexpr std::array<uint16_t, 256> MakeAlphaTable() {
    std::array<uint16_t, 256> table{};
    for (int a = 0; a < 256; ++a) table[size_t(a)] = uint16_t((a >> 4) << 12);
    return table;
}


void PutTexel(const KLockedA4R4G4B4& area, int x, int y, uint16_t texel) {
    if (x < 0 || y < 0 || x >= area.width || y >= area.height) return;
    auto* row = reinterpret_cast<uint16_t*>(area.bits + size_t(y) * size_t(area.pitch));
    row[x] = texel;
}

}  // namespace

const std::array<uint16_t, 256> kRleAlphaToA4 = MakeAlphaTable();


bool DecodeRleFrameToA4R4G4B4(const KLockedA4R4G4B4& area, const uint8_t* runData, size_t runSize, int left, int top,
                              int width, int height, const uint16_t* palette, uint32_t colorCount) {
    if (width <= 0 || height <= 0 || area.bits == nullptr) return true;
    SprRunReader reader(runData, runData ? runSize : 0, uint32_t(width), uint32_t(height));
    SprRun run;
    while (reader.Next(&run)) {
        const uint16_t alpha = kRleAlphaToA4[run.alpha];
        if (alpha == 0 || run.indices == nullptr) continue;
        for (uint32_t i = 0; i < run.count; ++i) {
            const uint8_t index = run.indices[i];
            if (index >= colorCount) continue;
            const uint64_t pixel = run.start + i;
            const int x = left + int(pixel % uint64_t(width));
            const int y = top + int(pixel / uint64_t(width));
            PutTexel(area, x, y, uint16_t(alpha | (palette[index] & 0x0FFF)));
        }
    }
    return !reader.Malformed();
}
