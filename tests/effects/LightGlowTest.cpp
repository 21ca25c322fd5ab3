// Scene lights and the light glow: the light slots' results and device
// calls, the glow pass into its target, and the overlay over the screen.
#include <gtest/gtest.h>

#include "effects/KLightGlow.h"
#include "effects/SceneEffectsFixture.h"

namespace scene_effects_test {
namespace {

D3DLIGHT9 GlowLight(float x, float y, float z, float range) {
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_POINT;
    light.Ambient = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    light.Position = D3DVECTOR{x, y, z};
    light.Range = range;
    return light;
}

class LightGlowTest : public SceneEffectsTest {
protected:
    lumiva::d3d9::Image TargetImage() {
        IDirect3DSurface9* level = nullptr;
        m_shell->lightGlow.target->GetSurfaceLevel(0, &level);
        lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(level);
        level->Release();
        return image;
    }
};

TEST_F(LightGlowTest, SceneLightsFeedTheDeviceWithTheAmbientColour) {
    EXPECT_EQ(m_shell->EnableLight(0, 1), E_FAIL);  // index = count
    Record();
    EXPECT_EQ(m_shell->EnableLight(-1, 1), D3D_OK);
    EXPECT_TRUE(Calls("SetLight").empty());
    EXPECT_TRUE(Calls("LightEnable").empty());
    EXPECT_EQ(Sets("SetRenderState", D3DRS_AMBIENT), std::vector<DWORD>{0xFFFFFFFF});
    EXPECT_EQ(lumiva::d3d9::RecordedCalls().size(), 1u);

    EXPECT_EQ(m_shell->AddLight(nullptr), -1);
    D3DLIGHT9 light = GlowLight(1, 2, 3, 10);
    EXPECT_EQ(m_shell->AddLight(&light), 1);
    light.Range = 20;
    EXPECT_EQ(m_shell->AddLight(&light), 2);
    EXPECT_EQ(m_shell->GetLightCount(), 2);
    EXPECT_EQ(m_shell->EnableLight(2, 1), E_FAIL);

    m_shell->clearColour = 0x80808080;
    lumiva::d3d9::ClearRecording();
    EXPECT_EQ(m_shell->EnableLight(1, 1), D3D_OK);
    ASSERT_EQ(Calls("LightEnable").size(), 1u);
    EXPECT_EQ(Calls("LightEnable")[0].args, (std::vector<uint64_t>{1, 1}));
    D3DLIGHT9 set{};
    Device()->GetLight(1, &set);
    EXPECT_EQ(set.Range, 20.0f);
    EXPECT_EQ(RenderState(D3DRS_AMBIENT), 0x80808080u);

    lumiva::d3d9::ClearRecording();
    m_shell->ClearLights();
    EXPECT_EQ(m_shell->GetLightCount(), 0);
    EXPECT_EQ(Calls("LightEnable").size(), 2u);
    BOOL on = TRUE;
    Device()->GetLightEnable(0, &on);
    EXPECT_FALSE(on);
    EXPECT_TRUE(Sets("SetRenderState", D3DRS_AMBIENT).empty());  // disabling leaves the ambient
}

TEST_F(LightGlowTest, TheGlowPassClearsToTheAmbientAndAddsASpotPerLight) {
    KLightGlow& glow = m_shell->lightGlow;
    ASSERT_NE(glow.target, nullptr);
    EXPECT_EQ(glow.clearColour, 0xFFFFFFFFu);  // Reset
    m_shell->clearColour = 0x80808080;          // shared with the shell
    OrthoCamera(128.0f, 128.0f);  // one unit a texel of the target
    const D3DLIGHT9 light = GlowLight(0, 0, 0, 32);
    m_shell->AddGlowLight(&light);
    m_shell->AddGlowLight(nullptr);
    IDirect3DSurface9* before = nullptr;
    Device()->GetRenderTarget(0, &before);
    // The sprite's quad may make the shared vertex buffer.
    const UINT live = lumiva::d3d9::LiveResourceCount() + (m_shell->dynamicVertexBuffer ? 0 : 1);
    Record();
    glow.Render();

    const auto clears = Calls("Clear");
    ASSERT_EQ(clears.size(), 1u);
    EXPECT_EQ(clears[0].args[3], 0x80808080u);
    const auto draws = Calls("DrawPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].state->RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCCOLOR));
    EXPECT_EQ(draws[0].state->RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_ONE));
    EXPECT_EQ(draws[0].state->RenderState(D3DRS_ZENABLE), DWORD(FALSE));
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), DWORD(TRUE));
    EXPECT_TRUE(glow.glowLights.empty());

