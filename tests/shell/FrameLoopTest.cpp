// BeginFrame and EndFrame on the software device with the manual clock:
// the camera-height ramp, view easing, camera matrices, clears, presents,
// statistics and the screen target.
#include <gtest/gtest.h>

#include <d3dx9.h>

#include <cmath>

#include "AsfFontWriter.h"
#include "FrameFixture.h"
#include "scene/KModel.h"
#include "scene/KModelManager.h"
#include "shell/ClientSettings.h"
#include "shell/D3DDevice.h"
#include "shell/FrameState.h"
#include "shell/NeighbourServices.h"
#include "support/CallLogFixture.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace shell_test {
namespace {

class FrameLoop : public WithCallLog<FrameTest> {
protected:
    void BeginAndEnd(KModelProxy* focus = nullptr) {
        m_frameShell->BeginFrame(0, 0xFF000000, focus);
        m_frameShell->EndFrame();
    }
};

void ExpectMatrixNear(const D3DMATRIX& actual, const D3DXMATRIX& expected) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(actual.m[r][c], expected.m[r][c], 1e-6f) << r << "," << c;
}

TEST_F(FrameLoop, StampsTheFrameTimeAndLeavesAnUnstartedRampAlone) {
    Start();
    Frame(10);
    EXPECT_EQ(g_FrameTime, kStartMs + 10);
    EXPECT_EQ(m_frameShell->GetFrameTime(), kStartMs + 10);
    EXPECT_EQ(g_ProjectionRamp, 0.58f);
    EXPECT_EQ(g_ProjectionRampState, -1);
}

TEST_F(FrameLoop, RampToPerspectiveWaitsThreeFramesThenFallsOver3200Ms) {
    Start();
    m_frameShell->SetOption(7, 0);  // a ramp that may run
    m_frameShell->SetOption(1, 1);
    ASSERT_EQ(g_ProjectionRampState, 0);
    for (int frame = 1; frame <= 3; ++frame) {
        Frame(10);
        EXPECT_EQ(g_ProjectionRampState, frame);
        EXPECT_EQ(g_ProjectionRamp, 0.58f);
    }
    Frame(10);  // the ramp starts now
    const uint32_t start = static_cast<uint32_t>(kStartMs + 40);
    EXPECT_EQ(static_cast<uint32_t>(g_ProjectionRampState), start);
    EXPECT_EQ(g_ProjectionRamp, 0.58f);
    Frame(1600);
    EXPECT_NEAR(g_ProjectionRamp, 0.455f, 1e-6f);
    EXPECT_FLOAT_EQ(m_frameShell->cameraPosition[2], g_ProjectionRamp * 4500.0f);
    Frame(1599);
    EXPECT_GT(g_ProjectionRamp, 0.33f);
    Frame(1);
    EXPECT_EQ(g_ProjectionRamp, 0.33f);
    Frame(10);
    EXPECT_EQ(static_cast<uint32_t>(g_ProjectionRampState), start);  // finished: no more steps
}

TEST_F(FrameLoop, RampBackToOrthographicRisesOver1500Ms) {
    Start();
    m_frameShell->SetOption(1, 1);  // unstarted ramp: 0.33 at once
    ASSERT_EQ(g_ProjectionRamp, 0.33f);
    m_frameShell->SetOption(1, 0);
    for (int frame = 0; frame < 4; ++frame) Frame(10);
    EXPECT_EQ(g_ProjectionRamp, 0.33f);
    Frame(750);
    EXPECT_NEAR(g_ProjectionRamp, 0.455f, 1e-6f);
    Frame(750);
    EXPECT_EQ(g_ProjectionRamp, 0.58f);
}

TEST_F(FrameLoop, NeverStartedRampJumpsToItsEnd) {
    Start();
    m_frameShell->SetOption(7, 0);
    m_frameShell->SetOption(1, 1);  // mode 2 while the factor is still 0.58
    m_frameShell->SetOption(7, 1);  // state back to "never started"
    Frame(10);
    EXPECT_EQ(g_ProjectionRamp, 0.33f);
}

