// The holder's catalogue on scripted adapters: which modes are kept, their
// order, which device is chosen and which mode fits.
#include <gtest/gtest.h>

#include "FakeDirect3D9.h"
#include "ShellTestSupport.h"
#include "shell/D3DShell.h"

namespace {

using shell_test::FakeAdapter;
using shell_test::FakeDirect3D9;
using shell_test::Mode;

struct ModeKey {
    UINT width, height;
    D3DFORMAT format;
    bool operator==(const ModeKey&) const = default;
};

std::vector<ModeKey> Keys(const std::vector<KD3DModeInfo>& modes) {
    std::vector<ModeKey> keys;
    for (const KD3DModeInfo& m : modes) keys.push_back({m.Width, m.Height, m.Format});
    return keys;
}

std::ostream& operator<<(std::ostream& out, const ModeKey& k) {
    return out << k.width << "x" << k.height << "/" << k.format;
}

FakeAdapter StandardAdapter() {
    FakeAdapter a;
    a.modes = {Mode(1024, 768, D3DFMT_X8R8G8B8), Mode(800, 600, D3DFMT_X8R8G8B8), Mode(800, 600, D3DFMT_R5G6B5),
               Mode(1024, 768, D3DFMT_R5G6B5)};
    a.hal.caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    a.hal.displayFormats = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
    a.ref.displayFormats = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
    return a;
}

class D3DShellCatalogue : public shell_test::ShellTest {
protected:
    void Enumerate() {
        fake.AddRef();  // the holder releases its reference
        g_D3DShell.d3d = &fake;
        ASSERT_TRUE(g_D3DShell.EnumerateAdapters());
        fake.GetAdapterDisplayMode(0, &g_D3DShell.desktopMode);
    }
    KD3DDeviceInfo& Hal(size_t adapter = 0) { return g_D3DShell.adapters.at(adapter).Devices.at(0); }

    FakeDirect3D9 fake;
};

TEST_F(D3DShellCatalogue, ModesBelowSixFortyByFourEightyAreDropped) {
    FakeAdapter a = StandardAdapter();
    a.modes = {Mode(640, 480, D3DFMT_X8R8G8B8), Mode(639, 480, D3DFMT_X8R8G8B8), Mode(640, 479, D3DFMT_X8R8G8B8),
               Mode(320, 200, D3DFMT_X8R8G8B8)};
    fake.adapters = {a};
    Enumerate();
    EXPECT_EQ(Keys(Hal().Modes), (std::vector<ModeKey>{{640, 480, D3DFMT_X8R8G8B8}}));
}

TEST_F(D3DShellCatalogue, RefreshRatesCollapseIntoOneRecord) {
    FakeAdapter a = StandardAdapter();
    a.modes = {Mode(800, 600, D3DFMT_X8R8G8B8, 60), Mode(800, 600, D3DFMT_X8R8G8B8, 75),
               Mode(800, 600, D3DFMT_X8R8G8B8, 85), Mode(800, 600, D3DFMT_R5G6B5, 60)};
    fake.adapters = {a};
    Enumerate();
    EXPECT_EQ(Keys(Hal().Modes), (std::vector<ModeKey>{{800, 600, D3DFMT_X8R8G8B8}, {800, 600, D3DFMT_R5G6B5}}));
}

TEST_F(D3DShellCatalogue, DeviceModesAreSortedAndLimitedToAcceptedFormats) {
    FakeAdapter a = StandardAdapter();
    a.modes.push_back(Mode(640, 480, D3DFMT_A8R8G8B8));
    a.hal.displayFormats = {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8};
    fake.adapters = {a};
    Enumerate();
    EXPECT_EQ(
        Keys(Hal().Modes),
        (std::vector<ModeKey>{{640, 480, D3DFMT_A8R8G8B8}, {800, 600, D3DFMT_X8R8G8B8}, {1024, 768, D3DFMT_X8R8G8B8}}));
    const KD3DDeviceInfo& ref = g_D3DShell.adapters[0].Devices.at(1);
    EXPECT_EQ(Keys(ref.Modes), (std::vector<ModeKey>{{800, 600, D3DFMT_X8R8G8B8},
                                                     {1024, 768, D3DFMT_X8R8G8B8},
                                                     {800, 600, D3DFMT_R5G6B5},
                                                     {1024, 768, D3DFMT_R5G6B5}}));
}

TEST_F(D3DShellCatalogue, DeviceTypesInOrderWithNamesCapsAndTnL) {
    FakeAdapter a = StandardAdapter();
    a.hal.caps.MaxTextureWidth = 2048;
    a.ref.caps.MaxTextureWidth = 4096;
    fake.adapters = {a};
    Enumerate();
    const auto& devices = g_D3DShell.adapters[0].Devices;
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].DeviceType, D3DDEVTYPE_HAL);
    EXPECT_STREQ(devices[0].Name, "HAL");
    EXPECT_EQ(devices[0].Caps.MaxTextureWidth, 2048u);
    EXPECT_EQ(devices[1].DeviceType, D3DDEVTYPE_REF);
    EXPECT_STREQ(devices[1].Name, "REF");
    EXPECT_EQ(devices[1].Caps.MaxTextureWidth, 4096u);
    for (const KD3DModeInfo& m : devices[0].Modes) EXPECT_EQ(m.HardwareTnL, 1);
    for (const KD3DModeInfo& m : devices[1].Modes) EXPECT_EQ(m.HardwareTnL, 0);
    EXPECT_STREQ(g_D3DShell.adapters[0].Identifier.Description, "Test Adapter");
}

