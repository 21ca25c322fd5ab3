// The device wrapper's probes and failure reports, on a scripted Direct3D
// object: depth formats, present parameters, "Logs\D3DPP.log" and the
// message boxes of a refused device.
#include <gtest/gtest.h>

#include "FakeDirect3D9.h"
#include "ShellTestSupport.h"
#include "lumiva/basrel/KStringMap.h"
#include "shell/D3DDevice.h"
#include "shell/D3DShell.h"
#include "win32/Control.h"

namespace {

using shell_test::FakeAdapter;
using shell_test::FakeDirect3D9;
using shell_test::FakeFormatCheck;
using shell_test::Mode;

class D3DDeviceProbe : public shell_test::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        FakeAdapter a;
        a.modes = {Mode(800, 600, D3DFMT_X8R8G8B8), Mode(800, 600, D3DFMT_R5G6B5)};
        a.hal.caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
        a.hal.displayFormats = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
        FakeAdapter second = a;
        second.description = "Second adapter";
        fake.adapters = {a, second};
        fake.AddRef();
        g_D3DShell.d3d = &fake;
        ASSERT_TRUE(g_D3DShell.EnumerateAdapters());
        fake.GetAdapterDisplayMode(0, &g_D3DShell.desktopMode);
        g_MainWindow = reinterpret_cast<HWND>(0x1234);
    }

    KD3DAdapterInfo& Adapter(size_t i) { return g_D3DShell.adapters.at(i); }
    KD3DModeInfo* ModeOf(size_t adapter, D3DFORMAT format) {
        for (KD3DModeInfo& m : Adapter(adapter).Devices[0].Modes)
            if (m.Format == format) return &m;
        return nullptr;
    }
    void Choose(size_t adapter, size_t device, D3DFORMAT format) {
        g_D3DDevice.adapterInfo = &Adapter(adapter);
        g_D3DDevice.deviceInfo = &Adapter(adapter).Devices.at(device);
        g_D3DDevice.displayMode = ModeOf(adapter, format);
    }
    static std::function<bool(const FakeFormatCheck&)> AcceptOnly(std::vector<D3DFORMAT> formats) {
        return [formats](const FakeFormatCheck& c) {
            return std::find(formats.begin(), formats.end(), c.format) != formats.end();
        };
    }

    FakeDirect3D9 fake;
};

TEST_F(D3DDeviceProbe, DepthProbesAskTheChosenAdapterAndDeviceType) {
    Choose(1, 1, D3DFMT_X8R8G8B8);
    fake.acceptsFormat = AcceptOnly({D3DFMT_D24X8});
    EXPECT_EQ(g_D3DDevice.ChooseDepthFormat(32, 8), D3DFMT_D24X8);
    ASSERT_EQ(fake.formatChecks.size(), 5u);
    for (const FakeFormatCheck& c : fake.formatChecks) {
        EXPECT_EQ(c.adapter, 1u);
        EXPECT_EQ(c.deviceType, D3DDEVTYPE_REF);
        EXPECT_EQ(c.adapterFormat, D3DFMT_X8R8G8B8);
        EXPECT_EQ(c.usage, static_cast<DWORD>(D3DUSAGE_DEPTHSTENCIL));
        EXPECT_EQ(c.resourceType, D3DRTYPE_SURFACE);
    }
}

