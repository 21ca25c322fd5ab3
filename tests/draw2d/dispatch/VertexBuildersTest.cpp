// Vertex builders: points, filled rectangles and textured quads.
#include "DispatchFixture.h"
#include "lumiva/PrimitiveRecords.h"
#include "draw2d/render/VertexBuilders.h"

namespace dispatch_test {
namespace {

using VertexBuilders = DispatchTest;

TEST_F(VertexBuilders, PointsTakeTheirRgbWithOpaqueAlphaAndLightTheirPixel) {
    KPrimPoint points[2] = {};
    points[0].x = 3, points[0].y = 4, points[0].red = 0x12, points[0].green = 0x34, points[0].blue = 0x56;
    points[0].unusedAlpha = 0x10;
    points[1].x = 6, points[1].y = 1, points[1].red = 0xFF;
    ClearTarget();
    m_shell->DrawPrimitives(2, points, PRIM_POINTS, 1, 0, -1, -1.0f);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args[0], uint64_t(D3DPT_POINTLIST));
    EXPECT_EQ(draws[0].args[2], 2u);
    auto image = Target();
    EXPECT_EQ(image.At(3, 4), 0xFF123456u);
    EXPECT_EQ(image.At(6, 1), 0xFFFF0000u);
    EXPECT_EQ(image.At(4, 4), 0xFF000000u);
}

TEST_F(VertexBuilders, FillRectCoversExactlyItsPixelsAtDepthZero) {
    ClearTarget();
    FillRect(*m_shell, 2, 3, 4, 2, 0xFF00FF00);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    auto v = DrawnVertices(draws[0]);
    EXPECT_EQ(v[0].z, 0.0f);
    EXPECT_EQ(v[0].rhw, 1.0f);
    EXPECT_EQ(v[3].x, 6.0f);
    EXPECT_EQ(v[3].y, 5.0f);
    auto image = Target();
    for (int y = 2; y <= 5; ++y)
        for (int x = 1; x <= 6; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 3 && y < 5;
            EXPECT_EQ(image.At(UINT(x), UINT(y)), inside ? 0xFF00FF00u : 0xFF000000u) << x << "," << y;
        }
}

TEST_F(VertexBuilders, TexturedQuadBlendSetsAlphaOnlyBelowFullAlphaAndGivesBackBlendEnable) {
    KJpgImage* picture = Jpeg("p.jpg", 8, 4);
    ASSERT_NE(picture, nullptr);
    Device()->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    ClearTarget();
    DrawTexturedQuadBlend(*m_shell, 0, 0, 8, 4, picture, 0x80FFFFFF, 1);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].state->renderStates[D3DRS_ALPHABLENDENABLE], DWORD(TRUE));
    EXPECT_EQ(draws[0].state->samplerStates[0][D3DSAMP_MINFILTER], DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
    EXPECT_EQ(SamplerState(D3DSAMP_MINFILTER), DWORD(D3DTEXF_POINT));
    EXPECT_EQ(DrawnVertices(draws[0])[3].u, 8.0f / float(picture->GetFrame().tiles[0].textureWidth));
}

TEST_F(VertexBuilders, RectSlotsWriteTheirCornersInStripOrder) {
    ClearTarget();
    m_shell->DrawRect(10, 20, 30, 40, 0xFF112233);
    m_shell->DrawTexturedRect(1.0f, 2.0f, 3.0f, 4.0f, 0xA, 0xB, 0xC, 0xD);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 2u);
    auto rect = DrawnVertices(draws[0]);
    const float corners[4][2] = {{10, 20}, {40, 20}, {10, 60}, {40, 60}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(rect[size_t(i)].x, corners[i][0]);
        EXPECT_EQ(rect[size_t(i)].y, corners[i][1]);
        EXPECT_EQ(rect[size_t(i)].z, 0.0f);
        EXPECT_EQ(rect[size_t(i)].colour, 0xFF112233u);
    }
    EXPECT_EQ(draws[0].state->textures[0], nullptr);
    auto textured = DrawnVertices(draws[1]);
    // Top-left a, top-right b, bottom-right c, bottom-left d.
    EXPECT_EQ(textured[0].colour, 0xAu);
    EXPECT_EQ(textured[1].colour, 0xBu);
    EXPECT_EQ(textured[2].colour, 0xDu);
    EXPECT_EQ(textured[3].colour, 0xCu);
    EXPECT_EQ(textured[3].u, 1.0f);
    EXPECT_EQ(textured[0].z, 0.1f);
}

// The shell's stage takes its alpha from the texture; a rectangle has none,
// so the stage passes the colour's own alpha and the rectangle blends.
TEST_F(VertexBuilders, RectOfATranslucentColourBlendsOverTheTarget) {
    ClearTarget(0xFFFF0000);
    m_shell->DrawRect(2, 2, 4, 4, 0x4000FF00);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].state->StageState(0, D3DTSS_ALPHAOP), DWORD(D3DTOP_SELECTARG1));
    EXPECT_EQ(draws[0].state->StageState(0, D3DTSS_ALPHAARG1), DWORD(D3DTA_TEXTURE));
    EXPECT_EQ(draws[0].state->RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
    auto image = Target();
    EXPECT_EQ(image.At(3, 3) & 0xFFFFFF, 0xBF4000u);
    EXPECT_EQ(image.At(6, 6) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(VertexBuilders, ColorRectWithoutAPictureIsUntexturedWithItsCornerColours) {
    KColorRect rect{};
    rect.x = 2, rect.y = 2, rect.width = 2, rect.height = 2;
    rect.topLeft = rect.topRight = rect.bottomLeft = rect.bottomRight = 0xFF0000FF;
    ClearTarget();
    m_shell->DrawColorRect(&rect, "missing.spr", 0, 1);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].state->fvf, kPlainVertexFvf);
    EXPECT_EQ(draws[0].state->textures[0], nullptr);
}

}  // namespace
}  // namespace dispatch_test