TEST_F(D3DShellCatalogue, NoAdaptersMeansFailure) {
    fake.AddRef();
    g_D3DShell.d3d = &fake;
    EXPECT_FALSE(g_D3DShell.EnumerateAdapters());
    g_D3DShell.d3d = nullptr;
    fake.Release();
    EXPECT_FALSE(g_D3DShell.EnumerateAdapters());
}

TEST_F(D3DShellCatalogue, ReleaseEmptiesTheCatalogueAndDropsTheReference) {
    fake.adapters = {StandardAdapter()};
    Enumerate();
    EXPECT_EQ(fake.references, 2u);
    g_D3DShell.Release();
    EXPECT_EQ(fake.references, 1u);
    EXPECT_EQ(g_D3DShell.d3d, nullptr);
    EXPECT_TRUE(g_D3DShell.adapters.empty());
}

TEST_F(D3DShellCatalogue, HalThatRejectsTheDesktopFormatFitsOnlyFullScreen) {
    FakeAdapter a = StandardAdapter();
    a.hal.displayFormats = {D3DFMT_R5G6B5};
    fake.adapters = {a};
    Enumerate();
    EXPECT_EQ(Hal().Windowed, 0u);
    KD3DAdapterInfo* adapter = nullptr;
    g_Windowed = 1;
    EXPECT_EQ(g_D3DShell.FindDevice(&adapter), nullptr);
    EXPECT_EQ(adapter, nullptr);
    g_Windowed = 0;
    EXPECT_EQ(g_D3DShell.FindDevice(&adapter), &Hal());
    EXPECT_EQ(adapter, &g_D3DShell.adapters[0]);
}

TEST_F(D3DShellCatalogue, ReferenceDevicesAreNeverChosen) {
    FakeAdapter a = StandardAdapter();
    a.hal.present = false;
    fake.adapters = {a};
    Enumerate();
    const auto& devices = g_D3DShell.adapters[0].Devices;
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].DeviceType, D3DDEVTYPE_REF);
    EXPECT_EQ(devices[0].Windowed, 1u);
    for (int windowed : {1, 0}) {
        g_Windowed = windowed;
        KD3DAdapterInfo* adapter = nullptr;
        EXPECT_EQ(g_D3DShell.FindDevice(&adapter), nullptr) << windowed;
    }
}