TEST_F(FrameLoop, ViewCentreHalvesItsDistanceToThePendingCentreEveryFrame) {
    Start();
    m_frameShell->pendingViewCentre[0] = 100.0f;
    m_frameShell->pendingViewCentre[1] = -40.0f;
    const float centres[] = {50.0f, 75.0f, 87.5f};
    const float offsets[] = {-50.0f, -25.0f, -12.5f};
    for (int frame = 0; frame < 3; ++frame) {
        Frame(10);
        EXPECT_EQ(m_frameShell->viewCentre[0], centres[frame]);
        EXPECT_EQ(m_frameShell->worldOffset[0], offsets[frame]);
        EXPECT_EQ(m_frameShell->viewOrigin[0], centres[frame]);
        float offset[3];
        m_frameShell->GetWorldOffset(&offset[0], &offset[1], &offset[2]);
        EXPECT_EQ(offset[0], offsets[frame]);
    }
    EXPECT_EQ(m_frameShell->viewCentre[1], -35.0f);
    float camera[3];
    m_frameShell->GetCameraPos(camera);
    EXPECT_EQ(camera[0], 87.5f);
    EXPECT_EQ(camera[1], -35.0f + 4500.0f);
    EXPECT_FLOAT_EQ(camera[2], 0.58f * 4500.0f);
}

TEST_F(FrameLoop, SetsViewAndProjectionForEachModeAndZoom) {
    const struct {
        const char* what;
        int mode;
        float zoomFactor;
        D3DXMATRIX (*projection)();
    } cases[] = {
        {"orthographic far", 0, 1.0f, [] { D3DXMATRIX m; D3DXMatrixOrthoLH(&m, 800.0f, 600.0f, 200.0f, 20000.0f); return m; }},
        {"orthographic near", 0, 0.0f, [] { D3DXMATRIX m; D3DXMatrixOrthoLH(&m, 400.0f, 300.0f, 200.0f, 20000.0f); return m; }},
        {"perspective", 1, 1.0f,
         [] { D3DXMATRIX m; D3DXMatrixPerspectiveFovLH(&m, 0.1308997f, 1.37f, 200.0f, 20000.0f); return m; }},
    };
    Start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_frameShell->SetOption(1, static_cast<DWORD>(c.mode));
        m_frameShell->SetZoomFactor(c.zoomFactor);
        Frame(10);
        D3DMATRIX view{}, projection{};
        m_device->GetTransform(D3DTS_VIEW, &view);
        m_device->GetTransform(D3DTS_PROJECTION, &projection);
        const float* eye = m_frameShell->cameraPosition;
        const D3DXVECTOR3 from(eye[0], eye[1], eye[2]), at(0.0f, 0.0f, 0.0f), up(0.0f, 0.0f, 1.0f);
        D3DXMATRIX expectedView;
        D3DXMatrixLookAtLH(&expectedView, &from, &at, &up);
        ExpectMatrixNear(view, expectedView);
        ExpectMatrixNear(projection, c.projection());
        D3DXMATRIX product;
        D3DXMatrixMultiply(&product, &m_frameShell->viewMatrix, &m_frameShell->inverseViewMatrix);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 4; ++k) EXPECT_NEAR(product.m[r][k], identity.m[r][k], 1e-3f);
        EXPECT_EQ(m_frameShell->projectionKind, c.mode + 1);
    }
}

