// Frames drawn into a target picture: scaled placement, cropping at the
// target's edges, tiles without texture, and the pixels drawn.
#include <gtest/gtest.h>

#include <climits>
#include <limits>

#include "draw2d/scene/ImageFrame.h"
#include "shell/scene/ScenePictureFixture.h"

namespace shell_test {
namespace {

class ImageFrame : public ScenePictureTest {
protected:
    void SetUp() override {
        ScenePictureTest::SetUp();
        StartIdentity();
        m_device->SetFVF(0x144);
        m_texture = SolidTexture(128, 64, 0xFF0000FFu);
        lumiva::d3d9::ClearRecording();
    }
    std::vector<KScreenVertex> Quad(int tile = 0) {
        const auto draws = Draws();
        if (draws.size() <= static_cast<size_t>(tile)) return {};
        return BufferVertices<KScreenVertex>(static_cast<int>(draws[static_cast<size_t>(tile)].start), 4);
    }
    IDirect3DTexture9* m_texture = nullptr;
};

TEST_F(ImageFrame, PlacementScaleAndCroppingAtTheTargetsEdges) {
    const KFrameTilesView tiles = OneTile(100, 50, 128, 64, m_texture);
    const struct {
        const char* name;
        int x, y;
        float scale;
        float left, top, right, bottom, uL, uR, vT, vB;
    } cases[] = {
        {"in place", 0, 0, 1.0f, -0.5f, -0.5f, 99.5f, 49.5f, 0, 100.0f / 128, 0, 50.0f / 64},
        {"left of the target", -20, 0, 1.0f, -0.5f, -0.5f, 79.5f, 49.5f, 20.0f / 128, 100.0f / 128, 0, 50.0f / 64},
        {"scaled twice", 10, 0, 2.0f, 19.5f, -0.5f, 219.5f, 99.5f, 0, 100.0f / 128, 0, 50.0f / 64},
        {"past the right edge", 200, 0, 1.0f, 199.5f, -0.5f, 255.5f, 49.5f, 0, 56.0f / 128, 0, 50.0f / 64},
        {"above, scaled", 0, -10, 2.0f, -0.5f, -0.5f, 199.5f, 79.5f, 0, 100.0f / 128, 20.0f / 128, 100.0f / 128},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        lumiva::d3d9::ClearRecording();
        DrawImageFrameTiles(*m_frameShell, tiles, 256, 256, c.x, c.y, c.scale, c.scale);
        const auto q = Quad();
        ASSERT_EQ(q.size(), 4u);
        EXPECT_FLOAT_EQ(q[0].x, c.left);
        EXPECT_FLOAT_EQ(q[0].y, c.top);
        EXPECT_FLOAT_EQ(q[3].x, c.right);
        EXPECT_FLOAT_EQ(q[3].y, c.bottom);
        EXPECT_FLOAT_EQ(q[0].u, c.uL);
        EXPECT_FLOAT_EQ(q[3].u, c.uR);
        EXPECT_FLOAT_EQ(q[0].v, c.vT);
        EXPECT_FLOAT_EQ(q[3].v, c.vB);
        EXPECT_EQ(q[0].colour, 0xFFFFFFFFu);
        EXPECT_EQ(q[0].rhw, 1.0f);
    }
}

TEST_F(ImageFrame, ScalesThatAreNoNumberOrBeyondTheTargetDrawNoPixel) {
    const KFrameTilesView tiles = OneTile(100, 50, 128, 64, m_texture);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    // Not a number, endless: no quad at all.
    for (float scale : {nan, inf, -inf}) {
        lumiva::d3d9::ClearRecording();
        DrawImageFrameTiles(*m_frameShell, tiles, 64, 64, 0, 0, scale, 1.0f);
        DrawImageFrameTiles(*m_frameShell, tiles, 64, 64, 0, 0, 1.0f, scale);
        EXPECT_TRUE(Draws().empty()) << scale;
    }
    // Placements scaled past the int range: the quad starts past the target's
    // edge, or ends before it, and has no width inside it.
    const struct {
        int x;
        float scale;
    } far[] = {{5000, 1e6f}, {-5000, 1e6f}, {INT_MAX, 2.0f}, {INT_MIN, 1.0f}, {5000, -1e6f}};
    for (const auto& c : far) {
        SCOPED_TRACE(c.x);
        lumiva::d3d9::ClearRecording();
        DrawImageFrameTiles(*m_frameShell, tiles, 64, 64, c.x, 0, c.scale, 1.0f);
        const auto q = Quad();
        ASSERT_EQ(q.size(), 4u);
        EXPECT_TRUE(q[3].x <= q[0].x || q[0].x >= 63.5f) << q[0].x << " to " << q[3].x;
    }
}

TEST_F(ImageFrame, TileWithoutTextureIsSkippedAndTheRestDraws) {
    KFrameTilesView tiles;
    tiles.frameWidth = 128, tiles.frameHeight = 64, tiles.tileCount = 2;
    tiles.tiles[0] = {0, 0, 64, 64, 64, 64, nullptr};
    tiles.tiles[1] = {64, 0, 64, 64, 64, 64, m_texture};
    DrawImageFrameTiles(*m_frameShell, tiles, 256, 256, 0, 0, 1.0f, 1.0f);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].start % 4, 0u);
    const auto q = BufferVertices<KScreenVertex>(static_cast<int>(draws[0].start), 4);
    EXPECT_FLOAT_EQ(q[0].x, 63.5f);
}

TEST_F(ImageFrame, PixelsLandCroppedInTheTarget) {
    // A 16 x 16 target; the frame's 8 x 8 tile at (-4, 12), scale 1.
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(
        m_device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr),
        D3D_OK);
    m_textures.push_back(target);
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &surface), D3D_OK);
    ASSERT_EQ(m_device->SetRenderTarget(0, surface), D3D_OK);
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    m_device->SetRenderState(D3DRS_ZENABLE, FALSE);
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    m_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    m_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    m_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    // Texel columns are red left of x = 4 and green from 4 on.
    IDirect3DTexture9* texture = MakeTexture(8, 8, [](int x, int) { return x < 4 ? 0xFFFF0000u : 0xFF00FF00u; });
    DrawImageFrameTiles(*m_frameShell, OneTile(8, 8, 8, 8, texture), 16, 16, -4, 12, 1.0f, 1.0f);
    const lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(surface);
    surface->Release();
    ASSERT_EQ(image.width, 16u);
    // The red half is cut off at the left edge; only green shows, in the
    // 4 columns and 4 rows left inside the target.
    for (UINT y = 0; y < 16; ++y)
        for (UINT x = 0; x < 16; ++x) {
            const D3DCOLOR wanted = (x < 4 && y >= 12) ? 0xFF00FF00u : 0xFF000000u;
            ASSERT_EQ(image.At(x, y), wanted) << x << "," << y;
        }
}

}  // namespace
}  // namespace shell_test
