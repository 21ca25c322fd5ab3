// Lost-device recovery on the strict software device, shutdown without
// leaks, and the wait for the pak preload thread.
#include <gtest/gtest.h>

#include <thread>

#include "DrawShellFixture.h"
#include "d3d9/Control.h"
#include "shell/D3DDevice.h"
#include "shell/NeighbourServices.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace shell_test {
namespace {

class DrawShellDeviceCycle : public DrawShellTest {
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

TEST_F(DrawShellDeviceCycle, PartsFollowTheProtocolInOrder) {
    KDrawShell* shell = MakeCreatedShell();
    neighbours::CallLog().clear();
    ASSERT_EQ(shell->InvalidateDeviceObjects(), 0);
    EXPECT_EQ(neighbours::CallLog(), (std::vector<std::string>{"KLightGlow::InvalidateDeviceObjects", "ReleaseRibbons",
                                                               "TextureManager::InvalidateDeviceObjects"}));
    neighbours::TestAnswers().textureManagerRestore = false;
    EXPECT_EQ(shell->RestoreDeviceObjects(), E_FAIL);
}

struct CountingHost : IScenePlaceHost {
    int restored = 0;
    void Slot0() override {}
    void Slot1() override {}
    void Slot2() override {}
    void Slot3() override {}
    void Slot4() override {}
    void Slot5() override {}
    void Slot6() override {}
    void Slot7() override {}
    void Slot8() override {}
    void Slot9() override {}
    void Slot10() override {}
    void Slot11() override {}
    void Slot12() override {}
    void Slot13() override {}
    void Slot14() override {}
    void DeviceRestored() override { ++restored; }
};

TEST_F(DrawShellDeviceCycle, RestoreTellsTheScenePlaceHost) {
    KDrawShell* shell = MakeCreatedShell();
    CountingHost host;
    neighbours::TestAnswers().scenePlaceHost = &host;
    ASSERT_EQ(shell->RestoreDeviceObjects(), 0);
    EXPECT_EQ(host.restored, 1);
}

TEST_F(DrawShellDeviceCycle, ReleaseWithoutPreloadThreadDoesNotWait) {
    lumiva::win32::InstallManualClock(1000);
    MakeCreatedShell();
    ReleaseShell();
    EXPECT_EQ(lumiva::win32::ClockMilliseconds(), 1000u);
    EXPECT_EQ(neighbours::PakPreloadRunFlag().load(), 0);
}

TEST_F(DrawShellDeviceCycle, ReleaseAsksThePreloadThreadToStop) {
    MakeCreatedShell();
    std::atomic<int>& flag = neighbours::PakPreloadRunFlag();
    flag.store(1);
    std::thread preload([&flag] {
        while (flag.load() != 0) std::this_thread::yield();
        flag.store(2);
    });
    ReleaseShell();
    preload.join();
    EXPECT_EQ(flag.load(), 2);
}

TEST_F(DrawShellDeviceCycle, ReleaseGivesUpOnAPreloadThreadThatNeverAnswers) {
    lumiva::win32::InstallManualClock(0);
    MakeCreatedShell();
    neighbours::PakPreloadRunFlag().store(1);
    TakeLog();
    ReleaseShell();
    EXPECT_EQ(neighbours::PakPreloadRunFlag().load(), 0);
    EXPECT_EQ(lumiva::win32::ClockMilliseconds(), 5000u);
    EXPECT_TRUE(InOrder(RenderLines(), {"[D3DRender]Pak preload thread did not stop in 5000 ms."}));
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
