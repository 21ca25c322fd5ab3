// Projection matrices, the options of SetOption and the zoom steps.
#include <gtest/gtest.h>

#include <d3dx9math.h>

#include "DrawShellFixture.h"
#include "lumiva/basrel/KStringMap.h"
#include "d3d9/Control.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace shell_test {
namespace {

class DrawShellProjection : public DrawShellTest {};

void ExpectMatrix(const D3DXMATRIX& actual, const float (&expected)[16]) {
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(actual.m[i / 4][i % 4], expected[i]) << "element " << i;
}

TEST_F(DrawShellProjection, OrthographicAfterCreate) {
    KDrawShell* shell = MakeCreatedShell();
    EXPECT_EQ(shell->projectionKind, 1);
    const float expected[16] = {2.0f / 800,      0, 0, 0, 0, 2.0f / 600, 0, 0, 0, 0, 1.0f / 19800, 0, 0, 0,
                                -200.0f / 19800, 1};
    ExpectMatrix(shell->projectionMatrix, expected);
    D3DXMATRIX onDevice;
    shell->GetDevice()->GetTransform(D3DTS_PROJECTION, &onDevice);
    ExpectMatrix(onDevice, expected);
}

TEST_F(DrawShellProjection, PerspectiveThroughOptionOne) {
    KDrawShell* shell = MakeCreatedShell();
    shell->SetOption(1, 1);
    EXPECT_EQ(shell->projectionKind, 2);
    EXPECT_EQ(g_ProjectionMode, 2);
    const float yScale = 1.0f / std::tan(0.1308997f / 2);
    const float xScale = yScale / 1.37f;
    const float q = 20000.0f / (20000.0f - 200.0f);
    const float expected[16] = {xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, q, 1, 0, 0, -200.0f * q, 0};
    ExpectMatrix(shell->projectionMatrix, expected);
    D3DXMATRIX onDevice;
    shell->GetDevice()->GetTransform(D3DTS_PROJECTION, &onDevice);
    ExpectMatrix(onDevice, expected);
    shell->SetOption(1, 0);
    EXPECT_EQ(shell->projectionKind, 1);
}

TEST_F(DrawShellProjection, ProjectionRamp) {
    KDrawShell* shell = MakeShell();
    // State -1 at load: the first change sets the ramp at once.
    shell->SetOption(1, 1);
    EXPECT_FLOAT_EQ(g_ProjectionRamp, 0.33f);
    EXPECT_EQ(g_ProjectionRampState, 0);
    // State 0: the timed change is restarted, the value stays.
    shell->SetOption(1, 0);
    EXPECT_FLOAT_EQ(g_ProjectionRamp, 0.33f);
    shell->SetOption(7, 1);
    EXPECT_EQ(g_ProjectionRampState, -1);
    shell->SetOption(1, 0x100);  // only the low byte counts: 0, the mode is already 1
    EXPECT_EQ(g_ProjectionRampState, -1);
    shell->SetOption(1, 1);
    EXPECT_FLOAT_EQ(g_ProjectionRamp, 0.33f);
    shell->SetOption(7, 1);
    shell->SetOption(1, 0);
    EXPECT_FLOAT_EQ(g_ProjectionRamp, 0.58f);
    shell->SetOption(7, 1);
    shell->SetOption(7, 0);
    EXPECT_EQ(g_ProjectionRampState, 0);
}

TEST_F(DrawShellProjection, CameraDistanceFromOptionThree) {
    KDrawShell* shell = MakeShell();
    const struct {
        DWORD value;
        float distance;
        int percent;
    } cases[] = {{255, 4500.0f, 100}, {0, 2200.0f, 204}, {0x1FF, 4500.0f, 100}, {51, 2660.0f, 169}};
    for (const auto& c : cases) {
        shell->SetOption(3, c.value);
        EXPECT_FLOAT_EQ(shell->cameraDistance, c.distance) << c.value;
        int out = -1;
        EXPECT_EQ(shell->GetZoomPercent(0, &out), c.percent) << c.value;
        EXPECT_EQ(out, c.percent);
    }
    int out = -1;
    EXPECT_EQ(shell->GetZoomPercent(77, &out), 77);
    EXPECT_EQ(out, -1);
}

TEST_F(DrawShellProjection, ZoomStepsStayWithinTheirBounds) {
    KDrawShell* shell = MakeShell();
    shell->SetOption(3, 0);
    shell->SetOption(5, 0);  // one step nearer than the minimum: held at 0
    EXPECT_FLOAT_EQ(shell->cameraDistance, 2200.0f);
    shell->SetOption(4, 0);
    EXPECT_NEAR(shell->cameraDistance, 2430.0f, 0.01f);
    for (int i = 0; i < 20; ++i) shell->SetOption(4, 0);
    // Outside the free camera the zoom (1.0) bounds the steps.
    EXPECT_FLOAT_EQ(shell->cameraDistance, 4500.0f);
    shell->SetFreeCamera(1);
    shell->SetFreeCameraZoomLimit(1.5f);
    for (int i = 0; i < 20; ++i) shell->SetOption(4, 0);
    EXPECT_FLOAT_EQ(shell->cameraDistance, 2300.0f * 1.5f + 2200.0f);
}

TEST_F(DrawShellProjection, SetZoomAndLargeScreen) {
    KDrawShell* shell = MakeShell();
    shell->SetZoom(0.5f);
    EXPECT_FLOAT_EQ(shell->cameraDistance, 3350.0f);
    shell->SetZoom(2.0f);
    EXPECT_FLOAT_EQ(shell->zoom, 2.0f);
    shell->SetLargeScreen(1);
    shell->SetZoom(2.0f);
    EXPECT_FLOAT_EQ(shell->zoom, 1.0f);
    EXPECT_FLOAT_EQ(shell->cameraDistance, 4500.0f);
    shell->SetFreeCamera(1);
    shell->SetZoom(2.0f);
    EXPECT_FLOAT_EQ(shell->zoom, 2.0f);
}

TEST_F(DrawShellProjection, FlagOptionsAndUnknownOnes) {
    KDrawShell* shell = MakeShell();
    shell->SetOption(0, 1);
    EXPECT_EQ(shell->lightGridEnabled, 1);
    EXPECT_EQ(shell->lightGlow.gridFlag, 1);
    const D3DLIGHT9 light{};
    shell->AddGlowLight(&light);
    shell->SetOption(8, 0);
    EXPECT_EQ(shell->lightGlow.glowLights.size(), 1u);  // the pass did not run
    shell->SetOption(8, 1);
    EXPECT_EQ(shell->lightGlow.glowOn, 1);
    EXPECT_TRUE(shell->lightGlow.glowLights.empty());
    const float distance = shell->cameraDistance;
    shell->SetOption(6, 1);
    shell->SetOption(9, 1);
    shell->SetOption(-1, 1);
    EXPECT_EQ(shell->cameraDistance, distance);
    EXPECT_EQ(g_ProjectionMode, 1);
}

TEST_F(DrawShellProjection, ScreenTargetOption) {
    KDrawShell* shell = MakeCreatedShell();
    shell->SetOption(2, 1);
    ASSERT_NE(shell->screenTarget, nullptr);
    D3DSURFACE_DESC desc{};
    shell->screenTarget->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 800u);
    EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_RENDERTARGET));
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    shell->SetOption(2, 0);
    EXPECT_EQ(shell->screenTarget, nullptr);
    EXPECT_EQ(shell->screenTargetEnabled, 0);
}

}  // namespace
}  // namespace shell_test

namespace shell_test {
namespace {

TEST_F(DrawShellProjection, ScreenTargetOutOfVideoMemory) {
    KDrawShell* shell = MakeCreatedShell();
    lumiva::d3d9::FailCreationAt(1, D3DERR_OUTOFVIDEOMEMORY);
    neighbours::CallLog().clear();
    EXPECT_EQ(shell->CreateScreenTarget(800, 600), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(shell->screenTarget, nullptr);
    const auto boxes = lumiva::win32::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, m_window);
    EXPECT_EQ(boxes[0].text, g_cStringMap.GetString(33));
    // What the image cache trims is tested with the cache.
}

}  // namespace
}  // namespace shell_test
