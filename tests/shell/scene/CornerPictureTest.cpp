// Sprite frames on projected corners: the cull, the tile quads with the
// half-texel inset, vertex colours, tints and the states left behind.
#include <gtest/gtest.h>

#include "draw2d/scene/CornerPicture.h"
#include "shell/scene/ScenePictureFixture.h"
#include "textures/KSprImage.h"

namespace shell_test {
namespace {

class CornerPicture : public ScenePictureTest {
protected:
    void SetUp() override {
        ScenePictureTest::SetUp();
        StartIdentity();
        m_texture = SolidTexture(64, 32, 0xFFFF0000u);
        m_tiles = OneTile(50, 20, 64, 32, m_texture);
        lumiva::d3d9::ClearRecording();
    }
    void Draw(DWORD colour = 0xFFFFFFFFu, DWORD blendMode = 1, const int32_t* clip = nullptr, float brightness = 1.0f,
              const float* corners = kCentredCorners) {
        DrawTilesOnCorners(*m_frameShell, corners, m_tiles, colour, blendMode, clip, brightness, KCornerSpan::Frame);
    }
    IDirect3DTexture9* m_texture = nullptr;
    KFrameTilesView m_tiles;
};

TEST_F(CornerPicture, OneTileSpansTheCornersWithTheHalfTexelInset) {
    Draw();
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].count, 2u);
    const auto v = SceneVertices(static_cast<int>(draws[0].start), 4);
    const float expected[4][5] = {{-0.5f, 0.5f, 0.5f, 0.5f / 64, 0.5f / 32},
                                  {0.5f, 0.5f, 0.5f, 50.0f / 64 - 0.5f / 64, 0.5f / 32},
                                  {-0.5f, -0.5f, 0.5f, 0.5f / 64, 20.0f / 32 - 0.5f / 32},
                                  {0.5f, -0.5f, 0.5f, 50.0f / 64 - 0.5f / 64, 20.0f / 32 - 0.5f / 32}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(v[static_cast<size_t>(i)].x, expected[i][0]);
        EXPECT_FLOAT_EQ(v[static_cast<size_t>(i)].y, expected[i][1]);
        EXPECT_FLOAT_EQ(v[static_cast<size_t>(i)].z, expected[i][2]);
        EXPECT_FLOAT_EQ(v[static_cast<size_t>(i)].u, expected[i][3]);
        EXPECT_FLOAT_EQ(v[static_cast<size_t>(i)].v, expected[i][4]);
        EXPECT_EQ(v[static_cast<size_t>(i)].colour, 0xFFFFFFFFu);
    }
    // Alpha from texture times vertex, linear filters at the draw.
    const auto& state = *draws[0].state;
    EXPECT_EQ(state.StageState(0, D3DTSS_ALPHAOP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(state.StageState(0, D3DTSS_ALPHAARG1), DWORD(D3DTA_TEXTURE));
    EXPECT_EQ(state.StageState(0, D3DTSS_ALPHAARG2), DWORD(D3DTA_DIFFUSE));
    EXPECT_EQ(state.SamplerState(0, D3DSAMP_MAGFILTER), DWORD(D3DTEXF_LINEAR));
}

TEST_F(CornerPicture, OneCornerOffScreenCullsThePicture) {
    const struct {
        const char* name;
        int corner, axis;
        float value;
        bool drawn;
    } cases[] = {
        {"top-right left of the screen", 1, 0, -1.0025f, false},  // projects to x = -1
        {"bottom-right left of the screen", 2, 0, -1.0025f, false},
        {"top-left right of the screen", 0, 0, 1.0025f, false},  // x = 801
        {"bottom-left above the screen", 3, 1, 1.01f, false},    // y < 0
        {"top-left below the screen", 0, 1, -1.01f, false},      // y > 600
        {"top-right on the left edge", 1, 0, -1.0f, true},       // x = 0 exactly
        {"top-left on the right edge", 0, 0, 1.0f, true},        // x = 800 exactly
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        float corners[12];
        std::copy(std::begin(kCentredCorners), std::end(kCentredCorners), corners);
        corners[c.corner * 3 + c.axis] = c.value;
        lumiva::d3d9::ClearRecording();
        Draw(0xFFFFFFFFu, 1, nullptr, 1.0f, corners);
        EXPECT_EQ(Draws().size(), c.drawn ? 1u : 0u);
        if (!c.drawn) {
            EXPECT_TRUE(lumiva::d3d9::RecordedCallsNamed("SetTextureStageState").empty());
        }
    }
}

TEST_F(CornerPicture, VertexColourAndBlendingFollowTheModeAndGlobalAlpha) {
    const struct {
        const char* name;
        DWORD colour, mode;
        float globalAlpha;
        DWORD vertex;
        bool blending;
    } cases[] = {
        {"mode 0 keeps alpha", 0x80123456u, 0, 1.0f, 0x80FFFFFFu, true},
        {"mode 2 with alpha", 0x80123456u, 2, 1.0f, 0xFFFFFFFFu, true},
        {"mode 5 keeps the colour", 0xFF123456u, 5, 1.0f, 0xFF123456u, false},
        {"opaque mode 1", 0xFF123456u, 1, 1.0f, 0xFFFFFFFFu, false},
        {"global alpha", 0xFF123456u, 5, 0.5f, 0x7FFFFFFFu, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        m_frameShell->globalAlpha = c.globalAlpha;
        lumiva::d3d9::ClearRecording();
        Draw(c.colour, c.mode);
        const auto draws = Draws();
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(SceneVertices(static_cast<int>(draws[0].start), 1)[0].colour, c.vertex);
        EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), c.blending ? DWORD(TRUE) : DWORD(FALSE));
    }
}

TEST_F(CornerPicture, BrightnessAndModeThreeTintTheDrawAndLeaveTheStageAsFound) {
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    m_device->SetRenderState(D3DRS_TEXTUREFACTOR, 0x11223344u);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    m_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);

