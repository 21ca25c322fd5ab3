// The grey surface's texels: grey 255 is transparent, and only the image's
// own bytes are read.
#include <gtest/gtest.h>

#include <vector>

#include "draw2d/lists/GreySurface.h"

namespace {

TEST(GreySurface, TexelsKeyGrey255Transparent) {
    EXPECT_EQ(GreyTexel(0), 0xFF000000u);
    EXPECT_EQ(GreyTexel(0x80), 0xFF808080u);
    EXPECT_EQ(GreyTexel(254), 0xFFFEFEFEu);
    EXPECT_EQ(GreyTexel(255), 0x00FFFFFFu);
}

TEST(GreySurface, LargerSurfaceReadsOnlyTheImageAndFillsTheRestTransparent) {
    // A 3 x 2 image in a 4 x 4 surface with a padded pitch; the image vector
    // is exactly 6 bytes so a read past it shows under AddressSanitizer.
    const std::vector<uint8_t> grey = {0, 10, 255, 20, 30, 40};
    const int pitch = 4 * 4 + 8;
    std::vector<uint8_t> bits(size_t(pitch) * 4, 0xEE);
    FillGreySurfaceTexels(bits.data(), pitch, 4, 4, grey.data(), 3, 2);
    auto texel = [&](int x, int y) { return *reinterpret_cast<const uint32_t*>(&bits[size_t(y * pitch + x * 4)]); };
    EXPECT_EQ(texel(0, 0), 0xFF000000u);
    EXPECT_EQ(texel(1, 0), 0xFF0A0A0Au);
    EXPECT_EQ(texel(2, 0), 0x00FFFFFFu);
    EXPECT_EQ(texel(2, 1), 0xFF282828u);
    EXPECT_EQ(texel(3, 0), 0x00FFFFFFu) << "past the image's width";
    EXPECT_EQ(texel(0, 3), 0x00FFFFFFu) << "past the image's height";
    EXPECT_EQ(bits[16], 0xEE) << "pitch padding untouched";
}

}  // namespace
