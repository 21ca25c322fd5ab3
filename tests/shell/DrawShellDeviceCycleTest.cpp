// Lost-device recovery on the strict software device, shutdown without
// leaks, and the wait for the pak preload thread.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "DrawShellFixture.h"
#include "support/QuietPlaceHost.h"
#include "d3d9/Control.h"
#include "place/PakPreload.h"
#include "place/ScenePlaceHost.h"
#include "shell/D3DDevice.h"
#include "shell/NeighbourServices.h"
#include "support/CallLogFixture.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace shell_test {
namespace {

class DrawShellDeviceCycle : public WithCallLog<DrawShellTest> {
protected:
    // What the frame loop does once the device may be reset.
    bool Recover(KDrawShell* shell) {
        if (FAILED(shell->InvalidateDeviceObjects())) return false;
        if (!shell->ChangeDisplayMode(g_ScreenWidth, g_ScreenHeight, g_Windowed ? 0 : 1, 0)) return false;
        shell->deviceLost = 0;
        return SUCCEEDED(shell->RestoreDeviceObjects());
    }
};

TEST_F(DrawShellDeviceCycle, CreateLoseResetReleaseLeaksNothing) {
    KDrawShell* shell = MakeCreatedShell();
    shell->SetOption(2, 1);
    ASSERT_NE(shell->screenTarget, nullptr);
    IDirect3DVertexBuffer9* quad = nullptr;
    ASSERT_EQ(shell->GetDevice()->CreateVertexBuffer(80, 0, 0x102, D3DPOOL_DEFAULT, &quad, nullptr), D3D_OK);
    shell->quadTable[5] = quad;

    lumiva::d3d9::SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    shell->deviceLost = 1;
    EXPECT_EQ(shell->RestoreDeviceObjects(), E_FAIL);
    ASSERT_TRUE(Recover(shell));
    EXPECT_EQ(shell->GetDevice()->TestCooperativeLevel(), D3D_OK);
    // Re-created after the reset: the screen target and the back buffer; the
    // host refills the quad table.
    EXPECT_NE(shell->screenTarget, nullptr);
    EXPECT_NE(shell->backBufferSurface, nullptr);
    EXPECT_EQ(shell->quadTable[5], nullptr);
    EXPECT_EQ(shell->IsQuadTableReady(), 0);

    ReleaseShell();
    EXPECT_EQ(g_pDrawShell, nullptr);
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), 0u);
    EXPECT_EQ(lumiva::d3d9::LiveDeviceCount(), 0u);
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
    EXPECT_FALSE(GdiplusSessionActive());
}

TEST_F(DrawShellDeviceCycle, FailedResetKeepsTheDeviceForTheNextTry) {
    KDrawShell* shell = MakeCreatedShell();
    lumiva::d3d9::SetCooperativeLevel(D3DERR_DEVICELOST);
    EXPECT_FALSE(Recover(shell));
    EXPECT_TRUE(shell->HasDevice());
    lumiva::d3d9::SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    EXPECT_TRUE(Recover(shell));
    ReleaseShell();
    EXPECT_EQ(lumiva::d3d9::LiveDeviceCount(), 0u);
}

TEST_F(DrawShellDeviceCycle, GlowShortOfMemoryAtRestoreComesBackOnTheNextTry) {
    KDrawShell* shell = MakeCreatedShell();
    // The glow's target is the first thing a restore makes, its spot the second.
    for (UINT creation : {1u, 2u}) {
        SCOPED_TRACE(creation);
        ASSERT_EQ(shell->InvalidateDeviceObjects(), 0);
        lumiva::d3d9::FailCreationAt(creation);
        EXPECT_NE(shell->RestoreDeviceObjects(), 0);
        ASSERT_EQ(shell->RestoreDeviceObjects(), 0);
        EXPECT_NE(shell->lightGlow.target, nullptr);
        EXPECT_NE(shell->lightGlow.sprite, nullptr);
    }
}

TEST_F(DrawShellDeviceCycle, PartsFollowTheProtocolInOrder) {
    KDrawShell* shell = MakeCreatedShell();
    neighbours::CallLog().clear();
    ASSERT_EQ(shell->InvalidateDeviceObjects(), 0);
    EXPECT_EQ(neighbours::CallLog(),
              (std::vector<std::string>{"ReleaseRibbons", "TextureManager::InvalidateDeviceObjects"}));
    EXPECT_EQ(shell->lightGlow.target, nullptr);
    neighbours::TestAnswers().textureManagerRestore = false;
    EXPECT_EQ(shell->RestoreDeviceObjects(), E_FAIL);
}

struct CountingHost final : test_support::QuietPlaceHost {
    int restored = 0;
    void OnDeviceRestored() override { ++restored; }
};