    Draw(0xFFFFFFFFu, 1, nullptr, 0.5f);
    auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].state->RenderState(D3DRS_TEXTUREFACTOR), 0xFF7F7F7Fu);
    EXPECT_EQ(draws[0].state->StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(draws[0].state->StageState(0, D3DTSS_COLORARG2), DWORD(D3DTA_TFACTOR));
    EXPECT_EQ(StageState(D3DTSS_COLOROP), DWORD(D3DTOP_SELECTARG1));
    EXPECT_EQ(RenderState(D3DRS_TEXTUREFACTOR), 0x11223344u);
    EXPECT_EQ(StageState(D3DTSS_ALPHAOP), DWORD(D3DTOP_SELECTARG2));
    EXPECT_EQ(SamplerState(D3DSAMP_MINFILTER), DWORD(D3DTEXF_POINT));

    for (float brightness : {1.0f, 0.0f}) {
        lumiva::d3d9::ClearRecording();
        Draw(0xFFFFFFFFu, 1, nullptr, brightness);
        EXPECT_EQ(Draws().at(0).state->StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_SELECTARG1));
    }

    lumiva::d3d9::ClearRecording();
    Draw(0xFFFFFFFFu, 3, nullptr, 0.5f);
    draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].state->RenderState(D3DRS_TEXTUREFACTOR), 0xBB000000u);
    EXPECT_EQ(draws[0].state->StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_BLENDFACTORALPHA));
    EXPECT_EQ(StageState(D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
}

TEST_F(CornerPicture, ClipInsideTheFirstOfFourTilesDrawsOnlyThatTileNarrowed) {
    KFrameTilesView tiles;
    tiles.frameWidth = 128, tiles.frameHeight = 128, tiles.tileCount = 4;
    for (int j = 0; j < 4; ++j)
        tiles.tiles[j] = {
            static_cast<uint16_t>(64 * (j % 2)), static_cast<uint16_t>(64 * (j / 2)), 64, 64, 64, 64, m_texture};
    const int32_t clip[4] = {16, 8, 48, 40};
    DrawTilesOnCorners(*m_frameShell, kCentredCorners, tiles, 0xFFFFFFFFu, 1, clip, 1.0f, KCornerSpan::Frame);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    const auto v = SceneVertices(static_cast<int>(draws[0].start), 4);
    EXPECT_FLOAT_EQ(v[0].u, 0.25f + 0.5f / 64);
    EXPECT_FLOAT_EQ(v[3].u, 0.75f - 0.5f / 64);
    EXPECT_FLOAT_EQ(v[0].v, 0.125f + 0.5f / 64);
    EXPECT_FLOAT_EQ(v[3].v, 0.625f - 0.5f / 64);
    // The quad keeps the tile's whole place: the top-left quarter.
    EXPECT_FLOAT_EQ(v[0].x, -0.5f);
    EXPECT_FLOAT_EQ(v[3].x, 0.0f);
    EXPECT_FLOAT_EQ(v[3].y, 0.0f);
}

TEST_F(CornerPicture, WorldOffsetMovesTheVerticesButNotTheCull) {
    m_frameShell->worldOffsetSet = 1;
    m_frameShell->worldOffset[0] = 10, m_frameShell->worldOffset[1] = 20, m_frameShell->worldOffset[2] = 5;
    Draw();
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    const auto v = SceneVertices(static_cast<int>(draws[0].start), 1);
    EXPECT_FLOAT_EQ(v[0].x, 9.5f);
    EXPECT_FLOAT_EQ(v[0].y, 20.5f);
    EXPECT_FLOAT_EQ(v[0].z, 5.5f);
}

TEST_F(CornerPicture, FrameIndexOutOfRangeChangesNothing) {
    // The sprite entry point reads the frame through the tile getters; an
    // empty sprite has no frame 0.
    KSprImage empty;
    DrawPictureOnCorners(*m_frameShell, kCentredCorners, 0, &empty, 0xFFFFFFFFu, 1, nullptr, 1.0f);
    DrawPictureOnCornersSplit(*m_frameShell, kCentredCorners, -1, &empty, 0xFFFFFFFFu, 1, nullptr);
    EXPECT_TRUE(lumiva::d3d9::RecordedCalls().empty());
}

TEST_F(CornerPicture, AltSpreadsTheClipColumnsOverTheCorners) {
    // Frame 100 wide, clip columns 20..70: the clipped window spans the corners.
    m_tiles = OneTile(100, 20, 128, 32, m_texture);
    const int32_t clip[4] = {20, 0, 70, 20};
    DrawTilesOnCorners(*m_frameShell, kCentredCorners, m_tiles, 0xFFFFFFFFu, 1, clip, 1.0f, KCornerSpan::Clip);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    const auto v = SceneVertices(static_cast<int>(draws[0].start), 4);
    // x = tile x + w * uL - clip left: 100 * (20/128) - 20 of 50 columns.
    EXPECT_FLOAT_EQ(v[0].x, -0.5f + (100.0f * 20.0f / 128.0f - 20.0f) / 50.0f);
    EXPECT_FLOAT_EQ(v[0].u, 20.0f / 128 + 0.5f / 128);
}

}  // namespace
}  // namespace shell_test