TEST_F(FrameLoop, FreeCameraAndFocusModelChooseTheTarget) {
    Start();
    neighbours::TestAnswers().modelPosition = [](KModelProxy*, float* x, float* y, float* z) {
        *x = 1.0f;
        *y = 2.0f;
        *z = 3.0f;
    };
    KModelProxy* focus = reinterpret_cast<KModelProxy*>(uintptr_t{0x1000});
    BeginAndEnd(focus);
    EXPECT_EQ(m_frameShell->viewCentre[0], 1.0f);
    EXPECT_EQ(m_frameShell->viewCentre[2], 3.0f);
    EXPECT_EQ(m_frameShell->cameraPosition[1], 4502.0f);
    EXPECT_FLOAT_EQ(m_frameShell->cameraPosition[2], 0.58f * 4500.0f + 3.0f);
    EXPECT_TRUE(InOrder(neighbours::CallLog(), {"KModelProxy::GetPosition"}));

    m_frameShell->SetFreeCamera(1);
    m_frameShell->SetFreeCameraTarget(10.0f, 20.0f, 30.0f);
    m_frameShell->MoveFreeCamera(3, 5);
    BeginAndEnd(focus);
    EXPECT_EQ(m_frameShell->viewCentre[0], 15.0f);
    EXPECT_EQ(m_frameShell->viewOrigin[1], 20.0f);
    EXPECT_EQ(m_frameShell->cameraPosition[0], 15.0f);
    EXPECT_EQ(m_frameShell->cameraPosition[1], 4520.0f);
    EXPECT_FLOAT_EQ(m_frameShell->cameraPosition[2], (30.0f + 4500.0f) * 0.58f);
}

// A running client draws for hours: with the log off (as in the module),
// frames with a focus model, texture purges and debug meshes note nothing.
using QuietFrameLoop = FrameTest;

TEST_F(QuietFrameLoop, TheCallLogKeepsNothingUntilSwitchedOn) {
    Start();
    neighbours::TestAnswers().modelPosition = [](KModelProxy*, float* x, float* y, float* z) { *x = *y = *z = 0.0f; };
    KModelProxy* focus = reinterpret_cast<KModelProxy*>(uintptr_t{0x1000});
    for (int frame = 0; frame < 3; ++frame) {
        m_frameShell->BeginFrame(0, 0xFF000000, focus);
        m_frameShell->RenderDebugMeshes(1, 0, 0);
        m_frameShell->EndFrame();
    }
    m_frameShell->SetTextureRelease(-1);
    EXPECT_TRUE(neighbours::CallLog().empty());

    neighbours::StartCallLog();
    m_frameShell->BeginFrame(0, 0xFF000000, focus);
    m_frameShell->EndFrame();
    EXPECT_TRUE(InOrder(neighbours::CallLog(), {"KModelProxy::GetPosition"}));
}

TEST_F(FrameLoop, ClearsToTheGivenColourUnlessAskedToKeepTheBackBuffer) {
    Start();
    m_frameShell->BeginFrame(0, 0xFF0000FF, nullptr);
    EXPECT_EQ(BackBuffer().At(400, 300), 0xFF0000FFu);
    m_frameShell->EndFrame();
    m_frameShell->BeginFrame(101, 0xFF00FF00, nullptr);
    EXPECT_EQ(BackBuffer().At(400, 300), 0xFF0000FFu);
    m_frameShell->EndFrame();
}

TEST_F(FrameLoop, EndFramePresentsTheWholeFrameAndRunsThePerFrameWork) {
    Start();
    m_frameShell->imageCache.loadsSinceFrameBegin = 5;
    m_frameShell->imageCache.loadsSinceFrameEnd = 6;
    m_frameShell->BeginFrame(0, 0, nullptr);
    EXPECT_EQ(m_frameShell->imageCache.loadsSinceFrameBegin, 0u);
    m_frameShell->IncrementFrameCounter();
    m_frameShell->IncrementFrameCounter();
    neighbours::CallLog().clear();
    LeaveAgedModel();
    m_frameShell->EndFrame();
    EXPECT_EQ(m_frameShell->GetLastFrameCounter(), 2);
    EXPECT_EQ(m_frameShell->imageCache.loadsSinceFrameEnd, 0u);
    EXPECT_EQ(PresentedRects(), (std::vector<PresentedRect>{{0, 0, 0, 0}}));
    EXPECT_EQ(CallNames({"BeginScene", "EndScene", "Present"}),
              (std::vector<std::string>{"BeginScene", "EndScene", "Present"}));
    EXPECT_TRUE(neighbours::CallLog().empty());
    EXPECT_TRUE(ModelAged());
}

