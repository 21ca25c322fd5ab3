#include <gtest/gtest.h>

#include "ImageTestUtil.h"
#include "d3dx9/Resample.h"

namespace {

using d3dx::ArgbImage;

TEST(D3dxResample, BoxHalvingAveragesEachTwoByTwo) {
    ArgbImage image(4, 2);
    const uint32_t row0[] = {0xFF000000u, 0xFF00FF00u, 0x00FFFFFFu, 0xFFFFFFFFu};
    const uint32_t row1[] = {0xFF0000FFu, 0xFF00FF00u, 0x00FFFFFFu, 0xFFFFFFFFu};
    for (UINT x = 0; x < 4; ++x) image.At(x, 0) = row0[x], image.At(x, 1) = row1[x];
    for (DWORD filter : {DWORD(D3DX_FILTER_BOX), DWORD(D3DX_FILTER_TRIANGLE), DWORD(D3DX_DEFAULT)}) {
        ArgbImage half = d3dx::Resample(image, 2, 1, filter);
        ASSERT_EQ(half.width, 2u);
        ASSERT_EQ(half.height, 1u);
        // Channels are averaged on their own (alpha is not premultiplied).
        EXPECT_EQ(half.At(0, 0), 0xFF008040u) << filter;
        EXPECT_EQ(half.At(1, 0), 0x80FFFFFFu) << filter;
    }
}

TEST(D3dxResample, PointPicksNearestTexelAndLinearBlends) {
    ArgbImage image(2, 1);
    image.At(0, 0) = 0xFF000000u;
    image.At(1, 0) = 0xFFFFFFFFu;
    ArgbImage points = d3dx::Resample(image, 4, 2, D3DX_FILTER_POINT);
    const uint32_t expected[] = {0xFF000000u, 0xFF000000u, 0xFFFFFFFFu, 0xFFFFFFFFu};
    for (UINT y = 0; y < 2; ++y)
        for (UINT x = 0; x < 4; ++x) EXPECT_EQ(points.At(x, y), expected[x]) << x;

    ArgbImage linear = d3dx::Resample(image, 4, 1, D3DX_FILTER_LINEAR);
    // Centres at -0.25, 0.25, 0.75, 1.25 source texels, clamped at the edges.
    EXPECT_EQ(linear.At(0, 0), 0xFF000000u);
    EXPECT_EQ(linear.At(1, 0), 0xFF404040u);
    EXPECT_EQ(linear.At(2, 0), 0xFFBFBFBFu);
    EXPECT_EQ(linear.At(3, 0), 0xFFFFFFFFu);
}

TEST(D3dxResample, NoneCopiesOverlapAndCrops) {
    ArgbImage image = MakePatternImage(3, 3);
    ArgbImage grown = d3dx::Resample(image, 4, 2, D3DX_FILTER_NONE);
    EXPECT_EQ(grown.At(2, 1), image.At(2, 1));
    EXPECT_EQ(grown.At(3, 0), 0u);
    ArgbImage same = d3dx::Resample(image, 3, 3, D3DX_FILTER_LINEAR);
    EXPECT_EQ(MaxDifference(image, same), 0);
}

TEST(D3dxResample, UniformImageStaysUniformAtAnySize) {
    ArgbImage image(5, 3, 0x80402010u);
    for (DWORD filter : {DWORD(D3DX_FILTER_POINT), DWORD(D3DX_FILTER_LINEAR), DWORD(D3DX_FILTER_BOX)}) {
        for (auto [w, h] : {std::pair<UINT, UINT>{2, 7}, {8, 8}, {1, 1}, {13, 2}}) {
            ArgbImage scaled = d3dx::Resample(image, w, h, filter);
            EXPECT_EQ(MaxDifference(ArgbImage(w, h, 0x80402010u), scaled), 0) << filter << " " << w << "x" << h;
        }
    }
}

TEST(D3dxResample, ColourKeyTurnsExactMatchesTransparentBlack) {
    ArgbImage image(3, 1);
    image.At(0, 0) = 0xFF000000u;
    image.At(1, 0) = 0xFF000001u;
    image.At(2, 0) = 0x7F000000u;
    d3dx::ApplyColourKey(&image, 0xFF000000u);
    EXPECT_EQ(image.At(0, 0), 0u);
    EXPECT_EQ(image.At(1, 0), 0xFF000001u);
    EXPECT_EQ(image.At(2, 0), 0x7F000000u);
    d3dx::ApplyColourKey(&image, 0);  // no key
    EXPECT_EQ(image.At(1, 0), 0xFF000001u);
}

}  // namespace
