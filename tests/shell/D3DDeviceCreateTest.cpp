// Device creation on the software device under the video policy: start-up
// reports, the states left on the device, the policy values and files.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "ShellTestSupport.h"
#include "lumiva/basrel/HostGlobals.h"
#include "lumiva/basrel/KStringMap.h"
#include "d3d9/Control.h"
#include "shell/D3DDevice.h"
#include "shell/D3DShell.h"
#include "shell/D3DShellStartup.h"
#include "shell/VideoPolicy.h"
#include "win32/Control.h"

namespace {

namespace d3d = lumiva::d3d9;
namespace win = lumiva::win32;
using shell_test::IniSectionEntries;

class D3DDeviceCreate : public shell_test::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        window = CreateWindowExA(0, "Lumiva", "Lumiva", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr, nullptr,
                                 nullptr);
        ASSERT_NE(window, nullptr);
        g_SetMainHWnd(window);
    }
    void TearDown() override {
        ResetDirect3DForTests();
        DestroyWindow(window);
        ShellTest::TearDown();
    }
    static d3d::AdapterConfig Adapter(const char* description = "Test Adapter") {
        d3d::AdapterConfig a = d3d::DefaultAdapter();
        std::strncpy(a.identifier.Description, description, sizeof(a.identifier.Description) - 1);
        return a;
    }
    std::vector<win::MessageBoxCall> Boxes() const { return win::RecordedMessageBoxes(); }
    std::string Text(int n) { return g_cStringMap.GetString(n); }

    HWND window = nullptr;
};

