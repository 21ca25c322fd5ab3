// A device reset with every default-pool object of the scene effects alive:
// the shell's invalidation lets the strict device reset, its restoration
// brings each object back, and each draws the same pixels as before.
#include <gtest/gtest.h>

#include "effects/KParticleSystem.h"
#include "effects/KRibbon.h"
#include "effects/KStaticMesh.h"
#include "effects/SceneEffectsFixture.h"
#include "shell/D3DDevice.h"

namespace scene_effects_test {
namespace {

class SceneEffectsResetTest : public SceneEffectsTest {
protected:
    void SetUp() override {
        SceneEffectsTest::SetUp();
        WriteGreyJpeg("fx/trail.jpg", 8, 8);
        m_mesh = m_shell->CreateStaticMesh(8, 8);
        ASSERT_NE(m_mesh, nullptr);
        const KMeshVertex v[3] = {{-300, -250, 10, 0, 0}, {-300, -150, 10, 0, 1}, {-200, -250, 10, 1, 0}};
        const WORD indices[3] = {0, 1, 2};
        ASSERT_TRUE(m_mesh->SetVertices(v, sizeof v));
        ASSERT_TRUE(m_mesh->SetIndices(indices, sizeof indices));

        const float size[2] = {20, 20};
        m_particles.SetParticleSize(size);
        m_particles.SetEmitter(
            m_particles.CreateBoxEmitter(0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 10, 1, 1, 1, 1, 1, 1, 1, 1, 99999, 99999, 0));

        m_ribbon = m_shell->CreateRibbon(4, 10, 16.0f, 0.0f, "fx\\trail.jpg", 0, 0, 0);
        ASSERT_NE(m_ribbon, 0xFFFFFFFFu);
        m_shell->UpdateRibbon(m_ribbon, 1);
        m_shell->clearColour = 0xC0C0C0C0;
        Advance(101);
    }
    void TearDown() override {
        delete m_mesh;
        m_particles.ReleaseResources();
        SceneEffectsTest::TearDown();
    }

    // One pass of everything under the same camera and states; the clock
    // stands still between passes, so nothing moves or emits.
    lumiva::d3d9::Image DrawAll() {
        IDirect3DDevice9* device = Device();
        m_shell->SetDefaultRenderStates();
        device->SetTexture(0, nullptr);  // the mesh has none of its own
        OrthoCamera(800.0f, 600.0f);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF404040, 1.0f, 0);
        m_mesh->Render();
        m_shell->DrawRibbons(m_ribbon, 200, 100, 10);
        m_shell->DrawRibbons(m_ribbon, 200, 100, 10);
        m_particles.Render();  // its own camera
        OrthoCamera(800.0f, 600.0f);
        const D3DLIGHT9 light = [] {
            D3DLIGHT9 l{};
            l.Ambient = D3DCOLORVALUE{1, 1, 1, 1};
            l.Position = D3DVECTOR{100, 100, 0};
            l.Range = 100;
            return l;
        }();
        m_shell->AddGlowLight(&light);
        m_shell->SetOption(8, 1);
        return BackBuffer();
    }

    KStaticMesh* m_mesh = nullptr;
    KParticleSystem m_particles;
    DWORD m_ribbon = 0;
};

TEST_F(SceneEffectsResetTest, EverythingComesBackAndDrawsTheSamePixels) {
    // Points spread along the ribbon before the reset, so it has length.
    m_shell->DrawRibbons(m_ribbon, 0, 0, 10);
    for (int step = 1; step <= 3; ++step) {
        Advance(11);
        m_shell->DrawRibbons(m_ribbon, 60 * step, 30 * step, 10);
    }
    const auto before = DrawAll();
    ASSERT_NE(m_particles.vertexBuffer, nullptr);
    // Each object drew something of its own.
    EXPECT_NE(before.At(400, 300), 0xFF404040u);  // the particle
    EXPECT_NE(before.At(-270 + 400, 300 + 230), 0xFF404040u);  // the mesh (y up)

    Device()->EndScene();
    ASSERT_EQ(m_shell->InvalidateDeviceObjects(), 0);
    EXPECT_EQ(m_particles.vertexBuffer, nullptr);
    EXPECT_EQ(m_mesh->vertexBuffer, nullptr);
    EXPECT_EQ(m_shell->lightGlow.target, nullptr);
    D3DPRESENT_PARAMETERS params = g_D3DDevice.presentParams;
    ASSERT_EQ(Device()->Reset(&params), D3D_OK);
    ASSERT_EQ(m_shell->RestoreDeviceObjects(), 0);
    Device()->BeginScene();

    const auto after = DrawAll();
    ASSERT_EQ(after.pixels.size(), before.pixels.size());
    size_t differing = 0;
    for (size_t i = 0; i < before.pixels.size(); ++i) differing += before.pixels[i] != after.pixels[i];
    EXPECT_EQ(differing, 0u);

    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
}

}  // namespace
}  // namespace scene_effects_test
