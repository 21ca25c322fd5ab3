// Lost-device handling in the frame loop: nothing is drawn while the device
// is lost; a device that can be reset gets invalidate, mode change and
// restore in that order, without leaks; failed steps are retried.
#include <gtest/gtest.h>

#include "FrameFixture.h"
#include "shell/NeighbourServices.h"
#include "support/CallLogFixture.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace shell_test {
namespace {

class LostDevice : public WithCallLog<FrameTest> {
protected:
    std::vector<std::string> DrawCalls() const {
        return CallNames({"Clear", "BeginScene", "EndScene", "Present", "Reset"});
    }
};

TEST_F(LostDevice, LostDeviceSkipsTheWholeFrame) {
    Start();
    lumiva::d3d9::SetCooperativeLevel(D3DERR_DEVICELOST);
    m_frameShell->BeginFrame(0, 0xFF0000FF, nullptr);
    EXPECT_TRUE(m_frameShell->deviceLost);
    m_frameShell->IncrementFrameCounter();
    m_frameShell->EndFrame();
    EXPECT_EQ(m_frameShell->GetLastFrameCounter(), 1);
    EXPECT_TRUE(DrawCalls().empty());
    // Drawing operations refuse while lost.
    m_frameShell->SetAlphaMode(0, 1, 5);
    EXPECT_TRUE(lumiva::d3d9::RecordedCallsNamed("SetRenderState").empty());
    // Still lost on the next frame: still nothing.
    Frame(10);
    EXPECT_TRUE(DrawCalls().empty());
}

TEST_F(LostDevice, ResetInvalidatesChangesTheModeAndRestoresInOrderWithoutLeaks) {
    Start();
    m_frameShell->SetOption(2, 1);  // screen target
    Frame(10);
    int first = 0;
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_NE(m_frameShell->LockDynamicVertices(4, 28, &first, &buffer), nullptr);
    m_frameShell->UnlockDynamicVertices();
    ASSERT_TRUE(m_frameShell->PrepareOffscreenView(nullptr, 0, 64, 64));
    m_frameShell->RenderOffscreenView(nullptr, 0, 0, 0);
    const UINT live = lumiva::d3d9::LiveResourceCount();

    lumiva::d3d9::SetCooperativeLevel(D3DERR_DEVICELOST);
    Frame(10);
    lumiva::d3d9::SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    lumiva::d3d9::ClearRecording();
    neighbours::CallLog().clear();
    LeaveAgedModel();
    Frame(10);
    EXPECT_FALSE(m_frameShell->deviceLost);
    EXPECT_TRUE(ModelAged());
    EXPECT_TRUE(InOrder(neighbours::CallLog(),
                        {"ReleaseRibbons", "TextureManager::InvalidateDeviceObjects", "RecreateRibbonBuffers",
                         "TextureManager::RestoreDeviceObjects"}));
    EXPECT_EQ(DrawCalls(), (std::vector<std::string>{"Reset", "Clear", "BeginScene", "EndScene", "BeginScene", "Clear",
                                                     "EndScene", "Present"}));
    ASSERT_NE(m_frameShell->screenTarget, nullptr);
    EXPECT_EQ(m_frameShell->offscreenTexture, nullptr);  // made again by the next pass
    EXPECT_EQ(m_frameShell->dynamicVertexBuffer, nullptr);
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
    EXPECT_EQ(BackBuffer().At(400, 300), 0xFF666666u);
    // The same objects made again: nothing was left behind.
    ASSERT_NE(m_frameShell->LockDynamicVertices(4, 28, &first, &buffer), nullptr);
    m_frameShell->UnlockDynamicVertices();
    ASSERT_TRUE(m_frameShell->PrepareOffscreenView(nullptr, 0, 64, 64));
    m_frameShell->RenderOffscreenView(nullptr, 0, 0, 0);
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), live);
}