TEST_F(D3DDeviceCreate, WindowedStartUpSucceedsAndLogs) {
    ASSERT_TRUE(CreateDirect3D(800, 600, false));
    EXPECT_EQ(TakeRenderLog(), std::vector<std::string>{"[D3DRender]g_D3DShell create ok!"});
    ASSERT_NE(g_D3DDevice.device, nullptr);
    EXPECT_EQ(g_D3DDevice.displayMode->Width, 800u);
    EXPECT_EQ(g_D3DDevice.displayMode->Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(g_D3DDevice.adapterInfo, &g_D3DShell.adapters[0]);
    EXPECT_EQ(g_D3DDevice.deviceInfo->DeviceType, D3DDEVTYPE_HAL);
    EXPECT_EQ(g_D3DDevice.presentParams.SwapEffect, D3DSWAPEFFECT_COPY);
    EXPECT_EQ(g_D3DDevice.presentParams.hDeviceWindow, window);
    EXPECT_EQ(g_D3DDevice.behaviorFlags,
              static_cast<DWORD>(D3DCREATE_MULTITHREADED | D3DCREATE_MIXED_VERTEXPROCESSING));
    EXPECT_TRUE(g_D3DDevice.depth32);
    EXPECT_EQ(g_D3DDevice.availableTextureMem, 128u << 20);
    EXPECT_TRUE(Boxes().empty());
    // One vs.1.1 skinning shader for each influence count (shader n for
    // n + 1), none beyond.
    std::set<IDirect3DVertexShader9*> shaders;
    for (int k = 0; k < 4; ++k) {
        IDirect3DVertexShader9* shader = g_D3DDevice.GetSkinningShader(k);
        ASSERT_NE(shader, nullptr) << k;
        UINT size = 0;
        EXPECT_EQ(shader->GetFunction(nullptr, &size), D3D_OK);
        std::vector<DWORD> tokens(size / sizeof(DWORD));
        ASSERT_EQ(shader->GetFunction(tokens.data(), &size), D3D_OK);
        EXPECT_EQ(tokens.front(), D3DVS_VERSION(1, 1));
        shaders.insert(shader);
    }
    EXPECT_EQ(shaders.size(), 4u);
    EXPECT_EQ(g_D3DDevice.GetSkinningShader(-1), nullptr);
    EXPECT_EQ(g_D3DDevice.GetSkinningShader(4), nullptr);
    EXPECT_EQ(ReadDataFile("Logs/D3DPP.log"), FormatPresentParamsLog(g_D3DDevice.presentParams));
}

TEST_F(D3DDeviceCreate, SkinningShadersStayNullWithoutVertexShaders) {
    d3d::AdapterConfig a = Adapter();
    a.halCaps.VertexShaderVersion = D3DVS_VERSION(0, 0);
    d3d::SetAdapters({a});
    ASSERT_TRUE(CreateDirect3D(800, 600, false));
    for (int k = 0; k < 4; ++k) EXPECT_EQ(g_D3DDevice.GetSkinningShader(k), nullptr) << k;
}

TEST_F(D3DDeviceCreate, HolderCreateReadsTheDesktopAndStartsOver) {
    d3d::AdapterConfig a = Adapter();
    a.displayMode = D3DDISPLAYMODE{1280, 1024, 75, D3DFMT_R5G6B5};
    d3d::SetAdapters({a, d3d::DefaultAdapter(1)});
    ASSERT_TRUE(g_D3DShell.Create());
    EXPECT_EQ(g_D3DShell.desktopMode.Width, 1280u);
    EXPECT_EQ(g_D3DShell.desktopMode.Format, D3DFMT_R5G6B5);
    ASSERT_EQ(g_D3DShell.adapters.size(), 2u);
    EXPECT_EQ(g_D3DShell.adapters[1].Ordinal, 1u);
    IDirect3D9* first = g_D3DShell.d3d;
    first->AddRef();
    ASSERT_TRUE(g_D3DShell.Create());
    EXPECT_EQ(g_D3DShell.adapters.size(), 2u);
    EXPECT_EQ(first->Release(), 0u);  // the holder gave its reference back
    EXPECT_TRUE(d3d::OverReleases().empty());
}

TEST_F(D3DDeviceCreate, ReferenceOnlyMachineFindsNoDevice) {
    d3d::AdapterConfig a = Adapter();
    a.hasHal = false;
    d3d::SetAdapters({a});
    for (bool fullScreen : {false, true}) {
        win::ResetForTests();
        win::SetMessageBoxLog([](const std::string&) {});
        TakeLog();
        EXPECT_FALSE(CreateDirect3D(800, 600, fullScreen));
        EXPECT_EQ(TakeRenderLog(), (std::vector<std::string>{"[D3DRender]g_D3DShell create ok!",
                                                             "[D3DRender]Can't find any d3d devices to use!"}));
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].owner, nullptr);
        EXPECT_EQ(boxes[0].text, Text(25));
        EXPECT_EQ(boxes[0].caption, Text(44));
        EXPECT_EQ(g_D3DShell.d3d, nullptr);
        EXPECT_TRUE(g_D3DShell.adapters.empty());
    }
}

TEST_F(D3DDeviceCreate, StartUpFailuresBeforeAnyDevice) {
    d3d::SetDirect3DCreateFails(true);
    EXPECT_FALSE(CreateDirect3D(800, 600, false));
    EXPECT_TRUE(TakeRenderLog().empty());
    d3d::SetDirect3DCreateFails(false);

    g_SetMainHWnd(nullptr);
    EXPECT_FALSE(CreateDirect3D(800, 600, false));
    EXPECT_TRUE(Boxes().empty());
    g_SetMainHWnd(window);

    TakeLog();
    EXPECT_FALSE(CreateDirect3D(700, 500, true));
    EXPECT_EQ(TakeRenderLog(), (std::vector<std::string>{"[D3DRender]g_D3DShell create ok!",
                                                         "[D3DRender]Can't find an appropriate display mode!"}));
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, Text(26));
    EXPECT_EQ(g_D3DShell.d3d, nullptr);
}

TEST_F(D3DDeviceCreate, RefusedDeviceIsReportedTwice) {
    d3d::SetCreateDeviceResult(D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_FALSE(CreateDirect3D(800, 600, false));
    EXPECT_EQ(TakeRenderLog(),
              (std::vector<std::string>{"[D3DRender]g_D3DShell create ok!", "[D3DRender]Warning: Device create failed.",
                                        "[D3DRender]Couldn't create D3D Device!"}));
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, Text(2));
    EXPECT_EQ(boxes[1].text, Text(27));
    EXPECT_EQ(g_D3DShell.d3d, nullptr);
}

