#include "support/SpriteSeeds.h"

#include "SprFile.h"
#include "SprWriter.h"
#include "support/D3dxImages.h"

namespace lumiva::fuzz {
namespace {

SprPixels Checker(uint16_t width, uint16_t height, uint32_t a, uint32_t b) {
    SprPixels frame{width, height, 1, 2, {}};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) frame.argb.push_back((x + y) % 3 == 0 ? 0 : ((x ^ y) & 1 ? a : b));
    return frame;
}

}  // namespace

SeedList SeedSprites() {
    SprSpriteInfo info{12, 10, 6, 9, 1, 1};
    std::vector<SprPixels> frames = {Checker(5, 4, 0xFFFF0000u, 0x8000FF00u), Checker(3, 6, 0xFF0000FFu, 0xFFFFFFFFu)};
    Bytes rle = WriteSpr(info, frames);
    Bytes sdsTile = SeedDds(D3DFMT_A4R4G4B4, 16, 16, 1);
    return {
        {"spr", rle},
        {"spr-cross-rows-negative", WriteSpr(info, frames, {true, true})},
        {"sds2", WriteSds2(info, {Checker(8, 4, 0xFFFF00FFu, 0x40FFFFFFu), Checker(4, 8, 0xFF00FFFFu, 0xFF000000u)})},
        {"sds0", WriteSds0(info, {{10, 10, 0, 0, {{sdsTile, 16, 16, 0, 0, 10, 10}, {{9, 9, 9}, 16, 16, 0, 0, 10, 10}}},
                                  {4, 4, 1, 1, {{sdsTile, 4, 4, 0, 0, 4, 4}}}})},
        {"spr-cut", Truncated(rle, rle.size() - 3)},
        {"spr-runs-as-stored", WriteUnpackedSprite(SPR_KIND_RLE, {}, {0xFF0000, 0x00FF00},
                                                   {{2, 2, 0, 0, {1, 0, 3, 255, 0, 1, 1}}})},
    };
}

}  // namespace lumiva::fuzz