TEST_F(LostDevice, TexturesLeftInAStageDoNotBlockTheReset) {
    Start();
    m_frameShell->BeginFrame(0, 0, nullptr);
    ASSERT_TRUE(m_frameShell->PrepareOffscreenView(nullptr, 0, 64, 64));
    m_frameShell->RenderOffscreenView(nullptr, 0, 0, 0);  // leaves its texture in stage 0
    m_frameShell->EndFrame();
    lumiva::d3d9::SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    lumiva::d3d9::ClearRecording();
    Frame(10);
    EXPECT_FALSE(m_frameShell->deviceLost);
    EXPECT_EQ(CallNames({"Reset", "Present"}), (std::vector<std::string>{"Reset", "Present"}));
}

TEST_F(LostDevice, FailedResetIsRetriedOnTheNextFrame) {
    Start();
    // A default-pool object the shell does not know makes the reset fail.
    IDirect3DTexture9* blocker = nullptr;
    ASSERT_EQ(m_device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &blocker,
                                      nullptr),
              D3D_OK);
    lumiva::d3d9::SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    Frame(10);
    EXPECT_TRUE(m_frameShell->deviceLost);
    EXPECT_TRUE(m_frameShell->HasDevice());
    EXPECT_EQ(CallNames({"Clear", "BeginScene", "Present"}), std::vector<std::string>{});
    blocker->Release();
    lumiva::d3d9::ClearRecording();
    Frame(10);
    EXPECT_FALSE(m_frameShell->deviceLost);
    EXPECT_EQ(CallNames({"Reset", "Present"}), (std::vector<std::string>{"Reset", "Present"}));
}

TEST_F(LostDevice, FailedRestoreKeepsTheLostStateAndIsRetried) {
    Start();
    lumiva::d3d9::SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    neighbours::TestAnswers().textureManagerRestore = false;
    Frame(10);
    EXPECT_TRUE(m_frameShell->deviceLost);
    EXPECT_EQ(CallNames({"Reset", "Clear", "BeginScene", "Present"}), std::vector<std::string>{"Reset"});
    neighbours::TestAnswers().textureManagerRestore = true;
    lumiva::d3d9::ClearRecording();
    neighbours::CallLog().clear();
    Frame(10);
    EXPECT_FALSE(m_frameShell->deviceLost);
    // The device was already reset: only the restore runs again.
    EXPECT_EQ(CallNames({"Reset", "Present"}), std::vector<std::string>{"Present"});
    EXPECT_TRUE(InOrder(neighbours::CallLog(), {"TextureManager::RestoreDeviceObjects"}));
}

TEST_F(LostDevice, FailedInvalidateIsRetried) {
    Start();
    lumiva::d3d9::SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    neighbours::TestAnswers().textureManagerInvalidate = false;
    Frame(10);
    EXPECT_TRUE(m_frameShell->deviceLost);
    EXPECT_TRUE(CallNames({"Reset", "Present"}).empty());
    neighbours::TestAnswers().textureManagerInvalidate = true;
    Frame(10);
    EXPECT_FALSE(m_frameShell->deviceLost);
}

TEST_F(LostDevice, UnknownFailureSkipsTheFrameInsteadOfLeavingASceneOpen) {
    Start();
    lumiva::d3d9::SetCooperativeLevel(D3DERR_DRIVERINTERNALERROR);
    Frame(10);
    EXPECT_TRUE(m_frameShell->deviceLost);
    EXPECT_TRUE(CallNames({"BeginScene", "Present"}).empty());
    lumiva::d3d9::SetCooperativeLevel(D3D_OK);
    lumiva::d3d9::ClearRecording();
    Frame(10);
    EXPECT_FALSE(m_frameShell->deviceLost);
    EXPECT_EQ(CallNames({"BeginScene", "EndScene", "Present"}),
              (std::vector<std::string>{"BeginScene", "EndScene", "Present"}));
}

TEST_F(LostDevice, NoDeviceNoFrame) {
    KDrawShell* shell = MakeShell();
    shell->BeginFrame(0, 0, nullptr);
    shell->EndFrame();
    EXPECT_EQ(g_FrameTime, 0u);
    EXPECT_TRUE(lumiva::win32::RecordedMessageBoxes().empty());
}

}  // namespace
}  // namespace shell_test