TEST_F(D3DDeviceCreate, FixedStatesAfterCreation) {
    d3d::EnableRecording(true);
    ASSERT_TRUE(CreateDirect3D(800, 600, false));
    IDirect3DDevice9* dev = g_D3DDevice.device;
    const struct {
        D3DRENDERSTATETYPE state;
        DWORD value;
    } renderStates[] = {
        {D3DRS_FOGVERTEXMODE, 0},
        {D3DRS_FOGTABLEMODE, 0},
        {D3DRS_FOGENABLE, FALSE},
        {D3DRS_MULTISAMPLEANTIALIAS, FALSE},
        {D3DRS_CULLMODE, D3DCULL_NONE},
        {D3DRS_ZENABLE, FALSE},
        {D3DRS_ZWRITEENABLE, FALSE},
        {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_SPECULARENABLE, FALSE},
        {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
        {D3DRS_DITHERENABLE, FALSE},
        {D3DRS_FILLMODE, D3DFILL_SOLID},
        {D3DRS_ALPHABLENDENABLE, TRUE},
        {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
        {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
        {D3DRS_COLORVERTEX, FALSE},
        {D3DRS_NORMALIZENORMALS, FALSE},
        {D3DRS_CLIPPING, FALSE},
        {D3DRS_LIGHTING, FALSE},
        {D3DRS_AMBIENT, 0xFFFFFFFF},
        {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL},
    };
    for (const auto& s : renderStates) {
        DWORD value = 0xDEADBEEF;
        dev->GetRenderState(s.state, &value);
        EXPECT_EQ(value, s.value) << s.state;
    }
    const auto recorded = d3d::RecordedCallsNamed("SetRenderState");
    ASSERT_GE(recorded.size(), std::size(renderStates));
    for (size_t i = 0; i < std::size(renderStates); ++i)
        EXPECT_EQ(recorded[i].args.at(0), static_cast<uint64_t>(renderStates[i].state)) << i;

    const struct {
        DWORD stage;
        D3DTEXTURESTAGESTATETYPE type;
        DWORD value;
    } stageStates[] = {
        {0, D3DTSS_COLOROP, D3DTOP_MODULATE}, {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
        {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE}, {0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
        {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE}, {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
        {0, D3DTSS_TEXCOORDINDEX, 0},         {0, D3DTSS_TEXTURETRANSFORMFLAGS, 0},
        {1, D3DTSS_COLOROP, D3DTOP_DISABLE},  {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE},
    };
    for (const auto& s : stageStates) {
        DWORD value = 0xDEADBEEF;
        dev->GetTextureStageState(s.stage, s.type, &value);
        EXPECT_EQ(value, s.value) << s.stage << "/" << s.type;
    }
    DWORD filter = 0;
    dev->GetSamplerState(0, D3DSAMP_MINFILTER, &filter);
    EXPECT_EQ(filter, static_cast<DWORD>(D3DTEXF_POINT));
    dev->GetSamplerState(0, D3DSAMP_MAGFILTER, &filter);
    EXPECT_EQ(filter, static_cast<DWORD>(D3DTEXF_POINT));
    IDirect3DBaseTexture9* texture = reinterpret_cast<IDirect3DBaseTexture9*>(1);
    dev->GetTexture(0, &texture);
    EXPECT_EQ(texture, nullptr);
}

TEST_F(D3DDeviceCreate, FirstRunPolicyAndConfigureFile) {
    d3d::SetAdapters({Adapter("NVIDIA GeForce4 Ti 4200 with TNT2 legacy")});
    ASSERT_TRUE(CreateDirect3D(800, 600, false));
    EXPECT_EQ(g_VideoPolicy.VideoCardType, 3);
    EXPECT_EQ(g_VideoPolicy.VideoMemory, 128);
    EXPECT_EQ(g_VideoPolicy.IsDesktop32BitColor, 1);
    EXPECT_EQ(g_VideoPolicy.Billboard_High, 40);
    EXPECT_EQ(g_VideoPolicy.Billboard_Low, 20);
    EXPECT_EQ(g_VideoPolicy.Force32BitScene, 0);
    EXPECT_EQ(g_VideoPolicy.AnimationDelay, 500);
    EXPECT_EQ(g_VideoPolicy.BackRefresh, 0);
    EXPECT_EQ(g_VideoPolicy.RenderTargetAlpha, 1);
    EXPECT_EQ(g_VideoPolicy.Reserved, 0);
    EXPECT_EQ(g_RenderTextureFormat, D3DFMT_A4R4G4B4);
    EXPECT_EQ(g_PictureTextureFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(g_TexMemThreshold, 20971520u);
    EXPECT_EQ(g_TexMemTarget, 41943040u);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"VideoCardType", "3"},  {"VideoMemory", "128"},   {"IsDesktop32BitColor", "1"}, {"Billboard_High", "40"},
        {"Billboard_Low", "20"}, {"Force32BitScene", "0"}, {"AnimationDelay", "500"}};
    EXPECT_EQ(IniSectionEntries(ReadDataFile("Logs/Configure.ini"), "CONFIGURE"), expected);
}

TEST_F(D3DDeviceCreate, BudgetTierFromTheAvailableTextureMemory) {
    WriteDataFile("settings/VideoPolicy.ini", "[VIDEO_POLICY]\nBackRefresh=24\n32_1=111\n32_2=222\n128_1=333\n");
    d3d::SetTotalTextureMemory(32u << 20);
    ASSERT_TRUE(CreateDirect3D(800, 600, false));
    EXPECT_EQ(g_VideoPolicy.VideoMemory, 32);
    EXPECT_EQ(g_VideoPolicy.BackRefresh, 24);
    EXPECT_EQ(g_TexMemThreshold, 111u);
    EXPECT_EQ(g_TexMemTarget, 222u);
    RestoreGammaAndReleaseDirect3D();

    d3d::SetTotalTextureMemory(236716031);
    ASSERT_TRUE(CreateDirect3D(800, 600, false));
    EXPECT_EQ(g_TexMemThreshold, 333u);
    EXPECT_EQ(g_TexMemTarget, 26214400u);
    RestoreGammaAndReleaseDirect3D();

    d3d::SetTotalTextureMemory(236716032);
    ASSERT_TRUE(CreateDirect3D(800, 600, false));
    EXPECT_EQ(g_TexMemThreshold, 12582912u);
    EXPECT_EQ(g_TexMemTarget, 31457280u);
}

TEST_F(D3DDeviceCreate, ConfigureFileWithoutATunableIsMendedNotFatal) {
    WriteDataFile("Logs/Configure.ini", "[CONFIGURE]\nBillboard_High=60\nBillboard_Low=25\nForce32BitScene=1\n");
    ASSERT_TRUE(CreateDirect3D(800, 600, false));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(g_VideoPolicy.Billboard_High, 60);
    EXPECT_EQ(g_VideoPolicy.Force32BitScene, 1);
    EXPECT_EQ(g_VideoPolicy.AnimationDelay, 500);
    const auto entries = IniSectionEntries(ReadDataFile("Logs/Configure.ini"), "CONFIGURE");
    ASSERT_EQ(entries.size(), 7u);
    EXPECT_EQ(entries[6], (std::pair<std::string, std::string>{"AnimationDelay", "500"}));
}

TEST_F(D3DDeviceCreate, UnsavableConfigureFileFailsWithText14) {
    WriteDataFile("Logs", "not a folder");
    EXPECT_FALSE(CreateDirect3D(800, 600, false));
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, Text(14));
    EXPECT_EQ(boxes[0].owner, window);
    EXPECT_EQ(boxes[1].text, Text(27));
}

TEST_F(D3DDeviceCreate, RenderTargetFormatFallbacksWarn) {
    const struct {
        std::vector<D3DFORMAT> rejected;
        bool created;
        std::vector<int> texts;
        D3DFORMAT renderTarget;
        uint8_t alpha;
        D3DFORMAT picture;
    } cases[] = {
        {{D3DFMT_A4R4G4B4}, true, {}, D3DFMT_A8R8G8B8, 1, D3DFMT_R5G6B5},
        {{D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8}, true, {6}, D3DFMT_R5G6B5, 0, D3DFMT_R5G6B5},
        {{D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5}, true, {7}, D3DFMT_X8R8G8B8, 0, D3DFMT_X8R8G8B8},
        {{D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X8R8G8B8},
         false,
         {8, 27},
         D3DFMT_A8R8G8B8,
         0,
         D3DFMT_X8R8G8B8},
        {{D3DFMT_R5G6B5, D3DFMT_X8R8G8B8}, false, {9, 27}, D3DFMT_A4R4G4B4, 1, D3DFMT_X8R8G8B8},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        ResetDirect3DForTests();
        win::ResetForTests();
        win::SetMessageBoxLog([](const std::string&) {});
        const std::vector<D3DFORMAT> rejected = c.rejected;
        d3d::SetFormatCheck([rejected](UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                       D3DRESOURCETYPE resourceType, D3DFORMAT format) -> HRESULT {
            if (usage == D3DUSAGE_RENDERTARGET && resourceType == D3DRTYPE_TEXTURE &&
                std::find(rejected.begin(), rejected.end(), format) != rejected.end())
                return D3DERR_NOTAVAILABLE;
            return d3d::DefaultFormatCheck(adapter, type, adapterFormat, usage, resourceType, format);
        });
        EXPECT_EQ(CreateDirect3D(800, 600, false), c.created) << i;
        std::vector<std::string> texts;
        for (int t : c.texts) texts.push_back(Text(t));
        std::vector<std::string> shown;
        for (const auto& box : Boxes()) shown.push_back(box.text);
        EXPECT_EQ(shown, texts) << i;
        EXPECT_EQ(g_RenderTextureFormat, c.renderTarget) << i;
        EXPECT_EQ(g_VideoPolicy.RenderTargetAlpha, c.alpha) << i;
        EXPECT_EQ(g_PictureTextureFormat, c.picture) << i;
    }
}

TEST_F(D3DDeviceCreate, SixteenBitDesktopUsesItsOwnTexts) {
    d3d::AdapterConfig a = Adapter();
    a.displayMode.Format = D3DFMT_R5G6B5;
    d3d::SetAdapters({a});
    d3d::RejectFormat(D3DFMT_A4R4G4B4);
    d3d::SetFormatCheck([](UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                           D3DRESOURCETYPE resourceType, D3DFORMAT format) -> HRESULT {
        if (usage == D3DUSAGE_RENDERTARGET && (format == D3DFMT_A4R4G4B4 || format == D3DFMT_A8R8G8B8))
            return D3DERR_NOTAVAILABLE;
        return d3d::DefaultFormatCheck(adapter, type, adapterFormat, usage, resourceType, format);
    });
    ASSERT_TRUE(CreateDirect3D(800, 600, false));
    EXPECT_EQ(g_D3DDevice.displayMode->Format, D3DFMT_R5G6B5);
    EXPECT_EQ(g_VideoPolicy.IsDesktop32BitColor, 0);
    EXPECT_FALSE(g_D3DDevice.depth32);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, Text(10));
}

TEST_F(D3DDeviceCreate, DesktopOfAnotherDepthIsRefused) {
    d3d::AdapterConfig a = Adapter();
    a.displayMode.Format = D3DFMT_R8G8B8;
    d3d::SetAdapters({a});
    EXPECT_FALSE(CreateDirect3D(800, 600, true));
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, Text(5));
    EXPECT_EQ(boxes[0].owner, window);
    EXPECT_EQ(boxes[1].text, Text(27));
}

TEST_F(D3DDeviceCreate, FormatChecksUseTheChosenAdapter) {
    d3d::AdapterConfig first = Adapter("First");
    first.hasHal = false;
    d3d::AdapterConfig second = d3d::DefaultAdapter(1);
    std::vector<std::pair<UINT, D3DDEVTYPE>> asked;
    d3d::SetAdapters({first, second});
    d3d::SetFormatCheck([&asked](UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                 D3DRESOURCETYPE resourceType, D3DFORMAT format) -> HRESULT {
        asked.emplace_back(adapter, type);
        return d3d::DefaultFormatCheck(adapter, type, adapterFormat, usage, resourceType, format);
    });
    ASSERT_TRUE(CreateDirect3D(800, 600, true));
    EXPECT_EQ(g_D3DDevice.adapterInfo->Ordinal, 1u);
    ASSERT_FALSE(asked.empty());
    for (const auto& a : asked) {
        EXPECT_EQ(a.first, 1u);
        EXPECT_EQ(a.second, D3DDEVTYPE_HAL);
    }
}

TEST_F(D3DDeviceCreate, DxtFlagNeedsBothFormats) {
    const struct {
        std::vector<D3DFORMAT> rejected;
        uint8_t flag;
    } cases[] = {{{}, 1}, {{D3DFMT_DXT1}, 0}, {{D3DFMT_DXT5}, 0}};
    for (const auto& c : cases) {
        ResetDirect3DForTests();
        const std::vector<D3DFORMAT> rejected = c.rejected;
        std::vector<D3DFORMAT> dxtAsked;
        d3d::SetFormatCheck([&](UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                D3DRESOURCETYPE resourceType, D3DFORMAT format) -> HRESULT {
            if (format == D3DFMT_DXT1 || format == D3DFMT_DXT5) {
                dxtAsked.push_back(format);
                EXPECT_EQ(usage, 0u);
                EXPECT_EQ(adapterFormat, D3DFMT_X8R8G8B8);
                return std::find(rejected.begin(), rejected.end(), format) != rejected.end() ? D3DERR_NOTAVAILABLE
                                                                                             : D3D_OK;
            }
            return d3d::DefaultFormatCheck(adapter, type, adapterFormat, usage, resourceType, format);
        });
        ASSERT_TRUE(CreateDirect3D(800, 600, false));
        EXPECT_EQ(g_VideoPolicy.SupportDXT, c.flag);
        const bool dxt1Refused = !rejected.empty() && rejected[0] == D3DFMT_DXT1;
        EXPECT_EQ(dxtAsked.size(), dxt1Refused ? 1u : 2u);
        d3d::SetFormatCheck({});
    }
}

TEST_F(D3DDeviceCreate, ViewportIsSetOnlyWhenTheRectangleChanges) {
    ASSERT_TRUE(CreateDirect3D(800, 600, false));
    d3d::EnableRecording(true);
    g_D3DDevice.SetViewportRect(0, 800, 0, 600, 0.0f, 1.0f);
    g_D3DDevice.SetViewportRect(0, 800, 0, 600, 0.5f, 0.75f);
    EXPECT_EQ(d3d::RecordedCallsNamed("SetViewport").size(), 1u);
    D3DVIEWPORT9 vp{};
    g_D3DDevice.device->GetViewport(&vp);
    EXPECT_EQ(vp.X, 0u);
    EXPECT_EQ(vp.Width, 800u);
    EXPECT_EQ(vp.Height, 600u);
    EXPECT_EQ(vp.MaxZ, 1.0f);
    g_D3DDevice.SetViewportRect(10, 410, 20, 320, 0.0f, 1.0f);
    g_D3DDevice.device->GetViewport(&vp);
    EXPECT_EQ(vp.X, 10u);
    EXPECT_EQ(vp.Y, 20u);
    EXPECT_EQ(vp.Width, 400u);
    EXPECT_EQ(vp.Height, 300u);
    EXPECT_EQ(d3d::RecordedCallsNamed("SetViewport").size(), 2u);

    ASSERT_TRUE(g_D3DDevice.ResetDevice(g_D3DDevice.displayMode));
    EXPECT_EQ(g_D3DDevice.viewportRect.right, 0);
    g_D3DDevice.SetViewportRect(10, 410, 20, 320, 0.0f, 1.0f);
    EXPECT_EQ(d3d::RecordedCallsNamed("SetViewport").size(), 3u);
}

TEST_F(D3DDeviceCreate, ResetKeepsTheParametersAndFailsWithLiveDefaultResources) {
    ASSERT_TRUE(CreateDirect3D(800, 600, false));
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(g_D3DDevice.device->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                                &target, nullptr),
              D3D_OK);
    EXPECT_FALSE(g_D3DDevice.ResetDevice(g_D3DDevice.displayMode));
    target->Release();
    EXPECT_TRUE(g_D3DDevice.ResetDevice(g_D3DDevice.displayMode));
    EXPECT_EQ(g_D3DDevice.presentParams.BackBufferWidth, 800u);
}

TEST_F(D3DDeviceCreate, ResetToAnotherModeProbesThatMode) {
    ASSERT_TRUE(CreateDirect3D(800, 600, true));
    EXPECT_EQ(g_D3DDevice.presentParams.AutoDepthStencilFormat, D3DFMT_D24S8);
    KD3DModeInfo* sixteen = nullptr;
    for (KD3DModeInfo& m : g_D3DDevice.deviceInfo->Modes)
        if (m.Width == 800 && m.Height == 600 && m.Format == D3DFMT_R5G6B5) sixteen = &m;
    ASSERT_NE(sixteen, nullptr);
    ASSERT_TRUE(g_D3DDevice.ResetDevice(sixteen));
    EXPECT_EQ(g_D3DDevice.displayMode, sixteen);
    EXPECT_EQ(g_D3DDevice.presentParams.BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(g_D3DDevice.presentParams.AutoDepthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(g_D3DDevice.presentParams.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_FALSE(g_D3DDevice.depth32);
}

TEST_F(D3DDeviceCreate, SceneBrackets) {
    ASSERT_TRUE(CreateDirect3D(800, 600, false));
    EXPECT_FALSE(g_D3DDevice.EndScene());
    EXPECT_TRUE(g_D3DDevice.BeginScene());
    EXPECT_TRUE(g_D3DDevice.inScene);
    EXPECT_FALSE(g_D3DDevice.BeginScene());
    EXPECT_TRUE(g_D3DDevice.EndScene());
    EXPECT_FALSE(g_D3DDevice.inScene);
    EXPECT_FALSE(g_D3DDevice.EndScene());
    EXPECT_TRUE(g_D3DDevice.BeginScene());
}

TEST_F(D3DDeviceCreate, GammaIsRestoredOnlyWhenSaved) {
    ASSERT_TRUE(CreateDirect3D(800, 600, false));
    d3d::EnableRecording(true);
    RestoreGammaAndReleaseDirect3D();
    EXPECT_TRUE(d3d::RecordedCallsNamed("SetGammaRamp").empty());
    EXPECT_EQ(g_D3DShell.d3d, nullptr);
    EXPECT_EQ(g_D3DDevice.device, nullptr);
    EXPECT_EQ(d3d::LiveDeviceCount(), 0u);

    ASSERT_TRUE(CreateDirect3D(800, 600, false));
    D3DGAMMARAMP ramp;
    for (int i = 0; i < 256; ++i) ramp.red[i] = ramp.green[i] = ramp.blue[i] = static_cast<WORD>(i * 200);
    g_D3DDevice.device->SetGammaRamp(0, 0, &ramp);
    g_D3DDevice.SaveGammaRamp();
    D3DGAMMARAMP bright;
    std::memset(&bright, 0xFF, sizeof(bright));
    g_D3DDevice.device->SetGammaRamp(0, 0, &bright);
    d3d::ClearRecording();
    g_D3DDevice.RestoreGammaRamp();
    const auto calls = d3d::RecordedCallsNamed("SetGammaRamp");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args.at(1), static_cast<uint64_t>(D3DSGR_CALIBRATE));
    D3DGAMMARAMP now;
    g_D3DDevice.device->GetGammaRamp(0, &now);
    EXPECT_EQ(std::memcmp(&now, &ramp, sizeof(ramp)), 0);
}

}  // namespace
