// The screen-space picture renderers: texel mapping, rotation, cropping and
// clipping in pixels; vertex colours and the states set, given back and
// left set, from the recorder.
#include <cmath>

#include "DispatchFixture.h"
#include "lumiva/PrimitiveRecords.h"
#include "draw2d/render/ScreenPictureRenderers.h"

namespace dispatch_test {
namespace {

class ScreenRenderers : public DispatchTest {
protected:
    void SetUp() override {
        DispatchTest::SetUp();
        m_sprite = Sprite("quad.spr", 2, 2, {kRed, kGreen, kBlue, kWhite});
        ASSERT_NE(m_sprite, nullptr);
        ASSERT_EQ(m_sprite->GetTileCount(0), 1);
    }
    static bool Near(D3DCOLOR a, D3DCOLOR b) {
        for (int shift = 0; shift < 32; shift += 8)
            if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 2) return false;
        return true;
    }
    // The tile's texture may be larger than the frame.
    float UMax() const { return 2.0f / float(m_sprite->GetTileTextureWidth(0, 0)); }
    KSprImage* m_sprite = nullptr;
};

TEST_F(ScreenRenderers, RotatedAtAngleZeroMapsTexelsOneToOne) {
    ClearTarget();
    DrawFrameRotated(*m_shell, 4.0f, 4.0f, 2, 2, 0, m_sprite, kWhite, 0, 0.0f, 0, 0);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    auto v = DrawnVertices(draws[0]);
    EXPECT_EQ(v[0].x, 3.5f);
    EXPECT_EQ(v[0].y, 3.5f);
    EXPECT_EQ(v[3].x, 5.5f);
    EXPECT_EQ(v[3].u, UMax());
    auto image = Target();
    EXPECT_EQ(image.At(4, 4), kRed);
    EXPECT_EQ(image.At(5, 4), kGreen);
    EXPECT_EQ(image.At(4, 5), kBlue);
    EXPECT_EQ(image.At(5, 5), kWhite);
    for (auto [x, y] : {std::pair{3, 4}, {6, 4}, {4, 3}, {4, 6}}) EXPECT_EQ(image.At(x, y), kBlack) << x << "," << y;
}

TEST_F(ScreenRenderers, RotationTurnsClockwiseAboutThePivot) {
    ClearTarget();
    DrawFrameRotated(*m_shell, 4.0f, 4.0f, 2, 2, 0, m_sprite, kWhite, 0, float(M_PI / 2), 0, 0);
    auto image = Target();
    EXPECT_TRUE(Near(image.At(3, 4), kRed)) << std::hex << image.At(3, 4);
    EXPECT_TRUE(Near(image.At(3, 5), kGreen)) << std::hex << image.At(3, 5);
    EXPECT_TRUE(Near(image.At(2, 4), kBlue)) << std::hex << image.At(2, 4);
    EXPECT_TRUE(Near(image.At(2, 5), kWhite)) << std::hex << image.At(2, 5);
    EXPECT_EQ(image.At(4, 4), kBlack);
}

TEST_F(ScreenRenderers, VertexColourFollowsTheBlendMode) {
    struct Case {
        int mode;
        DWORD expected;
    };
    for (Case c : {Case{5, 0x80FF0000u}, Case{1, 0x80FFFFFFu}, Case{4, 0x80FFFFFFu}}) {
        ClearTarget();
        DrawFrameRotated(*m_shell, 4.0f, 4.0f, 2, 2, 0, m_sprite, 0x80FF0000, c.mode, 0.0f, 0, 0);
        auto draws = Draws();
        ASSERT_EQ(draws.size(), 1u);
        for (const auto& vertex : DrawnVertices(draws[0])) EXPECT_EQ(vertex.colour, c.expected) << c.mode;
    }
}

TEST_F(ScreenRenderers, RotatedSetsAlphaStatesOnlyBelowFullAlphaAndGivesBackTheFilters) {
    Device()->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    Device()->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    Device()->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    ClearTarget();
    DrawFrameRotated(*m_shell, 4.0f, 4.0f, 2, 2, 0, m_sprite, kWhite, 0, 0.0f, 0, 0);
    EXPECT_EQ(lumiva::d3d9::RecordedCallsNamed("SetRenderState").size(), 0u);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].state->samplerStates[0][D3DSAMP_MAGFILTER], DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(SamplerState(D3DSAMP_MAGFILTER), DWORD(D3DTEXF_POINT));
    EXPECT_EQ(SamplerState(D3DSAMP_MINFILTER), DWORD(D3DTEXF_POINT));