TEST_F(DrawShellDeviceCycle, RestoreTellsTheScenePlaceHost) {
    KDrawShell* shell = MakeCreatedShell();
    CountingHost host;
    SetScenePlaceHost(&host);
    ASSERT_EQ(shell->RestoreDeviceObjects(), 0);
    EXPECT_EQ(host.restored, 1);
    SetScenePlaceHost(nullptr);
    ASSERT_EQ(shell->RestoreDeviceObjects(), 0);
    EXPECT_EQ(host.restored, 1);
}

TEST_F(DrawShellDeviceCycle, ReleaseWithoutPreloadThreadDoesNotWait) {
    lumiva::win32::InstallManualClock(1000);
    MakeCreatedShell();
    ReleaseShell();
    EXPECT_EQ(lumiva::win32::ClockMilliseconds(), 1000u);
    EXPECT_EQ(PakPreloadRunFlag().load(), 0);
}

// The shell's Release with the place's pak preload thread running. The
// thread waits on the manual clock, so it moves only when the test says.
class DrawShellPreloadThreadTest : public DrawShellDeviceCycle {
protected:
    void SetUp() override {
        DrawShellDeviceCycle::SetUp();
        lumiva::win32::InstallManualClock(0);
    }
    void TearDown() override {
        ResetPakPreloadForTests();
        DrawShellDeviceCycle::TearDown();
    }
};

TEST_F(DrawShellPreloadThreadTest, ReleaseSeesOneWritesZeroAndWaitsForTwo) {
    std::atomic<int32_t> flagWhenStopping{-1};
    SetPakPreloadHook([&](PakPreloadStep step, const char*) {
        if (step == PakPreloadStep::Stopping) flagWhenStopping = PakPreloadRunFlag().load();
    });
    MakeCreatedShell();
    ASSERT_TRUE(StartPakPreloadThread());
    EXPECT_EQ(PakPreloadRunFlag().load(), 1);
    ReleaseShell();
    EXPECT_EQ(flagWhenStopping.load(), 0);
    EXPECT_EQ(PakPreloadRunFlag().load(), 2);
    // Stopped for good: a later map load starts no second thread.
    EXPECT_FALSE(StartPakPreloadThread());
    EXPECT_EQ(lumiva::win32::ClockMilliseconds(), 0u);
}

TEST_F(DrawShellPreloadThreadTest, ReleaseGivesUpOnAPreloadThreadThatNeverAnswers) {
    std::promise<void> took;
    std::promise<void> letGo;
    std::shared_future<void> goAhead = letGo.get_future().share();
    SetPakPreloadHook([&, goAhead](PakPreloadStep step, const char*) {
        if (step != PakPreloadStep::Took) return;
        took.set_value();
        goAhead.wait();
    });
    MakeCreatedShell();
    ASSERT_TRUE(StartPakPreloadThread());
    ASSERT_TRUE(lumiva::win32::WaitForBlockedWaiters(1));  // idle in its 1 ms wait
    QueuePakPreload("\\maps\\slow.jpg");
    lumiva::win32::AdvanceClock(1);
    took.get_future().wait();  // stuck in its preload
    TakeLog();
    // The shell's wait is the only timed one now; its time runs out.
    std::thread clock([] {
        if (lumiva::win32::WaitForBlockedWaiters(1)) lumiva::win32::AdvanceClock(5000);
    });
    ReleaseShell();
    clock.join();
    EXPECT_EQ(PakPreloadRunFlag().load(), 0);
    EXPECT_EQ(lumiva::win32::ClockMilliseconds(), 5001u);
    EXPECT_TRUE(InOrder(RenderLines(), {"[D3DRender]Pak preload thread did not stop in 5000 ms."}));
    letGo.set_value();
}

TEST_F(DrawShellDeviceCycle, ReleaseRestoresTheSavedGammaRamp) {
    KDrawShell* shell = MakeCreatedShell();
    IDirect3DDevice9* device = shell->GetDevice();
    device->AddRef();
    shell->ApplyBrightness(100);
    D3DGAMMARAMP ramp{};
    device->GetGammaRamp(0, &ramp);
    EXPECT_EQ(ramp.red[1], 356);
    EXPECT_EQ(ramp.red[200], 65535);
    shell->ApplyBrightness(101);  // ignored
    shell->ApplyBrightness(0);
    device->GetGammaRamp(0, &ramp);
    EXPECT_EQ(ramp.green[255], 156 * 255);
    const D3DGAMMARAMP saved = shell->savedGammaRamp;
    ReleaseShell();
    device->GetGammaRamp(0, &ramp);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(ramp.blue[i], saved.blue[i]) << i;
    device->Release();
}

}  // namespace
}  // namespace shell_test