    IDirect3DSurface9* after = nullptr;
    Device()->GetRenderTarget(0, &after);
    EXPECT_EQ(after, before);
    after->Release();
    before->Release();
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), live);
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());

    // The spot lights the centre of the target; the edge keeps the ambient.
    const auto image = TargetImage();
    EXPECT_EQ(Channel(image.At(64, 64), 16), 255);
    EXPECT_EQ(Channel(image.At(2, 2), 16), 0x80);
    EXPECT_GT(Channel(image.At(64, 52), 16), Channel(image.At(64, 40), 16));

    // Raised 20 units, a light at z 90 lies past the far plane.
    m_shell->clearColour = 0x80808080;
    const D3DLIGHT9 far = GlowLight(0, 0, 90, 32);
    m_shell->AddGlowLight(&far);
    glow.Render();
    EXPECT_EQ(Channel(TargetImage().At(64, 64), 16), 0x80);
}

TEST_F(LightGlowTest, TheOverlayMultipliesTheScreenByTheTarget) {
    struct Case {
        DWORD ambient;
        int expected;
    };
    for (const Case c : {Case{0xFFFFFFFF, 0xC0}, Case{0x80808080, 0x60}}) {
        ClearScreen(0xFFC0C0C0);
        m_shell->clearColour = c.ambient;
        m_shell->SetOption(8, 1);
        const auto image = BackBuffer();
        for (auto [x, y] : {std::pair{0u, 0u}, std::pair{400u, 300u}, std::pair{799u, 599u}})
            EXPECT_NEAR(Channel(image.At(x, y), 8), c.expected, 1) << std::hex << c.ambient;
    }
    // With the option off nothing is drawn and the list keeps growing.
    const D3DLIGHT9 light = GlowLight(0, 0, 0, 8);
    m_shell->AddGlowLight(&light);
    Record();
    m_shell->SetOption(8, 0);
    m_shell->AddGlowLight(&light);
    EXPECT_TRUE(Calls("DrawPrimitive").empty());
    EXPECT_EQ(m_shell->lightGlow.glowLights.size(), 2u);

    // Without a target neither pass draws, and the list still empties.
    m_shell->lightGlow.InvalidateDeviceObjects();
    m_shell->SetOption(8, 1);
    EXPECT_TRUE(Calls("DrawPrimitive").empty());
    EXPECT_TRUE(m_shell->lightGlow.glowLights.empty());
}

TEST_F(LightGlowTest, TheSpotIsWhiteAtTheCentreAndBlackAtTheRim) {
    IDirect3DTexture9* sprite = m_shell->lightGlow.sprite;
    ASSERT_NE(sprite, nullptr);
    D3DSURFACE_DESC desc{};
    sprite->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 64u);
    IDirect3DSurface9* level = nullptr;
    sprite->GetSurfaceLevel(0, &level);
    const auto image = lumiva::d3d9::SurfaceImage(level);
    level->Release();
    EXPECT_GE(Channel(image.At(32, 32), 0), 245);
    EXPECT_EQ(image.At(0, 0), 0xFF000000u);
    EXPECT_EQ(image.At(0, 32), image.At(32, 0));
    EXPECT_GT(Channel(image.At(32, 16), 0), Channel(image.At(32, 4), 0));
}

}  // namespace
}  // namespace scene_effects_test