TEST_F(D3DDeviceProbe, PresentParamsForWindowedAndFullScreen) {
    Choose(0, 0, D3DFMT_X8R8G8B8);
    fake.acceptsFormat = AcceptOnly({D3DFMT_D24S8, D3DFMT_D16});
    D3DPRESENT_PARAMETERS p;
    g_Windowed = 1;
    g_D3DDevice.BuildPresentParams(&p, ModeOf(0, D3DFMT_X8R8G8B8));
    EXPECT_EQ(p.BackBufferWidth, 800u);
    EXPECT_EQ(p.BackBufferHeight, 600u);
    EXPECT_EQ(p.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(p.BackBufferCount, 1u);
    EXPECT_EQ(p.MultiSampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_COPY);
    EXPECT_EQ(p.hDeviceWindow, g_MainWindow);
    EXPECT_EQ(p.Windowed, TRUE);
    EXPECT_EQ(p.EnableAutoDepthStencil, TRUE);
    EXPECT_EQ(p.AutoDepthStencilFormat, D3DFMT_D24S8);
    EXPECT_EQ(p.Flags, static_cast<DWORD>(D3DPRESENTFLAG_LOCKABLE_BACKBUFFER));
    EXPECT_EQ(p.FullScreen_RefreshRateInHz, 0u);
    EXPECT_EQ(p.PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_IMMEDIATE));
    EXPECT_TRUE(g_D3DDevice.depth32);

    g_Windowed = 0;
    g_D3DDevice.BuildPresentParams(&p, ModeOf(0, D3DFMT_R5G6B5));
    EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(p.Windowed, FALSE);
    EXPECT_EQ(p.BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(p.AutoDepthStencilFormat, D3DFMT_D16);
    EXPECT_FALSE(g_D3DDevice.depth32);
}

TEST_F(D3DDeviceProbe, StencilClearFollowsTheChosenDepthFormat) {
    // A 32-bit mode on hardware without 32-bit depth formats.
    Choose(0, 0, D3DFMT_X8R8G8B8);
    D3DPRESENT_PARAMETERS p;
    const struct {
        D3DFORMAT accepted;
        bool stencil;
    } cases[] = {{D3DFMT_D15S1, true}, {D3DFMT_D16, false}, {D3DFMT_D24X8, false}, {D3DFMT_D24X4S4, true}};
    for (const auto& c : cases) {
        fake.acceptsFormat = AcceptOnly({c.accepted});
        g_D3DDevice.BuildPresentParams(&p, ModeOf(0, D3DFMT_X8R8G8B8));
        EXPECT_EQ(p.AutoDepthStencilFormat, c.accepted);
        EXPECT_EQ(g_D3DDevice.depth32, c.stencil) << c.accepted;
    }
    // A 16-bit mode asks only for D16.
    fake.formatChecks.clear();
    fake.acceptsFormat = AcceptOnly({D3DFMT_D15S1});
    g_D3DDevice.BuildPresentParams(&p, ModeOf(0, D3DFMT_R5G6B5));
    EXPECT_EQ(fake.ChecksWithUsage(D3DUSAGE_DEPTHSTENCIL), std::vector<D3DFORMAT>{D3DFMT_D16});
    EXPECT_EQ(p.AutoDepthStencilFormat, D3DFMT_UNKNOWN);
    EXPECT_FALSE(g_D3DDevice.depth32);
}

TEST_F(D3DDeviceProbe, RefusedDeviceShowsItsTextAndLogs) {
    const struct {
        HRESULT result;
        int text;
    } cases[] = {{D3DERR_OUTOFVIDEOMEMORY, 2}, {D3DERR_NOTAVAILABLE, 3}, {E_FAIL, 3}};
    for (const auto& c : cases) {
        lumiva::win32::ResetForTests();
        lumiva::win32::SetMessageBoxLog([](const std::string&) {});
        TakeLog();
        fake.createDeviceResult = c.result;
        EXPECT_FALSE(g_D3DDevice.CreateDevice(&Adapter(1), &Adapter(1).Devices[0], ModeOf(1, D3DFMT_X8R8G8B8)));
        const auto boxes = lumiva::win32::RecordedMessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].owner, nullptr);
        EXPECT_EQ(boxes[0].text, g_cStringMap.GetString(c.text));
        EXPECT_EQ(boxes[0].caption, g_cStringMap.GetString(44));
        EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
        EXPECT_EQ(TakeRenderLog(), std::vector<std::string>{"[D3DRender]Warning: Device create failed."});
        EXPECT_EQ(g_D3DDevice.device, nullptr);
    }
    EXPECT_EQ(fake.createdOnAdapter, 1u);
    EXPECT_EQ(fake.createdOnType, D3DDEVTYPE_HAL);
    EXPECT_EQ(fake.createdWithFlags, static_cast<DWORD>(D3DCREATE_MULTITHREADED | D3DCREATE_MIXED_VERTEXPROCESSING));
}

