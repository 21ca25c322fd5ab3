// Colour helpers and the shared interpolation.
#include <gtest/gtest.h>

#include "draw2d/lists/ColorMath.h"
#include "draw2d/lists/InterpolateLinear.h"
#include "draw2d/scene/QuadStrip.h"

namespace {

TEST(ColorMath, SplitAndPackAreInverse) {
    const KArgbBytes bytes = SplitArgb(0x80402010u);
    EXPECT_EQ(bytes.a, 0x80);
    EXPECT_EQ(bytes.r, 0x40);
    EXPECT_EQ(bytes.g, 0x20);
    EXPECT_EQ(bytes.b, 0x10);
    EXPECT_EQ(PackArgb(bytes.a, bytes.r, bytes.g, bytes.b), 0x80402010u);
}

TEST(ColorMath, ScaleAndModulateKeepAlphaAndShiftEachProduct) {
    struct Case {
        uint32_t colour, factor, expected;
    } cases[] = {
        {0x80FFFFFFu, 0x00FFFFFFu, 0x80FEFEFEu},  // 255 * 255 >> 8 is 254
        {0xFF804020u, 0x12408000u, 0xFF202000u},  // factor's alpha is ignored
        {0x00FF0000u, 0xFFFFFFFFu, 0x00FE0000u},
        {0x7F102030u, 0x00000000u, 0x7F000000u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ModulateColor(c.colour, c.factor), c.expected) << std::hex << c.colour << " by " << c.factor;
        const KArgbBytes f = SplitArgb(c.factor);
        EXPECT_EQ(ScaleColor(c.colour, f.r, f.g, f.b), c.expected);
    }
}

TEST(InterpolateLinear, MapsEndsMiddlesAndBeyond) {
    EXPECT_FLOAT_EQ(InterpolateLinear(0.0f, 1.0f, 10.0f, 20.0f, 15.0f), 0.5f);
    EXPECT_FLOAT_EQ(InterpolateLinear(1.0f, 0.0f, 0.0f, 4.0f, 1.0f), 0.75f);
    EXPECT_FLOAT_EQ(InterpolateLinear(-2.0f, 2.0f, 0.0f, 1.0f, 2.0f), 6.0f);  // extrapolates
}

}  // namespace