    ClearTarget();
    DrawFrameRotated(*m_shell, 4.0f, 4.0f, 2, 2, 0, m_sprite, 0x80FFFFFF, 0, 0.0f, 0, 0);
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(StageState(D3DTSS_ALPHAOP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(StageState(D3DTSS_ALPHAARG2), DWORD(D3DTA_DIFFUSE));
    EXPECT_EQ(SamplerState(D3DSAMP_MAGFILTER), DWORD(D3DTEXF_POINT));
}

TEST_F(ScreenRenderers, BrightenModeDoublesAroundTheDrawAndEndsOnModulate) {
    Device()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    ClearTarget();
    DrawFrameRotated(*m_shell, 4.0f, 4.0f, 2, 2, 0, m_sprite, kWhite, 3, 0.0f, 0, 0);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].state->stageStates[0][D3DTSS_COLOROP], DWORD(D3DTOP_MODULATE2X));
    EXPECT_EQ(StageState(D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
}

TEST_F(ScreenRenderers, FrameOutOfRangeChangesNothing) {
    ClearTarget();
    DrawFrameRotated(*m_shell, 4.0f, 4.0f, 2, 2, 1, m_sprite, kWhite, 0, 0.0f, 0, 0);
    DrawFrameScaled(*m_shell, 4, 4, 2, 2, 1, m_sprite, kWhite, 0, 1.0f, 1.0f);
    EXPECT_TRUE(lumiva::d3d9::RecordedCalls().empty());
}

TEST_F(ScreenRenderers, OnScreenTestIsInclusiveAndZeroExtentsDrawNothing) {
    ClearTarget();
    DrawFrameRotated(*m_shell, -2.0f, 0.0f, 2, 2, 0, m_sprite, kWhite, 0, 0.0f, 0, 0);   // right edge at 0
    DrawFrameRotated(*m_shell, 800.0f, 0.0f, 2, 2, 0, m_sprite, kWhite, 0, 0.0f, 0, 0);  // left edge at width
    EXPECT_EQ(Draws().size(), 2u);
    ClearTarget();
    DrawFrameRotated(*m_shell, -3.0f, 0.0f, 2, 2, 0, m_sprite, kWhite, 0, 0.0f, 0, 0);
    DrawFrameScaled(*m_shell, 4, 4, 2, 2, 0, m_sprite, kWhite, 0, 0.25f, 1.0f);  // 2 x 0.25 truncates to 0
    EXPECT_EQ(Draws().size(), 0u);
    EXPECT_EQ(lumiva::d3d9::RecordedCallsNamed("VertexBuffer::Lock").size(), 0u);
}

TEST_F(ScreenRenderers, ScaledGrowsTheTileByHalfAPixel) {
    ClearTarget();
    DrawFrameScaled(*m_shell, 10, 10, 2, 2, 0, m_sprite, kWhite, 0, 2.0f, 2.0f);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    auto v = DrawnVertices(draws[0]);
    EXPECT_EQ(v[0].x, 9.5f);
    EXPECT_EQ(v[3].x, 14.5f);
    EXPECT_EQ(v[3].y, 14.5f);
}

TEST_F(ScreenRenderers, ScaledPointUsesPointFilteringAndGivesBackBlendEnable) {
    Device()->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    ClearTarget();
    DrawFrameScaledPoint(*m_shell, 10.0f, 10.0f, 2, 2, 0, m_sprite, kWhite, 0, 1.0f, 1.0f);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].state->samplerStates[0][D3DSAMP_MINFILTER], DWORD(D3DTEXF_POINT));
    EXPECT_EQ(draws[0].state->renderStates[D3DRS_ALPHABLENDENABLE], DWORD(TRUE));
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
}

TEST_F(ScreenRenderers, ClippedCutsAtTheTargetsLeftEdge) {
    const float clip[4] = {0.0f, 0.0f, 600.0f, 800.0f};  // top, left, bottom, right
    ClearTarget();
    DrawFrameClipped(*m_shell, -1.0f, 4.0f, 2, 2, 0, m_sprite, kWhite, 0, 1.0f, 1.0f, clip);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    auto v = DrawnVertices(draws[0]);
    EXPECT_EQ(v[0].x, 0.0f);
    EXPECT_EQ(v[0].u, 0.5f * UMax());
    EXPECT_EQ(v[0].z, 100.0f);
    auto image = Target();
    EXPECT_EQ(image.At(0, 4), kGreen);
    EXPECT_EQ(image.At(0, 5), kWhite);
    EXPECT_EQ(image.At(1, 4), kBlack);
}

TEST_F(ScreenRenderers, ClipRectangleThatMissesTheTileHidesIt) {
    const float clip[4] = {0.0f, 100.0f, 600.0f, 800.0f};
    ClearTarget();
    DrawFrameClipped(*m_shell, 10.0f, 10.0f, 2, 2, 0, m_sprite, kWhite, 0, 1.0f, 1.0f, clip);
    EXPECT_EQ(Draws().size(), 0u);
}