TEST_F(D3DDeviceProbe, CreationWritesThePresentParametersLog) {
    g_Windowed = 1;
    fake.acceptsFormat = AcceptOnly({D3DFMT_D24S8});
    EXPECT_FALSE(g_D3DDevice.CreateDevice(&Adapter(0), &Adapter(0).Devices[0], ModeOf(0, D3DFMT_X8R8G8B8)));
    EXPECT_EQ(ReadDataFile("Logs/D3DPP.log"), FormatPresentParamsLog(fake.createdWith));
    EXPECT_NE(ReadDataFile("Logs/D3DPP.log").find("nDepth format:75\n"), std::string::npos);
    // Replaced, not appended, by the next creation.
    g_Windowed = 0;
    EXPECT_FALSE(g_D3DDevice.CreateDevice(&Adapter(0), &Adapter(0).Devices[0], ModeOf(0, D3DFMT_X8R8G8B8)));
    EXPECT_EQ(ReadDataFile("Logs/D3DPP.log"), FormatPresentParamsLog(fake.createdWith));
    EXPECT_NE(ReadDataFile("Logs/D3DPP.log").find("Window mode:0\n"), std::string::npos);
}

TEST_F(D3DDeviceProbe, UnwritableLogDoesNotStopCreation) {
    WriteDataFile("Logs", "not a folder");
    EXPECT_FALSE(g_D3DDevice.CreateDevice(&Adapter(0), &Adapter(0).Devices[0], ModeOf(0, D3DFMT_X8R8G8B8)));
    EXPECT_EQ(fake.createDeviceCalls, 1);
}

TEST_F(D3DDeviceProbe, PowerOfTwoTexturesWarnFirst) {
    Adapter(0).Devices[0].Caps.TextureCaps = D3DPTEXTURECAPS_POW2;
    g_D3DDevice.CreateDevice(&Adapter(0), &Adapter(0).Devices[0], ModeOf(0, D3DFMT_X8R8G8B8));
    auto boxes = lumiva::win32::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, g_cStringMap.GetString(1));
    EXPECT_EQ(boxes[1].text, g_cStringMap.GetString(3));
    lumiva::win32::ResetForTests();
    lumiva::win32::SetMessageBoxLog([](const std::string&) {});
    Adapter(0).Devices[0].Caps.TextureCaps = D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_NONPOW2CONDITIONAL;
    g_D3DDevice.CreateDevice(&Adapter(0), &Adapter(0).Devices[0], ModeOf(0, D3DFMT_X8R8G8B8));
    boxes = lumiva::win32::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, g_cStringMap.GetString(3));
}

TEST_F(D3DDeviceProbe, SoftwareVertexProcessingWithoutHardwareTnL) {
    Adapter(0).Devices[0].Caps.DevCaps = 0;
    g_D3DDevice.CreateDevice(&Adapter(0), &Adapter(0).Devices[0], ModeOf(0, D3DFMT_X8R8G8B8));
    EXPECT_EQ(fake.createdWithFlags, static_cast<DWORD>(D3DCREATE_MULTITHREADED | D3DCREATE_SOFTWARE_VERTEXPROCESSING));
}

TEST_F(D3DDeviceProbe, NoDeviceAnswersWithoutCalls) {
    EXPECT_FALSE(g_D3DDevice.EndScene());
    EXPECT_FALSE(g_D3DDevice.ResetDevice(ModeOf(0, D3DFMT_X8R8G8B8)));
    for (int k = -1; k <= 4; ++k) EXPECT_EQ(g_D3DDevice.GetSkinningShader(k), nullptr) << k;
    g_D3DDevice.SetViewportRect(0, 800, 0, 600, 0.0f, 1.0f);
    EXPECT_EQ(TakeRenderLog(), std::vector<std::string>{"[D3DRender]IDirect3DDevice::SetCurrentViewport failed."});
    EXPECT_EQ(g_D3DDevice.viewportRect.right, 0);
}

TEST_F(D3DDeviceProbe, BeginSceneWithoutADeviceEndsTheProcess) {
    std::vector<UINT> codes;
    lumiva::win32::SetFatalHook([&](UINT code, lumiva::win32::ExitKind kind) {
        codes.push_back(code);
        EXPECT_EQ(kind, lumiva::win32::ExitKind::RunExitList);
    });
    EXPECT_FALSE(g_D3DDevice.BeginScene());
    EXPECT_EQ(codes, std::vector<UINT>{1});
    const auto boxes = lumiva::win32::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, g_cStringMap.GetString(17));
    EXPECT_EQ(boxes[0].caption, g_cStringMap.GetString(16));
}

}  // namespace