TEST_F(D3DShellCatalogue, FullScreenTakesAnyHalEvenWithoutWindowedSupport) {
    FakeAdapter a = StandardAdapter();
    a.hal.displayFormats.clear();
    fake.adapters = {a};
    Enumerate();
    g_Windowed = 0;
    KD3DAdapterInfo* adapter = nullptr;
    EXPECT_EQ(g_D3DShell.FindDevice(&adapter), &Hal());
    // It has no modes, so the mode search is what fails.
    EXPECT_EQ(g_D3DShell.FindDisplayMode(&Hal(), 32), nullptr);
}

TEST_F(D3DShellCatalogue, FirstFittingAdapterWins) {
    FakeAdapter first = StandardAdapter();
    first.hal.displayFormats = {D3DFMT_R5G6B5};
    FakeAdapter second = StandardAdapter();
    second.description = "Second";
    fake.adapters = {first, second};
    Enumerate();
    KD3DAdapterInfo* adapter = nullptr;
    g_Windowed = 1;
    EXPECT_EQ(g_D3DShell.FindDevice(&adapter), &Hal(1));
    ASSERT_NE(adapter, nullptr);
    EXPECT_EQ(adapter->Ordinal, 1u);
    EXPECT_STREQ(adapter->Identifier.Description, "Second");
}

TEST_F(D3DShellCatalogue, DisplayModeByScreenSizeAndDepth) {
    fake.adapters = {StandardAdapter()};
    Enumerate();
    g_Windowed = 0;
    const struct {
        int width, height, bits;
        bool found;
        D3DFORMAT format;
    } cases[] = {
        {800, 600, 32, true, D3DFMT_X8R8G8B8}, {800, 600, 24, true, D3DFMT_X8R8G8B8},
        {800, 600, 16, true, D3DFMT_R5G6B5},   {1024, 768, 16, true, D3DFMT_R5G6B5},
        {1024, 768, 8, true, D3DFMT_X8R8G8B8}, {640, 480, 32, false, D3DFMT_UNKNOWN},
    };
    for (const auto& c : cases) {
        g_ScreenWidth = c.width;
        g_ScreenHeight = c.height;
        const KD3DModeInfo* mode = g_D3DShell.FindDisplayMode(&Hal(), c.bits);
        ASSERT_EQ(mode != nullptr, c.found) << c.width << "x" << c.height << "@" << c.bits;
        if (!mode) continue;
        EXPECT_EQ(mode->Format, c.format) << c.width << "x" << c.height << "@" << c.bits;
        EXPECT_EQ(mode->Width, static_cast<UINT>(c.width));
    }
    EXPECT_EQ(g_D3DShell.FindDisplayMode(nullptr, 32), nullptr);
}

TEST_F(D3DShellCatalogue, WindowedOnASixteenBitDesktopTakesTheDesktopFormat) {
    FakeAdapter a = StandardAdapter();
    a.desktop = Mode(1024, 768, D3DFMT_R5G6B5);
    fake.adapters = {a};
    Enumerate();
    g_Windowed = 1;
    for (int bits : {16, 24, 32}) {
        const KD3DModeInfo* mode = g_D3DShell.FindDisplayMode(&Hal(), bits);
        ASSERT_NE(mode, nullptr) << bits;
        EXPECT_EQ(mode->Format, D3DFMT_R5G6B5) << bits;
    }
}

TEST_F(D3DShellCatalogue, WindowedIsCapableOnlyWithTheCurrentFormat) {
    FakeAdapter a = StandardAdapter();
    a.desktop = Mode(1024, 768, D3DFMT_R5G6B5);
    a.hal.displayFormats = {D3DFMT_X8R8G8B8};
    fake.adapters = {a};
    Enumerate();
    EXPECT_EQ(Hal().Windowed, 0u);
    EXPECT_EQ(g_D3DShell.adapters[0].Devices[1].Windowed, 1u);
}

}  // namespace