TEST_F(FrameLoop, ModelsAgeOnlyOnceTheClockPasses5000Ms) {
    lumiva::win32::InstallManualClock(1000);
    Start();
    LeaveAgedModel();
    Frame(10);
    EXPECT_FALSE(ModelAged());
    lumiva::win32::InstallManualClock(5001);
    Frame(0);
    EXPECT_TRUE(ModelAged());
}

TEST_F(FrameLoop, BandPresentLeavesTheRectangleOnScreenUntouched) {
    Start();
    Frame(10, 0, 0xFFFF0000);
    m_frameShell->SetPresentExclusion(1, 100, 50, 700, 550);
    lumiva::d3d9::ClearRecording();
    Frame(10, 0, 0xFF0000FF);
    EXPECT_EQ(PresentedRects(),
              (std::vector<PresentedRect>{{0, 0, 800, 50}, {0, 50, 100, 550}, {700, 50, 800, 550}, {0, 550, 800, 600}}));
    POINT origin{0, 0};
    ClientToScreen(m_window, &origin);
    const lumiva::d3d9::Image front = lumiva::d3d9::FrontBuffer();
    auto at = [&](int x, int y) { return front.At(static_cast<UINT>(origin.x + x), static_cast<UINT>(origin.y + y)); };
    EXPECT_EQ(at(400, 10), 0xFF0000FFu);
    EXPECT_EQ(at(50, 300), 0xFF0000FFu);
    EXPECT_EQ(at(750, 300), 0xFF0000FFu);
    EXPECT_EQ(at(400, 590), 0xFF0000FFu);
    EXPECT_EQ(at(400, 300), 0xFFFF0000u);
    EXPECT_EQ(at(100, 50), 0xFFFF0000u);
}

TEST_F(FrameLoop, WindowExclusionPresentsTheBorderStripsThatExist) {
    const struct {
        int32_t rect[4];
        std::vector<PresentedRect> strips;
    } cases[] = {
        {{100, 50, 700, 550}, {{0, 0, 100, 600}, {100, 0, 700, 50}, {100, 550, 700, 600}, {700, 0, 800, 600}}},
        {{0, 0, 800, 550}, {{0, 550, 800, 600}}},
        {{0, 20, 800, 600}, {{0, 0, 800, 20}}},
        {{0, 0, 800, 600}, {}},
    };
    Start();
    for (const auto& c : cases) {
        m_frameShell->SetWindowPresentExclusion(1, c.rect);
        lumiva::d3d9::ClearRecording();
        Frame(10);
        EXPECT_EQ(PresentedRects(), c.strips) << c.rect[0] << "," << c.rect[1] << "," << c.rect[2] << "," << c.rect[3];
    }
    // The window's exclusion comes before the bands.
    m_frameShell->SetPresentExclusion(1, 1, 2, 3, 4);
    lumiva::d3d9::ClearRecording();
    Frame(10);
    EXPECT_TRUE(PresentedRects().empty());
}

