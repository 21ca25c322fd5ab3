// Scene-space renderers: sprite frames at one height with the world offset
// and clip, tinted and light-grid JPEG pictures, and the strips of the
// light-grid corner renderer.
#include <gtest/gtest.h>

#include "draw2d/scene/CornerPicture.h"
#include "draw2d/scene/SceneFrame.h"
#include "draw2d/scene/TintedPicture.h"
#include "shell/scene/ScenePictureFixture.h"
#include "textures/KJpgImage.h"

namespace shell_test {
namespace {

class ScenePictures : public ScenePictureTest {
protected:
    void SetUp() override {
        ScenePictureTest::SetUp();
        StartIdentity();
        m_texture = SolidTexture(64, 64, 0xFF00FF00u);
        lumiva::d3d9::ClearRecording();
    }
    IDirect3DTexture9* m_texture = nullptr;
};

TEST_F(ScenePictures, FrameInSceneTakesTheWorldOffsetAndItsClip) {
    const KFrameTilesView tiles = OneTile(64, 32, 64, 64, m_texture);
    const struct {
        const char* name;
        bool offset, point;
        float left, top, z, right;
    } cases[] = {
        {"offset", true, false, 109.5f, 219.5f, 5.0f, 173.5f},
        {"no offset", false, false, 99.5f, 199.5f, 0.0f, 163.5f},
        {"point variant grows the tile", false, true, 99.5f, 199.5f, 0.0f, 164.5f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_frameShell->worldOffsetSet = c.offset;
        m_frameShell->worldOffset[0] = 10, m_frameShell->worldOffset[1] = 20, m_frameShell->worldOffset[2] = 5;
        m_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        lumiva::d3d9::ClearRecording();
        DrawFrameTilesInScene(*m_frameShell, 100, 200, 0, 64, 32, tiles, {0, 0, 1000, 1000}, c.point);
        const auto draws = Draws();
        ASSERT_EQ(draws.size(), 1u);
        const auto v = SceneVertices(static_cast<int>(draws[0].start), 4);
        EXPECT_FLOAT_EQ(v[0].x, c.left);
        EXPECT_FLOAT_EQ(v[0].y, c.top);
        EXPECT_FLOAT_EQ(v[0].z, c.z);
        EXPECT_FLOAT_EQ(v[3].x, c.right);
        EXPECT_FLOAT_EQ(v[3].u, 1.0f);
        EXPECT_FLOAT_EQ(v[3].v, 0.5f);
        EXPECT_EQ(draws[0].state->SamplerState(0, D3DSAMP_MINFILTER),
                  c.point ? DWORD(D3DTEXF_POINT) : DWORD(D3DTEXF_LINEAR));
        EXPECT_EQ(SamplerState(D3DSAMP_MINFILTER),
                  DWORD(D3DTEXF_LINEAR));  // given back, or never touched
    }
}

TEST_F(ScenePictures, ClipEndingAtTheTileKeepsAZeroWidthQuadAndOneUnitMoreHidesIt) {
    const KFrameTilesView tiles = OneTile(64, 32, 64, 64, m_texture);
    DrawFrameTilesInScene(*m_frameShell, 0, 0, 0, 64, 32, tiles, {-10, -10, -0.5f, 100}, false);
    ASSERT_EQ(Draws().size(), 1u);
    const auto v = SceneVertices(static_cast<int>(Draws()[0].start), 4);
    EXPECT_FLOAT_EQ(v[0].x, -0.5f);
    EXPECT_FLOAT_EQ(v[1].x, -0.5f);
    lumiva::d3d9::ClearRecording();
    DrawFrameTilesInScene(*m_frameShell, 0, 0, 0, 64, 32, tiles, {-10, -10, -1.5f, 100}, false);
    EXPECT_TRUE(Draws().empty());
}

class TintedPictures : public ScenePictures {
protected:
    void SetUp() override {
        ScenePictures::SetUp();
        ASSERT_TRUE(m_picture.Create("tinted", 100, 50, 2, false));
        ASSERT_NE(m_picture.GetTexture(), nullptr);
        lumiva::d3d9::ClearRecording();
    }
    KJpgImage m_picture;
};

TEST_F(TintedPictures, TexelCentredQuadWithGreyTintGivenBack) {
    m_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    DrawTintedPicture(*m_frameShell, kCentredCorners, &m_picture, 0.5f);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    const auto v = SceneVertices(static_cast<int>(draws[0].start), 4);
    const float tw = static_cast<float>(m_picture.GetFrame().tiles[0].textureWidth);
    const float th = static_cast<float>(m_picture.GetFrame().tiles[0].textureHeight);
    EXPECT_EQ(tw, 128.0f);
    EXPECT_FLOAT_EQ(v[0].u, 0.5f / tw);
    EXPECT_FLOAT_EQ(v[1].u, 100.0f / tw - 0.5f / tw);
    EXPECT_FLOAT_EQ(v[3].v, 50.0f / th - 0.5f / th);
    EXPECT_FLOAT_EQ(v[2].x, -0.5f);  // corner 3 third in strip order
    EXPECT_FLOAT_EQ(v[2].y, -0.5f);
    EXPECT_EQ(draws[0].state->RenderState(D3DRS_TEXTUREFACTOR), 0xFF7F7F7Fu);
    EXPECT_EQ(draws[0].state->StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(draws[0].state->SamplerState(0, D3DSAMP_MAGFILTER), DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(StageState(D3DTSS_COLOROP), DWORD(D3DTOP_SELECTARG1));
    EXPECT_EQ(SamplerState(D3DSAMP_MAGFILTER), DWORD(D3DTEXF_POINT));

    for (float brightness : {1.0f, 0.0f}) {
        lumiva::d3d9::ClearRecording();
        DrawTintedPicture(*m_frameShell, kCentredCorners, &m_picture, brightness);
        EXPECT_EQ(Draws().at(0).state->StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_SELECTARG1));
    }
}

TEST_F(TintedPictures, PictureWithoutTextureLeavesTheFiltersAlone) {
    KJpgImage bare;
    m_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    DrawTintedPicture(*m_frameShell, kCentredCorners, &bare, 0.5f);
    DrawTintedPictureSplit(*m_frameShell, kCentredCorners, &bare);
    EXPECT_TRUE(Draws().empty());
    EXPECT_EQ(SamplerState(D3DSAMP_MAGFILTER), DWORD(D3DTEXF_LINEAR));
}

TEST_F(TintedPictures, SplitPictureDrawsOneLitStripAndLeavesModulate) {
    const float corners[12] = {0, 0, 1, 64, 0, 1, 64, 64, 1, 0, 64, 1};  // flat, 64 x 64
    DrawTintedPictureSplit(*m_frameShell, corners, &m_picture);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].count, 10u);  // 12 vertices
    EXPECT_EQ(draws[0].state->StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE4X));
    EXPECT_EQ(SceneVertices(static_cast<int>(draws[0].start), 1)[0].colour, 0xFF404040u);
    EXPECT_EQ(StageState(D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(SamplerState(D3DSAMP_MINFILTER), DWORD(D3DTEXF_POINT));
}

TEST_F(ScenePictures, SplitCornersWriteOnlyTheStripsOfVisibleTilesFromTheRunStart) {
    // Corners that project on screen, 64 x 64 scene units wide at one height.
    D3DXMatrixScaling(&m_frameShell->projectionMatrix, 1.0f / 128, 1.0f / 128, 1.0f);
    const float corners[12] = {-64, 0, 1, 64, 0, 1, 64, 64, 1, -64, 64, 1};
    KFrameTilesView tiles;
    tiles.frameWidth = 128, tiles.frameHeight = 64, tiles.tileCount = 2;
    tiles.tiles[0] = {0, 0, 64, 64, 64, 64, m_texture};
    tiles.tiles[1] = {64, 0, 64, 64, 64, 64, m_texture};
    const int32_t clip[4] = {70, 0, 128, 64};  // misses the first tile
    DrawTilesOnCornersSplit(*m_frameShell, corners, tiles, 0xFF808080u, 5, clip);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    const auto call = lumiva::d3d9::RecordedCallsNamed("VertexBuffer::Lock").back();
    EXPECT_EQ(call.args[2],
              12u * sizeof(KSceneVertex));  // the run is what the strip needs
    const auto v = SceneVertices(static_cast<int>(draws[0].start), 12);
    EXPECT_FLOAT_EQ(v[1].x, 0.0f);        // second tile's top-left
    EXPECT_EQ(v[0].colour, 0xFF202020u);  // mode 5 halves the grid colour
    EXPECT_EQ(draws[0].state->StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE4X));
    EXPECT_EQ(StageState(D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
}

}  // namespace
}  // namespace shell_test