TEST_F(ScreenRenderers, CroppedKeepsOnlyTheColumnsInsideTheCrop) {
    const int32_t crop[4] = {5, 0, 800, 600};
    ClearTarget();
    DrawFrameCropped(*m_shell, 4, 4, 2, 2, 0, m_sprite, crop, 0x80FF0000, 3);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    auto v = DrawnVertices(draws[0]);
    EXPECT_EQ(v[0].colour, kWhite) << "mode 3 draws as mode 0 here: opaque white";
    EXPECT_EQ(v[0].u, 0.75f * UMax());
    EXPECT_EQ(draws[0].state->stageStates[0][D3DTSS_COLOROP], DWORD(D3DTOP_MODULATE));
    auto image = Target();
    EXPECT_EQ(image.At(4, 4), kBlack);
    EXPECT_EQ(image.At(5, 4), kGreen);
    EXPECT_EQ(image.At(5, 5), kWhite);
}

TEST_F(ScreenRenderers, CroppedStretchesTheFrameOntoTheGivenSize) {
    const int32_t crop[4] = {0, 0, 800, 600};
    ClearTarget();
    DrawFrameCropped(*m_shell, 10, 10, 4, 6, 0, m_sprite, crop, kWhite, 0);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    auto v = DrawnVertices(draws[0]);
    EXPECT_EQ(v[0].x, 9.5f);
    EXPECT_EQ(v[3].x, 13.5f);
    EXPECT_EQ(v[3].y, 15.5f);
}

class PictureCropped : public DispatchTest {
protected:
    void SetUp() override {
        DispatchTest::SetUp();
        m_picture = Jpeg("p.jpg", 8, 4);
        ASSERT_NE(m_picture, nullptr);
    }
    DWORD FactorAtDraw(int percent, float brightness) {
        const int32_t source[4] = {2, 1, 6, 3};
        ClearTarget();
        DrawPictureCropped(*m_shell, 10, 10, m_picture, source, percent, brightness);
        auto draws = Draws();
        EXPECT_EQ(draws.size(), 1u);
        return draws.empty() ? 0 : draws[0].state->renderStates[D3DRS_TEXTUREFACTOR];
    }
    KJpgImage* m_picture = nullptr;
};

TEST_F(PictureCropped, TintFromPercentAndBrightness) {
    struct Case {
        int percent;
        float brightness;
        DWORD factor;
    };
    const Case cases[] = {{50, 1.0f, 0x7FFFFFFF}, {100, -1.0f, 0xFFFFFFFF}, {0, 0.5f, 0x007F7F7F},
                          {100, 2.0f, 0xFFFFFFFF}};  // brightness above 1 saturates
    for (const Case& c : cases) EXPECT_EQ(FactorAtDraw(c.percent, c.brightness), c.factor) << c.percent;
}

TEST_F(PictureCropped, OutsideThePercentRangeNoStageStateChangesButItDraws) {
    Device()->SetRenderState(D3DRS_TEXTUREFACTOR, 0x12345678);
    EXPECT_EQ(FactorAtDraw(101, 1.0f), 0x12345678u);
    EXPECT_EQ(RenderState(D3DRS_TEXTUREFACTOR), 0x12345678u);
}

TEST_F(PictureCropped, MapsTheSourceRectangleAndGivesBackTheStage) {
    Device()->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    const int32_t source[4] = {2, 1, 6, 3};
    ClearTarget();
    DrawPictureCropped(*m_shell, 10, 10, m_picture, source, 100, 1.0f);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    auto v = DrawnVertices(draws[0]);
    EXPECT_EQ(v[0].x, 9.5f);
    EXPECT_EQ(v[3].x, 13.5f);
    EXPECT_EQ(v[3].y, 11.5f);
    const KSprTile& tile = m_picture->GetFrame().tiles[0];
    EXPECT_EQ(v[0].u, 2.0f / float(tile.textureWidth));
    EXPECT_EQ(v[3].v, 3.0f / float(tile.textureHeight));
    EXPECT_EQ(v[0].colour, kWhite);
    EXPECT_EQ(StageState(D3DTSS_COLORARG2), DWORD(D3DTA_CURRENT));
}

TEST_F(PictureCropped, EntirelyLeftOfTheScreenTakesNoVertices) {
    const int32_t source[4] = {0, 0, 4, 4};
    ClearTarget();
    DrawPictureCropped(*m_shell, -5, 10, m_picture, source, 100, 1.0f);
    EXPECT_EQ(lumiva::d3d9::RecordedCallsNamed("VertexBuffer::Lock").size(), 0u);
}

}  // namespace
}  // namespace dispatch_test