TEST_F(FrameLoop, LargeScreenBandsFollowTheScreenSize) {
    KDrawShell* shell = MakeShell();
    shell->SetLargeScreen(1);
    ASSERT_TRUE(shell->Create(1024, 768, 0, 0, 0));
    m_frameShell = shell;
    m_device = shell->GetDevice();
    lumiva::d3d9::EnableRecording(true);
    shell->SetPresentExclusion(1, 100, 50, 700, 550);
    lumiva::d3d9::ClearRecording();
    Frame(10);
    EXPECT_EQ(PresentedRects(), (std::vector<PresentedRect>{
                                    {0, 0, 1024, 50}, {0, 50, 100, 550}, {700, 50, 1024, 550}, {0, 550, 1024, 768}}));

    // The screen target covers the whole large screen.
    shell->SetPresentExclusion(0, 0, 0, 0, 0);
    shell->SetOption(2, 1);
    shell->BeginFrame(0, 0, nullptr);
    const D3DRECT red{900, 700, 1000, 760};
    m_device->Clear(1, &red, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    shell->EndFrame();
    const lumiva::d3d9::Image back = BackBuffer();
    ASSERT_EQ(back.width, 1024u);
    EXPECT_EQ(back.At(950, 730), 0xFFFF0000u);
    EXPECT_EQ(back.At(850, 730), 0xFF666666u);
}

class FrameStatistics : public FrameLoop {
protected:
    struct Line {
        int font;
        std::string text;
        int x, y;
    };

    void SetUp() override {
        FrameLoop::SetUp();
        SetDebugTextSinkForTests([this](int font, const std::string& text, int x, int y) {
            m_lines.push_back({font, text, x, y});
        });
    }

    std::vector<Line> m_lines;
};

TEST_F(FrameStatistics, WithoutDebugOutputNothingIsKept) {
    Start();
    for (int i = 0; i < 5; ++i) Frame(10);
    EXPECT_TRUE(m_frameShell->frameTimes.empty());
    EXPECT_EQ(g_Fps, 0.0f);
    EXPECT_EQ(m_frameShell->GetLastFrameInterval(), 10.0f);
    EXPECT_TRUE(m_lines.empty());
}

TEST_F(FrameStatistics, KeepsTheLast100IntervalsAndDrawsTheFpsLine) {
    AsfFontSpec font;
    font.cellWidth = 4;
    font.cellHeight = 4;
    font.glyphs.push_back(std::vector<uint8_t>(16, 7));
    const std::vector<uint8_t> bytes = WriteAsfFont(font);
    WriteDataFile("px.asf", std::string(bytes.begin(), bytes.end()));
    Start();
    ASSERT_TRUE(m_frameShell->CreateFont("px.asf", 0, 7));
    g_ShowDebugInfo = 1;
    Frame(10);  // starts the timer
    Frame(30);
    for (int i = 0; i < 100; ++i) Frame(10);
    EXPECT_EQ(g_DebugFontId, 7);
    EXPECT_EQ(m_frameShell->frameTimes.size(), 100u);
    EXPECT_EQ(m_frameShell->GetFrameTimeSum(), 1000.0f);
    EXPECT_EQ(m_frameShell->GetLastFrameInterval(), 10.0f);
    EXPECT_EQ(g_Fps, 100.0f);
    ASSERT_GE(m_lines.size(), 2u);
    const Line& fps = m_lines[m_lines.size() - 2];
    EXPECT_EQ(fps.text, "FPS: 100.00");
    EXPECT_EQ(fps.font, 7);
    EXPECT_EQ(fps.x, 650);
    EXPECT_EQ(fps.y, 120);
    EXPECT_EQ(m_lines.back().x, 650);
    EXPECT_EQ(m_lines.back().y, 140);
}

TEST_F(FrameStatistics, TextureMemoryLineIsRefreshedOnceASecond) {
    Start();
    g_ShowDebugInfo = 1;
    Frame(10);
    EXPECT_EQ(g_DebugFontId, -1);  // no font yet
    EXPECT_EQ(m_lines.back().text, "Texture memory used: 0.000 MB");
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(m_device->CreateTexture(512, 512, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    const uint32_t usedKb = (g_D3DDevice.availableTextureMem - m_device->GetAvailableTextureMem()) >> 10;
    ASSERT_GE(usedKb, 1024u);
    Frame(1000);
    EXPECT_EQ(m_lines.back().text, "Texture memory used: 0.000 MB");
    Frame(1);
    char expected[64];
    std::snprintf(expected, sizeof expected, "Texture memory used: %u.%03u MB", usedKb / 1000, usedKb % 1000);
    EXPECT_EQ(m_lines.back().text, expected);
    texture->Release();
}

TEST(TextureMemoryLine, HonoursOnlyTwoIntegerConversions) {
    const struct {
        const char* format;
        const char* expected;
    } cases[] = {
        {"Texture memory used: %d.%03d MB", "Texture memory used: 12.034 MB"},
        {"%i/%u", "12/34"},
        {"%d %d %d", "12 34 %d"},
        {"%s and %n", "%s and %n"},
        {"100%% of %5d", "100% of    12"},
        {"%99999d", "%99999d"},
        {"end %", "end %"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatTextureMemoryLine(c.format, 12, 34), c.expected) << c.format;
    EXPECT_EQ(FormatTextureMemoryLine(nullptr, 1, 2), "");
}

TEST_F(FrameLoop, ScreenTargetTakesTheSceneAndIsCompositedOntoTheBackBuffer) {
    Start();
    m_frameShell->SetOption(2, 1);
    ASSERT_NE(m_frameShell->screenTarget, nullptr);
    const UINT live = lumiva::d3d9::LiveResourceCount();
    for (int frame = 0; frame < 3; ++frame) {
        lumiva::d3d9::ClearRecording();
        m_frameShell->BeginFrame(0, 0xFF0000FF, nullptr);
        IDirect3DSurface9* target = nullptr;
        IDirect3DSurface9* level = nullptr;
        m_device->GetRenderTarget(0, &target);
        m_frameShell->screenTarget->GetSurfaceLevel(0, &level);
        EXPECT_EQ(target, level);
        target->Release();
        level->Release();
        const D3DRECT red{10, 10, 30, 30};
        m_device->Clear(1, &red, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
        m_frameShell->EndFrame();
        EXPECT_EQ(CallNames({"SetRenderTarget", "Clear", "BeginScene", "EndScene", "DrawPrimitiveUP", "Present"}),
                  (std::vector<std::string>{"SetRenderTarget", "Clear", "BeginScene", "Clear", "EndScene",
                                            "SetRenderTarget", "BeginScene", "Clear", "DrawPrimitiveUP", "EndScene",
                                            "Present"}));
    }
    const auto clears = lumiva::d3d9::RecordedCallsNamed("Clear");
    EXPECT_EQ(clears.front().args[3], 0xFF666666u);
    const lumiva::d3d9::Image back = BackBuffer();
    EXPECT_EQ(back.At(20, 20), 0xFFFF0000u);
    EXPECT_EQ(back.At(400, 300), 0xFF666666u);
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), live);
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
    const auto draws = lumiva::d3d9::RecordedCallsNamed("DrawPrimitiveUP");
    ASSERT_EQ(draws.size(), 1u);
    ASSERT_NE(draws[0].state, nullptr);
}

// Deleting the device objects frees what no handle holds, whatever its age,
// and keeps the models that live handles hold.
TEST_F(FrameLoop, DeletingDeviceObjectsFreesOnlyUnreferencedModels) {
    Start();
    KModel* held = nullptr;
    ASSERT_EQ(g_pModelManager->CreateEmptyModel(&held), 0);
    KModel* released = nullptr;
    ASSERT_EQ(g_pModelManager->CreateEmptyModel(&released), 0);
    ASSERT_EQ(g_pModelManager->ReleaseModel(released), 0);
    EXPECT_EQ(m_frameShell->DeleteDeviceObjects(), 0);
    EXPECT_EQ(g_pModelManager->modelMap.Size(), 1u);
    EXPECT_EQ(g_pModelManager->modelMap.Peek(held->ownRecord->name), held->ownRecord);
}

}  // namespace
}  // namespace shell_test
